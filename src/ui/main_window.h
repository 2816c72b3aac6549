#pragma once
// The program's only window: the input and output file rows with the input
// format, the parameter fields with their live counters, the run's summary
// and notices, the progress bar, the result list and the command buttons.
// Its commands are Run, Abort, Quit, the two browses, save and reset;
// leaving a parameter field runs that field's check first. A file dropped on
// the window becomes the input.
#include "analysis/summary.h"
#include "engine/parameters.h"
#include "engine/reported_candidate.h"
#include "engine/run_state.h"
#include "engine/run_view.h"
#include "settings/settings_location.h"
#include "ui/field_checks.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;

namespace Ui {
class MainWindow;
}

namespace morvelan {

class InputFileDialog;
class Session;
class Toolkit;

class MainWindow : public QWidget, public RunView {
    Q_OBJECT

public:
    // Runs the start-up sequence: reads the settings file at settingsPath
    // and shows the parameters.
    MainWindow(Session& session, Toolkit& toolkit, SettingsLocation settings, QWidget* parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Writes the eight parameters into their fields and the threshold guide.
    void ShowParameters();

    bool isRunning() const { return running_; }

    // The program was told to end (SIGTERM, SIGHUP): a run in progress is
    // aborted without a question, both files are closed and the window
    // closes; the application then exits with code 1.
    void endOnSignal();

    // What a run writes into the window.
    void setProgressRange(std::int32_t min, std::int32_t max) override;
    void setProgressValue(std::int32_t value) override;
    void showInterval(std::int32_t interval) override;
    void showIndex(std::int32_t index) override;
    void clearResults() override;
    // The list derives its lines from the records when it paints them, so
    // the run formats no window line for it.
    bool wantsResultLines() const override { return false; }
    void showFoundCount(std::int32_t count) override;
    void candidateReported(const CandidateRecord& record) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct ParameterFieldBinding {
        QLineEdit* widget = nullptr;
        ParameterField field = ParameterField::StartSyncInterval;
    };

    void startUp();
    void fitToScreen();
    void connectCommands();

    // The commands.
    void runCommand();
    void abortRun();
    void quit();
    void browseInputFile();
    void browseResultFile();
    void saveSettings();
    void resetToDefaults();

    // Closes both files and the window and ends the application (code 1).
    void finishEnding();

    // The Run command's running state: the eight controls it switches.
    void setRunControlsEnabled(bool enabled);
    // Called at every position report of a run: shows the result lines
    // reported since the last one and notices a declined close.
    void onRunPosition();
    // The text of one result line, derived from the run's record.
    QString resultLineText(std::size_t line) const;

    // A double-click on a result line opens the raster viewer at the best
    // offset of the line's group.
    void openRasterAt(std::size_t line);
    // The result list's context menu opens the frame table on the line's
    // group: its interval and sync word.
    void openFrameTableAt(std::size_t line);
    // The Run command's steps: clearing the display, and after the run its
    // ending, its notices, the summary line and the groups of its lines.
    void clearRunDisplay();
    void finishRun(bool succeeded);
    void showRunReport();
    // A capture of LF-only lines read as tdm by hand is offered the LF
    // option before the run. False: no run.
    bool offerLfOption();
    // The check box's text as the window shows it.
    std::string optionText(const QAbstractButton& box) const;

    void checkField(QLineEdit* field, ParameterField which);
    void setFieldToolTips();
    // Leaving the input field with an edited path makes it the input, as a
    // browse would.
    void adoptTypedInputPath();
    // Leaving the output field with an edited path makes it the Result file.
    void adoptTypedResultPath();
    void setInputPath(const std::string& path, const std::optional<std::string>& resultPath);
    void setResultPath(const std::string& path, bool derived);

    // The input format: the combo's choice and, for auto, what the file
    // shows; the label, the field checks and their tips follow it.
    void fillFormatChoices();
    InputFormat chosenFormat() const;
    void setChosenFormat(InputFormat format);
    void showInputFormat();
    void showInputAccount(const InputAccount& account);
    // The folder of the last input, kept across starts in the user's settings.
    std::string lastFolder() const;
    void rememberFolder(const std::string& inputPath);
    void updateTitle();

    std::unique_ptr<Ui::MainWindow> ui_;
    std::array<ParameterFieldBinding, 8> fields_{};
    Session& session_;
    Toolkit& toolkit_;
    SettingsLocation settings_;
    bool running_ = false;
    // The window was asked to close while a run was going on: the run was
    // asked to stop and the window closes once it has ended.
    bool closeRequested_ = false;
    bool destroying_ = false;
    bool ending_ = false; // endOnSignal was called
    // What the last run reported and the parameters it ran with: the result
    // list's lines and the raster viewer are derived from them.
    CandidateRecords runResults_;
    AnalysisParameters runParams_;
    // The run's summary, and for each result line the summary group it is in.
    std::vector<SummaryGroup> runSummary_;
    std::vector<std::size_t> lineGroup_;
    // The format the next run reads (Auto: not known yet); its ranges hold
    // for the interval fields.
    InputFormat runFormat_ = InputFormat::Auto;
    InputFileDialog* inputDialog_ = nullptr; // when the toolkit offers one
};

} // namespace morvelan
