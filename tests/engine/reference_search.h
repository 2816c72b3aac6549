#pragma once
// A slow, literal sync search used as the oracle for SearchSync. It keeps the
// frame position table and the frame pattern table of "0"/"1" texts, builds
// each pattern bit by bit, compares texts character by character and formats
// every window line and Result file row itself. It never yields, never checks
// the Abort flag and shows no abort question; HexConvert (the real one)
// reports its own messages through the toolkit.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {
class Toolkit;
}

namespace morvelan::testing {

struct ReferenceResult {
    std::vector<std::string> windowLines; // each ends in CR LF
    std::vector<std::string> rows;        // each ends in CR LF
    std::int32_t found = 0;
};

// Mismatches over character positions 1 to 20 (code points); a position past
// the end of one text differs, past both is equal.
bool ReferencePatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits);

// The rightmost `width` characters of `width` spaces followed by the decimal
// text of value.
std::string ReferencePadLeft(int width, std::int64_t value);

std::string ReferenceWindowLine(std::int64_t interval, std::int64_t index, std::string_view pattern,
                                std::string_view hex, std::int64_t count);
// Fields in 14-column print zones; field 4 starts at the first zone start
// after the last column of field 3.
std::string ReferenceResultRow(std::int64_t interval, std::int64_t index, std::string_view pattern,
                               std::string_view hex, std::int64_t count);

// Examines every candidate of START_SYNC_INTERVAL .. END_SYNC_INTERVAL.
// FRAME_ROUNDS must be 0 or more (the pipeline refuses negative values); any
// larger value counts every frame.
ReferenceResult ReferenceSearchSync(const BitBuffer& bits, const AnalysisParameters& params, bool skipExclusions,
                                    Toolkit& toolkit);

} // namespace morvelan::testing
