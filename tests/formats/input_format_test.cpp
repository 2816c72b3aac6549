#include "formats/input_format.h"

#include <gtest/gtest.h>

using namespace morvelan;

namespace {

struct NameCase {
    InputFormat format;
    const char* name;
};

const NameCase kNames[] = {
    {InputFormat::Auto, "auto"}, {InputFormat::Tdm, "tdm"}, {InputFormat::Hex, "hex"}, {InputFormat::Bits, "bits"},
    {InputFormat::U8, "u8"},     {InputFormat::Bin, "bin"}, {InputFormat::Ch10, "ch10"},
};

} // namespace

TEST(InputFormat, NamesBothWays)
{
    for (const auto& c : kNames) {
        EXPECT_EQ(formatName(c.format), c.name);
        EXPECT_EQ(parseFormatName(c.name), c.format) << c.name;
    }
}

TEST(InputFormat, OtherTextsNameNothing)
{
    for (const char* text : {"", "HEX", "Hex", " hex", "hex ", "ch1", "ch100", "binary", "u16"})
        EXPECT_EQ(parseFormatName(text), std::nullopt) << '"' << text << '"';
}

TEST(InputFormat, BitOrderNames)
{
    EXPECT_EQ(bitOrderName(BitOrder::Msb), "msb");
    EXPECT_EQ(bitOrderName(BitOrder::Lsb), "lsb");
    EXPECT_EQ(parseBitOrderName("msb"), BitOrder::Msb);
    EXPECT_EQ(parseBitOrderName("lsb"), BitOrder::Lsb);
    EXPECT_EQ(parseBitOrderName("MSB"), std::nullopt);
    EXPECT_EQ(parseBitOrderName(""), std::nullopt);
}
