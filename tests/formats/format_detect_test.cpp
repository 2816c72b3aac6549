#include "formats/format_detect.h"

#include "formats/format_test_support.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

struct DetectCase {
    const char* name;
    std::vector<std::uint8_t> head;
    InputFormat expected;
};

std::vector<std::uint8_t> textThen(std::size_t textBytes, std::uint8_t last)
{
    std::vector<std::uint8_t> b(textBytes, 'A');
    b.push_back(last);
    return b;
}

// A header line naming TDM, then `rest`.
std::vector<std::uint8_t> tdmThen(std::string_view line, std::vector<std::uint8_t> rest)
{
    std::vector<std::uint8_t> b(line.begin(), line.end());
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

const DetectCase kCases[] = {
    {"TdmHeaderThenNul", tdmThen("01TDM\r\n", {0x00, 0x05}), InputFormat::Tdm},
    {"TdmHeaderThenBits", tdmThen("  TDM", {0, 1, 1}), InputFormat::Tdm},
    {"TdmHeaderOfExactlyFiveBytes", tdmThen("\x01\x01TDM", {}), InputFormat::Tdm},
    {"TdmHeaderAfterPacketSync", {0x25, 0xEB, 'T', 'D', 'M', 0x00}, InputFormat::Tdm},
    {"TdmAtTheWrongCharacters", tdmThen("0TDM ", {0x00}), InputFormat::Bin},
    {"TdmInLowerCase", tdmThen("01tdm", {0x00}), InputFormat::Bin},
    {"TdmOnTheSecondLine", tdmThen("\nxTDM", {0x00}), InputFormat::Bin},
    {"TdmAfterACarriageReturn", tdmThen("a\rTDM", {0x00}), InputFormat::Bin},
    {"TdmCutShortBinary", tdmThen("\x01\x01TD", {}), InputFormat::Bin},
    {"PacketSync", {0x25, 0xEB, 0x01, 0x00}, InputFormat::Ch10},
    {"PacketSyncAlone", {0x25, 0xEB}, InputFormat::Ch10},
    {"SyncBytesSwappedIsNotCh10", {0xEB, 0x25, 0x01}, InputFormat::Bin},
    {"SyncLaterIsNotCh10", {0x00, 0x25, 0xEB}, InputFormat::Bin},
    {"PercentSignAloneIsText", {0x25}, InputFormat::Tdm},
    {"ZerosAndOnes", {0, 1, 1, 0, 1}, InputFormat::U8},
    {"OneZeroByte", {0}, InputFormat::U8},
    {"AllOnes", {1, 1, 1}, InputFormat::U8},
    {"ATwoAmongBits", {0, 1, 2}, InputFormat::Bin},
    {"NulInText", {'1', '2', 0, '3'}, InputFormat::Bin},
    {"Escape", {'a', 0x1B, 'b'}, InputFormat::Bin},
    {"Delete", {'a', 0x7F}, InputFormat::Bin},
    {"HighBytesOnly", {0xFF, 0x80, 0xC3}, InputFormat::Tdm},
    {"WhitespaceControlsAreText", {'\t', '\n', '\v', '\f', '\r', ' ', 'F'}, InputFormat::Tdm},
    {"AsciiDigitsAreText", {'0', '1', '0', '1'}, InputFormat::Tdm},
    {"Cp932Text", {0x93, 0xFC, 'T', 'D', 'M', '\r', '\n'}, InputFormat::Tdm},
    {"Empty", {}, InputFormat::Tdm},
    {"ControlAtTheLastLookedAtByte", textThen(kDetectBytes - 1, 0x01), InputFormat::Bin},
    {"ControlPastTheLookedAtBytes", textThen(kDetectBytes, 0x01), InputFormat::Tdm},
};

} // namespace

TEST(FormatDetect, EachKind)
{
    for (const auto& c : kCases) EXPECT_EQ(detectFormat(c.head), c.expected) << c.name;
}

TEST(FormatDetect, BitsOnlyWithinTheLookedAtBytes)
{
    std::vector<std::uint8_t> head(kDetectBytes, 1);
    head.push_back('x');
    EXPECT_EQ(detectFormat(head), InputFormat::U8);
}
