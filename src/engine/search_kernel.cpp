#include "engine/search_kernel.h"

#include "common/utf8.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>

// The vector kernel passes 256-bit values only between functions that are
// inlined into one AVX2 function; the ABI note does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace morvelan {
namespace {

using Word = std::uint64_t;
constexpr int kPositions = SearchPlan::kMatchPositions;

// Bit count of a 20-bit window by two lookups: portable to every x86-64
// (no POPCNT instruction assumed).
struct BitCountTable {
    std::array<std::uint8_t, 1024> counts{};
    constexpr BitCountTable()
    {
        for (unsigned v = 0; v < counts.size(); ++v) counts[v] = static_cast<std::uint8_t>(std::popcount(v));
    }
};
constexpr BitCountTable kBitCounts;

inline int countBits(std::uint32_t w)
{
    return kBitCounts.counts[w & 1023u] + kBitCounts.counts[(w >> 10) & 1023u];
}

constexpr std::uint32_t firstPositions(int width)
{
    return width <= 0 ? 0u : ((1u << width) - 1u);
}

// The 20 cells from p on, cell p in bit 0.
inline std::uint32_t windowAt(const Word* words, std::int64_t p)
{
    const auto i = static_cast<std::size_t>(p >> 6);
    const auto s = static_cast<unsigned>(p & 63);
    Word v = words[i] >> s;
    if (s != 0) v |= words[i + 1] << (64 - s);
    return static_cast<std::uint32_t>(v) & firstPositions(kPositions);
}

// ---- Bit-sliced comparison -------------------------------------------------
// Lane l of a value holds candidate x0 + l. A 64-bit word has 64 lanes; a
// vector of four words 256.

typedef Word Vec4 __attribute__((vector_size(32)));

template <class V> struct LaneOps;

template <> struct LaneOps<Word> {
    static constexpr int kWords = 1;
    static Word splat(Word v) { return v; }
    static Word load(const Word* p) { return *p; }
    static bool none(Word v) { return v == 0; }
    static Word word(Word v, int) { return v; }
    static void setWord(Word& v, int, Word x) { v = x; }
};

template <> struct LaneOps<Vec4> {
    static constexpr int kWords = 4;
    [[gnu::always_inline]] static Vec4 splat(Word v) { return Vec4{v, v, v, v}; }
    [[gnu::always_inline]] static Vec4 load(const Word* p)
    {
        Vec4 v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    [[gnu::always_inline]] static bool none(Vec4 v) { return (v[0] | v[1] | v[2] | v[3]) == 0; }
    [[gnu::always_inline]] static Word word(Vec4 v, int m) { return v[m]; }
    [[gnu::always_inline]] static void setWord(Vec4& v, int m, Word x) { v[m] = x; }
};

// The lanes of cells c, c + 1, ...: lane l is cell c + l.
template <class V> [[gnu::always_inline]] inline V lanesAt(const Word* words, std::int64_t c)
{
    using Ops = LaneOps<V>;
    const Word* p = words + (c >> 6);
    const int s = static_cast<int>(c & 63);
    const V lo = Ops::load(p);
    if (s == 0) return lo;
    return (lo >> s) | (Ops::load(p + 1) << (64 - s));
}

// Window positions 0 .. width-1 of every lane's frame starting at cell c.
template <class V> [[gnu::always_inline]] inline void frameLanes(const Word* words, std::int64_t c, int width, V* out)
{
    const V a = lanesAt<V>(words, c);
    const V b = lanesAt<V>(words, c + 64);
    out[0] = a;
    for (int j = 1; j < width; ++j) out[j] = (a >> j) | (b << (64 - j));
}

// Lanes whose counter (bits[0] lowest, `n` bits) is at least r.
template <class V> [[gnu::always_inline]] inline V atLeast(const V* bits, int n, std::int64_t r)
{
    using Ops = LaneOps<V>;
    if (r <= 0) return Ops::splat(~Word{0});
    if (n < 63 && r >= (std::int64_t{1} << n)) return Ops::splat(0);
    V greater = Ops::splat(0);
    V equal = Ops::splat(~Word{0});
    for (int b = n - 1; b >= 0; --b) {
        if ((r >> b) & 1) {
            equal &= bits[b];
        } else {
            greater |= equal & bits[b];
            equal &= ~bits[b];
        }
    }
    return greater | equal;
}

// Lanes where at most L (0 .. 3) of the n difference words d(j) hold a 1.
// L is a constant so the levels stay in registers.
template <class V, int L, class Diff> [[gnu::always_inline]] inline V atMostFew(int n, Diff d)
{
    using Ops = LaneOps<V>;
    // level[t]: at least t + 1 differences so far.
    V level[L + 1];
    for (int t = 0; t <= L; ++t) level[t] = Ops::splat(0);
    for (int j = 0; j < n; ++j) {
        const V x = d(j);
        for (int t = L; t > 0; --t) level[t] |= level[t - 1] & x;
        level[0] |= x;
        // Every lane already differs too often: the rest cannot help.
        if ((j & 3) == 3 && Ops::none(~level[L])) return Ops::splat(0);
    }
    return ~level[L];
}

// Lanes where at most `limit` of the n difference words d(j) hold a 1.
template <class V, class Diff> [[gnu::always_inline]] inline V atMost(int n, int limit, Diff d)
{
    using Ops = LaneOps<V>;
    if (limit < 0) return Ops::splat(0);
    if (limit >= n) return Ops::splat(~Word{0});
    switch (limit) {
    case 0: return atMostFew<V, 0>(n, d);
    case 1: return atMostFew<V, 1>(n, d);
    case 2: return atMostFew<V, 2>(n, d);
    case 3: return atMostFew<V, 3>(n, d);
    default: break;
    }
    V count[5] = {Ops::splat(0), Ops::splat(0), Ops::splat(0), Ops::splat(0), Ops::splat(0)};
    for (int j = 0; j < n; ++j) {
        V carry = d(j);
        for (int b = 0; b < 5; ++b) {
            const V t = count[b] & carry;
            count[b] ^= carry;
            carry = t;
        }
    }
    return ~atLeast<V>(count, 5, std::int64_t{limit} + 1);
}

// The difference words the comparisons count. Functors, not lambdas: a
// lambda's call operator does not take the AVX2 target of the function it is
// written in, and where the compiler keeps it out of line (clang at -O1) a
// 256-bit value crosses between the two calling conventions and loses its
// upper half.
template <class V> struct FrameDifference {
    V a; // the frame's cells from its start, lane by lane
    V b; // the 64 cells after those
    const V* reference;
    [[gnu::always_inline]] V operator()(int j) const
    {
        return (j == 0 ? a : ((a >> j) | (b << (64 - j)))) ^ reference[j];
    }
};

template <class V> struct ExclusionDifference {
    const V* frame;
    const int* positions; // the pattern's "0"/"1" positions
    std::uint32_t value;
    [[gnu::always_inline]] V operator()(int i) const
    {
        const int j = positions[i];
        return ((value >> j) & 1u) ? ~frame[j] : frame[j];
    }
};

// One block of lanes: candidates x0 .. x0 + lanes - 1 of `interval`, every
// frame of each inside the buffer. `valid` and `convert` mark the lanes in
// range and those whose conversion must be shown.
template <class V>
[[gnu::always_inline]] inline void sliceBlock(const SearchPlan& plan, std::int64_t interval, std::int64_t x0, V valid,
                                              V convert, std::vector<CandidateEntry>& out)
{
    using Ops = LaneOps<V>;
    const Word* words = plan.words();
    const int width = plan.width();
    const std::int64_t frames = plan.frames();
    const std::int64_t needed = plan.needed();
    const int allowed = plan.allowed();
    const int counterBits = std::max(1, static_cast<int>(std::bit_width(static_cast<std::uint64_t>(frames))));
    const std::int64_t c0 = plan.firstCell() + x0;

    V reference[kPositions];
    frameLanes<V>(words, c0, width, reference);
    V count[64];
    for (int b = 0; b < counterBits; ++b) count[b] = Ops::splat(0);
    V frame[kPositions];
    bool alive = true;
    for (std::int64_t k = 1; k <= frames; ++k) {
        // The frame's positions are shifted out of two lane values as the
        // comparison asks for them; most comparisons stop early, and only a
        // frame that matches somewhere is spelt out for the exclusions.
        const std::int64_t c = c0 + k * interval;
        const V a = lanesAt<V>(words, c);
        const V b = lanesAt<V>(words, c + 64);
        V match = atMost<V>(width, allowed, FrameDifference<V>{a, b, reference});
        if (!Ops::none(match) && !plan.fixedExclusions().empty()) frameLanes<V>(words, c, width, frame);
        for (const SearchPlan::FixedExclusion& e : plan.fixedExclusions()) {
            if (Ops::none(match)) break;
            int positions[kPositions];
            int n = 0;
            for (int j = 0; j < width; ++j)
                if ((e.mask >> j) & 1u) positions[n++] = j;
            const V excluded = atMost<V>(n, allowed - e.constant, ExclusionDifference<V>{frame, positions, e.value});
            match &= ~excluded;
        }
        match &= valid;
        V carry = match;
        for (int b = 0; b < counterBits && !Ops::none(carry); ++b) {
            const V t = count[b] & carry;
            count[b] ^= carry;
            carry = t;
        }
        // Early exit: no lane can still reach the report rule.
        const std::int64_t least = needed - (frames - k);
        if (least > 0 && Ops::none(valid & atLeast<V>(count, counterBits, least))) {
            alive = false;
            break;
        }
    }
    const V reported = alive ? (valid & atLeast<V>(count, counterBits, needed)) : Ops::splat(0);
    const V wanted = reported | (valid & convert);
    for (int m = 0; m < Ops::kWords; ++m) {
        Word lanes = Ops::word(wanted, m);
        if (lanes == 0) continue;
        const Word reportedLanes = Ops::word(reported, m);
        const Word convertLanes = Ops::word(convert, m);
        Word counts[64]; // this word's counter bits, taken out of the vectors once
        for (int b = 0; b < counterBits; ++b) counts[b] = Ops::word(count[b], m);
        while (lanes != 0) {
            const int l = std::countr_zero(lanes);
            lanes &= lanes - 1;
            CandidateEntry e;
            e.index = x0 + 64 * m + l;
            e.reported = ((reportedLanes >> l) & 1u) != 0;
            e.needsConversion = ((convertLanes >> l) & 1u) != 0;
            if (e.reported)
                for (int b = 0; b < counterBits; ++b) e.matches |= std::int64_t((counts[b] >> l) & 1u) << b;
            out.push_back(e);
        }
    }
}

// Lanes 0 .. n-1 of a value of V.
template <class V> [[gnu::always_inline]] inline V firstLanes(std::int64_t n)
{
    V v = LaneOps<V>::splat(0);
    for (int m = 0; m < LaneOps<V>::kWords; ++m) {
        const std::int64_t inWord = std::clamp<std::int64_t>(n - 64 * m, 0, 64);
        LaneOps<V>::setWord(v, m, inWord == 64 ? ~Word{0} : ((Word{1} << inWord) - 1));
    }
    return v;
}

// Candidates lo .. hi (all frames inside the buffer), `convertFrom` the first
// whose conversion shows messages.
template <class V>
[[gnu::always_inline]] inline void sliceRange(const SearchPlan& plan, std::int64_t interval, std::int64_t lo,
                                              std::int64_t hi, std::int64_t convertFrom,
                                              std::vector<CandidateEntry>& out)
{
    constexpr int kLanes = 64 * LaneOps<V>::kWords;
    for (std::int64_t x0 = lo; x0 <= hi; x0 += kLanes) {
        const std::int64_t n = std::min<std::int64_t>(kLanes, hi - x0 + 1);
        const V valid = firstLanes<V>(n);
        const V convert = ~firstLanes<V>(std::clamp<std::int64_t>(convertFrom - x0, 0, kLanes));
        sliceBlock<V>(plan, interval, x0, valid, convert, out);
    }
}

void sliceRangeWords64(const SearchPlan& plan, std::int64_t interval, std::int64_t lo, std::int64_t hi,
                       std::int64_t convertFrom, std::vector<CandidateEntry>& out)
{
    sliceRange<Word>(plan, interval, lo, hi, convertFrom, out);
}

[[gnu::target("avx2"), gnu::flatten]] void sliceRangeAvx2(const SearchPlan& plan, std::int64_t interval,
                                                          std::int64_t lo, std::int64_t hi, std::int64_t convertFrom,
                                                          std::vector<CandidateEntry>& out)
{
    // Vectors, the last one partly filled, unless at most one word of lanes
    // is left after the full ones: a partly filled vector costs about what
    // one word does, and far less than the two to four words it replaces.
    // The lanes past `hi` read at most 256 + 64 cells past a frame inside
    // the buffer, which the zero words after it cover.
    static_assert(64 * kPackedPaddingWords >= 256 + 64 + 64 * 5);
    const std::int64_t count = hi - lo + 1;
    const std::int64_t wide = count % 256 > 64 ? hi : lo + count / 256 * 256 - 1;
    if (wide >= lo) sliceRange<Vec4>(plan, interval, lo, wide, convertFrom, out);
    sliceRange<Word>(plan, interval, wide + 1, hi, convertFrom, out);
}

} // namespace

bool isKernelAvailable(SearchKernel kernel)
{
    if (kernel == SearchKernel::Avx2) return __builtin_cpu_supports("avx2");
    return true;
}

SearchKernel resolveKernel(SearchKernel kernel)
{
    if (kernel != SearchKernel::Auto) return kernel;
    return isKernelAvailable(SearchKernel::Avx2) ? SearchKernel::Avx2 : SearchKernel::Words64;
}

SearchPlan::SearchPlan(const BitBuffer& bits, const AnalysisParameters& params, bool skipExclusions,
                       SearchKernel kernel)
    : words_(bits.words().data()), last_(bits.last()), first_(firstCellOf(params, 0)), frames_(params.FRAME_ROUNDS),
      allowed_(params.ALLOW_ERR_BITS), syncBits_(params.SYNC_BIT_SIZE),
      width_(std::clamp(params.SYNC_BIT_SIZE, 0, kMatchPositions)),
      needed_(std::max<std::int64_t>(1, std::int64_t{params.THRESHOLD} - 1)),
      silentConversion_(isValidSyncBitSize(params.SYNC_BIT_SIZE)), kernel_(resolveKernel(kernel))
{
    if (!isKernelAvailable(kernel_)) kernel_ = SearchKernel::Words64;
    if (!skipExclusions) addExclusions(params);
    // A frame outside the buffer is the empty frame: it matches an empty
    // reference when any error is allowed, a full one when every position may
    // differ, and only if it is not excluded.
    const bool emptyFrameCounts = frames_ >= needed_ && !excludedFrame({0, 0});
    emptyReferenceReported_ = emptyFrameCounts && allowed_ >= 0;
    fullReferenceReported_ = emptyFrameCounts && width_ <= allowed_;
}

void SearchPlan::addExclusions(const AnalysisParameters& params)
{
    for (const std::string& text : params.EXCLUDE_PAT) {
        Exclusion e;
        std::size_t i = 0;
        while (e.length < kMatchPositions && i < text.size()) {
            const std::size_t n = utf8SequenceLength(text, i);
            const std::string_view ch = std::string_view(text).substr(i, n);
            const std::uint32_t bit = std::uint32_t{1} << e.length;
            const auto at = static_cast<std::size_t>(e.length);
            e.otherChars[at + 1] = e.otherChars[at];
            if (ch == "0" || ch == "1") {
                e.binary |= bit;
                if (ch == "1") e.value |= bit;
            } else {
                ++e.otherChars[at + 1];
            }
            ++e.length;
            i += n;
        }
        exclusions_.push_back(e);
        const int common = std::min(e.length, width_);
        const int constant = e.otherChars[static_cast<std::size_t>(common)] + std::abs(e.length - width_);
        // A pattern that differs in more positions than allowed whatever the
        // frame's bits (an empty one, say) never excludes a full-width frame.
        if (constant <= allowed_) fixed_.push_back({e.value, e.binary & firstPositions(common), constant});
    }
}

SearchPlan::Window SearchPlan::frameAt(std::int64_t pos) const
{
    const std::int64_t first = std::max<std::int64_t>(pos, 0);
    const std::int64_t lastCell = std::min<std::int64_t>(pos + syncBits_ - 1, last_);
    const std::int64_t length = std::max<std::int64_t>(0, lastCell - first + 1);
    const int width = static_cast<int>(std::min<std::int64_t>(kMatchPositions, length));
    if (width == 0) return {0, 0};
    return {windowAt(words_, first) & firstPositions(width), width};
}

int SearchPlan::exclusionMismatches(const Exclusion& e, Window f) const
{
    const int common = std::min(e.length, f.width);
    return countBits((e.value ^ f.bits) & e.binary & firstPositions(common)) +
           e.otherChars[static_cast<std::size_t>(common)] + std::abs(e.length - f.width);
}

bool SearchPlan::excludedFrame(Window f) const
{
    for (const Exclusion& e : exclusions_)
        if (exclusionMismatches(e, f) <= allowed_) return true;
    return false;
}

// Counts matching frames 2 .. FRAME_ROUNDS + 1 of a candidate whose frames
// all have the full width, stopping once the count can no longer reach the
// report rule.
std::int64_t SearchPlan::countFixedWidth(std::int64_t first, std::int64_t interval) const
{
    const std::uint32_t mask = firstPositions(width_);
    const std::uint32_t reference = windowAt(words_, first) & mask;
    std::int64_t matches = 0;
    std::int64_t pos = first;
    for (std::int64_t k = 1; k <= frames_; ++k) {
        pos += interval;
        const std::uint32_t f = windowAt(words_, pos);
        bool excluded = false;
        for (const FixedExclusion& e : fixed_) {
            if (countBits((f ^ e.value) & e.mask) + e.constant <= allowed_) {
                excluded = true;
                break;
            }
        }
        if (!excluded && countBits((f ^ reference) & mask) <= allowed_) ++matches;
        if (matches + (frames_ - k) < needed_) return 0;
    }
    return matches;
}

std::int64_t SearchPlan::countGeneral(std::int64_t first, std::int64_t interval) const
{
    const Window reference = frameAt(first);
    const auto mismatches = [](Window a, Window b) {
        return countBits((a.bits ^ b.bits) & firstPositions(std::min(a.width, b.width))) + std::abs(a.width - b.width);
    };
    std::int64_t matches = 0;
    for (std::int64_t k = 1; k <= frames_; ++k) {
        const std::int64_t pos = first + k * interval;
        if (pos > last_) {
            // Every later frame lies past the buffer too: all are the same
            // empty frame, so count them at once.
            const Window none{0, 0};
            if (!excludedFrame(none) && mismatches(reference, none) <= allowed_) matches += frames_ - k + 1;
            return matches;
        }
        const Window f = frameAt(pos);
        if (!excludedFrame(f) && mismatches(reference, f) <= allowed_) ++matches;
        if (matches + (frames_ - k) < needed_) return 0;
    }
    return matches;
}

// A reference pattern that is cut by the buffer's ends, or of a width the
// conversion rejects, goes through the conversion with its messages.
bool SearchPlan::needsConversion(std::int64_t x) const
{
    const std::int64_t first = first_ + x;
    return !silentConversion_ || first < 0 || first + syncBits_ - 1 > last_;
}

void SearchPlan::examineOne(std::int64_t interval, std::int64_t x, std::vector<CandidateEntry>& out) const
{
    const std::int64_t first = first_ + x;
    const bool allFixed = first >= 0 && first + frames_ * interval + width_ - 1 <= last_;
    const std::int64_t matches = allFixed ? countFixedWidth(first, interval) : countGeneral(first, interval);
    const bool reported = matches >= needed_;
    const bool convert = needsConversion(x);
    if (reported || convert) out.push_back({x, matches, reported, convert});
}

// Candidate x's frames all lie outside the buffer; the end of the run of
// such candidates from x (every frame moves one cell on per index).
std::int64_t SearchPlan::outsideRunEnd(std::int64_t interval, std::int64_t x) const
{
    const std::int64_t first = first_ + x;
    if (first > last_) return std::numeric_limits<std::int64_t>::max(); // the rest lie further past
    // Frames 0 .. below end before cell 0; the next one must start past the
    // last cell, and the run lasts until frame `below` reaches cell 0.
    const std::int64_t below = std::min(std::max<std::int64_t>(frames_, 0), (-syncBits_ - first) / interval);
    if (below < frames_ && first + (below + 1) * interval <= last_) return x;
    return x + (-syncBits_ - (first + below * interval)) + 1;
}

std::int64_t SearchPlan::quietRunEnd(std::int64_t interval, std::int64_t x) const
{
    if (syncBits_ < 1) return x;
    const std::int64_t first = first_ + x;
    const std::int64_t end = first + syncBits_ - 1; // the reference's last cell
    if (first > last_ || end < 0) return emptyReferenceReported_ ? x : outsideRunEnd(interval, x);
    if (silentConversion_ && !fullReferenceReported_ && first >= 0 && end <= last_ &&
        first + interval > last_)
        return last_ - syncBits_ + 2 - first_;
    return x;
}

// Candidates x0 .. x1 - 1 one at a time, the runs that quietRunEnd finds at once.
void SearchPlan::examineEach(std::int64_t interval, std::int64_t x0, std::int64_t x1,
                             std::vector<CandidateEntry>& out) const
{
    for (std::int64_t x = x0; x < x1;) {
        const std::int64_t end = std::min(x1, quietRunEnd(interval, x));
        if (end == x) {
            examineOne(interval, x, out);
            ++x;
            continue;
        }
        // Runs with an empty reference still show its conversion; the others
        // have nothing to show.
        const std::int64_t first = first_ + x;
        if (first > last_ || first + syncBits_ - 1 < 0) out.push_back({x, 0, false, true, end - x});
        x = end;
    }
}

void SearchPlan::examine(std::int64_t interval, std::int64_t x0, std::int64_t x1,
                         std::vector<CandidateEntry>& out) const
{
    std::int64_t lo = x1;
    std::int64_t hi = x1 - 1;
    if (kernel_ != SearchKernel::PerCandidate && width_ >= 1 && frames_ >= 1 && frames_ <= last_ + 1) {
        // Candidates whose every frame lies inside the buffer.
        lo = std::max(x0, -first_);
        hi = std::min(x1 - 1, last_ - width_ + 1 - frames_ * interval - first_);
        if (hi < lo) lo = x1, hi = x1 - 1;
    }
    examineEach(interval, x0, lo, out);
    if (lo <= hi) {
        const std::int64_t convertFrom =
            silentConversion_ ? std::max(lo, last_ - syncBits_ + 1 - first_ + 1) : lo;
        if (kernel_ == SearchKernel::Avx2) sliceRangeAvx2(*this, interval, lo, hi, convertFrom, out);
        else sliceRangeWords64(*this, interval, lo, hi, convertFrom, out);
    }
    examineEach(interval, std::max(lo, hi + 1), x1, out);
}

} // namespace morvelan
