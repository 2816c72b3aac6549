#pragma once
// The stream folded at one interval, bit offset by bit offset: which value
// each offset takes in most frames and whether it keeps that value from
// frame to frame. The run of kept offsets round a sync word is the fixed
// region of the frame: the word and the constant words beside it.
#include "engine/hex_convert.h"
#include "engine/bit_buffer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

// An offset is fixed when at least this share of the frames agree on it;
// bit errors of a few per thousand and a few frames without their word
// stay far above it, a data bit (about one half) far below.
inline constexpr double kFixedShare = 0.9;
// A run of one bit value, or of alternating values, of at least
// kMinFillBits bits is fill rather than a word. Fill is taken in whole units
// of kFillUnit bits (frames are built of 8-bit words or multiples of them),
// so a sync word whose first bits continue the fill's pattern keeps them.
inline constexpr std::size_t kMinFillBits = 16;
inline constexpr std::size_t kFillUnit = 8;

struct FrameProfile {
    std::int64_t interval = 0;
    std::int64_t frames = 0;          // whole frames folded
    std::string majority;             // "0"/"1" per offset
    std::vector<bool> fixed;          // per offset
    // Per offset: flips from each frame to the next in at least kFixedShare
    // of the frame pairs (three frames or more), as the lowest bit of a
    // frame counter does.
    std::vector<bool> toggling;
};

// Folds cells first .. lastCell at `interval`; only whole frames count.
FrameProfile profileFrames(const BitBuffer& bits, std::int64_t first, std::int64_t lastCell, std::int64_t interval);

struct FixedRegion {
    std::int64_t start = 0;  // offset of its first bit
    std::int64_t length = 0; // 0: none
};

// The circular run of fixed offsets that holds `offset` (the whole frame when
// every offset is fixed; length 0 when `offset` is not fixed).
FixedRegion findFixedRegion(const FrameProfile& profile, std::int64_t offset);

// The majority bits of `region`, in frame order from its start.
std::string regionBits(const FrameProfile& profile, const FixedRegion& region);

// Length of the fill `bits` begin with (one value or alternating values,
// at least kMinFillBits), cut down to whole kFillUnit units; else 0.
std::size_t leadingFillLength(std::string_view bits);

struct Segment {
    std::size_t start = 0;
    std::size_t length = 0;
};
// The parts of `bits` between fills: the words of a fixed region.
std::vector<Segment> wordSegments(std::string_view bits);

// Where the fill run that ends just before `at` really ends: the first
// offset from `at` on that no longer continues its pattern (one value, or
// alternating values). `at` itself when no fill of two bits or more precedes.
std::size_t fillRunEnd(std::string_view bits, std::size_t at);


} // namespace morvelan
