#include "formats/bin_reader.h"
#include "formats/u8_reader.h"

#include "formats/format_test_support.h"

#include <gtest/gtest.h>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

struct U8Case {
    const char* name;
    std::vector<std::uint8_t> input;
    std::string bits;
    ReadStatus status = ReadStatus::End;
    std::uint64_t offset = 0;
    std::uint32_t value = 0;
};

std::vector<std::uint8_t> bitBytesThen(std::size_t count, std::uint8_t last)
{
    std::vector<std::uint8_t> b(count);
    for (std::size_t i = 0; i < count; ++i) b[i] = static_cast<std::uint8_t>(i % 3 == 0);
    b.push_back(last);
    return b;
}

std::string bitTextOf(std::size_t count)
{
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s.push_back(i % 3 == 0 ? '1' : '0');
    return s;
}

// A bad byte inside a whole 64-byte block, `count` good bytes after it.
std::vector<std::uint8_t> badInBlock(std::uint8_t bad, std::size_t count)
{
    auto b = bitBytesThen(70, bad);
    const auto rest = bitBytesThen(count, 1);
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

const U8Case kU8Cases[] = {
    {"Bits", {0, 1, 1, 0, 1}, "01101"},
    {"Empty", {}, ""},
    {"Two", {0, 1, 2, 1}, "01", ReadStatus::Refused, 2, 2},
    {"AsciiOne", {'1'}, "", ReadStatus::Refused, 0, '1'},
    {"HighByte", {1, 0xFF}, "1", ReadStatus::Refused, 1, 0xFF},
    {"BadPastTheFirstBlocks", bitBytesThen(100000, 7), bitTextOf(100000), ReadStatus::Refused, 100000, 7},
    {"BadInsideAFullBlock", badInBlock(2, 100), bitTextOf(70), ReadStatus::Refused, 70, 2},
    {"HighBitInsideAFullBlock", badInBlock(0x80, 100), bitTextOf(70), ReadStatus::Refused, 70, 0x80},
    {"LongGood", bitBytesThen(200000, 1), bitTextOf(200000) + "1"},
};

struct BinCase {
    const char* name;
    std::vector<std::uint8_t> input;
    std::string msbFirst, lsbFirst;
};

const BinCase kBinCases[] = {
    {"OneByte", {0x1E}, "00011110", "01111000"},
    {"Extremes", {0x00, 0xFF, 0x80, 0x01}, "00000000111111111000000000000001", "00000000111111110000000110000000"},
    {"Empty", {}, "", ""},
};

} // namespace

TEST(U8Reader, Cases)
{
    for (const auto& c : kU8Cases)
        for (const std::size_t chunk : kChunks)
            for (const std::size_t step : kSteps) {
                SCOPED_TRACE(::testing::Message() << c.name << " chunk " << chunk << " step " << step);
                auto reader = makeU8Reader(std::make_unique<MemoryByteSource>(c.input, chunk));
                const ReadResult r = readAll(*reader, step);
                EXPECT_EQ(r.status, c.status);
                EXPECT_EQ(r.bits, c.bits.substr(0, r.bits.size()));
                if (c.status == ReadStatus::End) {
                    EXPECT_EQ(r.bits, c.bits);
                }
                if (c.status != ReadStatus::Refused) continue;
                EXPECT_EQ(r.problem.kind, FormatProblem::Kind::BadByte);
                EXPECT_EQ(r.problem.offset, c.offset);
                EXPECT_EQ(r.problem.value, c.value);
            }
}

TEST(BinReader, Cases)
{
    for (const auto& c : kBinCases)
        for (const std::size_t chunk : kChunks)
            for (const std::size_t step : kSteps) {
                SCOPED_TRACE(::testing::Message() << c.name << " chunk " << chunk << " step " << step);
                auto msb = makeBinReader(std::make_unique<MemoryByteSource>(c.input, chunk), BitOrder::Msb);
                const ReadResult m = readAll(*msb, step);
                EXPECT_EQ(m.status, ReadStatus::End);
                EXPECT_EQ(m.bits, c.msbFirst);
                auto lsb = makeBinReader(std::make_unique<MemoryByteSource>(c.input, chunk), BitOrder::Lsb);
                const ReadResult l = readAll(*lsb, step);
                EXPECT_EQ(l.status, ReadStatus::End);
                EXPECT_EQ(l.bits, c.lsbFirst);
            }
}

TEST(BinReader, EveryByteValueMostSignificantFirstByDefault)
{
    std::vector<std::uint8_t> all(256);
    std::string expected;
    for (unsigned v = 0; v < 256; ++v) {
        all[v] = static_cast<std::uint8_t>(v);
        expected += bitsOf(v, 8);
    }
    auto reader = makeBinReader(std::make_unique<MemoryByteSource>(all));
    EXPECT_EQ(readAll(*reader, 1000).bits, expected);
}

TEST(BinaryReaders, ReadFailure)
{
    auto u8 = makeU8Reader(std::make_unique<FailingSource>(3));
    const ReadResult a = readAll(*u8, 2);
    EXPECT_EQ(a.status, ReadStatus::Failed);
    EXPECT_EQ(a.bits, "000");
    EXPECT_EQ(a.problem.kind, FormatProblem::Kind::ReadFailed);
    EXPECT_EQ(a.problem.offset, 3u);
    auto bin = makeBinReader(std::make_unique<FailingSource>(1));
    const ReadResult b = readAll(*bin, 5);
    EXPECT_EQ(b.status, ReadStatus::Failed);
    EXPECT_EQ(b.bits, "00000000");
    EXPECT_EQ(b.problem.kind, FormatProblem::Kind::ReadFailed);
}
