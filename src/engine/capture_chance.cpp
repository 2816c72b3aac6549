#include "engine/capture_chance.h"

#include <algorithm>
#include <bit>

namespace morvelan {

CaptureStatistics::CaptureStatistics(const BitBuffer& bits, std::int32_t decodedBits)
    : bits_(bits), last_(std::clamp<std::int64_t>(decodedBits, 0, kBitBufferLast))
{
}

long double CaptureStatistics::share(const std::string& pattern, int errors) const
{
    const auto key = std::make_pair(pattern, errors);
    if (const auto it = known_.find(key); it != known_.end()) return it->second;
    const auto width = static_cast<std::int64_t>(pattern.size());
    std::int64_t hits = 0;
    std::int64_t windows = 0;
    if (width >= 1 && width <= 64) {
        std::uint64_t wanted = 0;
        for (const char c : pattern) wanted = (wanted << 1) | (c == '1' ? 1u : 0u);
        const std::uint64_t mask = width == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
        std::uint64_t window = 0;
        for (std::int64_t p = 1; p <= last_; ++p) {
            window = ((window << 1) | bits_.get(p)) & mask;
            if (p < width) continue;
            ++windows;
            hits += std::popcount(window ^ wanted) <= errors;
        }
    }
    const long double s = (static_cast<long double>(hits) + 1) / (static_cast<long double>(windows) + 2);
    known_.emplace(key, s);
    return s;
}

} // namespace morvelan
