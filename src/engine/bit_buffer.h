#pragma once
// The Bit buffer: cells 0 .. 300100, each the number 0 or 1. The reader
// writes from cell 1 upward; the search reads from IGNORE_START_BITS + 1.
#include <array>
#include <cstdint>

namespace morvelan {

inline constexpr std::int32_t kBitBufferLast = 300100;
inline constexpr std::int32_t kBitBufferCells = kBitBufferLast + 1;
inline constexpr std::int32_t MAX_INPUT_BITS = 200000;

class BitBuffer {
public:
    std::uint8_t get(std::int64_t pos) const { return contains(pos) ? cells_[static_cast<std::size_t>(pos)] : 0; }
    void set(std::int64_t pos, std::uint8_t bit)
    {
        if (contains(pos)) cells_[static_cast<std::size_t>(pos)] = bit ? 1 : 0;
    }
    void clear() { cells_.fill(0); }
    static constexpr bool contains(std::int64_t pos) { return pos >= 0 && pos <= kBitBufferLast; }
    const std::array<std::uint8_t, kBitBufferCells>& cells() const { return cells_; }

private:
    std::array<std::uint8_t, kBitBufferCells> cells_{};
};

} // namespace morvelan
