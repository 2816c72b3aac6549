#pragma once
// The frame synchroniser's search for a format of its own, on packed bits,
// and the settings it and the synchroniser actually use.
#include "analysis/frame_sync.h"
#include "analysis/frame_sync_bits.h"

#include <cstdint>
#include <optional>

namespace morvelan::framesync {

// The settings within the ranges the synchroniser works in: a sync word of
// 1 to 64 bits (one machine word), intervals up to 2^20 bits, errors below
// half the word (so a word and its complement never both match), a slip
// window of at most 16 bits, at most 16 confirming frames (memory grows
// with them).
FrameSyncSettings clampSettings(const FrameSyncSettings& settings);

// How many times in a row (after the first find) a word must recur for
// chance to be ruled out, when `candidates` (start, interval) pairs are
// tried with words of `width` bits, `errors` and +-`slip`. 0: never.
int recurrencesNeeded(int width, int errors, int slip, double candidates);

// acquireFormat on bits [from, from + count) of `bits`, with clamped settings.
std::optional<FrameFormat> acquire(const PackedBits& bits, std::int64_t from, std::int64_t count,
                                   const FrameSyncSettings& settings);

// A word that matches itself moved by a bit or two (a constant level, a
// 0101 or 0011 run, a mostly empty status word) cannot mark a frame's start.
bool fillLike(std::uint64_t word, int width, int errors);

} // namespace morvelan::framesync
