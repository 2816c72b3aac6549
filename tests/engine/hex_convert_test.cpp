#include "engine/hex_convert.h"

#include "support/scripted_toolkit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace morvelan;
using morvelan::testing::RecordedMessage;
using morvelan::testing::ScriptedToolkit;

namespace {

// Every conversion message is an OK box under the application title.
RecordedMessage box(const std::string& text) { return {text, "", Buttons::Ok}; }

} // namespace

TEST(Hexconv, DigitsOfBothCasesGiveTheirValue)
{
    ScriptedToolkit tk;
    EXPECT_EQ(hexconv(tk, "0"), 0);
    EXPECT_EQ(hexconv(tk, "9"), 9);
    EXPECT_EQ(hexconv(tk, "a"), 10);
    EXPECT_EQ(hexconv(tk, "f"), 15);
    EXPECT_EQ(hexconv(tk, "A"), 10);
    EXPECT_EQ(hexconv(tk, "F"), 15);
    EXPECT_EQ(hexconv(tk, "7"), 7);
    EXPECT_EQ(hexconv(tk, "c"), 12);
    EXPECT_EQ(hexconv(tk, "D"), 13);
    EXPECT_TRUE(tk.messages.empty());
}

TEST(Hexconv, BadTextShowsOneMessageEachAndGives255)
{
    ScriptedToolkit tk;
    EXPECT_EQ(hexconv(tk, "g"), 255);
    EXPECT_EQ(hexconv(tk, "G"), 255);
    EXPECT_EQ(hexconv(tk, " "), 255);
    EXPECT_EQ(hexconv(tk, ""), 255);
    EXPECT_EQ(hexconv(tk, "0A"), 255);
    EXPECT_EQ(hexconv(tk, "Ａ"), 255); // full-width A
    EXPECT_EQ(hexconv(tk, "/"), 255);  // just below "0"
    EXPECT_EQ(hexconv(tk, ":"), 255);  // just above "9"
    EXPECT_EQ(hexconv(tk, "@"), 255);
    EXPECT_EQ(hexconv(tk, "`"), 255);
    EXPECT_EQ(tk.messages, (std::vector<RecordedMessage>{
                               box("Error in hexconv(g)"), box("Error in hexconv(G)"), box("Error in hexconv( )"),
                               box("Error in hexconv()"), box("Error in hexconv(0A)"), box("Error in hexconv(Ａ)"),
                               box("Error in hexconv(/)"), box("Error in hexconv(:)"), box("Error in hexconv(@)"),
                               box("Error in hexconv(`)")}));
}

TEST(Hexconv, NulCharacterIsShownAsGiven)
{
    ScriptedToolkit tk;
    EXPECT_EQ(hexconv(tk, std::string_view("\0", 1)), 255);
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, std::string("Error in hexconv(\0)", 19));
}

TEST(HexConvert2, EveryGroupMapsToItsUpperCaseDigit)
{
    ScriptedToolkit tk;
    const char* digits = "0123456789ABCDEF";
    for (int v = 0; v < 16; ++v) {
        std::string group;
        for (int b = 3; b >= 0; --b) group += ((v >> b) & 1) ? '1' : '0';
        EXPECT_EQ(HexConvert2(tk, group), std::string(1, digits[v])) << group;
    }
    EXPECT_EQ(HexConvert2(tk, "1010"), "A");
    EXPECT_EQ(HexConvert2(tk, "0000"), "0");
    EXPECT_TRUE(tk.messages.empty());
}

TEST(HexConvert2, AnyOtherGroupShowsItsMessageAndGivesEmpty)
{
    ScriptedToolkit tk;
    EXPECT_EQ(HexConvert2(tk, "101"), "");
    EXPECT_EQ(HexConvert2(tk, "10100"), "");
    EXPECT_EQ(HexConvert2(tk, ""), "");
    EXPECT_EQ(HexConvert2(tk, "1021"), "");
    EXPECT_EQ(HexConvert2(tk, " 101"), "");
    EXPECT_EQ(HexConvert2(tk, "１０１０"), ""); // four full-width characters
    EXPECT_EQ(tk.messages,
              (std::vector<RecordedMessage>{box("HexConvert2 Error(101)"), box("HexConvert2 Error(10100)"),
                                            box("HexConvert2 Error()"), box("HexConvert2 Error(1021)"),
                                            box("HexConvert2 Error( 101)"), box("HexConvert2 Error(１０１０)")}));
}

TEST(HexConvert, GroupsConvertInOrder)
{
    ScriptedToolkit tk;
    EXPECT_EQ(HexConvert(tk, "0001101011001111"), "1ACF");
    EXPECT_EQ(HexConvert(tk, "0100011101000111"), "4747");
    EXPECT_EQ(HexConvert(tk, "1010"), "A");
    EXPECT_EQ(HexConvert(tk, std::string(64, '1')), std::string(16, 'F'));
    EXPECT_EQ(HexConvert(tk, std::string(64, '0')), std::string(16, '0'));
    EXPECT_EQ(HexConvert(tk, "0000000000000000000000000000000111111111111111111111111111111110"),
              "00000001FFFFFFFE");
    // 64 bits convert exactly, with no 32-bit or floating-point step.
    EXPECT_EQ(HexConvert(tk, "1000000000000000000000000000000000000000000000000000000000000001"),
              "8000000000000001");
    EXPECT_TRUE(tk.messages.empty());
}

TEST(HexConvert, LengthOutsideThreeToSixtyFourShowsOneMessage)
{
    ScriptedToolkit tk;
    const std::string tooLong(65, '1');
    EXPECT_EQ(HexConvert(tk, "10"), "");
    EXPECT_EQ(HexConvert(tk, ""), "");
    EXPECT_EQ(HexConvert(tk, tooLong), "");
    EXPECT_EQ(tk.messages, (std::vector<RecordedMessage>{box("Error in HexConvert(10)"), box("Error in HexConvert()"),
                                                         box("Error in HexConvert(" + tooLong + ")")}));
}

TEST(HexConvert, ShortLastGroupIsDroppedWithItsMessage)
{
    ScriptedToolkit tk;
    EXPECT_EQ(HexConvert(tk, "101"), "");
    EXPECT_EQ(HexConvert(tk, "000011"), "0");
    EXPECT_EQ(HexConvert(tk, "1111000"), "F");
    EXPECT_EQ(tk.messages,
              (std::vector<RecordedMessage>{box("HexConvert2 Error(101)"), box("HexConvert2 Error(11)"),
                                            box("HexConvert2 Error(000)")}));
}

TEST(HexConvert, BadCharacterCostsOnlyItsGroup)
{
    ScriptedToolkit tk;
    EXPECT_EQ(HexConvert(tk, "11110x01"), "F");
    EXPECT_EQ(HexConvert(tk, "2000" "1111" "0000"), "F0");
    EXPECT_EQ(tk.messages,
              (std::vector<RecordedMessage>{box("HexConvert2 Error(0x01)"), box("HexConvert2 Error(2000)")}));
}

TEST(HexConvert, LengthIsCountedInCharacters)
{
    ScriptedToolkit tk;
    // Three full-width characters are nine bytes but three characters: they
    // pass the length test and fail as one short group.
    EXPECT_EQ(HexConvert(tk, "１０１"), "");
    // Sixteen characters, two of them full-width: only the third group fails.
    EXPECT_EQ(HexConvert(tk, "0000" "1111" "00１１" "1111"), "0FF");
    EXPECT_EQ(tk.messages,
              (std::vector<RecordedMessage>{box("HexConvert2 Error(１０１)"), box("HexConvert2 Error(00１１)")}));
}
