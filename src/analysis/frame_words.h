#pragma once
// Decommutation aids: what each word of the locked frames does (sync,
// constant, a counter counting by one modulo N, random, slowly varying,
// other) and the major frame that the subframe ID counter's period gives.
// Statistics are kept per word position, never per frame, so memory does not
// depend on the capture's length. Frames are read as words of W bits, most
// significant bit first; a last partial word is padded with zero bits.
#include "analysis/frame_sync.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace morvelan {

enum class WordKind { Sync, Constant, Counter, Random, Slow, Other };
std::string_view wordKindName(WordKind kind); // "sync", "constant", ...

struct WordStatistic {
    std::int64_t word = 0; // 0-based position in the frame
    WordKind kind = WordKind::Other;
    std::optional<std::uint64_t> value; // where the word is constant (sync words too)
    std::uint64_t modulus = 0;          // counters: the period N
};

struct MajorFrame {
    std::int64_t length = 0;      // in minor frames
    std::int64_t counterWord = 0; // 0-based
    int wordBits = 0;
};

// The words of `bits` (a frame) as W-bit values; the last one padded.
std::uint64_t frameWord(std::span<const std::uint8_t> bits, std::int64_t word, int wordBits);
std::int64_t wordsPerFrame(std::int64_t interval, int wordBits);

class FrameWordStatistics {
public:
    explicit FrameWordStatistics(int wordBits);
    // Takes a frame the synchroniser gave (coasted ones are left out): its
    // bits from the first sync bit on, and the width of its sync word.
    void add(const SyncedFrame& frame, std::span<const std::uint8_t> bits, std::int64_t syncBits);
    // The words of the segment with the most frames taken; empty without one.
    std::vector<WordStatistic> words() const;
    std::optional<MajorFrame> majorFrame() const;
    int wordBits() const { return wordBits_; }

private:
    struct Position {
        std::uint64_t first = 0, previous = 0, low = ~std::uint64_t{0}, high = 0;
        bool constant = true;
        std::int64_t steps = 0;       // pairs of consecutive frames seen
        std::int64_t byOne = 0;       // pairs that counted up by one
        std::int64_t wraps = 0;       // pairs that went from the highest value to the lowest
        double flips = 0;             // changed bits, summed over pairs
        double distance = 0;          // |difference|, summed over pairs
    };
    struct Segment {
        std::int32_t id = -1;
        std::int64_t syncBits = 0;
        std::int64_t frames = 0;
        std::int64_t lastFrame = -2;
        std::vector<Position> positions;
    };
    // A run of consecutive locked frames, kept whole (packed) so that the
    // subframe ID counter can be found at any bit, word-aligned or not.
    struct Run {
        std::int32_t segment = -1;
        std::int64_t lastFrame = -2;
        std::int64_t interval = 0;
        std::vector<std::vector<bool>> frames;
    };
    const Segment& best() const;
    void keepForCounter(const SyncedFrame& frame, std::span<const std::uint8_t> bits);
    std::optional<MajorFrame> counterAtAnyBit() const;

    int wordBits_;
    Segment current_, best_;
    Run run_, longestRun_;
};

} // namespace morvelan
