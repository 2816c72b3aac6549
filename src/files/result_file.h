#pragma once
// The Result file: an 18-line ";" header that records the run, then one row
// per reported candidate in 14-column print zones. CP932, CR LF.
#include "files/row_text.h" // the rows' text

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

// The version pair the Result header and the window's version line show. A
// fixed text that readers of Result files match on, kept apart from the
// program's own version (MORVELAN_VERSION).
inline constexpr std::string_view kResultFileVersion = "1.00";
inline constexpr std::string_view kResultFileRevision = "1.00.0043";

class Session;
class Toolkit;
struct AnalysisParameters;

// The Result file path the programs derive from the input's: its folder
// (separator kept), "R", then its file name; a bare name gets "R" before it.
std::string derivedResultPath(std::string_view inputPath);

std::vector<std::string> ResultHeaderLines(const std::string& inputPath, const std::string& resultPath,
                                           const AnalysisParameters& params, bool exclusionsOff,
                                           std::string_view inputSuffix = {});

// Checks the input, opens it as file 1 and settles its format
// (session.input): the one asked for, or auto detection, which reads a
// classic file of LF-only lines as if LF were given. Makes the LF copy when
// LF is given or assumed. False with no message when the input is missing
// or empty; false with one message naming the file when it cannot be read.
bool OpenInputFile(Session& session, Toolkit& toolkit);
// Opens the Result file as file 2, never as a file the run reads, and
// writes the header (its input line ends with the format for formats other
// than the classic one). False with one message naming the file.
bool OpenResultFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit);

// Both of the above: checks the input, makes the LF copy when asked, opens the input as file 1
// and the Result file as file 2 and writes the header. False with no message
// when the input is missing or empty; false with one message naming the file
// when a file cannot be opened or written.
bool OpenRunFiles(Session& session, const AnalysisParameters& params, Toolkit& toolkit);

} // namespace morvelan
