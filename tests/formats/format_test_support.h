#pragma once
// Drives a reader to its end in steps of a given size and checks the
// contract on the way: each call appends at most maxBits bits, each 0 or 1.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan::testing {

inline std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// `count` bits of `value`, most significant first, as '0' and '1'.
inline std::string bitsOf(std::uint64_t value, unsigned count)
{
    std::string s;
    for (unsigned k = count; k-- > 0;) s.push_back(((value >> k) & 1) ? '1' : '0');
    return s;
}

inline std::string repeat(std::string_view part, std::size_t times)
{
    std::string s;
    for (std::size_t i = 0; i < times; ++i) s += part;
    return s;
}

struct ReadResult {
    std::string bits;
    ReadStatus status = ReadStatus::More;
    FormatProblem problem;
};

inline ReadResult readAll(BitReader& reader, std::size_t maxBits)
{
    ReadResult result;
    std::vector<std::uint8_t> out;
    for (int calls = 0; calls < 10'000'000; ++calls) {
        out.clear();
        result.status = reader.read(out, maxBits);
        EXPECT_LE(out.size(), maxBits);
        for (const std::uint8_t bit : out) {
            EXPECT_LE(bit, 1);
            result.bits.push_back(bit ? '1' : '0');
        }
        if (result.status != ReadStatus::More) break;
    }
    result.problem = reader.problem();
    // Once finished, the reader stays so.
    out.clear();
    EXPECT_EQ(reader.read(out, maxBits), result.status);
    EXPECT_TRUE(out.empty());
    return result;
}

// A source that hands out `good` bytes of zeros and then fails.
class FailingSource final : public ByteSource {
public:
    explicit FailingSource(std::size_t good) : left_(good) {}
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override
    {
        if (left_ == 0) return -1;
        const std::size_t n = std::min(size, left_);
        std::fill(buffer, buffer + n, std::uint8_t{0});
        left_ -= n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::size_t left_;
};

// Hands out the bytes (they must outlive it), then fails instead of ending.
class FailsAfter final : public ByteSource {
public:
    explicit FailsAfter(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override
    {
        if (bytes_.empty()) return -1;
        const std::size_t n = std::min(size, bytes_.size());
        std::copy_n(bytes_.begin(), n, buffer);
        bytes_ = bytes_.subspan(n);
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// Step sizes every table case is read with: single bits, odd sizes that
// split digits and words, large steps, and no limit at all.
inline constexpr std::size_t kSteps[] = {1, 3, 7, 64, 1u << 20, SIZE_MAX};
// Source chunk sizes: byte by byte, odd, and whole.
inline constexpr std::size_t kChunks[] = {1, 5, SIZE_MAX};

} // namespace morvelan::testing
