#include "analysis/capture_chance.h"

#include <algorithm>

namespace morvelan {

CaptureStatistics::CaptureStatistics(const BitBuffer& bits, std::int32_t decodedBits)
    : bits_(bits), last_(std::clamp<std::int64_t>(decodedBits, 0, bits.last()))
{
}

const std::vector<std::uint32_t>& CaptureStatistics::histogram(int width) const
{
    auto [it, fresh] = histograms_.try_emplace(width);
    if (fresh) {
        std::vector<std::uint32_t>& h = it->second;
        h.assign(std::size_t{1} << width, 0);
        const std::uint32_t mask = (std::uint32_t{1} << width) - 1;
        std::uint32_t window = 0;
        for (std::int64_t p = 1; p <= last_; ++p) {
            window = ((window << 1) | bits_.get(p)) & mask;
            if (p >= width) ++h[window];
        }
    }
    return it->second;
}

namespace {

// Sum of h over the values within `errors` flips of `value`, flipping only
// bits below `limit` (each set of flips visited once).
std::uint64_t sumNear(const std::vector<std::uint32_t>& h, std::uint32_t value, int errors, int limit)
{
    std::uint64_t sum = h[value];
    if (errors <= 0) return sum;
    for (int b = 0; b < limit; ++b) sum += sumNear(h, value ^ (std::uint32_t{1} << b), errors - 1, b);
    return sum;
}

} // namespace

long double CaptureStatistics::share(const std::string& pattern, int errors) const
{
    const std::string cut = pattern.substr(0, kMaxWidth);
    const auto key = std::make_pair(cut, errors);
    if (const auto it = known_.find(key); it != known_.end()) return it->second;
    const auto width = static_cast<int>(cut.size());
    std::uint64_t hits = 0;
    std::int64_t windows = 0;
    if (width >= 1 && last_ >= width) {
        std::uint32_t value = 0;
        for (const char c : cut) value = (value << 1) | (c == '1' ? 1u : 0u);
        hits = sumNear(histogram(width), value, std::min(errors, width), width);
        windows = last_ - width + 1;
    }
    const long double s = (static_cast<long double>(hits) + 1) / (static_cast<long double>(windows) + 2);
    known_.emplace(key, s);
    return s;
}

} // namespace morvelan
