#pragma once
// A ranked summary of a finished run's reported candidates: for each group of
// related candidates, the frame interval, where the sync word starts, what it
// is, and how unlikely the group is to be chance.
//
// Grouping. A run reports the true frame length P again at 2P, 3P, ..., and a
// sync word matched with tolerated errors (or longer than the compared
// window) shows as a run of adjacent indexes. Two reported candidates
// (I1, x1) and (I2, x2) are related when
//   - I1 == I2 and the indexes are neighbours on the frame circle:
//     (x2 - x1) mod I1 is 1 or I1 - 1, or
//   - I2 = m * I1 (m >= 2) and x2 mod I1 is x1 or a neighbour of it.
// The groups are the closure of this relation (union-find).
//
// Best member at an interval: the highest count there, the middle one of a
// tied run on the frame circle (the lower of two middles).
//
// Fixed region. The capture (decoded cells from IGNORE_START_BITS + 1) is
// folded at the interval; an offset is fixed when one value holds in at
// least kFixedShare of the whole frames. A fixed region is a run of fixed
// offsets that holds a member, reported with its start, length and majority
// bits in hex, as captured.
//
// Sync offset and word. A published sync word (known_sync_words.h) or its
// complement inside the fixed region (ALLOW_ERR_BITS differing bits per 64
// bits of the word tolerated, see findKnownSyncWord) names the word and pins
// the sync offset to where it starts; a complement means the capture's
// polarity is inverted. Otherwise the region's words between fills
// (wordSegments) are candidates, chosen in this order:
//   - one a frame counter follows: an offset whose bit flips from each frame
//     to the next lies 24 to 80 bits after the word's start on the 8-bit grid
//     it sets (the word then starts on that grid: after fill at the last grid
//     offset up to where the fill run really ends, as a word's first bits may
//     continue the fill; else at the first grid offset from the word's start);
//   - one that reads like a designed sync word: its SYNC_BIT_SIZE bits lie in
//     the region, hold 3/8 to 5/8 ones and agree with themselves shifted by
//     one bit in at most 3/4 of the places (status words are mostly one value);
//   - the least likely by chance.
// The word is the SYNC_BIT_SIZE majority bits from the offset. Without a
// fixed region the offset is the best member's index.
//
// Chance model ("capture"). A word (the published word, or the region's
// least likely word between fills) is cut into pieces of
// W = min(20, SYNC_BIT_SIZE) bits; a piece's share is the share of the
// capture's W-bit windows within the tolerated errors of it
// (CaptureStatistics; a shorter last piece tolerates proportionally fewer
// errors). A frame repeats the word by chance with q = the product of the
// shares of its two rarest pieces (not of all: the pieces of a long constant
// stretch are far from independent). Fill and constant levels, which the
// capture is full of, come out likely; a sync word that turns up once a
// frame unlikely. Without a region the word is the W bits at the best
// member. Over the N = sum of I for I in START..END (I > 0) examined
// candidates, the expected number of chance hits as strong as this one is
//   N * P(Binomial(K - 1, q) >= a - 1)
// where K is the number of whole frames of the capture at the interval and a
// the number whose W bits at the sync offset lie within the tolerated errors
// of the word (over the compared frames and the best member's count when
// fewer than two frames fold), kept as log10 so that it never underflows.
// Each interval of a group that comes near the group's highest count and
// each fixed region there is read. At one interval the reading chosen as
// above (published word, counter, sync-like, least likely) stands; between
// intervals a published word first, then the interval whose least likely
// reading is least likely.
//
// Ranking: groups holding a published word first; then the groups of one
// interval together, ordered by their interval's least likely reading (the
// fixed regions of status words prove the frame as well as its sync word
// does); within an interval the counter-followed, then the sync-like, then
// the smallest expected chance count; then the higher count, the smaller
// sync offset.
#include "engine/bit_buffer.h"
#include "engine/candidate_record.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

struct AnalysisParameters;

inline constexpr std::string_view kChanceModelName = "capture";

// Probability that W uniform random bits lie within e errors of a pattern:
// sum_{k <= e} C(W, k) / 2^W. windowBits <= 0 gives 1, allowErrBits < 0 gives 0.
long double frameMatchProbability(int windowBits, int allowErrBits);

// log10 of P(Binomial(n, p) >= k); -infinity when that is 0.
long double log10BinomialTail(std::int64_t n, long double p, std::int64_t k);

// N above, as a real number (it can pass 2^63 for values from a settings file).
long double examinedCandidates(const AnalysisParameters& params);

struct SummaryGroup {
    CandidateRecord best;                // its best member, as reported
    std::int64_t interval = 0;           // the frame interval it stands for
    std::int64_t syncOffset = 0;         // the index where the sync word starts
    std::string syncBits;                // the sync word, normal polarity, "0"/"1"
    std::string syncHex;                 // the same in hex
    std::string syncName;                // a published word's name, else empty
    bool inverted = false;               // the capture holds the word's complement
    std::int64_t fixedStart = 0;         // the fixed region (length 0: none)
    std::int64_t fixedLength = 0;
    std::string fixedHex;                // its bits as captured, in hex
    bool counterFollows = false;         // a frame counter's lowest bit follows the word
    bool syncLike = false;               // a balanced, fixed word that is not fill
    std::int64_t rows = 0;               // reported candidates it stands for
    long double frameChanceLog10 = 0;    // log10 q
    long double chanceLog10 = 0;         // log10 expected chance count
    long double intervalChanceLog10 = 0; // the least likely reading at `interval`
    std::vector<std::int64_t> intervals; // its distinct intervals, ascending
    // The run of its indexes at `interval` that holds best.index, in frame
    // order (firstIndex > lastIndex when the run wraps past the frame end).
    std::int64_t firstIndex = 0;
    std::int64_t lastIndex = 0;
};

// `decodedBits`: the cells 1 .. decodedBits that hold the capture; 0 when
// unknown, then MAX_INPUT_BITS cells count.
std::vector<SummaryGroup> summariseCandidates(const CandidateRecords& records, const BitBuffer& bits,
                                             const AnalysisParameters& params, std::int32_t decodedBits = 0);

// The group of each record under the relation above: the smallest row of
// its group (a record whose interval is not positive is a group of its own).
std::vector<std::size_t> candidateGroupRoots(const CandidateRecords& records);

// A log10 figure as short scientific text: "1.2e-65", "3.4e+00", "0".
std::string formatLog10(long double log10Value);

} // namespace morvelan
