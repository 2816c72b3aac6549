#include "ui/main_window.h"

#include "common/toolkit.h"
#include "engine/parameters.h"
#include "engine/session.h"
#include "settings/settings.h"
#include "ui/file_selection.h"
#include "ui/qt_text.h"
#include "ui/raster_window.h"
#include "ui/result_list.h"
#include "ui/window_fonts.h"
#include "ui/window_messages.h"
#include "ui_main_window.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QTextBlock>

namespace morvelan {

MainWindow::MainWindow(Session& session, Toolkit& toolkit, std::string settingsPath, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      session_(session),
      toolkit_(toolkit),
      settingsPath_(std::move(settingsPath))
{
    ui_->setupUi(this);
    setFixedSize(size()); // the layout is fixed and does not follow a resize
    applyWindowFonts(*this, *ui_->txtResult);
    results_ = std::make_unique<ResultList>(*ui_->txtResult);
    fields_ = {{
        {ui_->txtStartSyncInterval, ParameterField::StartSyncInterval},
        {ui_->txtEndSyncInterval, ParameterField::EndSyncInterval},
        {ui_->txtSyncBitSize, ParameterField::SyncBitSize},
        {ui_->txtAllowErrBits, ParameterField::AllowErrBits},
        {ui_->txtBufSize, ParameterField::BufSize},
        {ui_->txtFrameRounds, ParameterField::FrameRounds},
        {ui_->txtThreshold, ParameterField::Threshold},
        {ui_->txtIgnoreStartBits, ParameterField::IgnoreStartBits},
    }};
    for (const ParameterFieldBinding& f : fields_) f.widget->installEventFilter(this);
    ui_->txtResult->viewport()->installEventFilter(this);
    connectCommands();
    startUp();
}

MainWindow::~MainWindow()
{
    // The fields lose the focus while they are torn down; that is no
    // leaving of a field by the user.
    destroying_ = true;
    for (const ParameterFieldBinding& f : fields_) f.widget->removeEventFilter(this);
}

void MainWindow::startUp()
{
    ReadSettings(session_.params, settingsPath_, toolkit_); // a file that cannot be read leaves the values as they were
    results_->clear();
    session_.foundCount = 0;
    ui_->lblVersion->setText(QStringLiteral("Version ") + toQString(kVersion) + QStringLiteral(" Revision ") +
                             toQString(kRevision));
    // The options are never stored: every start begins with all three cleared.
    ui_->chk入力ファイルのヘッダチェックをしない->setChecked(false);
    ui_->chk除外パターンを一時的に使用しない->setChecked(false);
    ui_->chkUNIX系LFファイルを対象とする->setChecked(false);
    ShowParameters();
}

void MainWindow::ShowParameters()
{
    const AnalysisParameters& p = session_.params;
    setFieldNumber(ui_->txtStartSyncInterval, p.START_SYNC_INTERVAL);
    setFieldNumber(ui_->txtEndSyncInterval, p.END_SYNC_INTERVAL);
    setFieldNumber(ui_->txtSyncBitSize, p.SYNC_BIT_SIZE);
    setFieldNumber(ui_->txtAllowErrBits, p.ALLOW_ERR_BITS);
    setFieldNumber(ui_->txtIgnoreStartBits, p.IGNORE_START_BITS);
    setFieldNumber(ui_->txtFrameRounds, p.FRAME_ROUNDS);
    setFieldNumber(ui_->txtBufSize, p.BUF_SIZE);
    setFieldNumber(ui_->txtThreshold, p.THRESHOLD);
    ui_->txtThresholdRef->setText(toQString(ThresholdGuide(toStdString(ui_->txtFrameRounds->text()))));
}

void MainWindow::setFieldNumber(QLineEdit* field, std::int32_t value)
{
    field->setText(QString::number(value));
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
    ui_->txt入力ファイル->setText(toQString(choice->inputPath));
    session_.inputPath = choice->inputPath;
    if (choice->resultPath) {
        session_.resultPath = *choice->resultPath;
        ui_->txt出力ファイル->setText(toQString(session_.resultPath));
    }
}

void MainWindow::saveSettings()
{
    SaveSettings(session_.params, settingsPath_, toolkit_);
}

void MainWindow::resetToDefaults()
{
    if (toolkit_.showMessage(kMsgResetQuestion, kConfirmCaption, Buttons::OkCancel) != Answer::Ok) return;
    ResetParameters(session_.params);
    // The threshold guide keeps the value of the previous frame count.
    const AnalysisParameters& p = session_.params;
    setFieldNumber(ui_->txtStartSyncInterval, p.START_SYNC_INTERVAL);
    setFieldNumber(ui_->txtEndSyncInterval, p.END_SYNC_INTERVAL);
    setFieldNumber(ui_->txtSyncBitSize, p.SYNC_BIT_SIZE);
    setFieldNumber(ui_->txtAllowErrBits, p.ALLOW_ERR_BITS);
    setFieldNumber(ui_->txtIgnoreStartBits, p.IGNORE_START_BITS);
    setFieldNumber(ui_->txtFrameRounds, p.FRAME_ROUNDS);
    setFieldNumber(ui_->txtThreshold, p.THRESHOLD);
    setFieldNumber(ui_->txtBufSize, p.BUF_SIZE);
    repaint();
}

void MainWindow::openRasterAt(const QPoint& position)
{
    if (running_) return; // the viewer folds a finished run
    const QString line = ui_->txtResult->cursorForPosition(position).block().text();
    std::vector<ReportedCandidate> results;
    results.reserve(runResults_.size());
    for (const CandidateRecord& r : runResults_) results.push_back(expandCandidate(session_.bits, runParams_, r));
    const ReportedCandidate* candidate = findReportedCandidate(toStdString(line), results);
    if (candidate == nullptr) return;
    openRasterWindow(this, session_, runParams_, candidate->interval, candidate->index, runResults_, &toolkit_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->txtResult->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        openRasterAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut && !destroying_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window taking the focus (a message box, another program)
        // or a context menu opening is no leaving of the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
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
    const FieldCheckOutcome out = CheckParameterField(which, toStdString(field->text()), session_.params, toolkit_);
    if (out.fieldText) field->setText(toQString(*out.fieldText));
    if (out.thresholdGuide) ui_->txtThresholdRef->setText(toQString(*out.thresholdGuide));
    if (out.thresholdText) ui_->txtThreshold->setText(toQString(*out.thresholdText));
    if (out.repaint) repaint();
}

} // namespace morvelan
