#pragma once
// One reported candidate as a record, and the way back from a window line of
// the result list to the candidate it stands for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

struct ReportedCandidate {
    std::int64_t interval = 0;
    std::int64_t index = 0;
    std::string pattern; // "0"/"1" text of the reference pattern
    std::string hex;     // its hexadecimal text
    std::int64_t count = 0; // recurrence count, reference frame included

    bool operator==(const ReportedCandidate&) const = default;
};

// The pieces of a window line as it shows them. The line keeps only the
// last four digits of the interval and index and the last five of the count,
// so these may be cut numbers; findReportedCandidate resolves them exactly.
struct WindowLineFields {
    std::int64_t interval = 0;
    std::int64_t index = 0;
    std::string pattern;
    std::string hex;
    std::int64_t count = 0;
};

// Takes a window line apart; the CR LF (or a lone LF) at its end is optional.
// nullopt when the text is not a window line.
std::optional<WindowLineFields> parseWindowLine(std::string_view line);

// The first candidate of `results` whose window line is `line` (CR LF
// optional), or nullptr. Needed because a shown number can be cut to its last
// digits; two candidates whose lines are equal cannot be told apart here.
const ReportedCandidate* findReportedCandidate(std::string_view line, const std::vector<ReportedCandidate>& results);

} // namespace morvelan
