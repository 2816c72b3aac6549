#include "engine/search.h"

#include "common/toolkit.h"
#include "common/utf8.h"
#include "engine/hex_convert.h"
#include "engine/parameters.h"
#include "engine/run_view.h"
#include "engine/session.h"
#include "files/file_messages.h"
#include "files/result_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace morvelan {

bool PatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits)
{
    std::int32_t mismatches = 0;
    std::size_t ia = 0;
    std::size_t ib = 0;
    for (int i = 0; i < kMatchPositions; ++i) {
        const std::size_t na = ia < a.size() ? utf8SequenceLength(a, ia) : 0;
        const std::size_t nb = ib < b.size() ? utf8SequenceLength(b, ib) : 0;
        if (a.substr(ia, na) != b.substr(ib, nb)) ++mismatches;
        ia += na;
        ib += nb;
    }
    return mismatches <= allowErrBits;
}

namespace {

using Window = std::uint32_t; // kMatchPositions bits, bit 19 = first position

// Bit count of a 20-bit window by two lookups: portable to every x86-64
// (no POPCNT instruction assumed) and as fast as the instruction here.
struct BitCountTable {
    std::array<std::uint8_t, 1024> counts{};
    constexpr BitCountTable()
    {
        for (unsigned v = 0; v < counts.size(); ++v) counts[v] = static_cast<std::uint8_t>(std::popcount(v));
    }
};
constexpr BitCountTable kBitCounts;

inline int countBits(Window w)
{
    return kBitCounts.counts[w & 1023u] + kBitCounts.counts[(w >> 10) & 1023u];
}

constexpr Window topMask(int width)
{
    return width <= 0 ? 0u : (((1u << width) - 1u) << (kMatchPositions - width));
}

// The Bit buffer packed most significant bit first, with zero padding so an
// unaligned 64-bit read near the end never leaves the array.
class PackedBits {
public:
    explicit PackedBits(const BitBuffer& bits) : words_((kBitBufferCells + 63) / 64 + 2, 0)
    {
        const auto& cells = bits.cells();
        for (std::size_t p = 0; p < cells.size(); ++p)
            if (cells[p]) words_[p >> 6] |= std::uint64_t{1} << (63 - (p & 63));
    }
    // The kMatchPositions cells from p on (0 <= p <= last cell); cells past
    // the end read 0 and are masked off by the caller's width.
    Window window(std::int64_t p) const
    {
        const auto i = static_cast<std::size_t>(p >> 6);
        const auto s = static_cast<unsigned>(p & 63);
        std::uint64_t v = words_[i] << s;
        if (s != 0) v |= words_[i + 1] >> (64 - s);
        return static_cast<Window>(v >> (64 - kMatchPositions));
    }

private:
    std::vector<std::uint64_t> words_;
};

// One frame's view for matching: the first min(20, L) bits of its pattern,
// where L counts the pattern's cells that lie inside the Bit buffer.
struct FrameWindow {
    Window bits;
    int width;
};

// An exclusion pattern reduced to what a comparison with a frame needs.
struct ExclusionPattern {
    int length = 0;                              // E = min(20, characters)
    Window binaryMask = 0;                       // positions holding "0" or "1"
    Window value = 0;                            // their bits
    std::array<int, kMatchPositions + 1> otherChars{}; // other characters among the first w

    explicit ExclusionPattern(std::string_view text)
    {
        std::size_t i = 0;
        while (length < kMatchPositions && i < text.size()) {
            const std::size_t n = utf8SequenceLength(text, i);
            const std::string_view ch = text.substr(i, n);
            const Window bit = Window{1} << (kMatchPositions - 1 - length);
            otherChars[static_cast<std::size_t>(length) + 1] = otherChars[static_cast<std::size_t>(length)];
            if (ch == "0" || ch == "1") {
                binaryMask |= bit;
                if (ch == "1") value |= bit;
            } else {
                ++otherChars[static_cast<std::size_t>(length) + 1];
            }
            ++length;
            i += n;
        }
    }

    int mismatches(FrameWindow f) const
    {
        const int common = std::min(length, f.width);
        return countBits((value ^ f.bits) & binaryMask & topMask(common)) +
               otherChars[static_cast<std::size_t>(common)] + std::abs(length - f.width);
    }
};

// An exclusion pattern specialised for frames of one fixed width.
struct FixedWidthExclusion {
    Window value;
    Window mask;
    int constant; // differences that do not depend on the frame's bits
};

class Pacer {
public:
    // Counts work; true about every 20 ms, when the window should get a turn.
    bool due(std::int64_t work)
    {
        work_ += work;
        if (work_ < kWorkPerClockRead) return false;
        work_ = 0;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kYieldPeriod) return false;
        last_ = now;
        return true;
    }

private:
    static constexpr std::int64_t kWorkPerClockRead = 1 << 14;
    static constexpr auto kYieldPeriod = std::chrono::milliseconds(20);
    std::int64_t work_ = 0;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

class Search {
public:
    Search(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunView& view)
        : session_(session), p_(params), toolkit_(toolkit), view_(view), bits_(session.bits)
    {
        if (!session.options.skipExclusions)
            for (const std::string& text : params.EXCLUDE_PAT) exclusions_.emplace_back(text);
        // A size of 0 or less gives empty patterns: no window at all.
        fixedWidth_ = std::clamp(p_.SYNC_BIT_SIZE, 0, kMatchPositions);
        for (const ExclusionPattern& e : exclusions_) {
            const int common = std::min(e.length, fixedWidth_);
            const int constant = e.otherChars[static_cast<std::size_t>(common)] + std::abs(e.length - fixedWidth_);
            // A pattern that differs in more positions than allowed whatever
            // the frame's bits (an empty one, say) can never exclude a
            // full-width frame: leave it out of the hot loop.
            if (constant <= p_.ALLOW_ERR_BITS)
                fixedExclusions_.push_back({e.value, e.binaryMask & topMask(common), constant});
        }
        hexIsSilent_ = isValidSyncBitSize(p_.SYNC_BIT_SIZE);
        needed_ = std::max<std::int64_t>(1, std::int64_t{p_.THRESHOLD} - 1);
        pattern_.reserve(64);
        hex_.reserve(16);
        line_.reserve(256);
        row_.reserve(256);
    }

    bool run()
    {
        view_.setProgressRange(p_.START_SYNC_INTERVAL, p_.END_SYNC_INTERVAL);
        view_.setProgressValue(p_.START_SYNC_INTERVAL);
        const std::int64_t last = p_.END_SYNC_INTERVAL;
        const std::int64_t s = std::int64_t{p_.IGNORE_START_BITS} + 1;
        for (std::int64_t interval = p_.START_SYNC_INTERVAL; interval <= last; ++interval) {
            if (abortConfirmed()) return false;
            shownInterval_ = interval;
            if (interval <= 0) {
                // No index: nothing to examine up to interval 0.
                interval = std::min<std::int64_t>(0, last);
                shownInterval_ = interval;
                continue;
            }
            for (std::int64_t x = 0; x < interval; ++x) {
                if (pacer_.due(std::int64_t{p_.FRAME_ROUNDS} + 1)) {
                    shownIndex_ = x;
                    if (!yieldToWindow()) return false;
                }
                shownIndex_ = x;
                if (!examine(interval, x, s)) return false;
            }
        }
        showPosition();
        view_.setProgressValue(p_.END_SYNC_INTERVAL);
        return true;
    }

private:
    bool abortConfirmed()
    {
        if (!session_.abortFlag) return false;
        if (toolkit_.showMessage(kMsgAbortQuestion, kConfirmCaption, Buttons::OkCancel) == Answer::Ok) return true;
        session_.abortFlag = false;
        return false;
    }

    void showPosition()
    {
        if (shownInterval_) {
            view_.setProgressValue(static_cast<std::int32_t>(*shownInterval_));
            view_.showInterval(static_cast<std::int32_t>(*shownInterval_));
        }
        if (shownIndex_) view_.showIndex(static_cast<std::int32_t>(*shownIndex_));
        view_.showFoundCount(session_.foundCount);
    }

    // False when the user confirmed an abort.
    bool yieldToWindow()
    {
        showPosition();
        toolkit_.yield();
        return !abortConfirmed();
    }

    FrameWindow frameAt(std::int64_t pos) const
    {
        const std::int64_t first = std::max<std::int64_t>(pos, 0);
        const std::int64_t lastCell = std::min<std::int64_t>(pos + p_.SYNC_BIT_SIZE - 1, kBitBufferLast);
        const std::int64_t length = std::max<std::int64_t>(0, lastCell - first + 1);
        const int width = static_cast<int>(std::min<std::int64_t>(kMatchPositions, length));
        if (width == 0) return {0, 0};
        return {bits_.window(first) & topMask(width), width};
    }

    static int mismatches(FrameWindow a, FrameWindow b)
    {
        return countBits((a.bits ^ b.bits) & topMask(std::min(a.width, b.width))) + std::abs(a.width - b.width);
    }

    // Counts matching frames 2 .. FRAME_ROUNDS + 1, stopping early once the
    // count can no longer reach the report rule.
    std::int64_t countFixedWidth(std::int64_t first, std::int64_t interval, Window reference) const
    {
        const std::int64_t frames = p_.FRAME_ROUNDS;
        const std::int32_t allowed = p_.ALLOW_ERR_BITS;
        const Window mask = topMask(fixedWidth_);
        std::int64_t matches = 0;
        std::int64_t pos = first;
        for (std::int64_t k = 1; k <= frames; ++k) {
            pos += interval;
            const Window f = bits_.window(pos);
            bool excluded = false;
            for (const FixedWidthExclusion& e : fixedExclusions_) {
                if (countBits((f ^ e.value) & e.mask) + e.constant <= allowed) {
                    excluded = true;
                    break;
                }
            }
            if (!excluded && countBits((f ^ reference) & mask) <= allowed) ++matches;
            if (matches + (frames - k) < needed_) return 0;
        }
        return matches;
    }

    bool excludedFrame(FrameWindow f) const
    {
        for (const ExclusionPattern& e : exclusions_)
            if (e.mismatches(f) <= p_.ALLOW_ERR_BITS) return true;
        return false;
    }

    std::int64_t countGeneral(std::int64_t first, std::int64_t interval, FrameWindow reference) const
    {
        const std::int64_t frames = p_.FRAME_ROUNDS;
        const std::int32_t allowed = p_.ALLOW_ERR_BITS;
        std::int64_t matches = 0;
        for (std::int64_t k = 1; k <= frames; ++k) {
            const std::int64_t pos = first + k * interval;
            if (pos > kBitBufferLast) {
                // Every later frame lies past the buffer too: all are the
                // same empty frame, so count them at once.
                const FrameWindow none{0, 0};
                if (!excludedFrame(none) && mismatches(reference, none) <= allowed) matches += frames - k + 1;
                return matches;
            }
            const FrameWindow f = frameAt(pos);
            if (!excludedFrame(f) && mismatches(reference, f) <= allowed) ++matches;
            if (matches + (frames - k) < needed_) return 0;
        }
        return matches;
    }

    // The reference pattern as text: one "0"/"1" per cell of frame 1 that
    // lies inside the Bit buffer.
    void buildReferenceText(std::int64_t first)
    {
        pattern_.clear();
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = std::min<std::int64_t>(first + p_.SYNC_BIT_SIZE - 1, kBitBufferLast);
        const auto& cells = session_.bits.cells();
        for (std::int64_t p = from; p <= to; ++p) pattern_ += static_cast<char>('0' + cells[static_cast<std::size_t>(p)]);
    }

    // Hex digits of a full-length pattern: it always converts without a message.
    void buildHexOfFullPattern()
    {
        hex_.clear();
        for (std::size_t g = 0; g + 4 <= pattern_.size(); g += 4) {
            const int v = (pattern_[g] - '0') * 8 + (pattern_[g + 1] - '0') * 4 + (pattern_[g + 2] - '0') * 2 +
                          (pattern_[g + 3] - '0');
            hex_ += "0123456789ABCDEF"[v];
        }
    }

    bool examine(std::int64_t interval, std::int64_t x, std::int64_t s)
    {
        const std::int64_t first = s + x;
        const std::int64_t frames = p_.FRAME_ROUNDS;
        const bool frame1Full =
            hexIsSilent_ && first >= 0 && first + p_.SYNC_BIT_SIZE - 1 <= kBitBufferLast;
        const bool allFixed = first >= 0 && first + frames * interval + fixedWidth_ - 1 <= kBitBufferLast;

        std::int64_t matches;
        if (allFixed) {
            matches = countFixedWidth(first, interval, bits_.window(first) & topMask(fixedWidth_));
        } else {
            matches = countGeneral(first, interval, frameAt(first));
        }

        if (frame1Full) {
            if (matches < needed_) return true;
            buildReferenceText(first);
            buildHexOfFullPattern();
        } else {
            // A frame 1 cut short by the buffer's ends goes through the
            // conversion with its messages, reported or not.
            buildReferenceText(first);
            hex_ = HexConvert(toolkit_, pattern_);
            if (matches < needed_) return true;
        }
        return report(interval, x, matches + 1);
    }

    bool report(std::int64_t interval, std::int64_t x, std::int64_t count)
    {
        line_.clear();
        appendWindowLine(line_, interval, x, pattern_, hex_, count);
        view_.appendResultLine(line_);
        view_.candidateReported(
            {static_cast<std::int32_t>(interval), static_cast<std::int32_t>(x), count});
        row_.clear();
        appendResultRow(row_, interval, x, pattern_, hex_, count);
        if (!session_.files.result.writeBytes(row_)) {
            showError(toolkit_, messageCannotWriteResult(session_.files.result.path()));
            showPosition();
            return false;
        }
        ++session_.foundCount;
        return true;
    }

    Session& session_;
    const AnalysisParameters& p_;
    Toolkit& toolkit_;
    RunView& view_;
    PackedBits bits_;
    std::vector<ExclusionPattern> exclusions_;
    std::vector<FixedWidthExclusion> fixedExclusions_;
    int fixedWidth_ = kMatchPositions;
    bool hexIsSilent_ = true; // a full pattern of this width converts without a message
    std::int64_t needed_ = 1;
    Pacer pacer_;
    std::optional<std::int64_t> shownInterval_;
    std::optional<std::int64_t> shownIndex_;
    std::string pattern_;
    std::string hex_;
    std::string line_;
    std::string row_;
};

} // namespace

bool SearchSync(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunView& view)
{
    Search search(session, params, toolkit, view);
    return search.run();
}

} // namespace morvelan
