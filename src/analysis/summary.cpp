#include "analysis/summary.h"

#include "analysis/capture_chance.h"
#include "analysis/fixed_region.h"
#include "analysis/known_sync_words.h"
#include "engine/parameters.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <tuple>

namespace morvelan {
namespace {

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

// A group's members by interval, each interval's indexes in ascending order.
struct GroupMembers {
    std::map<std::int64_t, std::vector<CandidateRecord>> byInterval;
    std::int64_t topCount = 0;
};

GroupMembers collectMembers(const CandidateRecords& records, const std::vector<std::size_t>& rows)
{
    GroupMembers g;
    g.topCount = std::numeric_limits<std::int64_t>::min();
    for (std::size_t r : rows) {
        g.byInterval[records[r].interval].push_back(records[r]);
        g.topCount = std::max(g.topCount, records[r].count);
    }
    for (auto& [interval, members] : g.byInterval)
        std::sort(members.begin(), members.end(),
                  [](const CandidateRecord& a, const CandidateRecord& b) { return a.index < b.index; });
    return g;
}

// The best member at one interval: the highest count, the middle one of a
// tied run on the frame circle (the lower of two middles).
CandidateRecord bestMember(const std::vector<CandidateRecord>& members, std::int64_t interval)
{
    std::int64_t top = std::numeric_limits<std::int64_t>::min();
    for (const CandidateRecord& m : members) top = std::max(top, m.count);
    std::vector<std::int64_t> tied;
    for (const CandidateRecord& m : members)
        if (m.count == top) tied.push_back(m.index);
    const std::vector<std::int64_t> order = circleOrder(tied, interval);
    const std::int64_t index = order[(order.size() - 1) / 2];
    for (const CandidateRecord& m : members)
        if (m.index == index && m.count == top) return m;
    return members.front();
}

// The run of neighbouring member indexes round `index`, in frame order.
std::pair<std::int64_t, std::int64_t> indexRun(const std::vector<CandidateRecord>& members, std::int64_t interval,
                                               std::int64_t index)
{
    std::vector<std::int64_t> at;
    for (const CandidateRecord& m : members) at.push_back(m.index);
    at.erase(std::unique(at.begin(), at.end()), at.end());
    const auto present = [&](std::int64_t x) { return std::binary_search(at.begin(), at.end(), x); };
    const auto steps = static_cast<std::int64_t>(at.size());
    std::int64_t first = index;
    std::int64_t last = index;
    std::int64_t taken = present(index) ? 1 : steps;
    while (taken < steps && present(floorMod(last + 1, interval))) {
        last = floorMod(last + 1, interval);
        ++taken;
    }
    while (taken < steps && present(floorMod(first - 1, interval))) {
        first = floorMod(first - 1, interval);
        ++taken;
    }
    return {first, last};
}

std::string complement(std::string bits)
{
    for (char& c : bits) c = c == '1' ? '0' : '1';
    return bits;
}

// One reading of a group: an interval, a sync offset, the word there and
// how likely it is by chance.
struct Reading {
    SummaryGroup g;
    int knownMismatches = std::numeric_limits<int>::max();
};

// Among the readings of one interval: a published word, then the word a
// frame counter follows, then a sync-like word, then the least likely.
bool syncReadsBetter(const Reading& a, const Reading& b)
{
    if (a.g.syncName.empty() != b.g.syncName.empty()) return !a.g.syncName.empty();
    if (a.knownMismatches != b.knownMismatches) return a.knownMismatches < b.knownMismatches;
    if (a.g.counterFollows != b.g.counterFollows) return a.g.counterFollows;
    if (a.g.syncLike != b.g.syncLike) return a.g.syncLike;
    if (a.g.chanceLog10 != b.g.chanceLog10) return a.g.chanceLog10 < b.g.chanceLog10;
    return a.g.best.count > b.g.best.count;
}

// Between intervals: a published word, then the interval's least likely
// reading (how surely the frame repeats there), the higher count, the
// smaller interval.
bool intervalReadsBetter(const Reading& a, const Reading& b)
{
    if (a.g.syncName.empty() != b.g.syncName.empty()) return !a.g.syncName.empty();
    if (a.knownMismatches != b.knownMismatches) return a.knownMismatches < b.knownMismatches;
    if (a.g.intervalChanceLog10 != b.g.intervalChanceLog10) return a.g.intervalChanceLog10 < b.g.intervalChanceLog10;
    if (a.g.best.count != b.g.best.count) return a.g.best.count > b.g.best.count;
    return a.g.interval < b.g.interval;
}

// Frames are built of 8-bit words from the sync word on, and a frame
// counter (its lowest bit flips every frame) commonly follows the word.
constexpr std::int64_t kWordGrid = 8;
constexpr std::int64_t kCounterNearest = 24; // a 16-bit word and an 8-bit counter
constexpr std::int64_t kCounterFarthest = 80;

// What the capture folded at a group's intervals says about it.
class GroupAnalyser {
public:
    GroupAnalyser(const BitBuffer& bits, const AnalysisParameters& params, std::int32_t decodedBits)
        : bits_(bits), params_(params),
          lastCell_(std::min<std::int64_t>(decodedBits > 0 ? decodedBits : MAX_INPUT_BITS, bits.last())),
          statistics_(bits, static_cast<std::int32_t>(lastCell_)),
          window_(std::clamp(params.SYNC_BIT_SIZE, 1, CaptureStatistics::kMaxWidth)),
          examined_(examinedCandidates(params))
    {
    }

    // Reads the group at each of its intervals that comes near its highest
    // count and keeps the best reading.
    SummaryGroup analyse(const GroupMembers& m)
    {
        std::optional<Reading> best;
        std::vector<std::int64_t> intervals;
        for (const auto& [interval, members] : m.byInterval) {
            intervals.push_back(interval);
            std::int64_t top = 0;
            for (const CandidateRecord& r : members) top = std::max(top, r.count);
            if (top * 10 < m.topCount * 9) continue; // an echo that lost frames
            std::vector<Reading> readings = readInterval(interval, members);
            long double strongest = std::numeric_limits<long double>::infinity();
            for (const Reading& r : readings) strongest = std::min(strongest, r.g.chanceLog10);
            Reading* chosen = &readings.front();
            for (Reading& r : readings)
                if (syncReadsBetter(r, *chosen)) chosen = &r;
            chosen->g.intervalChanceLog10 = strongest;
            if (!best || intervalReadsBetter(*chosen, *best)) best = std::move(*chosen);
        }
        SummaryGroup g = std::move(best->g);
        g.intervals = intervals;
        const auto [first, last] = indexRun(m.byInterval.at(g.interval), g.interval, g.best.index);
        g.firstIndex = first;
        g.lastIndex = last;
        return g;
    }

private:
    // A reading for each fixed region that holds a member, or one at the
    // best member when none does.
    std::vector<Reading> readInterval(std::int64_t interval, const std::vector<CandidateRecord>& members)
    {
        std::vector<Reading> out;
        const FrameProfile& profile = profileAt(interval);
        std::vector<bool> covered(static_cast<std::size_t>(interval), false);
        if (profile.frames >= 2) {
            for (const CandidateRecord& member : members) {
                if (covered[static_cast<std::size_t>(member.index)]) continue;
                const FixedRegion region = findFixedRegion(profile, member.index);
                if (region.length == 0) continue;
                CandidateRecord top = member;
                for (std::int64_t j = 0; j < region.length; ++j)
                    covered[static_cast<std::size_t>((region.start + j) % interval)] = true;
                for (const CandidateRecord& r : members)
                    if (floorMod(r.index - region.start, interval) < region.length && r.count > top.count) top = r;
                out.push_back(readRegion(profile, region, top));
            }
        }
        if (out.empty()) out.push_back(readAt(profile, bestMember(members, interval)));
        return out;
    }

    // Inside a region: a published word pins the offset; otherwise the word
    // between fills that is least likely by chance.
    Reading readRegion(const FrameProfile& profile, const FixedRegion& region, const CandidateRecord& top)
    {
        Reading r;
        SummaryGroup& g = r.g;
        g.best = top;
        g.interval = profile.interval;
        g.fixedStart = region.start;
        g.fixedLength = region.length;
        const std::string content = regionBits(profile, region);
        g.fixedHex = bitsToHex(content);
        std::string captured;
        if (const auto known = findKnownSyncWord(content, params_.ALLOW_ERR_BITS)) {
            g.syncOffset = floorMod(region.start + static_cast<std::int64_t>(known->at), g.interval);
            g.syncName = std::string(known->word->name);
            g.inverted = known->inverted;
            g.syncBits = knownWordBits(*known->word);
            r.knownMismatches = known->mismatches;
            captured = g.inverted ? complement(g.syncBits) : g.syncBits;
            g.frameChanceLog10 = log10WordChance(captured);
        } else {
            std::vector<Segment> words = wordSegments(content);
            // All fill: the fill's own pattern.
            if (words.empty()) words.push_back({0, std::min(content.size(), static_cast<std::size_t>(window_))});
            // The word a counter follows, then a sync-like one, then the least likely.
            std::optional<std::tuple<bool, bool, long double, std::int64_t>> chosen; // no counter, not sync-like
            for (const Segment& w : words) {
                const long double q = log10WordChance(content.substr(w.start, w.length));
                const auto [offset, counter] = alignToCounter(profile, region, content, w.start);
                const std::tuple candidate{!counter, !readsLikeSync(profile, region, offset), q, offset};
                if (!chosen || std::tie(std::get<0>(candidate), std::get<1>(candidate), std::get<2>(candidate)) <
                                   std::tie(std::get<0>(*chosen), std::get<1>(*chosen), std::get<2>(*chosen)))
                    chosen = candidate;
            }
            g.counterFollows = !std::get<0>(*chosen);
            g.syncLike = !std::get<1>(*chosen);
            g.frameChanceLog10 = std::get<2>(*chosen);
            g.syncOffset = std::get<3>(*chosen);
            g.syncBits = majorityFrom(profile, g.syncOffset);
        }
        finish(g);
        return r;
    }

    // Whether the SYNC_BIT_SIZE bits from `offset` lie inside `region`, hold
    // 3/8 to 5/8 ones and agree with themselves shifted by one bit in at
    // most 3/4 of the places, as designed sync words do (low autocorrelation);
    // constant status words are mostly one value, fill is long runs.
    bool readsLikeSync(const FrameProfile& profile, const FixedRegion& region, std::int64_t offset) const
    {
        const std::string word = majorityFrom(profile, offset);
        const auto size = static_cast<std::int64_t>(word.size());
        const auto ones = std::count(word.begin(), word.end(), '1');
        std::int64_t agree = 0;
        for (std::size_t j = 1; j < word.size(); ++j) agree += word[j] == word[j - 1];
        return floorMod(offset - region.start, profile.interval) + size <= region.length && ones * 8 >= size * 3 &&
               ones * 8 <= size * 5 && agree * 4 <= (size - 1) * 3;
    }

    // Where the word that begins at content offset `from` of `region`
    // starts, and whether a frame counter follows it. After fill the word
    // starts on the counter's grid, at the last grid offset up to where the
    // fill run really ends (its first bits may continue the fill); otherwise
    // where it begins.
    std::pair<std::int64_t, bool> alignToCounter(const FrameProfile& profile, const FixedRegion& region,
                                                 const std::string& content, std::size_t from) const
    {
        const std::int64_t interval = profile.interval;
        const std::int64_t start = floorMod(region.start + static_cast<std::int64_t>(from), interval);
        for (std::int64_t d = kCounterNearest - kWordGrid; d <= kCounterFarthest && d < interval; ++d) {
            if (!profile.toggling[static_cast<std::size_t>(floorMod(start + d, interval))]) continue;
            const std::int64_t afterCounter = start + d + 1;
            // A word at the region's start begins there: the bit before it
            // varies. Sync words of any width (an 18- or 26-bit one) keep
            // their first bit; only a word after fill needs the grid.
            std::int64_t offset = start;
            if (from > 0) {
                const std::int64_t runEnd = region.start + static_cast<std::int64_t>(fillRunEnd(content, from));
                offset = runEnd - floorMod(runEnd - afterCounter, kWordGrid);
            }
            const std::int64_t gap = afterCounter - offset;
            return {floorMod(offset, interval), gap >= kCounterNearest && gap <= kCounterFarthest};
        }
        return {start, false};
    }

    // No fixed region: the best member's own window.
    Reading readAt(const FrameProfile& profile, const CandidateRecord& member)
    {
        Reading r;
        SummaryGroup& g = r.g;
        g.best = member;
        g.interval = profile.interval;
        g.syncOffset = member.index;
        g.syncBits = majorityFrom(profile, member.index);
        g.frameChanceLog10 = log10WordChance(g.syncBits.substr(0, static_cast<std::size_t>(window_)));
        finish(g);
        return r;
    }

    // The chance figure, over every whole frame of the capture when two or
    // more fold (a word that held only in the compared frames counts for
    // less), else over the compared frames with the best member's count.
    void finish(SummaryGroup& g)
    {
        g.syncHex = bitsToHex(g.syncBits);
        std::int64_t trials = params_.FRAME_ROUNDS;
        std::int64_t agreeing = g.best.count - 1;
        const FrameProfile& profile = profileAt(g.interval);
        if (profile.frames >= 2) {
            const std::int64_t first = std::int64_t{params_.IGNORE_START_BITS} + 1 + g.syncOffset;
            const auto window = static_cast<std::size_t>(std::min<std::int64_t>(window_, g.interval));
            // The word as captured, cut to the window. A published word
            // shorter than the window is compared whole, with the errors its
            // chance figure allows (the cells after it are not the word).
            std::string reference = g.syncBits.substr(0, window);
            if (g.inverted) reference = complement(reference);
            const std::int64_t tolerated =
                reference.size() < window ? pieceErrors(reference.size()) : params_.ALLOW_ERR_BITS;
            trials = profile.frames - 1;
            agreeing = -1; // the frame that is the reference
            for (std::int64_t k = 0; k < profile.frames; ++k) {
                std::int64_t differ = 0;
                for (std::size_t j = 0; j < reference.size(); ++j)
                    differ += bits_.get(first + k * g.interval + static_cast<std::int64_t>(j)) != reference[j] - '0';
                agreeing += differ <= tolerated;
            }
            agreeing = std::max<std::int64_t>(agreeing, 0);
        }
        g.chanceLog10 = examined_ > 0 ? std::log10(examined_) + log10BinomialTail(trials,
                                                                                    std::pow(10.0L, g.frameChanceLog10),
                                                                                    agreeing)
                                      : -std::numeric_limits<long double>::infinity();
    }

    // SYNC_BIT_SIZE bits from `offset`: the majority of the frames, or frame
    // 1 when fewer than two frames fold.
    std::string majorityFrom(const FrameProfile& profile, std::int64_t offset) const
    {
        std::string bits;
        const std::int64_t first = std::int64_t{params_.IGNORE_START_BITS} + 1;
        for (std::int64_t j = 0; j < params_.SYNC_BIT_SIZE; ++j) {
            const std::int64_t o = offset + j;
            bits += profile.frames >= 2 ? profile.majority[static_cast<std::size_t>(floorMod(o, profile.interval))]
                                        : static_cast<char>('0' + bits_.get(first + o));
        }
        return bits;
    }

    const FrameProfile& profileAt(std::int64_t interval)
    {
        auto [it, fresh] = profiles_.try_emplace(interval);
        if (fresh)
            it->second = profileFrames(bits_, std::int64_t{params_.IGNORE_START_BITS} + 1, lastCell_, interval);
        return it->second;
    }

    // log10 q of a word: the product of its two rarest pieces of window_
    // bits (a shorter last piece tolerates proportionally fewer errors).
    // Not all pieces: the pieces of a long constant stretch (status words,
    // the top bits of slow channels) are far from independent.
    long double log10WordChance(const std::string& bits) const
    {
        if (bits.empty()) return std::log10(frameMatchProbability(window_, params_.ALLOW_ERR_BITS));
        long double rarest = 0;
        long double next = 0;
        for (std::size_t at = 0; at < bits.size(); at += static_cast<std::size_t>(window_)) {
            const std::string piece = bits.substr(at, static_cast<std::size_t>(window_));
            const long double q = std::log10(statistics_.share(piece, pieceErrors(piece.size())));
            if (q < rarest) {
                next = rarest;
                rarest = q;
            } else {
                next = std::min(next, q);
            }
        }
        return rarest + next;
    }

    // The errors a piece of `size` bits (at most window_) tolerates:
    // ALLOW_ERR_BITS in proportion, rounded down.
    int pieceErrors(std::size_t size) const
    {
        return static_cast<int>(static_cast<std::int64_t>(std::max(params_.ALLOW_ERR_BITS, 0)) *
                                static_cast<std::int64_t>(size) / window_);
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

std::vector<std::size_t> candidateGroupRoots(const CandidateRecords& records)
{
    IntervalTable table;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r].interval > 0) table[records[r].interval].push_back({records[r].index, r});
    for (auto& [interval, entries] : table) std::sort(entries.begin(), entries.end());

    DisjointSets sets(records.size());
    joinNeighbours(table, sets);
    joinMultiples(table, sets);
    std::vector<std::size_t> roots(records.size());
    for (std::size_t r = 0; r < records.size(); ++r) roots[r] = sets.find(r);
    return roots;
}

std::vector<SummaryGroup> summariseCandidates(const CandidateRecords& records, const BitBuffer& bits,
                                             const AnalysisParameters& params, std::int32_t decodedBits)
{
    const std::vector<std::size_t> roots = candidateGroupRoots(records);
    std::map<std::size_t, std::vector<std::size_t>> members;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r].interval > 0) members[roots[r]].push_back(r);

    GroupAnalyser analyser(bits, params, decodedBits);
    std::vector<SummaryGroup> groups;
    groups.reserve(members.size());
    for (const auto& [root, rows] : members) {
        SummaryGroup g = analyser.analyse(collectMembers(records, rows));
        g.rows = static_cast<std::int64_t>(rows.size());
        groups.push_back(std::move(g));
    }
    // The groups of one interval stand together, ranked by the interval's
    // least likely reading; among them the one that reads most like a sync
    // word leads (fixed regions of status words are as sure as the sync).
    std::map<std::int64_t, long double> intervalChance;
    for (const SummaryGroup& g : groups) {
        auto [it, fresh] = intervalChance.try_emplace(g.interval, g.intervalChanceLog10);
        if (!fresh) it->second = std::min(it->second, g.intervalChanceLog10);
    }
    std::sort(groups.begin(), groups.end(), [&](const SummaryGroup& a, const SummaryGroup& b) {
        if (a.syncName.empty() != b.syncName.empty()) return !a.syncName.empty();
        const long double ia = intervalChance.at(a.interval);
        const long double ib = intervalChance.at(b.interval);
        if (ia != ib) return ia < ib;
        if (a.interval != b.interval) return a.interval < b.interval;
        if (a.counterFollows != b.counterFollows) return a.counterFollows;
        if (a.syncLike != b.syncLike) return a.syncLike;
        if (a.chanceLog10 != b.chanceLog10) return a.chanceLog10 < b.chanceLog10;
        if (a.best.count != b.best.count) return a.best.count > b.best.count;
        return a.syncOffset < b.syncOffset;
    });
    return groups;
}

} // namespace morvelan
