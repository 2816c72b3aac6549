// morvelan-cli: the headless batch program. It runs the same pipeline as the
// window; what the window shows in message boxes goes to stderr, the window
// lines of reported candidates to stdout.
#include "cli/batch_setup.h"
#include "cli/cli_report.h"
#include "cli/console.h"
#include "cli/console_events.h"
#include "cli/end_signals.h"
#include "cli/frames_out.h"
#include "cli/list_channels.h"
#include "common/text.h"
#include "files/input_messages.h"
#include "files/run_analysis.h"
#include "files/session.h"
#include "platform/system.h"

#include <iostream>

using namespace morvelan;

namespace {

constexpr std::string_view kMsgCannotWriteStdout = "標準出力に書き込めません。";

} // namespace

int main(int argc, char** argv)
{
    platform::prepareConsoleForUtf8();
    Session session;
    ConsoleToolkit toolkit(session, cli::endRequested());
    cli::CliOptions options;
    if (const auto refused = cli::prepareRun(argc, argv, session, toolkit, options)) return *refused;
    if (options.listChannels) return cli::listChannels(options);
    toolkit.setAllMessages(options.allMessages);

    // Like the Run command: check the input before anything is opened.
    if (!FileHasData(session.inputOpenName)) {
        std::cerr << kMsgCannotOpenInputFile << '\n';
        return 1;
    }

    cli::catchEndSignals();
    const bool textRows = options.report.format == cli::OutputFormat::Text;
    ConsoleView view(!options.quiet && textRows, platform::isTerminal(2));
    cli::ReportView report(view, options.report, !options.quiet, cli::stdoutSink(), session);
    SearchSettings search;
    search.threads = options.threads;
    cli::ConsoleRunEvents events(toolkit, options.bitOrder);
    const bool ok = RunAnalysis(session, toolkit, events, report, search);
    view.finish();
    // A classic run's stderr stays as it always was; the summary says it.
    if (ok && session.input.format != InputFormat::Tdm && session.input.framesPastDataFrom)
        std::cerr << messageFramesPastData(*session.input.framesPastDataFrom) << '\n';
    session.files.closeBoth();
    // Frames out: from the summary's first entry, after a completed run.
    bool framesWritten = true;
    std::optional<ExtractionResult> frames;
    std::vector<SummaryGroup> groups;
    if (ok && (options.extract.path || options.report.summary)) {
        groups = report.summarise();
        frames = cli::framesOut(session, options, groups, cli::stderrSink(), framesWritten);
    }
    const bool reported =
        report.finish(ok, cli::stderrSink(), frames ? &groups : nullptr, frames ? &*frames : nullptr) && framesWritten;
    const bool printed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (!printed) std::cerr << kMsgCannotWriteStdout << '\n';
    toolkit.printLeftOut();
    // The last line agrees with the exit code.
    const bool success = ok && reported && printed;
    std::cerr << (success ? kMsgRunFinished : kMsgRunInterrupted) << '\n';
    return success ? 0 : 1;
}
