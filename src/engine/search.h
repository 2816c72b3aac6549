#pragma once
// The sync search: for every interval and index, count in how many of the
// following frames the first frame's pattern recurs, and report candidates
// whose count reaches the threshold.
#include <cstdint>
#include <string_view>

namespace morvelan {

class RunView;
class Session;
class Toolkit;
struct AnalysisParameters;

inline constexpr std::string_view kMsgAbortQuestion = "中止してよろしいですか？";
// Only this many leading character positions decide a match.
inline constexpr int kMatchPositions = 20;

// True when a and b differ in at most allowErrBits of their first 20
// character positions (a position past the end of one text only differs).
bool PatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits);

// Examines every candidate with `params` (the copy taken when the run
// started), appends reported lines to the view and rows to file 2. False
// when the user confirmed an abort or a row could not be written.
bool SearchSync(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunView& view);

} // namespace morvelan
