#include "formats/bits_reader.h"
#include "formats/hex_reader.h"
#include "formats/text_reader.h"

#include "formats/format_test_support.h"

#include <gtest/gtest.h>

using namespace morvelan;
using namespace morvelan::testing;
using namespace std::string_literals;

namespace {

// The bits of hex digits written out: each digit four bits, high bit first.
std::string hexBits(std::string_view digits)
{
    std::string s;
    for (const char c : digits) s += bitsOf(std::stoul(std::string(1, c), nullptr, 16), 4);
    return s;
}

struct TextCase {
    const char* name;
    std::string input;
    std::string bits;
    ReadStatus status = ReadStatus::End;
    std::uint64_t line = 0, column = 0;
    std::uint32_t value = 0;
};

const std::string kBom = "\xEF\xBB\xBF";

const TextCase kHexCases[] = {
    {"EveryDigit", "0123456789abcdefABCDEF", hexBits("0123456789abcdefABCDEF")},
    {"Empty", "", ""},
    {"WhitespaceAnywhere", " 1\t2\v3\f4 ", hexBits("1234")},
    {"LfLines", "12\n34\n56", hexBits("123456")},
    {"CrLfLines", "12\r\n34\r\n", hexBits("1234")},
    {"CrLines", "12\r34\r", hexBits("1234")},
    {"LastLineWithoutLineEnd", "ab\ncd", hexBits("abcd")},
    {"LongLine", repeat("5", 100000), hexBits(repeat("5", 100000))},
    {"PrefixSkipped", "0x1F 0XaB", hexBits("1FaB")},
    {"PrefixOnEveryLine", "0x12\r\n0x34", hexBits("1234")},
    {"PrefixAlone", "0x 7", hexBits("7")},
    {"ZeroAloneIsADigit", "0 0", hexBits("00")},
    {"ZeroAtLineEnd", "1 0\n2", hexBits("102")},
    {"ZeroAtEnd", "1 0", hexBits("10")},
    {"ZerosLeading", "007", hexBits("007")},
    {"PrefixThenZeros", "0x00", hexBits("00")},
    {"FirstLineHeader", "capture of run 7\r\n12\r\n34", hexBits("1234")},
    {"FirstLineHexIsData", "ab cd\nef", hexBits("abcdef")},
    {"HeaderWithDigitsDropsThem", "12 zz 34\n56", hexBits("56")},
    {"HeaderNonAscii", "日本語の見出し\n9", hexBits("9")},
    {"HeaderOnly", "title", ""},
    {"ByteOrderMarkSkipped", kBom + "12", hexBits("12")},
    {"ByteOrderMarkThenHeader", kBom + "title\n34", hexBits("34")},
    {"BadOnLineTwo", "12\n3g", hexBits("123"), ReadStatus::Refused, 2, 2, 'g'},
    {"BadAfterCrLf", "12\r\n\r\n  g", hexBits("12"), ReadStatus::Refused, 3, 3, 'g'},
    {"BadAfterLoneCr", "1\r2\rxy", hexBits("12"), ReadStatus::Refused, 3, 1, 'x'},
    {"XNotOpeningAToken", "12\n10x", hexBits("1210"), ReadStatus::Refused, 2, 3, 'x'},
    {"SecondPrefix", "1\n0x0x1", hexBits("10"), ReadStatus::Refused, 2, 4, 'x'},
    {"PrefixAfterSpaceOnly", "1\n0 x1", hexBits("10"), ReadStatus::Refused, 2, 3, 'x'},
    {"NonAsciiIsOneCharacter", "1\nab\xE3\x81\x82", hexBits("1ab"), ReadStatus::Refused, 2, 3, 0x3042},
    {"FourByteCharacter", "1\n\xF0\x9F\x98\x80", hexBits("1"), ReadStatus::Refused, 2, 1, 0x1F600},
    {"StrayByteStandsForItself", "1\n\xFF", hexBits("1"), ReadStatus::Refused, 2, 1, 0xFF},
    {"CutSequenceStandsForItsLead", "1\n\xE3\x81", hexBits("1"), ReadStatus::Refused, 2, 1, 0xE3},
    {"NulIsBad", "1\n\x00"s, hexBits("1"), ReadStatus::Refused, 2, 1, 0},
    {"ByteOrderMarkNotCounted", kBom + "ab\nq", hexBits("ab"), ReadStatus::Refused, 2, 1, 'q'},
    {"ByteOrderMarkLaterIsBad", "1\n" + kBom, hexBits("1"), ReadStatus::Refused, 2, 1, 0xFEFF},
    {"FirstLinePastLookaheadIsData", repeat("f", kHeaderLookahead) + "g", hexBits(repeat("f", kHeaderLookahead)),
     ReadStatus::Refused, 1, kHeaderLookahead + 1, 'g'},
    {"FirstLineWithinLookaheadIsHeader", repeat("f", kHeaderLookahead - 1) + "g\n1", hexBits("1")},
};

const TextCase kBitsCases[] = {
    {"Bits", "0110", "0110"},
    {"Whitespace", " 0 1\t1\r\n0 ", "0110"},
    {"ManyLines", "01\n10\r01\r\n1", "0110011"},
    {"FirstLineHeader", "bits of run 7\n0101", "0101"},
    {"FirstLineDataKept", "11\n00", "1100"},
    {"HexDigitIsBad", "01\n012", "0101", ReadStatus::Refused, 2, 3, '2'},
    {"PrefixIsBad", "1\n0x1", "10", ReadStatus::Refused, 2, 2, 'x'},
    {"NonAscii", "1\n\xE3\x80\x80", "1", ReadStatus::Refused, 2, 1, 0x3000},
};

void checkCase(const TextCase& c, std::unique_ptr<BitReader> (*make)(std::unique_ptr<ByteSource>))
{
    const auto bytes = bytesOf(c.input);
    for (const std::size_t chunk : kChunks)
        for (const std::size_t step : kSteps) {
            SCOPED_TRACE(::testing::Message() << c.name << " chunk " << chunk << " step " << step);
            auto reader = make(std::make_unique<MemoryByteSource>(bytes, chunk));
            const ReadResult r = readAll(*reader, step);
            EXPECT_EQ(r.status, c.status);
            if (c.status == ReadStatus::End) {
                EXPECT_EQ(r.bits, c.bits);
            } else {
                EXPECT_EQ(r.bits, c.bits.substr(0, r.bits.size())) << "bits given before the refusal";
            }
            if (c.status != ReadStatus::Refused) continue;
            EXPECT_EQ(r.problem.kind, FormatProblem::Kind::BadCharacter);
            EXPECT_EQ(r.problem.line, c.line);
            EXPECT_EQ(r.problem.column, c.column);
            EXPECT_EQ(r.problem.value, c.value);
        }
}

} // namespace

TEST(HexReader, Cases)
{
    for (const auto& c : kHexCases) checkCase(c, makeHexReader);
}

TEST(BitsReader, Cases)
{
    for (const auto& c : kBitsCases) checkCase(c, makeBitsReader);
}

TEST(TextReaders, ReadFailure)
{
    for (auto make : {makeHexReader, makeBitsReader}) {
        auto reader = make(std::make_unique<FailingSource>(10)); // ten NUL bytes: a header line
        const ReadResult r = readAll(*reader, 64);
        EXPECT_EQ(r.status, ReadStatus::Failed);
        EXPECT_EQ(r.problem.kind, FormatProblem::Kind::ReadFailed);
    }
}
