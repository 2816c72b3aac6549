// morvelan-cli: the headless batch program. It runs the same pipeline as the
// window; what the window shows in message boxes goes to stderr, the window
// lines of reported candidates to stdout.
#include "cli/cli_options.h"
#include "cli/cli_report.h"
#include "cli/console.h"
#include "common/file_identity.h"
#include "common/text.h"
#include "common/toolkit.h"
#include "engine/parameters.h"
#include "files/session.h"
#include "files/file_messages.h"
#include "files/run_analysis.h"
#include "settings/settings.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <unistd.h>

using namespace morvelan;

namespace {

volatile std::sig_atomic_t interrupted = 0;

constexpr std::string_view kMsgOutputIsSettings = "出力ファイルが設定ファイルと同じため処理できません：";
constexpr std::string_view kMsgRasterOutIsUsed =
    "ラスター画像の出力先が入力・出力・設定ファイルと同じため書き出せません：";
constexpr std::string_view kMsgCannotWriteStdout = "標準出力に書き込めません。";

// SIGINT, SIGTERM and SIGHUP end the run as an abort at its next yield, so
// the Result file keeps its header and whole rows and nothing temporary
// stays behind.
void onInterrupt(int signal)
{
    interrupted = 1;
    if (signal == SIGINT) std::signal(SIGINT, SIG_DFL); // a second Ctrl-C ends the program at once
}

void catchSignals()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
    // A closed stdout and a file-size limit show up as failed writes, which
    // the run reports, instead of killing it mid-row.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

int usageError(std::string_view message, const std::string& path)
{
    std::cerr << message << path << '\n';
    return 2;
}

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    const auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

// The Result file path the window derives: the input's folder, "R", its name.
std::string defaultResultPath(const std::string& input)
{
    const std::filesystem::path p(input);
    return (p.parent_path() / ("R" + p.filename().string())).string();
}

struct FieldCheck {
    bool ok;
    std::string_view message;
};

// Values outside the window's field ranges run as given, as settings-file
// values do in the window, after one warning line each.
void warnOutOfRange(const AnalysisParameters& p)
{
    const FieldCheck checks[] = {
        {isValidStartSyncInterval(p.START_SYNC_INTERVAL), kMsgStartSyncInterval},
        {isValidEndSyncInterval(p.END_SYNC_INTERVAL, p.FRAME_ROUNDS, p.BUF_SIZE), kMsgEndSyncInterval},
        {isValidAllowErrBits(p.ALLOW_ERR_BITS), kMsgAllowErrBits},
        {isValidBufSize(p.BUF_SIZE), kMsgBufSize},
        {isValidFrameRounds(p.FRAME_ROUNDS), kMsgFrameRounds},
        {isValidThreshold(p.THRESHOLD, p.FRAME_ROUNDS), kMsgThreshold},
        {isValidIgnoreStartBits(p.IGNORE_START_BITS), kMsgIgnoreStartBits},
    };
    for (const FieldCheck& c : checks)
        if (!c.ok) std::cerr << c.message << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    const auto options = cli::parseCommandLine(argc, argv, exitCode);
    if (!options) return exitCode;

    if (options->settingsFile && !IsUsableSettingsFile(*options->settingsFile))
        return usageError(kMsgSettingsNotRead, *options->settingsFile);

    Session session;
    ResetParameters(session.params);
    ConsoleToolkit toolkit(session, interrupted);
    // Settings-file values over the reset values; an overflow is reported and
    // the keys read before it stay.
    if (options->settingsFile) ReadSettings(session.params, *options->settingsFile, toolkit);

    cli::applyOptions(*options, session.params);

    if (!isValidSyncBitSize(session.params.SYNC_BIT_SIZE)) {
        std::cerr << kMsgSyncBitSize << '\n';
        return 2;
    }
    if (session.params.FRAME_ROUNDS < 0) {
        std::cerr << kMsgFrameRounds << '\n';
        return 2;
    }
    warnOutOfRange(session.params);

    // Paths are opened as given; the header shows their absolute form.
    session.inputOpenName = options->input;
    session.resultOpenName = options->output.empty() ? defaultResultPath(options->input) : options->output;
    session.inputPath = absolutePath(session.inputOpenName);
    session.resultPath = absolutePath(session.resultOpenName);
    session.options.skipHeaderCheck = options->noHeaderCheck;
    session.options.skipExclusions = options->noExclusions;
    session.options.lfInput = options->lf;

    const std::string settingsFile = options->settingsFile.value_or(std::string());
    if (!settingsFile.empty() && isSameFile(session.resultOpenName, settingsFile))
        return usageError(kMsgOutputIsSettings, session.resultOpenName);
    if (const std::string& png = options->report.rasterOut; !png.empty()) {
        if (isNonRegularFile(png)) return usageError(messageNotRegularFile(png), {});
        for (const std::string& other : {session.inputOpenName, session.resultOpenName, settingsFile})
            if (!other.empty() && (isSameFile(png, other) || absolutePath(png) == absolutePath(other)))
                return usageError(kMsgRasterOutIsUsed, png);
    }

    // Like the Run command: check the input before anything is opened.
    if (!FileHasData(session.inputOpenName)) {
        std::cerr << kMsgCannotOpenInputFile << '\n';
        return 1;
    }

    catchSignals();
    const bool textRows = options->report.format == cli::OutputFormat::Text;
    ConsoleView view(!options->quiet && textRows, isatty(2) != 0);
    cli::ReportView report(view, options->report, !options->quiet, cli::stdoutSink(), session);
    SearchSettings search;
    search.threads = options->threads;
    const bool ok = RunAnalysis(session, toolkit, report, search);
    view.finish();
    session.files.closeBoth();
    const bool reported = report.finish(ok, cli::stderrSink());
    const bool printed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (!printed) std::cerr << kMsgCannotWriteStdout << '\n';
    std::cerr << (ok ? kMsgRunFinished : kMsgRunInterrupted) << '\n';
    return ok && reported && printed ? 0 : 1;
}
