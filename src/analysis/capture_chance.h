#pragma once
// How often a bit pattern turns up anywhere in a capture. A pattern that
// the capture is full of (a fill run, a constant level) recurs at any
// interval by chance; a sync word turns up about once a frame.
#include "engine/bit_buffer.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace morvelan {

class CaptureStatistics {
public:
    // Cells 1 .. decodedBits are the capture.
    CaptureStatistics(const BitBuffer& bits, std::int32_t decodedBits);

    // The share of the capture's windows of pattern.size() bits (1 to 20;
    // a longer pattern counts by its first 20) that differ from `pattern`
    // ("0"/"1") in at most `errors` bits, counted as (hits + 1) /
    // (windows + 2) so that it is never 0 or 1. Remembered per pattern.
    long double share(const std::string& pattern, int errors) const;

    static constexpr int kMaxWidth = 20;

private:
    const std::vector<std::uint32_t>& histogram(int width) const;

    const BitBuffer& bits_;
    std::int64_t last_ = 0;
    // Per width, how many windows hold each value: built when first needed.
    mutable std::map<int, std::vector<std::uint32_t>> histograms_;
    mutable std::map<std::pair<std::string, int>, long double> known_;
};

} // namespace morvelan
