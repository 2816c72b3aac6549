#include "settings/settings_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace morvelan;

TEST(ParseSettingsNumber, ReadsTheNumberAtTheStart)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"350", 350},       {"350abc", 350},    {"abc", 0},        {"", 0},         {"1 2", 12},
        {"+7", 7},          {"-7", -7},         {"--7", 0},        {"5.", 5},       {".", 0},
        {"&H1F", 31},       {"&h1f", 31},       {"&o17", 15},      {"&O19", 1},     {"&H", 0},
        {"& h 1 f", 31},    {"&X1", 0},         {"1e3", 1000},     {"1D2", 100},    {"1d+2x", 100},
        {"2E-1", 0},        {"1e", 1},          {"1e+", 1},        {"1.5E1", 15},   {" - 1 2 . 5 ", -12},
        {"\t3\n4", 34},     {".5", 0},          {"-.5", 0},        {".51", 1},      {"12.5", 12},
        {"13.5", 14},       {"2.5", 2},         {"-2.5", -2},      {"-3.5", -4},    {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},            {"2147483646.5", 2147483646},        {"0e99999999999999999999", 0},
        {"1e-99999999999999999999", 0},         {"0.00000000000000000001e21", 10},   {"&H7FFFFFFF", 2147483647},
        {"000000000000000000000000000000042", 42}, {"\x82\x50", 0}, // a full-width digit is not a digit
    };
    for (const auto& [text, expected] : cases) {
        const auto result = ParseSettingsNumber(text);
        ASSERT_TRUE(result.has_value()) << text;
        EXPECT_EQ(*result, expected) << text;
    }
}

TEST(ParseSettingsNumber, OutsideThirtyTwoBitsIsAnOverflow)
{
    for (const std::string text : {"3000000000", "2147483648", "-2147483649", "2147483647.5", "-2147483648.6",
                                   "1e10", "1e99999999999999999999", "&H80000000", "&O20000000000",
                                   "99999999999999999999999999999999999999"})
        EXPECT_FALSE(ParseSettingsNumber(text).has_value()) << text;
    EXPECT_FALSE(ParseSettingsNumber(std::string(5000, '9')).has_value());
}
