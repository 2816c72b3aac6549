#include "platform/cp932.h"
#include "platform/cp932_table.h"

#include <gtest/gtest.h>

#include <string>

using namespace morvelan;

namespace {

const std::string kBad = "\xEF\xBF\xBD"; // U+FFFD

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

} // namespace

TEST(Cp932, DecodesAndEncodesBothWays)
{
    const std::pair<std::string, std::string> pairs[] = {
        {"～", "\x81\x60"}, // the header's fullwidth tilde
        {"入力ファイル", "\x93\xFC\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B"},
        {"ｱ", "\xB1"}, // half-width katakana is one byte
        {std::string("a\0入", 5), std::string("a\0\x93\xFC", 4)},
        {repeat("入", 3000), repeat("\x93\xFC", 3000)}, // longer than any conversion buffer
    };
    for (const auto& [utf8, cp932] : pairs) {
        EXPECT_EQ(encodeCp932(utf8), cp932);
        EXPECT_EQ(decodeCp932(cp932), utf8);
    }
}

TEST(Cp932, EachUndecodableByteIsOneReplacementCharacter)
{
    // A lead byte that cannot lead what follows is bad alone; the next byte
    // is read on its own, so positions stay in step.
    EXPECT_EQ(decodeCp932("\x81\x20"), kBad + " ");
    EXPECT_EQ(decodeCp932("a\x81"), "a" + kBad);
    EXPECT_EQ(decodeCp932("A\x93\xFC\x81\x20" "B"), "A入" + kBad + " B");
    EXPECT_EQ(decodeCp932("\x81\x81\x81"), "\xEF\xBC\x9D" + kBad); // 0x8181 is "＝"
    EXPECT_EQ(decodeCp932(repeat("\x93\xFC", 3000) + "\x81"), repeat("入", 3000) + kBad);
}

TEST(Cp932, UnencodableCharacterBecomesQuestionMark)
{
    EXPECT_EQ(encodeCp932("a😀b"), "a?b");
    EXPECT_EQ(encodeCp932("入é力"), "\x93\xFC?\x97\xCD");
    EXPECT_EQ(encodeCp932("\xFF" "a"), "?a"); // not UTF-8 at all
    EXPECT_EQ(encodeCp932(repeat("入", 3000) + "é"), repeat("\x93\xFC", 3000) + "?");
}

// The table the Windows build decodes and encodes with gives iconv's bytes
// for every code: each single byte, each two-byte sequence, each code point
// of the Basic Multilingual Plane, and malformed UTF-8.
TEST(Cp932Table, GivesIconvsBytesForEveryCode)
{
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        ASSERT_EQ(platform::decodeCp932ByTable(one), decodeCp932(one)) << b;
        for (int c = 0; c < 256; ++c) {
            const std::string two{static_cast<char>(b), static_cast<char>(c)};
            ASSERT_EQ(platform::decodeCp932ByTable(two), decodeCp932(two)) << b << " " << c;
        }
    }
    for (std::uint32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        std::string utf8;
        if (c < 0x80) utf8 += static_cast<char>(c);
        else if (c < 0x800) utf8 += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        else
            utf8 += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
        ASSERT_EQ(platform::encodeCp932ByTable(utf8), encodeCp932(utf8)) << std::hex << c;
    }
    for (const std::string bad : {"\x80", "\xC0\xAF", "\xE3\x81", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xFFz", "\xF0\x9F\x98\x80"})
        EXPECT_EQ(platform::encodeCp932ByTable(bad), encodeCp932(bad)) << bad;
}
