#include "common/text.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace morvelan;
using morvelan::testing::ScopedCwd;
using morvelan::testing::TempDir;

TEST(NullToText, AbsentAndEmptyGiveEmptyOtherTextIsUnchanged)
{
    EXPECT_EQ(NullToText(std::nullopt), "");
    EXPECT_EQ(NullToText(""), "");
    EXPECT_EQ(NullToText("  a b  "), "  a b  ");
    EXPECT_EQ(NullToText("入力"), "入力");
}

TEST(NullToTrimmedText, RemovesOnlyOuterSpaces)
{
    EXPECT_EQ(NullToTrimmedText(std::nullopt), "");
    EXPECT_EQ(NullToTrimmedText(""), "");
    EXPECT_EQ(NullToTrimmedText("   "), "");
    EXPECT_EQ(NullToTrimmedText("  a b  "), "a b");
    // Only U+0020 is a space here: tabs and line ends stay.
    EXPECT_EQ(NullToTrimmedText("\ta\t"), "\ta\t");
    EXPECT_EQ(NullToTrimmedText(" 入 力 "), "入 力");
}

TEST(NullToNumber, BlankAndAbsentAreZero)
{
    EXPECT_EQ(NullToNumber(std::nullopt), 0);
    EXPECT_EQ(NullToNumber(""), 0);
    EXPECT_EQ(NullToNumber("   "), 0);
}

TEST(NullToNumber, ReadsDecimalTextWithSurroundingSpaces)
{
    EXPECT_EQ(NullToNumber(" 12 "), 12);
    EXPECT_EQ(NullToNumber("-7"), -7);
    EXPECT_EQ(NullToNumber("+7"), 7);
    EXPECT_EQ(NullToNumber("007"), 7);
    EXPECT_EQ(NullToNumber("2.4"), 2);
    EXPECT_EQ(NullToNumber("2.6"), 3);
    EXPECT_EQ(NullToNumber("-2.6"), -3);
}

TEST(NullToNumber, ExactHalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(NullToNumber("0.5"), 0);
    EXPECT_EQ(NullToNumber("1.5"), 2);
    EXPECT_EQ(NullToNumber("2.5"), 2);
    EXPECT_EQ(NullToNumber("3.5"), 4);
    EXPECT_EQ(NullToNumber("-0.5"), 0);
    EXPECT_EQ(NullToNumber("-2.5"), -2);
    EXPECT_EQ(NullToNumber("-3.5"), -4);
    EXPECT_EQ(NullToNumber(" 300.5 "), 300);
}

TEST(NullToNumber, LimitsOfThirtyTwoBits)
{
    EXPECT_EQ(NullToNumber("2147483647"), 2147483647);
    EXPECT_EQ(NullToNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(NullToNumber("2147483647.4"), 2147483647);
    // -2147483648.5 rounds to the even -2147483648, still inside the range.
    EXPECT_EQ(NullToNumber("-2147483648.5"), INT32_MIN);

    EXPECT_EQ(NullToNumber("2147483648"), std::nullopt);
    EXPECT_EQ(NullToNumber("2147483647.5"), std::nullopt);
    EXPECT_EQ(NullToNumber("-2147483649"), std::nullopt);
    EXPECT_EQ(NullToNumber("99999999999999999999"), std::nullopt);
    EXPECT_EQ(NullToNumber("1e400"), std::nullopt);
}

TEST(NullToNumber, NonNumbersFail)
{
    for (const char* text : {"abc", "12a", "1 2", "--5", "+-5", "+", "-", ".", "inf", "nan", "0x10", "１２", "1,000"})
        EXPECT_EQ(NullToNumber(text), std::nullopt) << text;
}

TEST(ReverseText, ReversesCharactersNotBytes)
{
    EXPECT_EQ(ReverseText(""), "");
    EXPECT_EQ(ReverseText("C:\\data\\in.txt"), "txt.ni\\atad\\:C");
    EXPECT_EQ(ReverseText("/データ/入力.txt"), "txt.力入/ターデ/");
    EXPECT_EQ(ReverseText("日本語ab"), "ba語本日");
    // A stray byte is one character of its own.
    EXPECT_EQ(ReverseText("a\xFF" "b"), "b\xFF" "a");
}

TEST(PadLeft, RightAlignsAndKeepsTheRightmostCharacters)
{
    EXPECT_EQ(PadLeft(4, " ", "7"), "   7");
    EXPECT_EQ(PadLeft(4, " ", "2000"), "2000");
    EXPECT_EQ(PadLeft(2, " ", "123"), "23");
    EXPECT_EQ(PadLeft(0, " ", "123"), "");
    EXPECT_EQ(PadLeft(3, " ", ""), "   ");
    // Only the first character of the fill counts.
    EXPECT_EQ(PadLeft(4, "ab", "7"), "aaa7");
}

TEST(PadLeft, CountsMultibyteCharactersAsOne)
{
    EXPECT_EQ(PadLeft(3, "＊", "1"), "＊＊1");
    EXPECT_EQ(PadLeft(4, "＊x", "日本"), "＊＊日本");
    EXPECT_EQ(PadLeft(2, " ", "日本語"), "本語");
    EXPECT_EQ(PadLeft(1, "＊", "日本語"), "語");
}

TEST(PadLeft, NumbersUseTheirDecimalText)
{
    EXPECT_EQ(PadLeft(4, " ", std::int64_t{7}), "   7");
    EXPECT_EQ(PadLeft(4, " ", std::int64_t{10005}), "0005");
    EXPECT_EQ(PadLeft(5, " ", std::int64_t{123456}), "23456");
    EXPECT_EQ(PadLeft(4, " ", std::int64_t{-5}), "  -5");
}

TEST(FileHasData, EmptyOrBlankPathIsFalse)
{
    EXPECT_FALSE(FileHasData(std::nullopt));
    EXPECT_FALSE(FileHasData(""));
    EXPECT_FALSE(FileHasData("   "));
}

TEST(FileHasData, TrueOnlyForARegularFileWithData)
{
    TempDir dir;
    const std::string empty = dir.write("empty.txt", "");
    const std::string one = dir.write("one.txt", "x");
    std::filesystem::create_directory(dir.path() / "folder");
    std::filesystem::create_directory_symlink(dir.path() / "folder", dir.path() / "link");

    EXPECT_FALSE(FileHasData(empty));
    EXPECT_TRUE(FileHasData(one));
    EXPECT_FALSE(FileHasData(dir.file("folder")));
    EXPECT_FALSE(FileHasData(dir.file("link")));
    EXPECT_FALSE(FileHasData(dir.file("missing.txt")));
    EXPECT_FALSE(FileHasData(dir.file("one.txt/below")));
}

TEST(FileHasData, ChecksThePathWithoutSurroundingSpaces)
{
    TempDir dir;
    const std::string one = dir.write("one.txt", "x");
    EXPECT_TRUE(FileHasData("  " + one + "  "));
    // Inner spaces are part of the name.
    const std::string spaced = dir.write("a b.txt", "x");
    EXPECT_TRUE(FileHasData(" " + spaced));
    EXPECT_FALSE(FileHasData(dir.file("a  b.txt")));
}

TEST(FileHasData, RelativePathsAreTakenFromTheCurrentFolder)
{
    TempDir dir;
    dir.write("data.txt", "0123");
    const ScopedCwd cwd(dir.path());
    EXPECT_TRUE(FileHasData("data.txt"));
    EXPECT_TRUE(FileHasData(" ./data.txt "));
    EXPECT_FALSE(FileHasData("other.txt"));
}
