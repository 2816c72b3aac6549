#pragma once
// The eight bits of every byte value as eight bytes of 0 or 1, in the order
// they are emitted, so a packed byte expands by one 8-byte copy.
#include <array>
#include <cstdint>
#include <cstring>

namespace morvelan {

using ByteBits = std::array<std::uint8_t, 8>;

constexpr std::array<ByteBits, 256> makeByteBits(bool msbFirst)
{
    std::array<ByteBits, 256> table{};
    for (unsigned v = 0; v < 256; ++v)
        for (unsigned k = 0; k < 8; ++k)
            table[v][k] = static_cast<std::uint8_t>((v >> (msbFirst ? 7 - k : k)) & 1u);
    return table;
}

inline constexpr std::array<ByteBits, 256> kMsbFirstBits = makeByteBits(true);
inline constexpr std::array<ByteBits, 256> kLsbFirstBits = makeByteBits(false);

inline void expandByte(const std::array<ByteBits, 256>& table, std::uint8_t byte, std::uint8_t* out)
{
    std::memcpy(out, table[byte].data(), 8);
}

} // namespace morvelan
