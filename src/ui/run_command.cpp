// The Run command and what a run shows in the window while it works.
#include "ui/main_window.h"

#include "common/text.h"
#include "common/toolkit.h"
#include "files/session.h"
#include "files/run_analysis.h"
#include "ui/qt_text.h"
#include "files/run_messages.h"
#include "ui/message_filter.h"
#include "ui/result_list.h"
#include "ui/window_messages.h"
#include "ui_main_window.h"

namespace morvelan {

void MainWindow::runCommand()
{
    if (running_) return; // the Run button is disabled while a run goes on
    adoptTypedInputPath(); // the run reads the file the field shows

    const std::string inputText = toStdString(ui_->txt入力ファイル->text());
    if (inputText.empty()) {
        showError(toolkit_, kMsgEnterInputFile);
        return;
    }
    if (!FileHasData(inputText)) {
        showError(toolkit_, kMsgCannotOpenInputFile);
        return;
    }
    if (toolkit_.showMessage(kMsgRunQuestion, kConfirmCaption, Buttons::OkCancel) != Answer::Ok) return;

    session_.foundCount = 0;
    ui_->txtFoundCnt->setText(QStringLiteral("0"));
    ui_->txtFoundCnt->repaint();
    runResults_.clear();
    ui_->txtResult->clear();
    ui_->txtResult->repaint();
    ui_->ProgressBar1->setValue(0);
    setRunControlsEnabled(false);
    toolkit_.setBusyPointer(true);
    session_.abortFlag = false;
    ui_->cmd中止->setEnabled(true);

    // Only a ticked box counts; the boxes cannot change during the run.
    session_.options.skipHeaderCheck = ui_->chk入力ファイルのヘッダチェックをしない->checkState() == Qt::Checked;
    session_.options.skipExclusions = ui_->chk除外パターンを一時的に使用しない->checkState() == Qt::Checked;
    session_.options.lfInput = ui_->chkUNIX系LFファイルを対象とする->checkState() == Qt::Checked;

    running_ = true;
    runParams_ = session_.params; // the copy the run takes at its start
    UnattendedOnceEnding runToolkit(toolkit_, ending_);
    ToolkitRunEvents boxes(runToolkit);
    OncePerRunConversionMessages events(boxes); // a fresh one per run
    const bool succeeded = RunAnalysis(session_, runToolkit, events, *this);
    running_ = false;
    ui_->txtResult->setLineCount(runResults_.size());

    ui_->cmd中止->setEnabled(false);
    toolkit_.setBusyPointer(false);
    setRunControlsEnabled(true);
    if (ending_) {
        finishEnding();
        return;
    }
    if (succeeded) {
        showError(toolkit_, kMsgRunFinished);
        // Max keeps the last interval, so the bar stands at the first one.
        ui_->ProgressBar1->setMinimum(0);
        ui_->ProgressBar1->setValue(session_.params.START_SYNC_INTERVAL);
    } else {
        session_.files.closeBoth();
        showError(toolkit_, kMsgRunInterrupted);
        ui_->ProgressBar1->setMinimum(0);
        ui_->ProgressBar1->setValue(0);
    }

    // The list is read-only; the keyboard goes back to the Run button.
    ui_->cmd実行->setFocus(Qt::OtherFocusReason);

    if (closeRequested_) {
        // The user closed the window during the run and did not take it back.
        closeRequested_ = false;
        close();
    }
}

void MainWindow::setRunControlsEnabled(bool enabled)
{
    ui_->cmd入力ファイル->setEnabled(enabled);
    ui_->cmd実行->setEnabled(enabled);
    ui_->cmd設定保存->setEnabled(enabled);
    ui_->cmd設定初期化->setEnabled(enabled);
    ui_->cmd終了->setEnabled(enabled);
    ui_->chk入力ファイルのヘッダチェックをしない->setEnabled(enabled);
    ui_->chk除外パターンを一時的に使用しない->setEnabled(enabled);
    ui_->chkUNIX系LFファイルを対象とする->setEnabled(enabled);
}

void MainWindow::onRunPosition()
{
    ui_->txtResult->setLineCount(runResults_.size());
    // A close during the run set the Abort flag; the search clears it when
    // the user declines to abort, and then the window stays open.
    if (closeRequested_ && !session_.abortFlag) closeRequested_ = false;
}

void MainWindow::setProgressRange(std::int32_t min, std::int32_t max)
{
    ui_->ProgressBar1->setRange(min, max);
}

void MainWindow::setProgressValue(std::int32_t value)
{
    onRunPosition();
    ui_->ProgressBar1->setValue(value);
}

void MainWindow::showInterval(std::int32_t interval)
{
    onRunPosition();
    ui_->txtInterval->setText(QString::number(interval));
    ui_->txtInterval->repaint();
}

void MainWindow::showIndex(std::int32_t index)
{
    onRunPosition();
    ui_->txtIndex->setText(QString::number(index));
    ui_->txtIndex->repaint();
}

void MainWindow::clearResults()
{
    runResults_.clear();
    ui_->txtResult->clear();
    ui_->txtResult->repaint();
}

void MainWindow::candidateReported(const CandidateRecord& record)
{
    runResults_.push_back(record);
}

void MainWindow::showFoundCount(std::int32_t count)
{
    onRunPosition();
    ui_->txtFoundCnt->setText(QString::number(count));
    ui_->txtFoundCnt->repaint();
}

} // namespace morvelan
