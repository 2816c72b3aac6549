#include "common/utf8.h"

#include <gtest/gtest.h>

using namespace morvelan;

TEST(Utf8, CountsCodePoints)
{
    EXPECT_EQ(countCharacters(""), 0u);
    EXPECT_EQ(countCharacters("abc"), 3u);
    EXPECT_EQ(countCharacters("日本a"), 3u);
    EXPECT_EQ(countCharacters("😀"), 1u);
    // Stray and cut-off bytes count one each.
    EXPECT_EQ(countCharacters("\xFF\x80"), 2u);
    EXPECT_EQ(countCharacters("a\xE6\x97"), 3u);
}

TEST(Utf8, CutsByCodePoint)
{
    EXPECT_EQ(substrCharacters("日本語ab", 1, 2), "本語");
    EXPECT_EQ(substrCharacters("日本語ab", 3, 10), "ab");
    EXPECT_EQ(substrCharacters("日本", 5, 1), "");
    EXPECT_EQ(lastCharacters("日本語ab", 3), "語ab");
    EXPECT_EQ(lastCharacters("ab", 5), "ab");
    EXPECT_EQ(lastCharacters("ab", 0), "");
}
