#include "common/text.h"

#include <gtest/gtest.h>

using namespace morvelan;

TEST(NullToNumber, BlankAndAbsentAreZero)
{
    EXPECT_EQ(NullToNumber(std::nullopt), 0);
    EXPECT_EQ(NullToNumber(""), 0);
    EXPECT_EQ(NullToNumber("   "), 0);
}
