#include "common/cp932.h"

#include <gtest/gtest.h>

#include <string>

using namespace morvelan;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD"; // U+FFFD

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

} // namespace

TEST(Cp932, FullwidthTildeIsByte8160BothWays)
{
    EXPECT_EQ(encodeCp932("～"), "\x81\x60");
    EXPECT_EQ(decodeCp932("\x81\x60"), "～");
    EXPECT_EQ(encodeCp932("300～700"), "300\x81\x60" "700");
}

TEST(Cp932, JapaneseTextRoundTrips)
{
    EXPECT_EQ(encodeCp932("入力ファイル"), "\x93\xFC\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B");
    EXPECT_EQ(decodeCp932("\x93\xFC\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B"), "入力ファイル");
    // Half-width katakana is one byte.
    EXPECT_EQ(decodeCp932("\xB1"), "ｱ");
    EXPECT_EQ(encodeCp932("ｱ"), "\xB1");
}

TEST(Cp932, AsciiAndNulPassThrough)
{
    const std::string withNul("a\0b", 3);
    EXPECT_EQ(decodeCp932(withNul), withNul);
    EXPECT_EQ(encodeCp932(withNul), withNul);
    const std::string nulThenKanji("\0\x93\xFC", 3);
    EXPECT_EQ(decodeCp932(nulThenKanji), std::string("\0", 1) + "入");
    EXPECT_EQ(decodeCp932(""), "");
}

TEST(Cp932, EachUndecodableByteBecomesOneReplacementCharacter)
{
    // A lead byte followed by a byte that cannot trail it: the lead alone is
    // bad, the next byte is read on its own.
    EXPECT_EQ(decodeCp932("\x81\x20"), kReplacement + " ");
    EXPECT_EQ(decodeCp932("\x81\x7F"), kReplacement + "\x7F");
    // A lead byte cut off by the end of the text.
    EXPECT_EQ(decodeCp932("a\x81"), "a" + kReplacement);
    // Between valid characters, the positions stay in step.
    EXPECT_EQ(decodeCp932("A\x93\xFC\x81\x20" "B"), "A入" + kReplacement + " B");
    EXPECT_EQ(decodeCp932("\x81\x81\x81"), "\xEF\xBC\x9D" + kReplacement); // 0x8181 is "＝"
}

TEST(Cp932, LongTextConvertsWhole)
{
    // Longer than any internal conversion buffer, in both directions.
    const std::string kanji = repeat("入", 3000);
    const std::string bytes = repeat("\x93\xFC", 3000);
    EXPECT_EQ(decodeCp932(bytes), kanji);
    EXPECT_EQ(encodeCp932(kanji), bytes);
    EXPECT_EQ(decodeCp932(bytes + "\x81"), kanji + kReplacement);
    EXPECT_EQ(encodeCp932(kanji + "é"), bytes + "?");
}

TEST(Cp932, UnencodableCharacterBecomesQuestionMark)
{
    EXPECT_EQ(encodeCp932("é"), "?");
    EXPECT_EQ(encodeCp932("a😀b"), "a?b");
    EXPECT_EQ(encodeCp932("入é力"), "\x93\xFC?\x97\xCD");
    // Bytes that are not UTF-8 at all cannot be encoded either.
    EXPECT_EQ(encodeCp932("\xFF" "a"), "?a");
}
