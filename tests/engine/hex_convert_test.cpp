// The three conversions as one table: argument, result, and the messages the
// call shows (each an OK box under the application title).
#include "engine/hex_convert.h"
#include "files/run_messages.h"

#include "support/scripted_toolkit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace morvelan;
using morvelan::testing::RecordedMessage;
using morvelan::testing::ScriptedToolkit;

namespace {

enum class Fn { hexconv, HexConvert2, HexConvert };

struct ConversionCase {
    Fn fn;
    std::string argument;
    std::string result; // hexconv: the number as text
    std::vector<std::string> messages;
};

const std::string k64Ones(64, '1');
const std::string k65Ones(65, '1');

const ConversionCase kCases[] = {
    {Fn::hexconv, "0", "0", {}},
    {Fn::hexconv, "9", "9", {}},
    {Fn::hexconv, "a", "10", {}},
    {Fn::hexconv, "f", "15", {}},
    {Fn::hexconv, "A", "10", {}},
    {Fn::hexconv, "F", "15", {}},
    {Fn::hexconv, "g", "255", {"Error in hexconv(g)"}},
    {Fn::hexconv, "G", "255", {"Error in hexconv(G)"}},
    {Fn::hexconv, " ", "255", {"Error in hexconv( )"}},
    {Fn::hexconv, "", "255", {"Error in hexconv()"}},
    {Fn::hexconv, "0A", "255", {"Error in hexconv(0A)"}},
    {Fn::hexconv, "Ａ", "255", {"Error in hexconv(Ａ)"}},
    {Fn::hexconv, "/", "255", {"Error in hexconv(/)"}},
    {Fn::hexconv, ":", "255", {"Error in hexconv(:)"}},
    {Fn::hexconv, "@", "255", {"Error in hexconv(@)"}},
    {Fn::hexconv, "`", "255", {"Error in hexconv(`)"}},
    {Fn::hexconv, std::string("\0", 1), "255", {std::string("Error in hexconv(\0)", 19)}},
    {Fn::HexConvert2, "1010", "A", {}},
    {Fn::HexConvert2, "0000", "0", {}},
    {Fn::HexConvert2, "0111", "7", {}},
    {Fn::HexConvert2, "1111", "F", {}},
    {Fn::HexConvert2, "101", "", {"HexConvert2 Error(101)"}},
    {Fn::HexConvert2, "10100", "", {"HexConvert2 Error(10100)"}},
    {Fn::HexConvert2, "1021", "", {"HexConvert2 Error(1021)"}},
    {Fn::HexConvert2, "１０１０", "", {"HexConvert2 Error(１０１０)"}},
    {Fn::HexConvert, "0001101011001111", "1ACF", {}},
    {Fn::HexConvert, k64Ones, std::string(16, 'F'), {}},
    {Fn::HexConvert, std::string(64, '0'), std::string(16, '0'), {}},
    {Fn::HexConvert, "1" + std::string(62, '0') + "1", "8000000000000001", {}},
    {Fn::HexConvert, "10", "", {"Error in HexConvert(10)"}},
    {Fn::HexConvert, "", "", {"Error in HexConvert()"}},
    {Fn::HexConvert, k65Ones, "", {"Error in HexConvert(" + k65Ones + ")"}},
    {Fn::HexConvert, "101", "", {"HexConvert2 Error(101)"}},
    {Fn::HexConvert, "000011", "0", {"HexConvert2 Error(11)"}},
    {Fn::HexConvert, "11110x01", "F", {"HexConvert2 Error(0x01)"}},
    {Fn::HexConvert, "200011110000", "F0", {"HexConvert2 Error(2000)"}},
    {Fn::HexConvert, "１０１", "", {"HexConvert2 Error(１０１)"}},
    {Fn::HexConvert, "0000111100１１1111", "0FF", {"HexConvert2 Error(00１１)"}},
};

TEST(Conversions, GiveTheirResultAndShowTheirMessages)
{
    for (const ConversionCase& c : kCases) {
        ScriptedToolkit tk;
        ToolkitRunEvents events(tk);
        std::string result;
        switch (c.fn) {
        case Fn::hexconv: result = std::to_string(hexconv(events, c.argument)); break;
        case Fn::HexConvert2: result = HexConvert2(events, c.argument); break;
        case Fn::HexConvert: result = HexConvert(events, c.argument); break;
        }
        std::vector<RecordedMessage> expected;
        for (const std::string& m : c.messages) expected.push_back({m, "", Buttons::Ok});
        EXPECT_EQ(result, c.result) << c.argument;
        EXPECT_EQ(tk.messages, expected) << c.argument;
    }
}

} // namespace
