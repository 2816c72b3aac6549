#include "engine/summary.h"

#include "engine/capture_chance.h"
#include "engine/fixed_region.h"
#include "engine/known_sync_words.h"
#include "engine/parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <numeric>

namespace morvelan {
namespace {

constexpr long double kNegativeInfinity = -std::numeric_limits<long double>::infinity();
// Terms this far (in natural log) below the first one no longer change a
// long double sum, even when 2^31 of them follow.
constexpr long double kNegligibleLog = -80.0L;

std::int64_t floorMod(std::int64_t x, std::int64_t m)
{
    const std::int64_t r = x % m;
    return r < 0 ? r + m : r;
}

class DisjointSets {
public:
    explicit DisjointSets(std::size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }
    std::size_t find(std::size_t i)
    {
        while (parent_[i] != i) {
            parent_[i] = parent_[parent_[i]];
            i = parent_[i];
        }
        return i;
    }
    void join(std::size_t a, std::size_t b)
    {
        a = find(a);
        b = find(b);
        if (a != b) parent_[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<std::size_t> parent_;
};

// One interval's reported indexes, sorted, with the row each came from.
struct IndexEntry {
    std::int64_t index;
    std::size_t row;
    bool operator<(const IndexEntry& o) const { return index < o.index || (index == o.index && row < o.row); }
};
using IntervalTable = std::map<std::int64_t, std::vector<IndexEntry>>;

// Rows at `index` in a sorted entry list.
template <typename F>
void forEachAt(const std::vector<IndexEntry>& entries, std::int64_t index, F&& f)
{
    auto it = std::lower_bound(entries.begin(), entries.end(), IndexEntry{index, 0});
    for (; it != entries.end() && it->index == index; ++it) f(it->row);
}

void joinNeighbours(const IntervalTable& table, DisjointSets& sets)
{
    for (const auto& [interval, entries] : table) {
        for (std::size_t i = 1; i < entries.size(); ++i)
            if (entries[i].index - entries[i - 1].index <= 1) sets.join(entries[i].row, entries[i - 1].row);
        // The last index of a frame is followed by index 0 of the next one.
        if (entries.size() > 1 && entries.front().index == 0 && entries.back().index == interval - 1)
            sets.join(entries.front().row, entries.back().row);
    }
}

void joinMultiple(const std::vector<IndexEntry>& base, std::int64_t baseInterval,
                  const std::vector<IndexEntry>& multiple, DisjointSets& sets)
{
    for (const IndexEntry& e : multiple) {
        const std::int64_t r = floorMod(e.index, baseInterval);
        for (const std::int64_t near : {r, floorMod(r - 1, baseInterval), floorMod(r + 1, baseInterval)})
            forEachAt(base, near, [&](std::size_t row) { sets.join(row, e.row); });
    }
}

void joinMultiples(const IntervalTable& table, DisjointSets& sets)
{
    if (table.empty()) return;
    const std::int64_t largest = table.rbegin()->first;
    for (auto base = table.begin(); base != table.end(); ++base) {
        const std::int64_t i1 = base->first;
        if (i1 <= 0) continue;
        const auto above = static_cast<std::int64_t>(std::distance(std::next(base), table.end()));
        // Walk whichever is shorter: the multiples up to the largest interval
        // or the intervals present above this one.
        if (largest / i1 <= above) {
            for (std::int64_t m = 2; m <= largest / i1; ++m) {
                const auto it = table.find(m * i1);
                if (it != table.end()) joinMultiple(base->second, i1, it->second, sets);
            }
        } else {
            for (auto it = std::next(base); it != table.end(); ++it)
                if (it->first % i1 == 0) joinMultiple(base->second, i1, it->second, sets);
        }
    }
}

// Distinct indexes in the order of their run round the frame circle: the
// circle is cut at its widest gap.
std::vector<std::int64_t> circleOrder(std::vector<std::int64_t> indexes, std::int64_t interval)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    if (indexes.size() < 2 || interval <= 0) return indexes;
    std::size_t cut = 0; // the element after the widest gap
    std::int64_t widest = indexes.front() + interval - indexes.back();
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        if (indexes[i] - indexes[i - 1] > widest) {
            widest = indexes[i] - indexes[i - 1];
            cut = i;
        }
    }
    std::rotate(indexes.begin(), indexes.begin() + static_cast<std::ptrdiff_t>(cut), indexes.end());
    return indexes;
}

struct GroupMembers {
    CandidateRecord best;
    std::int64_t interval = 0;
    std::vector<std::int64_t> intervals;
    std::vector<std::int64_t> indexesAtInterval; // sorted, distinct
    std::int64_t firstIndex = 0;
    std::int64_t lastIndex = 0;
};

GroupMembers describeMembers(const CandidateRecords& records, const std::vector<std::size_t>& rows)
{
    GroupMembers g;
    std::map<std::int64_t, std::int64_t> topCount; // per interval
    for (std::size_t r : rows) {
        const CandidateRecord& c = records[r];
        auto [it, fresh] = topCount.try_emplace(c.interval, c.count);
        if (!fresh) it->second = std::max(it->second, c.count);
    }
    std::int64_t groupTop = std::numeric_limits<std::int64_t>::min();
    for (const auto& [interval, count] : topCount) {
        g.intervals.push_back(interval);
        groupTop = std::max(groupTop, count);
    }
    // The smallest interval that comes near the group's highest count: an
    // echo at 2P can gain a frame or two over P by the luck of bit errors.
    std::int64_t bestCount = groupTop;
    for (const auto& [interval, count] : topCount) {
        if (count * 10 >= groupTop * 9) {
            g.interval = interval;
            bestCount = count;
            break;
        }
    }

    std::vector<std::int64_t> tied;
    for (std::size_t r : rows) {
        const CandidateRecord& c = records[r];
        if (c.interval != g.interval) continue;
        g.indexesAtInterval.push_back(c.index);
        if (c.count == bestCount) tied.push_back(c.index);
    }
    const std::vector<std::int64_t> order = circleOrder(tied, g.interval);
    const std::int64_t bestIndex = order[(order.size() - 1) / 2];
    for (std::size_t r : rows) {
        const CandidateRecord& c = records[r];
        if (c.interval == g.interval && c.index == bestIndex && c.count == bestCount) {
            g.best = c;
            break;
        }
    }

    // The run of neighbouring indexes round best.index.
    std::vector<std::int64_t>& at = g.indexesAtInterval;
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    const auto present = [&](std::int64_t x) { return std::binary_search(at.begin(), at.end(), x); };
    const auto steps = static_cast<std::int64_t>(at.size());
    std::int64_t first = bestIndex;
    std::int64_t last = bestIndex;
    std::int64_t taken = g.interval > 0 ? 1 : steps;
    while (taken < steps && present(floorMod(last + 1, g.interval))) {
        last = floorMod(last + 1, g.interval);
        ++taken;
    }
    while (taken < steps && present(floorMod(first - 1, g.interval))) {
        first = floorMod(first - 1, g.interval);
        ++taken;
    }
    g.firstIndex = first;
    g.lastIndex = last;
    return g;
}

// What the capture folded at the group's interval says about it.
class GroupAnalyser {
public:
    GroupAnalyser(const BitBuffer& bits, const AnalysisParameters& params, std::int32_t decodedBits)
        : bits_(bits), params_(params),
          lastCell_(decodedBits > 0 ? std::min<std::int64_t>(decodedBits, kBitBufferLast) : MAX_INPUT_BITS),
          statistics_(bits, static_cast<std::int32_t>(lastCell_)),
          window_(std::clamp(params.SYNC_BIT_SIZE, 1, 20)),
          examined_(examinedCandidates(params))
    {
    }

    SummaryGroup analyse(const GroupMembers& m)
    {
        SummaryGroup g;
        g.best = m.best;
        g.interval = m.interval;
        g.intervals = m.intervals;
        g.firstIndex = m.firstIndex;
        g.lastIndex = m.lastIndex;
        g.syncOffset = m.best.index;
        const std::int64_t first = std::int64_t{params_.IGNORE_START_BITS} + 1;
        const FrameProfile& profile = profileAt(m.interval, first);
        const bool folded = profile.frames >= 2;

        FixedRegion region;
        if (folded) region = regionNear(profile, m);
        std::string captured; // the bits the chance is reckoned on, as captured
        if (region.length > 0) {
            const std::string content = regionBits(profile, region);
            g.fixedStart = region.start;
            g.fixedLength = region.length;
            g.fixedHex = bitsToHex(content);
            std::size_t from = 0;
            if (const auto known = findKnownSyncWord(content, params_.ALLOW_ERR_BITS)) {
                from = known->at;
                g.syncName = std::string(known->word->name);
                g.inverted = known->inverted;
                g.syncBits = knownWordBits(*known->word);
            } else {
                const std::size_t fill = leadingFillLength(content);
                if (fill < content.size()) from = fill;
            }
            g.syncOffset = floorMod(region.start + static_cast<std::int64_t>(from), m.interval);
            captured = content.substr(from);
        }
        if (g.syncBits.empty()) {
            for (std::int64_t j = 0; j < params_.SYNC_BIT_SIZE; ++j) {
                const std::int64_t o = g.syncOffset + j;
                g.syncBits += folded ? profile.majority[static_cast<std::size_t>(floorMod(o, m.interval))]
                                     : static_cast<char>('0' + bits_.get(first + o));
            }
        }
        g.syncHex = bitsToHex(g.syncBits);
        if (captured.empty()) {
            captured = g.syncBits.substr(0, static_cast<std::size_t>(window_));
            if (g.inverted) captured = complement(captured);
        }
        g.frameChanceLog10 = log10FrameChance(captured);
        g.chanceLog10 = examined_ > 0 ? std::log10(examined_) + log10BinomialTail(params_.FRAME_ROUNDS,
                                                                                    std::pow(10.0L, g.frameChanceLog10),
                                                                                    m.best.count - 1)
                                      : kNegativeInfinity;
        return g;
    }

private:
    static std::string complement(std::string bits)
    {
        for (char& c : bits) c = c == '1' ? '0' : '1';
        return bits;
    }

    const FrameProfile& profileAt(std::int64_t interval, std::int64_t first)
    {
        auto [it, fresh] = profiles_.try_emplace(interval);
        if (fresh) it->second = profileFrames(bits_, first, lastCell_, interval);
        return it->second;
    }

    // The region round the best member, else round the member nearest to it
    // that lies on a fixed offset.
    static FixedRegion regionNear(const FrameProfile& profile, const GroupMembers& m)
    {
        std::vector<std::int64_t> order = m.indexesAtInterval;
        const auto distance = [&](std::int64_t x) {
            const std::int64_t d = floorMod(x - m.best.index, m.interval);
            return std::min(d, m.interval - d);
        };
        std::stable_sort(order.begin(), order.end(),
                         [&](std::int64_t a, std::int64_t b) { return distance(a) < distance(b); });
        for (const std::int64_t x : order)
            if (const FixedRegion r = findFixedRegion(profile, x); r.length > 0) return r;
        return {};
    }

    // log10 q: the pieces of `bits` that are no fill (all pieces when every
    // one is fill).
    long double log10FrameChance(const std::string& bits) const
    {
        std::vector<std::string> pieces;
        for (std::size_t at = 0; at < bits.size(); at += static_cast<std::size_t>(window_))
            pieces.push_back(bits.substr(at, static_cast<std::size_t>(window_)));
        std::vector<std::string> words;
        for (const std::string& p : pieces)
            if (leadingFillLength(p) < p.size() || p.size() < static_cast<std::size_t>(kFillUnit)) words.push_back(p);
        if (words.empty() && !pieces.empty()) words.push_back(pieces.front());
        if (words.empty()) return std::log10(frameMatchProbability(window_, params_.ALLOW_ERR_BITS));
        long double sum = 0;
        for (const std::string& w : words) {
            const auto errors = static_cast<int>(static_cast<std::int64_t>(std::max(params_.ALLOW_ERR_BITS, 0)) *
                                                 static_cast<std::int64_t>(w.size()) / window_);
            sum += std::log10(statistics_.share(w, errors));
        }
        return sum;
    }

    const BitBuffer& bits_;
    const AnalysisParameters& params_;
    std::int64_t lastCell_;
    CaptureStatistics statistics_;
    int window_;
    long double examined_;
    std::map<std::int64_t, FrameProfile> profiles_;
};

} // namespace

long double frameMatchProbability(int windowBits, int allowErrBits)
{
    if (allowErrBits < 0) return 0.0L;
    if (windowBits <= 0) return 1.0L;
    long double sum = 0;
    long double choose = 1; // C(W, k), exact in a long double for W <= 64
    for (int k = 0; k <= std::min(allowErrBits, windowBits); ++k) {
        sum += choose;
        choose = choose * static_cast<long double>(windowBits - k) / static_cast<long double>(k + 1);
    }
    return std::ldexp(sum, -windowBits);
}

long double log10BinomialTail(std::int64_t n, long double p, std::int64_t k)
{
    if (k <= 0) return 0.0L;
    if (n < 0 || k > n || p <= 0) return kNegativeInfinity;
    if (p >= 1) return 0.0L;
    const long double logP = std::log(p);
    const long double logQ = std::log1p(-p);
    const long double logNFactorial = std::lgamma(static_cast<long double>(n) + 1);
    const auto logTerm = [&](std::int64_t j) {
        const auto jj = static_cast<long double>(j);
        const auto rest = static_cast<long double>(n - j);
        return logNFactorial - std::lgamma(jj + 1) - std::lgamma(rest + 1) + jj * logP + rest * logQ;
    };
    constexpr long double kLn10 = 2.302585092994045684017991454684364208L;
    const long double mean = static_cast<long double>(n) * p;
    if (static_cast<long double>(k) > mean) {
        // Upper tail: the terms fall from j = k on; sum them relative to the first.
        const long double head = logTerm(k);
        long double sum = 1;
        for (std::int64_t j = k + 1; j <= n; ++j) {
            const long double t = logTerm(j) - head;
            if (t < kNegligibleLog) break;
            sum += std::exp(t);
        }
        return (head + std::log(sum)) / kLn10;
    }
    // The tail holds the bulk: take 1 minus the lower tail, whose terms fall
    // from j = k - 1 downwards.
    const long double head = logTerm(k - 1);
    long double sum = 1;
    for (std::int64_t j = k - 2; j >= 0; --j) {
        const long double t = logTerm(j) - head;
        if (t < kNegligibleLog) break;
        sum += std::exp(t);
    }
    const long double lower = std::exp(head) * sum;
    return lower >= 1 ? kNegativeInfinity : std::log10(1 - lower);
}

long double examinedCandidates(const AnalysisParameters& params)
{
    const long double first = std::max<std::int64_t>(params.START_SYNC_INTERVAL, 1);
    const long double last = params.END_SYNC_INTERVAL;
    if (last < first) return 0.0L;
    return (first + last) * (last - first + 1) / 2;
}

std::vector<SummaryGroup> summariseCandidates(const CandidateRecords& records, const BitBuffer& bits,
                                             const AnalysisParameters& params, std::int32_t decodedBits)
{
    IntervalTable table;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r].interval > 0) table[records[r].interval].push_back({records[r].index, r});
    for (auto& [interval, entries] : table) std::sort(entries.begin(), entries.end());

    DisjointSets sets(records.size());
    joinNeighbours(table, sets);
    joinMultiples(table, sets);

    std::map<std::size_t, std::vector<std::size_t>> members;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r].interval > 0) members[sets.find(r)].push_back(r);

    GroupAnalyser analyser(bits, params, decodedBits);
    std::vector<SummaryGroup> groups;
    groups.reserve(members.size());
    for (const auto& [root, rows] : members) {
        SummaryGroup g = analyser.analyse(describeMembers(records, rows));
        g.rows = static_cast<std::int64_t>(rows.size());
        groups.push_back(std::move(g));
    }
    std::sort(groups.begin(), groups.end(), [](const SummaryGroup& a, const SummaryGroup& b) {
        if (a.syncName.empty() != b.syncName.empty()) return !a.syncName.empty();
        if (a.chanceLog10 != b.chanceLog10) return a.chanceLog10 < b.chanceLog10;
        if (a.best.count != b.best.count) return a.best.count > b.best.count;
        if (a.interval != b.interval) return a.interval < b.interval;
        return a.syncOffset < b.syncOffset;
    });
    return groups;
}

std::string formatLog10(long double log10Value)
{
    if (std::isinf(log10Value) && log10Value < 0) return "0";
    if (!std::isfinite(log10Value)) return "inf";
    auto exponent = static_cast<long long>(std::floor(log10Value));
    long double mantissa = std::pow(10.0L, log10Value - static_cast<long double>(exponent));
    mantissa = std::round(mantissa * 10) / 10;
    if (mantissa >= 10) {
        mantissa /= 10;
        ++exponent;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.1Lfe%c%02lld", mantissa, exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
    return text;
}

} // namespace morvelan
