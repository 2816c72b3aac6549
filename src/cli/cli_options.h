#pragma once
// Command line of the batch program.
#include "cli/cli_report.h"
#include "files/parameter_table.h"
#include "files/frame_output.h"
#include "formats/input_format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvelan::cli {

inline constexpr int kMaxThreads = 256;

// Frames out: where, how, and what to lock onto.
struct ExtractOptions {
    std::optional<std::string> path;                // --extract
    std::optional<ExtractFormat> format;            // --extract-format; none: by extension
    std::optional<std::string> lockSync;            // --lock-sync, as "0"/"1"
    std::optional<std::int32_t> lockInterval;       // --lock-interval
    std::optional<std::int32_t> wordBits;           // --word-bits
};

// A sync word given as hex digits, or "0b" and binary digits, as "0"/"1"
// text; nullopt when malformed or longer than 64 bits.
std::optional<std::string> parseSyncWord(std::string_view text);

struct CliOptions {
    std::string input;
    std::optional<std::string> output; // none: the input's folder, "R", the input's name
    std::optional<std::string> settingsFile;
    // The eight parameters given on the command line, by ParameterField.
    std::array<std::optional<std::int32_t>, kParameterCount> numbers;
    std::vector<std::string> excludes;
    bool noHeaderCheck = false;
    bool noExclusions = false;
    bool lf = false;
    InputFormat inputFormat = InputFormat::Auto;
    BitOrder bitOrder = BitOrder::Msb;
    std::optional<std::uint16_t> channel; // ch10
    bool listChannels = false;             // ch10: list the channels, run nothing
    bool quiet = false;
    bool allMessages = false; // no cap on repeated stderr texts
    int threads = 0;          // 0: every core; 1: no worker threads
    ReportOptions report; // --format, --summary, --raster ...
    ExtractOptions extract;
};

// Parses argv. On --help prints usage and returns exit code 0 in `exitCode`;
// on a usage error prints it and sets 2. Returns nullopt in both cases.
std::optional<CliOptions> parseCommandLine(int argc, char** argv, int& exitCode);

// A whole number in decimal (an optional sign, then digits; leading zeros
// change nothing); nullopt when empty, malformed or outside 32 bits.
std::optional<std::int32_t> parseDecimal(std::string_view text);

// Applies the options given on the command line over `params`.
void applyOptions(const CliOptions& options, AnalysisParameters& params);

} // namespace morvelan::cli
