// The Run command, what a run shows in the window while it works and what
// the window says about it once it has ended.
#include "ui/main_window.h"

#include "common/text.h"
#include "common/toolkit.h"
#include "files/session.h"
#include "files/run_analysis.h"
#include "ui/qt_text.h"
#include "files/run_messages.h"
#include "formats/format_detect.h"
#include "ui/message_filter.h"
#include "ui/result_list.h"
#include "ui/run_report.h"
#include "ui/window_messages.h"
#include "ui_main_window.h"

#include <QFile>

#include <functional>
#include <unordered_map>

namespace morvelan {
namespace {

// The run's events as the filter passes them on; the format the run chose
// goes to the window's label as well.
class ShowingInputChoice : public RunEvents {
public:
    ShowingInputChoice(RunEvents& inner, std::function<void(const InputAccount&)> show)
        : inner_(inner), show_(std::move(show))
    {
    }
    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times) override
    {
        inner_.conversionFailed(conversion, text, times);
    }
    bool confirmAbort() override { return inner_.confirmAbort(); }
    void yield() override { inner_.yield(); }
    void inputChosen(const InputAccount& account) override
    {
        show_(account);
        inner_.inputChosen(account);
    }

private:
    RunEvents& inner_;
    std::function<void(const InputAccount&)> show_;
};

} // namespace

void MainWindow::runCommand()
{
    if (running_) return; // the Run button is disabled while a run goes on
    adoptTypedInputPath(); // the run reads the file the field shows
    adoptTypedResultPath(); // and writes the one the other field shows

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
    if (!offerLfOption()) return;

    clearRunDisplay();
    setRunControlsEnabled(false);
    toolkit_.setBusyPointer(true);
    session_.abortFlag.clear();
    ui_->cmd中止->setEnabled(true);

    // Only a ticked box counts; the boxes cannot change during the run.
    session_.options.skipHeaderCheck = ui_->chk入力ファイルのヘッダチェックをしない->checkState() == Qt::Checked;
    session_.options.skipExclusions = ui_->chk除外パターンを一時的に使用しない->checkState() == Qt::Checked;
    session_.options.lfInput = ui_->chkUNIX系LFファイルを対象とする->checkState() == Qt::Checked;
    session_.options.inputFormat = chosenFormat();
    session_.input = {}; // a run that stops before reading leaves no account of an earlier one

    running_ = true;
    runParams_ = session_.params; // the copy the run takes at its start
    ReasonedRefusals reasoned(toolkit_, optionText(*ui_->chk入力ファイルのヘッダチェックをしない));
    UnattendedOnceEnding runToolkit(reasoned, ending_);
    ToolkitRunEvents boxes(runToolkit);
    OncePerRunConversionMessages filtered(boxes, runToolkit, session_.abortFlag); // a fresh one per run
    ShowingInputChoice events(filtered, [this](const InputAccount& account) { showInputAccount(account); });
    const bool succeeded = RunAnalysis(session_, runToolkit, events, *this);
    running_ = false;
    finishRun(succeeded);
}

void MainWindow::clearRunDisplay()
{
    session_.foundCount = 0;
    ui_->txtFoundCnt->setText(QStringLiteral("0"));
    ui_->txtFoundCnt->repaint();
    runResults_.clear();
    runSummary_.clear();
    lineGroup_.clear();
    ui_->txtResult->clear();
    ui_->txtResult->repaint();
    // Empty, they take no room from the list.
    ui_->lblStatus->clear();
    ui_->lblStatus->hide();
    ui_->lblSummary->clear();
    ui_->lblSummary->hide();
    ui_->ProgressBar1->setValue(0);
}

void MainWindow::finishRun(bool succeeded)
{
    ui_->txtResult->setLineCount(runResults_.size());
    ui_->cmd中止->setEnabled(false);
    toolkit_.setBusyPointer(false);
    setRunControlsEnabled(true);
    if (ending_) {
        finishEnding();
        return;
    }
    showRunReport();
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

void MainWindow::showRunReport()
{
    QStringList notices;
    for (const std::string& line : runNotices(session_.input)) notices << toQString(line);
    ui_->lblStatus->setText(notices.join(QLatin1Char('\n')));
    ui_->lblStatus->setVisible(!notices.isEmpty());

    runSummary_ = summariseCandidates(runResults_, session_.bits, runParams_, session_.decodedBits);
    ui_->lblSummary->setText(toQString(leadingGroupText(runSummary_)));
    ui_->lblSummary->show();
    // Each line's group: the records' groups meet the summary's at its best members.
    const auto key = [](const CandidateRecord& r) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(r.interval)) << 32) |
               static_cast<std::uint32_t>(r.index);
    };
    std::unordered_map<std::uint64_t, std::size_t> groupOfBest;
    for (std::size_t g = 0; g < runSummary_.size(); ++g) groupOfBest.emplace(key(runSummary_[g].best), g);
    const std::vector<std::size_t> roots = candidateGroupRoots(runResults_);
    std::unordered_map<std::size_t, std::size_t> groupOfRoot;
    for (std::size_t line = 0; line < runResults_.size(); ++line)
        if (const auto it = groupOfBest.find(key(runResults_[line])); it != groupOfBest.end())
            groupOfRoot.emplace(roots[line], it->second);
    lineGroup_.assign(runResults_.size(), runSummary_.size());
    for (std::size_t line = 0; line < runResults_.size(); ++line)
        if (const auto it = groupOfRoot.find(roots[line]); it != groupOfRoot.end()) lineGroup_[line] = it->second;
}

bool MainWindow::offerLfOption()
{
    // Auto detection takes such a capture as LF by itself; a tdm chosen by
    // hand would read it as one line and find no data.
    QAbstractButton& lf = *ui_->chkUNIX系LFファイルを対象とする;
    if (chosenFormat() != InputFormat::Tdm || lf.isChecked()) return true;
    QFile file(toQString(session_.inputPath));
    if (!file.open(QIODevice::ReadOnly)) return true; // the run reports it
    const QByteArray head = file.read(static_cast<qint64>(kDetectBytes));
    if (!head.contains('\n') || head.contains('\r')) return true;
    if (toolkit_.showMessage(lfOptionQuestion(optionText(lf)), kConfirmCaption, Buttons::OkCancel) != Answer::Ok)
        return false;
    lf.setChecked(true);
    return true;
}

std::string MainWindow::optionText(const QAbstractButton& box) const
{
    return toStdString(QString(box.text()).remove(QLatin1Char('&')));
}

void MainWindow::setRunControlsEnabled(bool enabled)
{
    ui_->cmd入力ファイル->setEnabled(enabled);
    ui_->cmd出力ファイル->setEnabled(enabled);
    ui_->cmbInputFormat->setEnabled(enabled);
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
    if (closeRequested_ && !session_.abortFlag.requested()) closeRequested_ = false;
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
