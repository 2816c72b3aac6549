#pragma once
// The small drawing helpers the capture generators share.
#include <cstdint>
#include <random>
#include <vector>

namespace morvelan::testing {

using Rng = std::mt19937;

inline int pick(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

inline bool chance(Rng& rng, double p) { return std::bernoulli_distribution(p)(rng); }

// `value`'s low `bits` bits, most significant first, one byte each.
inline void appendValue(std::vector<std::uint8_t>& out, std::uint64_t value, int bits)
{
    for (int b = bits - 1; b >= 0; --b) out.push_back(static_cast<std::uint8_t>((value >> b) & 1));
}

} // namespace morvelan::testing
