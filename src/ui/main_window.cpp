#include "ui/main_window.h"

#include "common/toolkit.h"
#include "files/parameter_table.h"
#include "files/session.h"
#include "settings/settings.h"
#include "ui/file_selection.h"
#include "ui/qt_text.h"
#include "ui/raster_window.h"
#include "ui/result_list.h"
#include "ui/window_fonts.h"
#include "ui/window_messages.h"
#include "files/result_file.h"
#include "ui/number_text.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QScreen>

namespace morvelan {
namespace {

// Room left around the window for its frame and title bar, in pixels.
constexpr int kFrameAllowance = 16;

} // namespace

MainWindow::MainWindow(Session& session, Toolkit& toolkit, SettingsLocation settings, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      session_(session),
      toolkit_(toolkit),
      settings_(std::move(settings))
{
    ui_->setupUi(this);
    applyWindowFonts(*this, *ui_->txtResult);
    ui_->txtResult->setLineSource([this](std::size_t line) { return resultLineText(line); });
    fitToScreen();
    for (const ParameterEntry& entry : parameterTable()) {
        ParameterFieldBinding& f = fields_[static_cast<std::size_t>(entry.field)];
        f.widget = findChild<QLineEdit*>(toQString(entry.widget));
        f.field = entry.field;
    }
    for (const ParameterFieldBinding& f : fields_) f.widget->installEventFilter(this);
    ui_->txt入力ファイル->installEventFilter(this);
    connectCommands();
    startUp();
}

MainWindow::~MainWindow()
{
    // The fields lose the focus while they are torn down; that is no
    // leaving of a field by the user.
    destroying_ = true;
    for (const ParameterFieldBinding& f : fields_) f.widget->removeEventFilter(this);
    ui_->txt入力ファイル->removeEventFilter(this);
}

void MainWindow::fitToScreen()
{
    // The form has the classic size for a 96 dpi screen. At a larger text
    // scale the screen holds fewer logical pixels: start no larger than it,
    // leaving room for the window frame; the layout squeezes the list.
    const QScreen* s = screen();
    if (s == nullptr) return;
    const QSize room = s->availableGeometry().size() - QSize(kFrameAllowance, 3 * kFrameAllowance);
    resize(size().boundedTo(room).expandedTo(minimumSizeHint()));
}

void MainWindow::startUp()
{
    ReadSettingsAt(session_.params, settings_, toolkit_); // a file that cannot be read leaves the values as they were
    ui_->txtResult->clear();
    session_.foundCount = 0;
    ui_->lblVersion->setText(QStringLiteral("Version ") + toQString(kResultFileVersion) +
                             QStringLiteral(" Revision ") + toQString(kResultFileRevision));
    // The options are never stored: every start begins with all three cleared.
    ui_->chk入力ファイルのヘッダチェックをしない->setChecked(false);
    ui_->chk除外パターンを一時的に使用しない->setChecked(false);
    ui_->chkUNIX系LFファイルを対象とする->setChecked(false);
    ShowParameters();
}

void MainWindow::ShowParameters()
{
    for (const ParameterFieldBinding& f : fields_)
        f.widget->setText(QString::number(session_.params.*entryOf(f.field).member));
    ui_->txtThresholdRef->setText(toQString(ThresholdGuide(toStdString(ui_->txtFrameRounds->text()))));
}

void MainWindow::connectCommands()
{
    const auto connectCommand = [this](QAbstractButton* button, void (MainWindow::*command)()) {
        connect(button, &QAbstractButton::clicked, this, [this, button, command] {
            // The buttons take no focus on a mouse press, so a message box
            // from a field check cannot swallow the click. The focus moves
            // here now: a parameter field being left runs its check first,
            // then the command runs.
            button->setFocus(Qt::MouseFocusReason);
            (this->*command)();
        });
    };
    connectCommand(ui_->cmd実行, &MainWindow::runCommand);
    connectCommand(ui_->cmd中止, &MainWindow::abortRun);
    connectCommand(ui_->cmd終了, &MainWindow::quit);
    connectCommand(ui_->cmd設定保存, &MainWindow::saveSettings);
    connectCommand(ui_->cmd設定初期化, &MainWindow::resetToDefaults);
    connectCommand(ui_->cmd入力ファイル, &MainWindow::browseInputFile);
    connect(ui_->txtResult, &ResultList::lineActivated, this, &MainWindow::openRasterAt);
    // The output browse button is not shown and has no action.

    for (QAbstractButton* box : {static_cast<QAbstractButton*>(ui_->chk入力ファイルのヘッダチェックをしない),
                                 static_cast<QAbstractButton*>(ui_->chk除外パターンを一時的に使用しない),
                                 static_cast<QAbstractButton*>(ui_->chkUNIX系LFファイルを対象とする)}) {
        connect(box, &QAbstractButton::clicked, this, [box] { box->setFocus(Qt::MouseFocusReason); });
    }
}

void MainWindow::abortRun()
{
    // Only the flag: the search asks the user at its next check.
    session_.abortFlag = true;
}

void MainWindow::quit()
{
    close();
}

void MainWindow::endOnSignal()
{
    ending_ = true;
    // A box open now goes away; a run takes it as answered OK.
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    if (running_) {
        // The run ends at its next check; the Run command then finishes.
        session_.abortFlag = true;
        return;
    }
    finishEnding();
}

void MainWindow::finishEnding()
{
    session_.files.closeBoth();
    close();
    QCoreApplication::exit(1);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (running_) {
        // The run is asked to stop like an Abort press. The window closes
        // once the run has ended; if the user declines to abort, the run
        // goes on and the close is dropped.
        session_.abortFlag = true;
        closeRequested_ = true;
        event->ignore();
        return;
    }
    session_.files.closeBoth();
    event->accept();
}

void MainWindow::browseInputFile()
{
    const std::optional<InputFileChoice> choice = ChooseInputFile(toolkit_, toStdString(ui_->txt入力ファイル->text()));
    if (!choice) return;
    setInputPath(choice->inputPath, choice->resultPath);
}

void MainWindow::setInputPath(const std::string& path, const std::optional<std::string>& resultPath)
{
    ui_->txt入力ファイル->setText(toQString(path));
    session_.inputPath = path;
    if (resultPath) {
        session_.resultPath = *resultPath;
        session_.resultPathDerived = true; // a link planted there is refused
        ui_->txt出力ファイル->setText(toQString(session_.resultPath));
    }
}

void MainWindow::adoptTypedInputPath()
{
    // The run reads the file the field shows, never one chosen earlier.
    const std::string typed = toStdString(ui_->txt入力ファイル->text());
    if (typed == session_.inputPath) return;
    // A bare name lies in the current folder; its Result file goes there too.
    std::optional<std::string> result;
    if (!typed.empty()) result = derivedResultPath(typed);
    setInputPath(typed, result);
}

void MainWindow::saveSettings()
{
    SaveSettingsAt(session_.params, settings_, toolkit_);
}

void MainWindow::resetToDefaults()
{
    if (toolkit_.showMessage(kMsgResetQuestion, kConfirmCaption, Buttons::OkCancel) != Answer::Ok) return;
    ResetParameters(session_.params);
    // The threshold guide keeps the value of the previous frame count.
    const QString guide = ui_->txtThresholdRef->text();
    ShowParameters();
    ui_->txtThresholdRef->setText(guide);
    repaint();
}

QString MainWindow::resultLineText(std::size_t line) const
{
    if (line >= runResults_.size()) return {};
    const ReportedCandidate c = expandCandidate(session_.bits, runParams_, runResults_[line]);
    std::string text;
    appendWindowLine(text, c.interval, c.index, c.pattern, c.hex, c.count);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return toQString(text);
}

void MainWindow::openRasterAt(std::size_t line)
{
    if (running_ || line >= runResults_.size()) return; // the viewer folds a finished run
    const CandidateRecord& record = runResults_[line];
    openRasterWindow(this, session_, runParams_, record.interval, record.index, runResults_, &toolkit_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !destroying_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window taking the focus (a message box, another program)
        // or a context menu opening is no leaving of the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == ui_->txt入力ファイル) adoptTypedInputPath();
            for (const ParameterFieldBinding& f : fields_) {
                if (f.widget == watched) {
                    checkField(f.widget, f.field);
                    break;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::checkField(QLineEdit* field, ParameterField which)
{
    // Digits typed with a Japanese input method come full-width.
    const QString typed = toAsciiNumberText(field->text());
    if (typed != field->text()) field->setText(typed);
    const FieldCheckOutcome out = CheckParameterField(which, toStdString(typed), session_.params, toolkit_);
    if (out.fieldText) field->setText(toQString(*out.fieldText));
    if (out.thresholdGuide) ui_->txtThresholdRef->setText(toQString(*out.thresholdGuide));
    if (out.thresholdText) ui_->txtThreshold->setText(toQString(*out.thresholdText));
    if (out.repaint) repaint();
    // A message box took the focus on its way to the next field, which then
    // got it back without the selection a Tab gives: typing would append.
    if (out.messageShown) {
        if (auto* next = qobject_cast<QLineEdit*>(focusWidget()); next != nullptr && next != field) next->selectAll();
    }
}

} // namespace morvelan
