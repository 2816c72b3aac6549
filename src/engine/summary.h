#pragma once
// A ranked summary of a finished run's reported candidates.
//
// A run reports the true frame length P again at 2P, 3P, ..., and a sync word
// that is longer than the compared window (or matched with tolerated errors)
// shows as a run of adjacent indexes. The summary folds these echoes into
// groups and ranks the groups by how unlikely their best member is by chance.
//
// Grouping. Two reported candidates (I1, x1) and (I2, x2) are related when
//   - I1 == I2 and the indexes are neighbours on the frame circle:
//     (x2 - x1) mod I1 is 1 or I1 - 1 (index I - 1 is followed by index 0 of
//     the next frame), or
//   - I2 is a multiple of I1 (I2 = m * I1, m >= 2) and x2 mod I1 is x1 or a
//     neighbour of it on the circle of I1, as above.
// The groups are the closure of this relation (union-find): a chain of
// neighbours is one group, and so is an interval with the echoes at its
// multiples. Intervals of which neither is a multiple of the other (1024 and
// 1536, say) join only through a member at a common divisor.
//
// Best member of a group: the highest count; among those the smallest
// interval; among those at that interval the middle index of their run on
// the frame circle (the lower of two middles). With tolerated errors a
// word's count forms a plateau centred on its true position.
//
// Chance model. A frame window of W = min(20, SYNC_BIT_SIZE) random bits
// matches a given pattern within e = ALLOW_ERR_BITS errors with probability
//   p = sum_{k = 0..min(e, W)} C(W, k) / 2^W.
// Over the N = sum of I for I in START..END (I > 0) examined candidates, the
// expected number that reach count c by chance is
//   N * P(Binomial(FRAME_ROUNDS, p) >= c - 1),
// c - 1 being the matching frames beside the reference. At c = THRESHOLD this
// is the run's expected number of chance reports. Exclusion patterns are not
// modelled. Figures are kept as log10 so a long frame count never underflows.
//
// Ranking: smallest expected chance count of the best member first, then
// higher count, then smaller interval, then smaller index.
#include "engine/reported_candidate.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvelan {

struct AnalysisParameters;

// p above. windowBits <= 0 gives 1 (nothing to differ), allowErrBits < 0 gives 0.
long double frameMatchProbability(int windowBits, int allowErrBits);

// log10 of P(Binomial(n, p) >= k); -infinity when that is 0.
long double log10BinomialTail(std::int64_t n, long double p, std::int64_t k);

// N above, as a real number (it can pass 2^63 for values from a settings file).
long double examinedCandidates(const AnalysisParameters& params);

struct ChanceModel {
    int windowBits = 0;
    int allowErrBits = 0;
    long double frameMatch = 0; // p
    long double examined = 0;   // N
    std::int64_t frames = 0;    // FRAME_ROUNDS

    explicit ChanceModel(const AnalysisParameters& params);
    // log10 of the expected number of candidates reaching `count` by chance.
    long double log10ChanceCount(std::int64_t count) const;
};

struct SummaryGroup {
    ReportedCandidate best;
    std::int64_t rows = 0;              // reported candidates it stands for
    long double chanceLog10 = 0;        // log10 expected chance count of `best`
    std::vector<std::int64_t> intervals; // its distinct intervals, ascending
    // The run of its indexes at best.interval that holds best.index, in frame
    // order (firstIndex > lastIndex when the run wraps past the frame end).
    std::int64_t firstIndex = 0;
    std::int64_t lastIndex = 0;
};

std::vector<SummaryGroup> summariseCandidates(const std::vector<ReportedCandidate>& results,
                                             const AnalysisParameters& params);

// A log10 figure as short scientific text: "1.2e-65", "3.4e+00", "0".
std::string formatLog10(long double log10Value);

} // namespace morvelan
