#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace morvelan::cli {

std::optional<CliOptions> parseCommandLine(int argc, char** argv, int& exitCode)
{
    CliOptions o;
    CLI::App app{"Morvelan batch analysis: finds the frame sync of a captured bit stream.", "morvelan-cli"};
    app.add_option("INPUT", o.input, "Input data file (hex digits, one header line)")->required();
    app.add_option("-o,--output", o.output, "Result file (default: the input's folder, \"R\", the input's name)");
    app.add_option("--settings", o.settingsFile,
                   "Load the parameters from this INI file first; options given here win")
        ->check(CLI::ExistingFile);
    app.add_option("--start-interval", o.startInterval, "First frame interval in bits (default 300)");
    app.add_option("--end-interval", o.endInterval, "Last frame interval in bits (default 700)");
    app.add_option("--sync-bits", o.syncBits, "Sync word width: 4, 8, ..., 64 (default 20)");
    app.add_option("--allow-errors", o.allowErrors, "Tolerated bit errors (default 2)");
    app.add_option("--ignore-bits", o.ignoreBits, "Leading bits to skip (default 0)");
    app.add_option("--frames", o.frames, "Frames compared with the first one (default 20)");
    app.add_option("--threshold", o.threshold, "Least recurrence count reported (default 10)");
    app.add_option("--buffer-size", o.bufferSize, "Buffer size in bits (default 300000)");
    app.add_option("--exclude", o.excludes,
                   "Exclusion pattern, repeatable up to five times; replaces the settings file's patterns")
        ->allow_extra_args(false) // one pattern per --exclude: never swallow INPUT
        ->take_all();
    app.add_flag("--no-header-check", o.noHeaderCheck, "Do not check the input's header line");
    app.add_flag("--no-exclusions", o.noExclusions, "Do not use the exclusion patterns");
    app.add_flag("--lf", o.lf, "The input's lines end in LF");
    app.add_flag("-q,--quiet", o.quiet, "Do not print the reported candidates");
    app.add_option("--threads", o.threads, "Threads that compare candidates (default: every core; 1: no extra thread)")
        ->check(CLI::Range(1, 256));
    addReportOptions(app, o.report);
    try {
        app.parse(argc, argv);
        if (o.excludes.size() > 5) throw CLI::ValidationError("--exclude", "at most five exclusion patterns");
    } catch (const CLI::CallForHelp& e) {
        exitCode = app.exit(e);
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        exitCode = 2;
        return std::nullopt;
    }
    exitCode = 0;
    return o;
}

void applyOptions(const CliOptions& o, AnalysisParameters& p)
{
    auto apply = [](const std::optional<std::int32_t>& given, std::int32_t& target) {
        if (given) target = *given;
    };
    apply(o.startInterval, p.START_SYNC_INTERVAL);
    apply(o.endInterval, p.END_SYNC_INTERVAL);
    apply(o.syncBits, p.SYNC_BIT_SIZE);
    apply(o.allowErrors, p.ALLOW_ERR_BITS);
    apply(o.ignoreBits, p.IGNORE_START_BITS);
    apply(o.frames, p.FRAME_ROUNDS);
    apply(o.threshold, p.THRESHOLD);
    apply(o.bufferSize, p.BUF_SIZE);
    if (!o.excludes.empty()) {
        p.EXCLUDE_PAT = {};
        for (std::size_t i = 0; i < o.excludes.size() && i < p.EXCLUDE_PAT.size(); ++i) p.EXCLUDE_PAT[i] = o.excludes[i];
    }
}

} // namespace morvelan::cli
