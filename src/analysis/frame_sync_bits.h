#pragma once
// The frame synchroniser's bits, packed 64 to a word (bit p of the capture
// is bit p % 64 of word p / 64), so that comparing a sync word of up to 64
// bits at any place is one load, one XOR and one popcount. Only the bits
// still needed are held: the front is dropped as the pass moves on.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace morvelan::framesync {

inline std::uint64_t lowMask(int width)
{
    return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}

inline int popcount(std::uint64_t v)
{
    return std::popcount(v);
}

class PackedBits {
public:
    // The first bit still held and the end of what arrived (exclusive),
    // both counted from the capture's first bit.
    std::int64_t begin() const { return base_ * 64; }
    std::int64_t end() const { return end_; }

    // Bytes holding 0/1, one per bit (only the lowest bit of each counts).
    void append(std::span<const std::uint8_t> bits)
    {
        if (bits.empty()) return;
        const std::int64_t newEnd = end_ + static_cast<std::int64_t>(bits.size());
        words_.resize(static_cast<std::size_t>((newEnd - begin()) / 64 + 2), 0);
        std::size_t i = 0;
        while (i < bits.size() && (end_ & 7) != 0) put(bits[i++]);
        if constexpr (std::endian::native == std::endian::little) {
            // Eight bytes of 0/1 to one byte: the multiplication moves byte k's
            // low bit to bit 56 + k, without carries between them.
            for (; i + 8 <= bits.size(); i += 8) {
                std::uint64_t x = 0;
                std::memcpy(&x, bits.data() + i, 8);
                const std::uint64_t packed = ((x & 0x0101010101010101u) * 0x0102040810204080u) >> 56;
                const std::int64_t rel = end_ - begin();
                words_[static_cast<std::size_t>(rel >> 6)] |= packed << (rel & 63);
                end_ += 8;
            }
        }
        while (i < bits.size()) put(bits[i++]);
    }

    // 64 bits from `pos` on (begin() <= pos); bits at or past end() read 0.
    std::uint64_t at64(std::int64_t pos) const
    {
        const std::int64_t rel = pos - begin();
        if (rel < 0 || pos >= end_) return 0;
        const auto i = static_cast<std::size_t>(rel >> 6);
        const int s = static_cast<int>(rel & 63);
        const std::uint64_t lo = words_[i] >> s;
        return s == 0 ? lo : lo | (words_[i + 1] << (64 - s));
    }
    std::uint64_t window(std::int64_t pos, int width) const { return at64(pos) & lowMask(width); }

    // Bits before `pos` are no longer needed. The store moves its contents
    // only once the unneeded front is as large as what it keeps, so each
    // bit is moved a bounded number of times.
    void dropBefore(std::int64_t pos)
    {
        const std::int64_t drop = std::min(pos, end_) / 64 - base_;
        if (drop <= 0 || drop * 2 < static_cast<std::int64_t>(words_.size())) return;
        words_.erase(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(drop));
        base_ += drop;
    }

    // `count` bits from `pos` as 0/1 bytes, complemented when `invert`.
    void unpack(std::int64_t pos, std::int64_t count, bool invert, std::vector<std::uint8_t>& out) const
    {
        out.resize(static_cast<std::size_t>(count) + 64);
        const std::uint64_t flip = invert ? ~std::uint64_t{0} : 0;
        for (std::int64_t j = 0; j < count; j += 64) {
            const std::uint64_t v = at64(pos + j) ^ flip;
            for (int b = 0; b < 8; ++b)
                std::memcpy(out.data() + j + 8 * b, &spread()[(v >> (8 * b)) & 255], 8);
        }
        out.resize(static_cast<std::size_t>(count));
    }

private:
    void put(std::uint8_t bit)
    {
        const std::int64_t rel = end_ - begin();
        if (bit & 1) words_[static_cast<std::size_t>(rel >> 6)] |= std::uint64_t{1} << (rel & 63);
        ++end_;
    }

    // Byte value -> eight bytes of 0/1, its lowest bit first (in memory).
    static const std::array<std::uint64_t, 256>& spread()
    {
        static const std::array<std::uint64_t, 256> table = [] {
            std::array<std::uint64_t, 256> t{};
            for (unsigned v = 0; v < 256; ++v) {
                std::array<std::uint8_t, 8> bytes{};
                for (unsigned k = 0; k < 8; ++k) bytes[k] = static_cast<std::uint8_t>((v >> k) & 1);
                std::memcpy(&t[v], bytes.data(), 8);
            }
            return t;
        }();
        return table;
    }

    std::vector<std::uint64_t> words_;
    std::int64_t base_ = 0; // the first held word's number
    std::int64_t end_ = 0;
};

// A sync word packed as PackedBits holds it: its first bit in bit 0.
struct PackedWord {
    std::uint64_t bits = 0;
    int width = 0;
};

} // namespace morvelan::framesync
