#include "analysis/fixed_region.h"

#include <algorithm>

namespace morvelan {

FrameProfile profileFrames(const BitBuffer& bits, std::int64_t first, std::int64_t lastCell, std::int64_t interval)
{
    FrameProfile p;
    p.interval = interval;
    if (interval <= 0) return p;
    first = std::max<std::int64_t>(first, 1);
    lastCell = std::min<std::int64_t>(lastCell, bits.last());
    p.frames = lastCell >= first ? (lastCell - first + 1) / interval : 0;
    const auto width = static_cast<std::size_t>(interval);
    std::vector<std::int64_t> ones(width, 0);
    std::vector<std::int64_t> flips(width, 0);
    std::vector<std::uint8_t> previous(width, 0);
    for (std::int64_t k = 0; k < p.frames; ++k) {
        const std::int64_t base = first + k * interval;
        for (std::size_t o = 0; o < width; ++o) {
            const auto b = static_cast<std::uint8_t>(bits.get(base + static_cast<std::int64_t>(o)));
            ones[o] += b;
            flips[o] += k > 0 && b != previous[o];
            previous[o] = b;
        }
    }
    p.majority.assign(width, '0');
    p.fixed.assign(width, false);
    p.toggling.assign(width, false);
    if (p.frames < 2) return p;
    const auto share = [](std::int64_t n) {
        return static_cast<std::int64_t>(kFixedShare * static_cast<double>(n) + 0.999999);
    };
    const std::int64_t needed = share(p.frames);
    const std::int64_t neededFlips = share(p.frames - 1);
    for (std::size_t o = 0; o < width; ++o) {
        const bool one = ones[o] * 2 > p.frames;
        p.majority[o] = one ? '1' : '0';
        p.fixed[o] = (one ? ones[o] : p.frames - ones[o]) >= needed;
        p.toggling[o] = p.frames >= 3 && flips[o] >= neededFlips;
    }
    return p;
}

FixedRegion findFixedRegion(const FrameProfile& profile, std::int64_t offset)
{
    const std::int64_t n = profile.interval;
    if (n <= 0 || offset < 0 || offset >= n || !profile.fixed[static_cast<std::size_t>(offset)]) return {};
    const auto isFixed = [&](std::int64_t o) { return profile.fixed[static_cast<std::size_t>(((o % n) + n) % n)]; };
    std::int64_t back = 0;
    while (back < n && isFixed(offset - back - 1)) ++back;
    if (back >= n) return {0, n}; // every offset is fixed
    std::int64_t ahead = 0;
    while (isFixed(offset + ahead + 1)) ++ahead;
    return {((offset - back) % n + n) % n, back + ahead + 1};
}

std::string regionBits(const FrameProfile& profile, const FixedRegion& region)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(region.length));
    for (std::int64_t j = 0; j < region.length; ++j)
        out += profile.majority[static_cast<std::size_t>((region.start + j) % profile.interval)];
    return out;
}

std::size_t leadingFillLength(std::string_view bits)
{
    if (bits.size() < kMinFillBits) return 0;
    std::size_t same = 1;
    while (same < bits.size() && bits[same] == bits[0]) ++same;
    std::size_t alternating = 1;
    while (alternating < bits.size() && bits[alternating] != bits[alternating - 1]) ++alternating;
    const std::size_t longest = std::max(same, alternating);
    return longest >= kMinFillBits ? longest - longest % kFillUnit : 0;
}

std::vector<Segment> wordSegments(std::string_view bits)
{
    std::vector<Segment> out;
    std::size_t j = 0;
    while (j < bits.size()) {
        if (const std::size_t fill = leadingFillLength(bits.substr(j)); fill > 0) {
            j += fill;
            continue;
        }
        if (out.empty() || out.back().start + out.back().length != j) out.push_back({j, 0});
        ++out.back().length;
        ++j;
    }
    return out;
}

std::size_t fillRunEnd(std::string_view bits, std::size_t at)
{
    if (at < 2 || at > bits.size()) return at;
    const bool same = bits[at - 1] == bits[at - 2];
    std::size_t end = at;
    while (end < bits.size() && (bits[end] == bits[end - 1]) == same) ++end;
    return end;
}


} // namespace morvelan
