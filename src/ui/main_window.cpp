#include "ui/main_window.h"

#include "common/toolkit.h"
#include "files/parameter_table.h"
#include "files/session.h"
#include "settings/settings.h"
#include "ui/input_formats.h"
#include "ui/qt_text.h"
#include "ui/frame_table_window.h"
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

#include <algorithm>

namespace morvelan {
namespace {

// Room left around the window for its frame and title bar, in pixels.
constexpr int kFrameAllowance = 16;

// What each field means; its tip adds the range that holds for the input.
std::string_view fieldMeaning(ParameterField field)
{
    switch (field) {
    case ParameterField::StartSyncInterval: return "探すフレーム長（ビット）の最初の値。";
    case ParameterField::EndSyncInterval: return "探すフレーム長（ビット）の最後の値。";
    case ParameterField::SyncBitSize: return "比べる同期パターンのビット数。";
    case ParameterField::AllowErrBits: return "同期パターンの一致とみなす、異なるビットの数の上限。";
    case ParameterField::BufSize: return "読み込むビット数。";
    case ParameterField::FrameRounds: return "基準フレームと比べる後続フレームの数。";
    case ParameterField::Threshold: return "候補として出力する一致フレーム数の下限（2 以上）。";
    case ParameterField::IgnoreStartBits: return "データの先頭で読み飛ばすビット数。";
    }
    return {};
}

// A range message without its "エラー：" lead, as a tip's second line.
std::string_view rangeTip(std::string_view message)
{
    constexpr std::string_view kLead = "エラー：";
    return message.starts_with(kLead) ? message.substr(kLead.size()) : message;
}

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
    inputDialog_ = dynamic_cast<InputFileDialog*>(&toolkit_);
    fillFormatChoices();
    fitToScreen();
    for (const ParameterEntry& entry : parameterTable()) {
        ParameterFieldBinding& f = fields_[static_cast<std::size_t>(entry.field)];
        f.widget = findChild<QLineEdit*>(toQString(entry.widget));
        f.field = entry.field;
    }
    // A file dropped anywhere on the window, the fields included, is the input.
    setAcceptDrops(true);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setAcceptDrops(false);
    for (const ParameterFieldBinding& f : fields_) f.widget->installEventFilter(this);
    ui_->txt入力ファイル->installEventFilter(this);
    ui_->txt出力ファイル->installEventFilter(this);
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
    ui_->txt出力ファイル->removeEventFilter(this);
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
    ui_->lblSummary->hide(); // until a run has something to say
    ui_->lblStatus->hide();
    showInputFormat();
    updateTitle();
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
    connectCommand(ui_->cmd出力ファイル, &MainWindow::browseResultFile);
    connect(ui_->txtResult, &ResultList::lineActivated, this, &MainWindow::openRasterAt);
    connect(ui_->txtResult, &ResultList::frameTableRequested, this, &MainWindow::openFrameTableAt);

    for (QAbstractButton* box : {static_cast<QAbstractButton*>(ui_->chk入力ファイルのヘッダチェックをしない),
                                 static_cast<QAbstractButton*>(ui_->chk除外パターンを一時的に使用しない),
                                 static_cast<QAbstractButton*>(ui_->chkUNIX系LFファイルを対象とする)}) {
        connect(box, &QAbstractButton::clicked, this, [box] { box->setFocus(Qt::MouseFocusReason); });
    }
}

void MainWindow::abortRun()
{
    // Only the flag: the search asks the user at its next check.
    session_.abortFlag.request();
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
        session_.abortFlag.request();
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
        session_.abortFlag.request();
        closeRequested_ = true;
        event->ignore();
        return;
    }
    session_.files.closeBoth();
    event->accept();
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
    std::int64_t interval = runResults_[line].interval;
    std::int64_t offset = runResults_[line].index;
    if (line < lineGroup_.size() && lineGroup_[line] < runSummary_.size()) {
        const SummaryGroup& group = runSummary_[lineGroup_[line]];
        interval = group.interval;
        offset = group.syncOffset;
    }
    openRasterWindow(this, session_, runParams_, interval, offset, runResults_, &toolkit_);
}

void MainWindow::openFrameTableAt(std::size_t line)
{
    if (running_ || line >= runResults_.size()) return; // the table reads a finished run
    std::int64_t interval = runResults_[line].interval;
    std::string sync = capturedWord(session_.bits, runResults_[line].index, std::clamp(runParams_.SYNC_BIT_SIZE, 4, 64));
    if (line < lineGroup_.size() && lineGroup_[line] < runSummary_.size()) {
        const SummaryGroup& group = runSummary_[lineGroup_[line]];
        if (!group.syncBits.empty()) {
            interval = group.interval;
            sync = group.syncBits;
        }
    }
    openFrameTableWindow(this, snapshotCapture(session_), runParams_, interval, sync, &toolkit_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !destroying_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window taking the focus (a message box, another program)
        // or a context menu opening is no leaving of the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == ui_->txt入力ファイル) adoptTypedInputPath();
            if (watched == ui_->txt出力ファイル) adoptTypedResultPath();
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

void MainWindow::setFieldToolTips()
{
    const RangeSet ranges = rangesFor(runFormat_);
    for (const ParameterFieldBinding& f : fields_)
        f.widget->setToolTip(toQString(fieldMeaning(f.field)) + QLatin1Char('\n') +
                             toQString(rangeTip(rangeMessage(f.field, ranges))));
}

void MainWindow::checkField(QLineEdit* field, ParameterField which)
{
    // Digits typed with a Japanese input method come full-width.
    const QString typed = toAsciiNumberText(field->text());
    if (typed != field->text()) field->setText(typed);
    const FieldCheckOutcome out =
        CheckParameterField(which, toStdString(typed), session_.params, toolkit_, rangesFor(runFormat_));
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
