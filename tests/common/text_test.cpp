#include "common/text.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace morvelan;
using morvelan::testing::ScopedCwd;
using morvelan::testing::TempDir;

TEST(NullToTrimmedText, OnlyOuterSpacesGo)
{
    EXPECT_EQ(NullToTrimmedText(std::nullopt), "");
    EXPECT_EQ(NullToTrimmedText("   "), "");
    EXPECT_EQ(NullToTrimmedText("  a b  "), "a b");
    EXPECT_EQ(NullToTrimmedText("\ta\t"), "\ta\t"); // only U+0020 is a space
}

TEST(NullToNumber, DecimalTextRoundedHalfToEven)
{
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"", 0}, {"   ", 0}, {" 12 ", 12}, {"-7", -7}, {"+7", 7}, {"007", 7}, {"2.6", 3}, {"-2.6", -3},
        {"0.5", 0}, {"1.5", 2}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"-3.5", -4}, {" 300.5 ", 300},
        {"2147483647", INT32_MAX}, {"-2147483648.5", INT32_MIN}, {"2147483647.5", std::nullopt},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"1e400", std::nullopt},
        {"abc", std::nullopt}, {"12a", std::nullopt}, {"1 2", std::nullopt}, {"+-5", std::nullopt},
        {".", std::nullopt}, {"inf", std::nullopt}, {"0x10", std::nullopt}, {"１２", std::nullopt},
    };
    EXPECT_EQ(NullToNumber(std::nullopt), 0);
    for (const auto& [text, expected] : cases) EXPECT_EQ(NullToNumber(text), expected) << text;
}

TEST(PadLeft, KeepsTheRightmostCharacters)
{
    EXPECT_EQ(PadLeft(4, " ", "7"), "   7");
    EXPECT_EQ(PadLeft(4, " ", "2000"), "2000");
    EXPECT_EQ(PadLeft(2, " ", "123"), "23");
    EXPECT_EQ(PadLeft(0, " ", "123"), "");
    EXPECT_EQ(PadLeft(4, "＊x", "日本"), "＊＊日本");
    EXPECT_EQ(PadLeft(2, " ", "日本語"), "本語");
    EXPECT_EQ(PadLeft(4, " ", std::int64_t{10005}), "0005");
    EXPECT_EQ(PadLeft(4, " ", std::int64_t{-5}), "  -5");
}

TEST(FileHasData, TrueOnlyForARegularFileWithData)
{
    TempDir dir;
    dir.write("one.txt", "x");
    dir.write("a b.txt", "x");
    std::filesystem::create_directory(dir.path() / "folder");
    const ScopedCwd cwd(dir.path());
    for (const char* yes : {"one.txt", "  ./one.txt  ", " a b.txt"}) EXPECT_TRUE(FileHasData(yes)) << yes;
    for (const char* no : {"", "   ", "missing.txt", "folder", "one.txt/below", "a  b.txt"})
        EXPECT_FALSE(FileHasData(no)) << no;
    EXPECT_FALSE(FileHasData(dir.write("empty.txt", "")));
    EXPECT_FALSE(FileHasData(std::nullopt));
}
