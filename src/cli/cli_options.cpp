#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <iostream>

namespace morvelan::cli {

std::optional<std::int32_t> parseDecimal(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

namespace {

// Numbers on the command line are decimal, leading zeros included; an empty
// value is an error, not "not given".
void addNumber(CLI::App& app, const std::string& name, std::optional<std::int32_t>& target, const std::string& help)
{
    app.add_option_function<std::string>(
           name,
           [&target, name](const std::string& text) {
               target = parseDecimal(text);
               if (!target) throw CLI::ValidationError(name, "expected a decimal whole number, got '" + text + "'");
           },
           help)
        ->type_name("INT");
}

// A file name; empty is an error, not "the default".
void addPath(CLI::App& app, const std::string& name, std::optional<std::string>& target, const std::string& help)
{
    app.add_option_function<std::string>(
           name,
           [&target, name](const std::string& text) {
               if (text.empty()) throw CLI::ValidationError(name, "expected a file name, got ''");
               target = text;
           },
           help)
        ->type_name("FILE");
}

// A name from a fixed list, turned into its value by `parse`.
template <typename T, typename Parse>
void addChoice(CLI::App& app, const std::string& name, T& target, Parse parse, const std::string& names,
               const std::string& help)
{
    app.add_option_function<std::string>(
           name,
           [&target, name, parse, names](const std::string& text) {
               const auto value = parse(text);
               if (!value) throw CLI::ValidationError(name, "expected one of " + names + ", got '" + text + "'");
               target = *value;
           },
           help + " (" + names + ")")
        ->type_name("NAME");
}

void addInputOptions(CLI::App& app, CliOptions& o)
{
    addChoice(app, "--input-format", o.inputFormat, parseFormatName, "auto|tdm|hex|bits|u8|bin|ch10",
              "Input format; auto tells the binary kinds apart and reads text as the classic hex capture");
    addChoice(app, "--bit-order", o.bitOrder, parseBitOrderName, "msb|lsb",
              "Order of the bits in each byte of a bin input (default msb)");
    app.add_option_function<std::string>(
           "--channel",
           [&o](const std::string& text) {
               const auto id = parseDecimal(text);
               if (!id || *id < 0 || *id > 0xFFFF) throw CLI::ValidationError("--channel", "expected 0..65535, got '" + text + "'");
               o.channel = static_cast<std::uint16_t>(*id);
           },
           "Chapter 10 channel ID to read (default: the lowest PCM channel)")
        ->type_name("ID");
    app.add_flag("--list-channels", o.listChannels,
                 "List the channels of a Chapter 10 input and exit; runs no search and writes no Result file");
}

void addExtractOptions(CLI::App& app, ExtractOptions& o)
{
    addPath(app, "--extract", o.path,
            "Write the frames found to this file (CSV; .json and .bin choose those formats)");
    addChoice(app, "--extract-format", o.format, parseExtractFormat, "csv|json|bin",
              "Format of the --extract file (default: by its extension, else csv)");
    app.add_option_function<std::string>(
           "--lock-sync",
           [&o](const std::string& text) {
               o.lockSync = parseSyncWord(text);
               if (!o.lockSync)
                   throw CLI::ValidationError("--lock-sync", "expected hex digits or 0b and binary digits (up to 64 bits), got '" + text + "'");
           },
           "Lock onto this sync word (hex, or 0b followed by binary); needs --lock-interval")
        ->type_name("WORD");
    addNumber(app, "--lock-interval", o.lockInterval, "Frame length in bits for --lock-sync");
    addNumber(app, "--word-bits", o.wordBits,
              "Word size of the extracted frames, 1-64 (default: the recording's setup, else 8)");
}

// Contradictions among the frames-out options, found before the run.
void checkExtractOptions(const ExtractOptions& o)
{
    if (o.lockSync.has_value() != o.lockInterval.has_value())
        throw CLI::ValidationError("--lock-sync", "--lock-sync and --lock-interval go together");
    if (o.lockInterval && *o.lockInterval < 1) throw CLI::ValidationError("--lock-interval", "expected a frame length of at least 1 bit");
    if (o.lockSync && o.lockInterval && static_cast<std::int64_t>(o.lockSync->size()) > *o.lockInterval)
        throw CLI::ValidationError("--lock-sync", "the sync word is longer than the frame");
    if (o.wordBits && (*o.wordBits < 1 || *o.wordBits > 64)) throw CLI::ValidationError("--word-bits", "expected 1..64");
}

} // namespace

std::optional<std::string> parseSyncWord(std::string_view text)
{
    std::string bits;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
        for (const char c : text.substr(2)) {
            if (c != '0' && c != '1') return std::nullopt;
            bits += c;
        }
    } else {
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
        for (const char c : text) {
            const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (v < 0) return std::nullopt;
            for (int k = 3; k >= 0; --k) bits += static_cast<char>('0' + ((v >> k) & 1));
        }
    }
    if (bits.empty() || bits.size() > 64) return std::nullopt;
    return bits;
}

std::optional<CliOptions> parseCommandLine(int argc, char** argv, int& exitCode)
{
    CliOptions o;
    CLI::App app{"Morvelan batch analysis: finds the frame sync of a captured bit stream.", "morvelan-cli"};
    app.allow_windows_style_options(false); // "/data/in.txt" is a path on every system
    app.add_option("INPUT", o.input, "Input data file (see --input-format)")
        ->required()
        ->check([](const std::string& name) { return name.empty() ? std::string("expected a file name, got ''") : std::string(); },
                "FILE");
    addPath(app, "-o,--output", o.output, "Result file (default: the input's folder, \"R\", the input's name)");
    addPath(app, "--settings", o.settingsFile, "Load the parameters from this INI file first; options given here win");
    app.set_version_flag("--version", std::string("morvelan-cli ") + MORVELAN_VERSION);
    for (const ParameterEntry& entry : parameterTable())
        addNumber(app, std::string(entry.option), o.numbers[static_cast<std::size_t>(entry.field)],
                  std::string(entry.optionHelp) + " (default " + std::to_string(entry.resetValue) + ")");
    app.add_option("--exclude", o.excludes,
                   "Exclusion pattern, repeatable up to five times; replaces the settings file's patterns")
        ->allow_extra_args(false) // one pattern per --exclude: never swallow INPUT
        ->take_all();
    app.add_flag("--no-header-check", o.noHeaderCheck, "Do not check the input's header line");
    app.add_flag("--no-exclusions", o.noExclusions, "Do not use the exclusion patterns");
    app.add_flag("--lf", o.lf, "The input's lines end in LF");
    addInputOptions(app, o);
    app.add_flag("-q,--quiet", o.quiet, "Do not print the reported candidates");
    app.add_flag("--all-messages", o.allMessages,
                 "Print every message; by default each distinct text is printed at most 100 times");
    std::optional<std::int32_t> threads;
    addNumber(app, "--threads", threads, "Threads that compare candidates (default: every core; 1: no extra thread)");
    addReportOptions(app, o.report);
    addExtractOptions(app, o.extract);
    try {
        app.parse(argc, argv);
        if (o.excludes.size() > 5) throw CLI::ValidationError("--exclude", "at most five exclusion patterns");
        if (threads && (*threads < 1 || *threads > kMaxThreads))
            throw CLI::ValidationError("--threads", "expected 1.." + std::to_string(kMaxThreads));
        if (threads) o.threads = *threads;
        checkExtractOptions(o.extract);
        o.report.keepRecords = o.extract.path.has_value();
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
    for (const ParameterEntry& entry : parameterTable())
        if (const auto& given = o.numbers[static_cast<std::size_t>(entry.field)]) p.*entry.member = *given;
    if (!o.excludes.empty()) {
        p.EXCLUDE_PAT = {};
        for (std::size_t i = 0; i < o.excludes.size() && i < p.EXCLUDE_PAT.size(); ++i) p.EXCLUDE_PAT[i] = o.excludes[i];
    }
}

} // namespace morvelan::cli
