#pragma once
// The Result file: an 18-line ";" header that records the run, then one row
// per reported candidate in 14-column print zones. CP932, CR LF.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

class Session;
class Toolkit;
struct AnalysisParameters;

inline constexpr int kPrintZoneWidth = 14;

std::vector<std::string> ResultHeaderLines(const std::string& inputPath, const std::string& resultPath,
                                           const AnalysisParameters& params, bool exclusionsOff);

// Appends PadLeft(width, " ", value) for a number: the rightmost `width`
// characters of `width` spaces followed by the decimal text.
void appendPadded(std::string& out, std::int64_t value, int width);

// Appends one row, CR LF included. Field 4 starts at the first zone start
// after the last character of field 3.
void appendResultRow(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                     std::string_view hex, std::int64_t count);
// Appends one window line of the result list, CR LF included.
void appendWindowLine(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                      std::string_view hex, std::int64_t count);

// Checks the input, makes the LF copy when asked, opens the input as file 1
// and the Result file as file 2 and writes the header. False with no message
// when the input is missing or empty; false with one message naming the file
// when a file cannot be opened or written.
bool OpenRunFiles(Session& session, const AnalysisParameters& params, Toolkit& toolkit);

} // namespace morvelan
