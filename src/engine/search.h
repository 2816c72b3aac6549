#pragma once
// The sync search: for every interval and index, count in how many of the
// following frames the first frame's pattern recurs, and report candidates
// whose count reaches the threshold.
#include "engine/search_kernel.h"

#include <cstdint>
#include <string_view>

namespace morvelan {

class CandidateSink;
class RunView;
class RunState;
class RunEvents;
struct AnalysisParameters;

// Only this many leading character positions decide a match.
inline constexpr int kMatchPositions = SearchPlan::kMatchPositions;

// True when a and b differ in at most allowErrBits of their first 20
// character positions (a position past the end of one text only differs).
bool PatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits);

struct SearchSettings {
    // Threads that compare candidates: 0 one per core, 1 none besides the
    // calling thread. The calling thread alone reports, shows, asks and
    // yields, in interval order, whatever the number.
    int threads = 0;
    SearchKernel kernel = SearchKernel::Auto;
};

// Examines every candidate with `params` (the copy taken when the run
// started) and hands each reported one to `sink`, in order of interval and
// index. Yields to the window about every 20 ms and has an abort confirmed
// when the Abort flag is set. False when an abort was confirmed or the sink
// failed.
bool SearchSync(RunState& session, const AnalysisParameters& params, RunEvents& events, RunView& view,
                CandidateSink& sink, const SearchSettings& settings = {});

} // namespace morvelan
