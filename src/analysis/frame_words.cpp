#include "analysis/frame_words.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

namespace morvelan {
namespace {

// A counter must count by one on nearly every pair, and have wrapped.
constexpr double kCounterShare = 0.9;
// Random words change about half their bits from frame to frame.
constexpr double kRandomFlipsLow = 0.35, kRandomFlipsHigh = 0.65;
// Slowly varying words move by a small part of their range per frame.
constexpr double kSlowShare = 1.0 / 16;

std::uint64_t mask(int bits) { return bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1; }

// Frames kept for the counter search: enough to see a major frame of up to a
// few hundred minor frames wrap, and never more than about 2^22 bits.
std::int64_t kCounterFrames(std::int64_t interval)
{
    return std::clamp<std::int64_t>((std::int64_t{1} << 22) / std::max<std::int64_t>(interval, 1), 8, 1024);
}

} // namespace

std::string_view wordKindName(WordKind kind)
{
    switch (kind) {
    case WordKind::Sync: return "sync";
    case WordKind::Constant: return "constant";
    case WordKind::Counter: return "counter";
    case WordKind::Random: return "random";
    case WordKind::Slow: return "slow";
    case WordKind::Other: return "other";
    }
    return "other";
}

std::int64_t wordsPerFrame(std::int64_t interval, int wordBits)
{
    return wordBits > 0 ? (interval + wordBits - 1) / wordBits : 0;
}

std::uint64_t frameWord(std::span<const std::uint8_t> bits, std::int64_t word, int wordBits)
{
    std::uint64_t value = 0;
    const auto from = static_cast<std::size_t>(word * wordBits);
    for (std::size_t k = 0; k < static_cast<std::size_t>(wordBits); ++k)
        value = (value << 1) | (from + k < bits.size() ? bits[from + k] & 1u : 0u);
    return value;
}

FrameWordStatistics::FrameWordStatistics(int wordBits) : wordBits_(std::clamp(wordBits, 1, 64)) {}

void FrameWordStatistics::keepForCounter(const SyncedFrame& frame, std::span<const std::uint8_t> bits)
{
    const bool follows = frame.segment == run_.segment && frame.frame == run_.lastFrame + 1 &&
                         static_cast<std::int64_t>(bits.size()) == run_.interval;
    if (!follows) {
        if (run_.frames.size() > longestRun_.frames.size()) longestRun_ = std::move(run_);
        run_ = Run{frame.segment, frame.frame - 1, static_cast<std::int64_t>(bits.size()), {}};
    }
    run_.lastFrame = frame.frame;
    if (static_cast<std::int64_t>(run_.frames.size()) >= kCounterFrames(run_.interval)) return;
    run_.frames.emplace_back(bits.begin(), bits.end());
}

void FrameWordStatistics::add(const SyncedFrame& frame, std::span<const std::uint8_t> bits, std::int64_t syncBits)
{
    if (frame.coasted) return;
    keepForCounter(frame, bits);
    if (frame.segment != current_.id) {
        if (current_.frames > best_.frames) best_ = std::move(current_);
        current_ = Segment{};
        current_.id = frame.segment;
        current_.syncBits = syncBits;
        current_.positions.resize(static_cast<std::size_t>(wordsPerFrame(static_cast<std::int64_t>(bits.size()), wordBits_)));
    }
    const bool follows = frame.frame == current_.lastFrame + 1;
    if (bits.size() / static_cast<std::size_t>(wordBits_) + 1 < current_.positions.size()) return; // not this segment's frame
    const std::uint64_t range = mask(wordBits_);
    for (std::size_t w = 0; w < current_.positions.size(); ++w) {
        Position& p = current_.positions[w];
        const std::uint64_t v = frameWord(bits, static_cast<std::int64_t>(w), wordBits_);
        if (current_.frames == 0) {
            p.first = v;
        } else {
            p.constant = p.constant && v == p.first;
            if (follows) {
                ++p.steps;
                p.byOne += v == ((p.previous + 1) & range);
                p.flips += std::popcount(v ^ p.previous);
                p.distance += static_cast<double>(v > p.previous ? v - p.previous : p.previous - v);
            }
        }
        p.low = std::min(p.low, v);
        p.high = std::max(p.high, v);
        p.previous = v;
    }
    current_.lastFrame = frame.frame;
    ++current_.frames;
}

const FrameWordStatistics::Segment& FrameWordStatistics::best() const
{
    return current_.frames > best_.frames ? current_ : best_;
}

std::vector<WordStatistic> FrameWordStatistics::words() const
{
    const Segment& s = best();
    std::vector<WordStatistic> out;
    const auto syncWords = static_cast<std::size_t>(wordsPerFrame(s.syncBits, wordBits_));
    const double range = std::ldexp(1.0, wordBits_);
    for (std::size_t w = 0; w < s.positions.size(); ++w) {
        const Position& p = s.positions[w];
        WordStatistic stat;
        stat.word = static_cast<std::int64_t>(w);
        const double pairs = static_cast<double>(std::max<std::int64_t>(p.steps, 1));
        // A counter's wraps show as steps that do not count by one: from the
        // highest value back to the lowest.
        const std::uint64_t period = p.high - p.low + 1;
        const std::int64_t expectedWraps = p.steps / static_cast<std::int64_t>(std::max<std::uint64_t>(period, 1));
        if (w < syncWords && s.frames > 0) {
            stat.kind = WordKind::Sync;
        } else if (p.constant) {
            stat.kind = WordKind::Constant;
        } else if (p.steps > 0 && period >= 2 && expectedWraps >= 1 &&
                   static_cast<double>(p.byOne + expectedWraps) >= kCounterShare * pairs) {
            stat.kind = WordKind::Counter;
            stat.modulus = period;
        } else if (p.steps > 0 && p.distance / pairs <= kSlowShare * range) {
            stat.kind = WordKind::Slow;
        } else if (p.steps > 0 && p.flips / pairs >= kRandomFlipsLow * wordBits_ &&
                   p.flips / pairs <= kRandomFlipsHigh * wordBits_) {
            stat.kind = WordKind::Random;
        }
        if (stat.kind == WordKind::Constant || (stat.kind == WordKind::Sync && p.constant)) stat.value = p.first;
        out.push_back(stat);
    }
    return out;
}

std::optional<MajorFrame> FrameWordStatistics::counterAtAnyBit() const
{
    const Run& run = run_.frames.size() > longestRun_.frames.size() ? run_ : longestRun_;
    const std::size_t n = run.frames.size();
    if (n < 8) return std::nullopt;
    const auto bit = [&run](std::size_t k, std::int64_t p) { return run.frames[k][static_cast<std::size_t>(p)]; };
    std::optional<MajorFrame> best;
    for (std::int64_t lsb = 0; lsb < run.interval; ++lsb) {
        // A counter's lowest bit flips on nearly every step.
        std::size_t flips = 0;
        for (std::size_t k = 1; k < n; ++k) flips += bit(k, lsb) != bit(k - 1, lsb);
        if (static_cast<double>(flips) < kCounterShare * static_cast<double>(n - 1) * 0.5) continue;
        // The widest field ending there that still counts by one modulo its
        // period and wraps: constant bits above the counter leave the period
        // as it is; the bit that varies otherwise ends the field.
        std::uint32_t period = 0;
        for (std::int64_t width = 1; width <= std::min<std::int64_t>(16, lsb + 1); ++width) {
            std::vector<std::uint32_t> v(n);
            for (std::size_t k = 0; k < n; ++k)
                for (std::int64_t b = lsb - width + 1; b <= lsb; ++b) v[k] = (v[k] << 1) | (bit(k, b) ? 1u : 0u);
            const auto [low, high] = std::minmax_element(v.begin(), v.end());
            // Up, or down: the complement of an up-counter, in a capture
            // whose polarity an unpublished sync word cannot tell.
            std::size_t up = 0, upWraps = 0, down = 0, downWraps = 0;
            for (std::size_t k = 1; k < n; ++k) {
                up += v[k] == v[k - 1] + 1;
                upWraps += v[k] == *low && v[k - 1] == *high;
                down += v[k] + 1 == v[k - 1];
                downWraps += v[k] == *high && v[k - 1] == *low;
            }
            const auto counts = [&](std::size_t steps, std::size_t wraps) {
                return wraps > 0 && static_cast<double>(steps + wraps) >= kCounterShare * static_cast<double>(n - 1);
            };
            if (!counts(up, upWraps) && !counts(down, downWraps)) break;
            period = *high - *low + 1;
        }
        // A bit that merely toggles is a counter of two: the subframe ID is
        // the counter of the shortest period above that, when there is one.
        const auto rank = [](std::int64_t p) { return p == 2 ? INT64_MAX : p; };
        if (period >= 2 && (!best || rank(period) < rank(best->length)))
            best = MajorFrame{static_cast<std::int64_t>(period), lsb / wordBits_, wordBits_};
    }
    return best;
}

std::optional<MajorFrame> FrameWordStatistics::majorFrame() const
{
    if (auto atAnyBit = counterAtAnyBit()) return atAnyBit;
    std::optional<MajorFrame> found;
    for (const WordStatistic& w : words()) {
        // The subframe ID counter: the counter of the shortest period.
        if (w.kind != WordKind::Counter || w.modulus < 2) continue;
        if (!found || static_cast<std::int64_t>(w.modulus) < found->length)
            found = MajorFrame{static_cast<std::int64_t>(w.modulus), w.word, wordBits_};
    }
    return found;
}

} // namespace morvelan
