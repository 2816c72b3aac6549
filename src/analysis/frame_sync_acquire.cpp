#include "analysis/frame_sync_acquire.h"

#include "analysis/known_sync_words.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace morvelan::framesync {
namespace {

// Acquisition in short:
// 1. every W-bit window that is not fill-like votes for the distance to the
//    previous window of the same value (exact repeats: the sync word repeats
//    exactly in most frames even with bit errors);
// 2. the intervals with the most votes are looked at; within one, the
//    phases whose windows repeat, and that start such a run (the bit before
//    varies), are the candidate words;
// 3. a candidate counts when its word, taken from one frame, recurs in the
//    next K frames within E errors and +-S bits, K from recurrencesNeeded;
// 4. the smallest interval whose word recurs about as well as the best one
//    wins (a multiple of the interval recurs as well, never better); within
//    it, a published word, then a balanced one, then the shortest constant
//    run (see choose).

// Many: a pseudo-randomised idle field repeats every 255 bits, and its
// windows vote for 255 and its multiples.
constexpr int kIntervalsLooked = 32;
constexpr int kPhasesLooked = 48;
// A bit that differs from its majority in less than this share of the
// frames is steady.
constexpr double kSteady = 0.15;
// Frames a window must hold to tell where a constant stretch starts: a
// varying bit before a sync word looks steady (at most 2 of 16 differ) by
// chance once in 240; a sync bit at a bit error rate of 0.4 % looks
// unsteady once in 28000.
constexpr int kFramesForPlace = 16;
// Recurrence shares this close count as equal.
constexpr double kRecurrenceSlack = 0.15;
// Noise may pass once in this many acquisitions.
constexpr double kChance = 1e-6;
// The synchroniser tries a run's windows again as more bits arrive: the
// candidates of up to this many attempts count.
constexpr double kAttempts = 64;

struct View {
    const PackedBits& bits;
    std::int64_t from;
    std::int64_t count;
    int width;
    std::uint64_t at(std::int64_t r) const { return bits.window(from + r, width); }
};

struct Candidate {
    std::int64_t interval = 0;
    std::int64_t phase = 0;
    std::uint64_t word = 0;
    double recurrence = 0;
    bool known = false;
    int imbalance = 0;
    int width = 0;
    std::int64_t run = 0; // the repeating bits from the word's start on
};

double log2Binomial(int n, int k)
{
    return (std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0)) / std::log(2.0);
}

// Each window votes for the distance back to the last window of the same value.
std::vector<std::pair<std::int64_t, std::int64_t>> repeats(const View& v, std::int64_t lo, std::int64_t hi, int errors)
{
    std::vector<std::pair<std::uint64_t, std::int64_t>> windows;
    windows.reserve(static_cast<std::size_t>(std::max<std::int64_t>(v.count - v.width + 1, 0)));
    for (std::int64_t r = 0; r + v.width <= v.count; ++r) {
        const std::uint64_t w = v.at(r);
        if (!fillLike(w, v.width, errors)) windows.emplace_back(w, r);
    }
    std::sort(windows.begin(), windows.end());
    std::vector<std::pair<std::int64_t, std::int64_t>> gaps; // (interval, earlier position)
    for (std::size_t i = 1; i < windows.size(); ++i) {
        if (windows[i].first != windows[i - 1].first) continue;
        const std::int64_t gap = windows[i].second - windows[i - 1].second;
        if (gap >= lo && gap <= hi) gaps.emplace_back(gap, windows[i - 1].second);
    }
    std::sort(gaps.begin(), gaps.end());
    return gaps;
}

// The errors of the best place within +-slip of `expected`, and that place.
std::pair<int, std::int64_t> bestNear(const View& v, std::uint64_t word, std::int64_t expected, int slip)
{
    int best = v.width + 1;
    std::int64_t at = expected;
    for (int d = -slip; d <= slip; ++d) {
        const std::int64_t r = expected + d;
        if (r < 0 || r + v.width > v.count) continue;
        const int e = popcount(v.at(r) ^ word);
        if (e < best || (e == best && std::abs(d) < std::abs(at - expected))) {
            best = e;
            at = r;
        }
    }
    return {best, at};
}

// The first frame whose word recurs in the next `needed` frames in a row; -1: none.
std::int64_t recursInARow(const View& v, std::int64_t interval, std::int64_t phase, int errors, int slip, int needed)
{
    for (std::int64_t start = phase; start + needed * interval + v.width <= v.count; start += interval) {
        const std::uint64_t word = v.at(start);
        if (fillLike(word, v.width, errors)) continue;
        std::int64_t pos = start;
        int found = 0;
        while (found < needed) {
            const auto [e, at] = bestNear(v, word, pos + interval, slip);
            if (e > errors) break;
            pos = at;
            ++found;
        }
        if (found == needed) return start;
    }
    return -1;
}

// The candidate's word (the bitwise majority of the frames it is found in)
// and its share of the window's frames, followed with +-slip.
Candidate measure(const View& v, std::int64_t interval, std::int64_t phase, std::uint64_t first, int errors, int slip)
{
    std::vector<int> ones(static_cast<std::size_t>(v.width), 0);
    int frames = 0, found = 0;
    std::int64_t pos = phase;
    for (std::int64_t expected = phase; expected + v.width <= v.count; expected = pos + interval) {
        ++frames;
        const auto [e, at] = bestNear(v, first, expected, slip);
        pos = expected;
        if (e > errors) continue;
        pos = at;
        ++found;
        const std::uint64_t w = v.at(at);
        for (int j = 0; j < v.width; ++j) ones[static_cast<std::size_t>(j)] += static_cast<int>((w >> j) & 1);
    }
    Candidate c;
    c.interval = interval;
    c.phase = phase;
    for (int j = 0; j < v.width; ++j)
        if (2 * ones[static_cast<std::size_t>(j)] > found) c.word |= std::uint64_t{1} << j;
    c.recurrence = frames > 0 ? static_cast<double>(found) / frames : 0;
    c.imbalance = std::abs(2 * popcount(c.word) - v.width);
    c.width = v.width;
    return c;
}

std::string wordText(std::uint64_t word, int width)
{
    std::string s;
    for (int j = 0; j < width; ++j) s += static_cast<char>('0' + ((word >> j) & 1));
    return s;
}

// Whether the word, or its complement, is a published sync word of this width.
bool isKnown(std::uint64_t word, int width, bool complement)
{
    const std::string text = wordText(complement ? ~word & lowMask(width) : word, width);
    for (const KnownSyncWord& k : knownSyncWords())
        if (knownWordBits(k) == text) return true;
    return false;
}

// The places where a constant stretch of the frame starts (phase, length of
// the stretch in bits), shortest stretch first. Each bit of the frame (at
// exactly one interval apart, over every whole frame of the window) gets
// the share of frames that differ from its majority; it is steady below
// kSteady. A stretch is a run of at least W steady bits after an unsteady
// one: the bit before a sync varies, the bits after it may not (a subframe
// ID's high bits).
// `first`: the bit the block of kFramesForPlace frames looked at starts at
// (blocks one after another, so that a slip spoils only its own).
std::vector<std::pair<std::int64_t, std::int64_t>> steadyStarts(const View& v, std::int64_t interval, std::int64_t first)
{
    const std::int64_t span = 2 * interval + 1; // starts in the first frame, stretches up to a frame long
    const std::int64_t frames = kFramesForPlace;
    if (first + span + (frames - 1) * interval > v.count) return {};
    std::vector<double> unsteady(static_cast<std::size_t>(span), 0);
    for (std::int64_t j = 0; j < span; j += 64) {
        std::vector<int> ones(64, 0);
        for (std::int64_t k = 0; k < frames; ++k) {
            const std::uint64_t w = v.bits.at64(v.from + first + j + k * interval);
            for (int b = 0; b < 64; ++b) ones[static_cast<std::size_t>(b)] += static_cast<int>((w >> b) & 1);
        }
        for (int b = 0; b < 64 && j + b < span; ++b) {
            const int o = ones[static_cast<std::size_t>(b)];
            unsteady[static_cast<std::size_t>(j + b)] = static_cast<double>(std::min<std::int64_t>(o, frames - o)) / static_cast<double>(frames);
        }
    }
    const auto steady = [&](std::int64_t j) { return unsteady[static_cast<std::size_t>(j)] < kSteady; };
    std::vector<std::tuple<double, std::int64_t, std::int64_t>> starts;
    for (std::int64_t phase = 1; phase <= interval; ++phase) {
        if (!steady(phase) || steady(phase - 1)) continue;
        std::int64_t length = 0;
        while (length < interval && phase + length < span && steady(phase + length)) ++length;
        if (length < v.width || fillLike(v.at(first + phase % interval), v.width, v.width / 8)) continue;
        starts.emplace_back(0.0, (first + phase) % interval, length);
    }
    std::stable_sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return std::get<2>(a) < std::get<2>(b); });
    std::vector<std::pair<std::int64_t, std::int64_t>> out;
    for (std::size_t i = 0; i < starts.size() && i < static_cast<std::size_t>(kPhasesLooked); ++i)
        out.emplace_back(std::get<1>(starts[i]), std::get<2>(starts[i]));
    return out;
}

// The intervals with the most votes, at most kIntervalsLooked.
std::vector<std::int64_t> likelyIntervals(const std::vector<std::pair<std::int64_t, std::int64_t>>& gaps)
{
    std::vector<std::pair<int, std::int64_t>> counted; // (-votes, interval)
    for (std::size_t i = 0; i < gaps.size();) {
        std::size_t j = i;
        while (j < gaps.size() && gaps[j].first == gaps[i].first) ++j;
        if (j - i >= 2) counted.emplace_back(-static_cast<int>(j - i), gaps[i].first);
        i = j;
    }
    std::sort(counted.begin(), counted.end());
    std::vector<std::int64_t> out;
    for (std::size_t i = 0; i < counted.size() && i < static_cast<std::size_t>(kIntervalsLooked); ++i) out.push_back(counted[i].second);
    return out;
}

// Designed sync words agree with themselves shifted by one bit in at most
// three places of four; a status word's long runs of 0s and 1s do not.
bool lowCorrelation(const Candidate& x)
{
    if (x.width < 2) return false;
    const std::uint64_t pairs = (std::uint64_t{1} << (x.width - 1)) - 1;
    const int agree = popcount(~(x.word ^ (x.word >> 1)) & pairs);
    return agree * 4 <= (x.width - 1) * 3;
}

// The smallest interval that recurs about as well as the best; within it, a
// published word, then a balanced one with low correlation, then a balanced one (designers balance sync words; status
// words are mostly 0s), then the shortest run of repeating bits: a sync word
// is a short constant island in varying data, while in a long constant
// stretch (an idle field through the randomiser, a block of constant
// words) any W bits would do and none is the frame's start.
const Candidate* choose(const std::vector<Candidate>& found)
{
    double best = 0;
    for (const Candidate& c : found) best = std::max(best, c.recurrence);
    std::int64_t interval = std::numeric_limits<std::int64_t>::max();
    for (const Candidate& c : found)
        if (c.recurrence >= best - kRecurrenceSlack) interval = std::min(interval, c.interval);
    const Candidate* pick = nullptr;
    double inInterval = 0;
    for (const Candidate& c : found)
        if (c.interval == interval) inInterval = std::max(inInterval, c.recurrence);
    for (const Candidate& c : found) {
        if (c.interval != interval || c.recurrence < inInterval - kRecurrenceSlack) continue;
        const auto key = [](const Candidate& x) {
            const bool balanced = x.imbalance * 4 <= x.width;
            return std::tuple(!x.known, !(balanced && lowCorrelation(x)), !balanced, x.run, x.imbalance, -x.recurrence,
                              x.phase);
        };
        if (!pick || key(c) < key(*pick)) pick = &c;
    }
    return pick;
}

} // namespace

FrameSyncSettings clampSettings(const FrameSyncSettings& in)
{
    FrameSyncSettings s = in;
    s.syncBits = std::clamp(s.syncBits, 1, 64);
    s.allowedErrors = std::clamp(s.allowedErrors, 0, (s.syncBits - 1) / 2);
    s.slipWindow = std::clamp(s.slipWindow, 0, 16);
    s.confirmFrames = std::clamp(s.confirmFrames, 0, 16);
    s.coastFrames = std::clamp(s.coastFrames, 0, 1 << 20);
    s.maxInterval = std::clamp<std::int64_t>(s.maxInterval, 1, std::int64_t{1} << 20);
    s.minInterval = std::clamp<std::int64_t>(s.minInterval, 1, s.maxInterval);
    return s;
}

bool fillLike(std::uint64_t word, int width, int errors)
{
    if (width <= 2) return true;
    const int floor = std::max(errors + 1, width / 4);
    for (int shift = 1; shift <= 2; ++shift)
        if (popcount((word ^ (word >> shift)) & lowMask(width - shift)) < floor) return true;
    // Half the word or more of one level or of 0101: a fill run's edge.
    const std::uint64_t same = ~(word ^ (word >> 2)) & lowMask(width - 2);
    int longest = 0, run = 0;
    for (int j = 0; j < width - 2; ++j) {
        run = ((same >> j) & 1) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest + 2 >= (width + 1) / 2 + 2;
}

int recurrencesNeeded(int width, int errors, int slip, double candidates)
{
    // q: the chance that a random window lies within `errors` of a given
    // word; one recurrence is found by chance with at most (2 slip + 1) q.
    // K recurrences in a row over all the candidates tried:
    //   candidates x ((2 slip + 1) q)^K <= kChance.
    double q = 0;
    for (int e = 0; e <= errors && e <= width; ++e) q += std::exp2(log2Binomial(width, e) - width);
    const double once = std::min(1.0, (2 * slip + 1) * q);
    if (once >= 0.5) return 0;
    const double k = std::log(kChance / std::max(candidates * kAttempts, 1.0)) / std::log(once);
    return std::max(2, static_cast<int>(std::ceil(k)));
}

std::optional<FrameFormat> acquire(const PackedBits& bits, std::int64_t from, std::int64_t count, const FrameSyncSettings& s)
{
    const View v{bits, from, count, s.syncBits};
    const int errors = s.allowedErrors, slip = s.slipWindow;
    const std::int64_t lo = std::max<std::int64_t>(s.minInterval, s.syncBits);
    // The widest interval that fits the frames needed: K + 1 for chance (K
    // from recurrencesNeeded), kFramesForPlace for the word's place. Fewer
    // intervals tried need fewer recurrences, so this settles in a few rounds.
    int needed = 2;
    std::int64_t hi = 0;
    for (int round = 0; round < 8; ++round) {
        hi = std::min(s.maxInterval, (count - s.syncBits - slip - 1) / std::max(needed, kFramesForPlace + 1));
        if (hi < lo) return std::nullopt;
        const int k = recurrencesNeeded(s.syncBits, errors, slip, static_cast<double>(hi - lo + 1) * static_cast<double>(count));
        if (k == 0) return std::nullopt;
        if (k == needed) break;
        needed = k;
    }
    hi = std::min(s.maxInterval, (count - s.syncBits - slip - 1) / std::max(needed, kFramesForPlace + 1));
    if (hi < lo) return std::nullopt;

    const auto gaps = repeats(v, lo, hi, errors);
    std::vector<Candidate> found;
    for (const std::int64_t interval : likelyIntervals(gaps)) {
        std::vector<std::pair<std::int64_t, std::int64_t>> places;
        for (std::int64_t first = 0; first < v.count; first += kFramesForPlace * interval) {
            for (const auto& place : steadyStarts(v, interval, first))
                if (std::find_if(places.begin(), places.end(), [&](const auto& p) { return p.first == place.first; }) == places.end())
                    places.push_back(place);
        }
        for (const auto& [phase, run] : places) {
            const std::int64_t start = recursInARow(v, interval, phase, errors, slip, needed);
            if (start < 0) continue;
            Candidate c = measure(v, interval, phase, v.at(start), errors, slip);
            if (fillLike(c.word, s.syncBits, errors)) continue;
            c.run = run;
            c.known = isKnown(c.word, s.syncBits, false) || isKnown(c.word, s.syncBits, true);
            found.push_back(c);
        }
    }
    const Candidate* pick = choose(found);
    if (!pick) return std::nullopt;
    // A published word seen complemented is given in its normal form.
    const bool complement = !isKnown(pick->word, s.syncBits, false) && isKnown(pick->word, s.syncBits, true);
    return FrameFormat{pick->interval, wordText(complement ? ~pick->word & lowMask(s.syncBits) : pick->word, s.syncBits)};
}

} // namespace morvelan::framesync
