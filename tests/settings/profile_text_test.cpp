#include "settings/profile_text.h"

#include <gtest/gtest.h>

using namespace morvelan;

namespace {

std::string afterWrite(std::string bytes, std::string_view section, std::string_view key, std::string_view value)
{
    ProfileText text(std::move(bytes));
    EXPECT_TRUE(text.write(section, key, value));
    return text.bytes();
}

} // namespace

TEST(ProfileTextRead, NamesIgnoreCaseAndBlanksAndFirstDuplicateWins)
{
    const ProfileText text(std::string("k=outside\r\n"
                                       "[other]\nK=other\n"
                                       " [ morvelan ] \r"
                                       "\tKey \t= \t value with  inner blanks \t\r\n"
                                       "key=second\n"
                                       "; comment=no\n"
                                       "[MORVELAN]\nlater=dup section\n"));
    EXPECT_EQ(text.read("Morvelan", "KEY", "d"), "value with  inner blanks");
    EXPECT_EQ(text.read("Morvelan", "later", "d"), "d"); // only the first section counts
    EXPECT_EQ(text.read("Morvelan", "missing", "  dflt "), "dflt");
    EXPECT_EQ(text.read("nosection", "k", ""), "");
    EXPECT_EQ(text.read("other", "k", ""), "other");
}

TEST(ProfileTextRead, ByteOrderMarkBeforeFirstSectionIsSkipped)
{
    const ProfileText text(std::string("\xEF\xBB\xBF[Morvelan]\r\nA=1\r\n"));
    EXPECT_EQ(text.read("Morvelan", "A", ""), "1");
}

TEST(ProfileTextRead, LongValueIsCutToBufferWithoutHalfCharacters)
{
    const std::string head(1022, 'x');
    const std::string aiueo = "\x82\xA0"; // one double-byte character
    const ProfileText text("[s]\nk=" + head + aiueo + "tail\n");
    EXPECT_EQ(text.read("s", "k", ""), head);                        // lead byte at 1023 would split it
    EXPECT_EQ(text.read("s", "k", "", 1026), head + aiueo + "t");   // 1025 bytes fit
    EXPECT_EQ(text.read("s", "k", "", 1), "");
    EXPECT_EQ(cutCp932("a\x82\xA0", 2), "a");
}

TEST(ProfileTextRead, NulBytesStayInsideTheValue)
{
    const ProfileText text(std::string("[s]\nk=12\0 34\n", 14));
    EXPECT_EQ(text.read("s", "k", ""), std::string("12\0 34", 6));
}

TEST(ProfileTextWrite, OnlyTheKeyLineChangesAndEveryOtherByteStays)
{
    const std::string before = "; settings\r\n"
                               "\r\n"
                               "[Other]\nA=1\r"
                               "[morvelan]\r\n"
                               "Unknown = kept \n"
                               "a=old\r"
                               "A=second duplicate\r\n"
                               "\n"
                               "; trailing comment\r\n"
                               "[Last]\r\nA=9";
    const std::string expected = "; settings\r\n"
                                 "\r\n"
                                 "[Other]\nA=1\r"
                                 "[morvelan]\r\n"
                                 "Unknown = kept \n"
                                 "A=new\r"
                                 "A=second duplicate\r\n"
                                 "\n"
                                 "; trailing comment\r\n"
                                 "[Last]\r\nA=9";
    EXPECT_EQ(afterWrite(before, "Morvelan", "A", "new"), expected);
}

TEST(ProfileTextWrite, MissingKeyGoesAfterTheSectionsLastKeyLine)
{
    EXPECT_EQ(afterWrite("[M]\r\nA=1\nB=2\r\n\r\n; note\r\n[N]\r\n", "m", "C", "3"),
              "[M]\r\nA=1\nB=2\r\nC=3\r\n\r\n; note\r\n[N]\r\n");
    // A section without keys takes it right under its header, with its line end.
    EXPECT_EQ(afterWrite("[M]\r\r\n[N]\r\n", "M", "C", "3"), "[M]\rC=3\r\r\n[N]\r\n");
    // A last line without line end gets one.
    EXPECT_EQ(afterWrite("[M]\nA=1", "M", "C", "3"), "[M]\nA=1\nC=3\n");
}

TEST(ProfileTextWrite, MissingSectionIsAddedAtTheEnd)
{
    EXPECT_EQ(afterWrite("", "Morvelan", "A", "1"), "[Morvelan]\r\nA=1\r\n");
    EXPECT_EQ(afterWrite("; x\n[N]\nB=2", "Morvelan", "A", "1"), "; x\n[N]\nB=2\n[Morvelan]\nA=1\n");
    // With a byte order mark in front, the first line still names the section.
    EXPECT_EQ(afterWrite("\xEF\xBB\xBF[M]\r\nA=1\r\n", "M", "A", "2"), "\xEF\xBB\xBF[M]\r\nA=2\r\n");
}

TEST(ProfileTextWrite, RefusesWhatCannotStandOnOneLine)
{
    ProfileText text(std::string("[M]\r\nA=1\r\n"));
    EXPECT_FALSE(text.write("M", "A", "1\r\nB=2"));
    EXPECT_FALSE(text.write("M", "A", std::string_view("x\0y", 3)));
    EXPECT_FALSE(text.write("M", "A=B", "1"));
    EXPECT_FALSE(text.write("M", "", "1"));
    EXPECT_FALSE(text.write("M]", "A", "1"));
    EXPECT_FALSE(text.write("", "A", "1"));
    EXPECT_EQ(text.bytes(), "[M]\r\nA=1\r\n");
}
