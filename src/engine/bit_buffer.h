#pragma once
// The Bit buffer: cells 0 .. last(), each the number 0 or 1. The reader
// writes from cell 1 upward; the search reads from IGNORE_START_BITS + 1.
// The classic hex capture keeps its historic 300101 cells; other inputs get
// a buffer sized to what the search compares.
// A packed copy (cell p is bit p % 64 of word p / 64) is kept alongside the
// cells, so the search reads 64 cells with one load and never repacks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace morvelan {

inline constexpr std::int32_t kBitBufferLast = 300100;
inline constexpr std::int32_t kBitBufferCells = kBitBufferLast + 1;
inline constexpr std::int32_t MAX_INPUT_BITS = 200000;
// Zero words after the last cell: a wide read that starts inside the buffer
// never leaves the array.
inline constexpr std::int32_t kPackedPaddingWords = 16;

class BitBuffer {
public:
    // The classic buffer, cells 0 .. kBitBufferLast.
    BitBuffer() : BitBuffer(kBitBufferLast) {}
    explicit BitBuffer(std::int64_t last) { resize(last); }

    // Cells 0 .. last, all 0.
    void resize(std::int64_t last)
    {
        last_ = std::max<std::int64_t>(last, 0);
        const auto cells = static_cast<std::size_t>(last_ + 1);
        cells_.assign(cells, 0);
        words_.assign((cells + 63) / 64 + kPackedPaddingWords, 0);
    }
    std::int64_t last() const { return last_; }
    // Ends the buffer at cell `last` (when below its end): what lay past it
    // counts as outside, as past the end of a capture. Cells past `last`
    // must hold 0.
    void endAt(std::int64_t last)
    {
        if (last >= last_) return;
        last_ = std::max<std::int64_t>(last, 0);
        const auto cells = static_cast<std::size_t>(last_ + 1);
        cells_.resize(cells);
        words_.resize((cells + 63) / 64 + kPackedPaddingWords);
    }

    std::uint8_t get(std::int64_t pos) const { return contains(pos) ? cells_[static_cast<std::size_t>(pos)] : 0; }
    void set(std::int64_t pos, std::uint8_t bit)
    {
        if (!contains(pos)) return;
        const auto p = static_cast<std::size_t>(pos);
        cells_[p] = bit ? 1 : 0;
        const std::uint64_t mask = std::uint64_t{1} << (p & 63);
        if (bit) words_[p >> 6] |= mask;
        else words_[p >> 6] &= ~mask;
    }
    // The four bits of a digit value v at pos .. pos + 3, most significant
    // bit first (v = 255 gives 1, 1, 1, 1).
    void setDigit(std::int64_t pos, std::uint32_t v)
    {
        if (pos < 0 || pos + 3 > last_) {
            for (int i = 0; i < 4; ++i) set(pos + i, (v >> (3 - i)) & 1u);
            return;
        }
        const auto p = static_cast<std::size_t>(pos);
        cells_[p] = (v >> 3) & 1u;
        cells_[p + 1] = (v >> 2) & 1u;
        cells_[p + 2] = (v >> 1) & 1u;
        cells_[p + 3] = v & 1u;
        // Reversed nibble: the first cell is the lowest bit.
        const std::uint64_t nibble = ((v >> 3) & 1u) | ((v >> 1) & 2u) | ((v << 1) & 4u) | ((v << 3) & 8u);
        const std::size_t w = p >> 6;
        const unsigned s = p & 63;
        words_[w] = (words_[w] & ~(std::uint64_t{15} << s)) | (nibble << s);
        if (s > 60) {
            const unsigned spill = 64 - s; // bits that fit in word w
            words_[w + 1] = (words_[w + 1] & ~(std::uint64_t{15} >> spill)) | (nibble >> spill);
        }
    }
    // Digits values[0 .. n-1] from pos on, as setDigit writes them one by
    // one; every cell of them lies inside the buffer. The packed words take
    // up to 64 cells at a time.
    void setDigits(std::int64_t pos, const std::uint8_t* values, std::size_t n)
    {
        auto p = static_cast<std::size_t>(pos);
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned v = values[i] & 15u;
            cells_[p + 4 * i] = (v >> 3) & 1u;
            cells_[p + 4 * i + 1] = (v >> 2) & 1u;
            cells_[p + 4 * i + 2] = (v >> 1) & 1u;
            cells_[p + 4 * i + 3] = v & 1u;
        }
        for (std::size_t i = 0; i < n;) {
            std::uint64_t bits = 0;
            int count = 0;
            for (; count < 64 && i < n; count += 4, ++i) {
                // Reversed nibble: the first cell is the lowest bit.
                static constexpr std::uint8_t kReversed[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
                bits |= std::uint64_t{kReversed[values[i] & 15u]} << count;
            }
            setBits(p, bits, count);
            p += static_cast<std::size_t>(count);
        }
    }
    // Cells pos .. pos + n - 1 from bits[0 .. n-1], each 0 or 1; every
    // cell of them lies inside the buffer.
    void setCells(std::int64_t pos, const std::uint8_t* bits, std::size_t n)
    {
        auto p = static_cast<std::size_t>(pos);
        std::memcpy(cells_.data() + p, bits, n);
        for (std::size_t i = 0; i < n;) {
            const int count = static_cast<int>(std::min<std::size_t>(64, n - i));
            std::uint64_t packed = 0;
            for (int k = 0; k < count; ++k) packed |= std::uint64_t{bits[i + static_cast<std::size_t>(k)] & 1u} << k;
            setBits(p, packed, count);
            p += static_cast<std::size_t>(count);
            i += static_cast<std::size_t>(count);
        }
    }
    void clear()
    {
        std::fill(cells_.begin(), cells_.end(), std::uint8_t{0});
        std::fill(words_.begin(), words_.end(), std::uint64_t{0});
    }
    bool contains(std::int64_t pos) const { return pos >= 0 && pos <= last_; }
    const std::vector<std::uint8_t>& cells() const { return cells_; }
    const std::vector<std::uint64_t>& words() const { return words_; }

private:
    // Packed cells p .. p + count - 1 (1 <= count <= 64) from `bits`.
    void setBits(std::size_t p, std::uint64_t bits, int count)
    {
        const std::uint64_t mask = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
        const std::size_t w = p >> 6;
        const unsigned s = p & 63;
        words_[w] = (words_[w] & ~(mask << s)) | (bits << s);
        if (s != 0 && s + static_cast<unsigned>(count) > 64)
            words_[w + 1] = (words_[w + 1] & ~(mask >> (64 - s))) | (bits >> (64 - s));
    }

    std::int64_t last_ = 0;
    std::vector<std::uint8_t> cells_;
    std::vector<std::uint64_t> words_;
};

// The frame pattern the search cuts at cell `first`: one "0"/"1" per cell of
// first .. first + syncBits - 1 that lies inside the Bit buffer, into `out`
// (its storage reused).
inline void cutFramePattern(const BitBuffer& bits, std::int64_t first, std::int64_t syncBits, std::string& out)
{
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + syncBits - 1, bits.last());
    const auto n = static_cast<std::size_t>(std::max<std::int64_t>(0, to - from + 1));
    out.resize(n);
    const std::uint8_t* cells = bits.cells().data() + from;
    std::size_t i = 0;
    // Cells hold 0 or 1: eight of them become text with one addition.
    for (; i + 8 <= n; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, cells + i, sizeof v);
        v += 0x3030303030303030u;
        std::memcpy(out.data() + i, &v, sizeof v);
    }
    for (; i < n; ++i) out[i] = static_cast<char>('0' + cells[i]);
}

inline std::string framePatternAt(const BitBuffer& bits, std::int64_t first, std::int64_t syncBits)
{
    std::string pattern;
    cutFramePattern(bits, first, syncBits, pattern);
    return pattern;
}

} // namespace morvelan
