#include "files/input_reader.h"

#include "engine/session.h"
#include "files/file_test_support.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

const std::string kHeader = "xxTDM header\r\n";
const std::string kLast = "last line, never decoded";

class ReadInputFileTest : public ReaderTest {
protected:
    bool bothOpen() const { return session->files.input.isOpen() && session->files.result.isOpen(); }
    bool bothClosed() const { return !session->files.input.isOpen() && !session->files.result.isOpen(); }
    bool zeroFrom(std::int64_t first) const { return morvelan::testing::zeroFrom(session->bits, first); }
};

} // namespace

TEST_F(ReadInputFileTest, HeaderAloneMeansNoData)
{
    for (const std::string input : {"xxTDM", "xxTDM\r\n", "xxTDM\r", "\r\n"}) {
        EXPECT_FALSE(read(input)) << input;
        EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力データがありません。")});
        EXPECT_TRUE(bothClosed());
    }
}

TEST_F(ReadInputFileTest, HeaderNeedsTdmAtCharactersThreeToFive)
{
    EXPECT_TRUE(read("xxTDM\r\n" + std::string(80, '0') + "\r\n" + kLast));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(bothOpen());

    for (const std::string header : {"xxtdm", "xxTD", "TDMxx", "xTDMx", "xx TDM", ""}) {
        EXPECT_FALSE(read(header + "\r\n" + std::string(80, '0') + "\r\n" + kLast)) << header;
        EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("この入力ファイルは処理できません。")});
        EXPECT_TRUE(bothClosed());
    }
}

TEST_F(ReadInputFileTest, HeaderPositionsAreCharactersNotBytes)
{
    // "入" is two bytes but one character.
    EXPECT_TRUE(read("\x93\xFCxTDM\r\n" + std::string(80, '0') + "\r\n" + kLast));
    EXPECT_FALSE(read("\x93\xFCTDM\r\n" + std::string(80, '0') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("この入力ファイルは処理できません。")});
}

TEST_F(ReadInputFileTest, HeaderCheckOffDropsTheFirstLineUnseen)
{
    session->options.skipHeaderCheck = true;
    EXPECT_TRUE(read("FFFF\r\n" + std::string(80, '0') + "\r\n" + kLast));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(zeroFrom(1)); // the header's digits were not decoded

    EXPECT_TRUE(read("\r\n" + std::string(80, 'F') + "\r\n" + kLast));
    EXPECT_EQ(cells(1, 320), std::string(320, '1'));
    EXPECT_TRUE(tk.messages.empty());
}

TEST_F(ReadInputFileTest, OneLineAfterTheHeaderWritesNothing)
{
    ASSERT_TRUE(read(kHeader + std::string(80, 'F') + "\r\n" + std::string(80, 'F') + "\r\n" + "\r\n"));
    ASSERT_EQ(cells(1, 640), std::string(640, '1'));

    EXPECT_TRUE(read(kHeader + std::string(80, 'F')));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(bothOpen());
    // The buffer was cleared for this run and nothing was written.
    EXPECT_TRUE(zeroFrom(0));
}

TEST_F(ReadInputFileTest, LastLineIsNeverDecoded)
{
    const std::string a = std::string(80, '5');
    const std::string b = std::string(80, 'F');
    EXPECT_TRUE(read(kHeader + a + "\r\n" + b));
    EXPECT_EQ(cells(1, 320), repeat("0101", 80));
    EXPECT_TRUE(zeroFrom(321));

    // A final line end does not make B decodable: nothing is left after it.
    EXPECT_TRUE(read(kHeader + a + "\r\n" + b + "\r\n"));
    EXPECT_EQ(cells(1, 320), repeat("0101", 80));
    EXPECT_TRUE(zeroFrom(321));

    // An empty last line lets B be decoded.
    EXPECT_TRUE(read(kHeader + a + "\r\n" + b + "\r\n\r\n"));
    EXPECT_EQ(cells(1, 640), repeat("0101", 80) + std::string(320, '1'));
    EXPECT_TRUE(zeroFrom(641));
    EXPECT_TRUE(tk.messages.empty());
}

TEST_F(ReadInputFileTest, DigitsAreWrittenMostSignificantBitFirstFromCellOne)
{
    EXPECT_TRUE(read(kHeader + "01Af" + std::string(76, '0') + "\r\n" + kLast));
    EXPECT_EQ(cells(0, 16), "0" "0000" "0001" "1010" "1111");
    EXPECT_TRUE(zeroFrom(17));

    EXPECT_TRUE(read(kHeader + "0123456789abcdefABCDEF" + std::string(58, '0') + "\r\n" + kLast));
    EXPECT_EQ(cells(1, 88), "0000000100100011010001010110011110001001101010111100110111101111"
                            "101010111100110111101111");
    EXPECT_TRUE(tk.messages.empty());
}

TEST_F(ReadInputFileTest, MissingPositionsOfAShortLineAreBadDigits)
{
    EXPECT_TRUE(read(kHeader + std::string(79, '0') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("", 1));
    EXPECT_EQ(cells(313, 320), "00001111");
    EXPECT_TRUE(zeroFrom(321));

    EXPECT_TRUE(read(kHeader + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("", 80));
    EXPECT_EQ(cells(1, 320), std::string(320, '1'));
    EXPECT_TRUE(zeroFrom(321));
}

TEST_F(ReadInputFileTest, CharactersAfterTheEightiethAreIgnored)
{
    const std::string line = std::string(80, '0') + std::string(20, 'G');
    EXPECT_TRUE(read(kHeader + line + "\r\n" + std::string(80, 'F') + "\r\n" + kLast));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(cells(1, 640), std::string(320, '0') + std::string(320, '1'));
}

TEST_F(ReadInputFileTest, CommentLinesAreSkippedWithoutGap)
{
    EXPECT_TRUE(read(kHeader + ";comment\r\n" + std::string(80, '0') + "\r\n#\r\n;\r\n" + std::string(80, 'F') +
                     "\r\n#end\r\n" + kLast));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(cells(1, 640), std::string(320, '0') + std::string(320, '1'));
    EXPECT_TRUE(zeroFrom(641));
}

TEST_F(ReadInputFileTest, LineStartingWithASpaceIsData)
{
    EXPECT_TRUE(read(kHeader + " ;" + std::string(78, '0') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, (std::vector<RecordedMessage>{errorBox("Error in hexconv( )"), errorBox("Error in hexconv(;)")}));
    EXPECT_EQ(cells(1, 12), "111111110000");
}

TEST_F(ReadInputFileTest, StopsAtTwoHundredThousandBits)
{
    // 625 decodable lines fill the limit; the bad digits after them are never read.
    std::string input = kHeader;
    for (int i = 0; i < 625; ++i) input += std::string(80, 'A') + "\r\n";
    for (int i = 0; i < 75; ++i) input += std::string(80, 'G') + "\r\n";
    input += kLast;
    EXPECT_TRUE(read(input));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(cells(1, MAX_INPUT_BITS), repeat("1010", MAX_INPUT_BITS / 4));
    EXPECT_TRUE(zeroFrom(MAX_INPUT_BITS + 1));
    EXPECT_TRUE(bothOpen());
}

TEST_F(ReadInputFileTest, LineEndsAtCarriageReturn)
{
    // A lone CR ends a line.
    EXPECT_TRUE(read("xxTDM\r" + std::string(80, 'F') + "\r" + kLast));
    EXPECT_EQ(cells(1, 320), std::string(320, '1'));
    EXPECT_TRUE(tk.messages.empty());

    // CR CR LF is a line end followed by an empty line.
    EXPECT_TRUE(read(kHeader + std::string(80, '0') + "\r\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("", 80));
    EXPECT_EQ(cells(1, 640), std::string(320, '0') + std::string(320, '1'));
}

TEST_F(ReadInputFileTest, LoneLineFeedIsAnOrdinaryCharacter)
{
    EXPECT_TRUE(read(kHeader + "0\n1" + std::string(77, '0') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("\n", 1));
    EXPECT_EQ(cells(1, 12), "0000" "1111" "0001");

    // A file with lone-LF line ends is one single line.
    EXPECT_FALSE(read("xxTDM\n" + std::string(80, '0') + "\n" + std::string(80, '0') + "\n"));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力データがありません。")});
}

TEST_F(ReadInputFileTest, PositionsCountCp932Characters)
{
    // A double-byte character is one position and one bad digit; the 81st
    // character would be a digit if bytes were counted.
    EXPECT_TRUE(read(kHeader + "\x93\xFC" + std::string(79, '0') + "G\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("入", 1));
    EXPECT_EQ(cells(1, 8), "11110000");
    EXPECT_TRUE(zeroFrom(5));
}

TEST_F(ReadInputFileTest, SingleByteKatakanaIsOneBadDigit)
{
    EXPECT_TRUE(read(kHeader + "\xB1" + std::string(79, '0') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("ｱ", 1));
    EXPECT_EQ(cells(1, 8), "11110000");
}

TEST_F(ReadInputFileTest, EachUndecodableByteIsOneBadDigit)
{
    // 0x81 cannot be followed by a space: two positions, two messages.
    EXPECT_TRUE(read(kHeader + "\x81 " + std::string(78, '0') + "\r\n" + kLast));
    std::vector<RecordedMessage> expected = hexconvBoxes("\xEF\xBF\xBD", 1);
    append(expected, hexconvBoxes(" ", 1));
    EXPECT_EQ(tk.messages, expected);
    EXPECT_EQ(cells(1, 12), "111111110000");
    EXPECT_TRUE(zeroFrom(9));
}

TEST_F(ReadInputFileTest, ASecondShorterRunLeavesNoBitsOfTheFirst)
{
    ASSERT_TRUE(read(kHeader + std::string(80, 'F') + "\r\n" + std::string(80, 'F') + "\r\n" + kLast));
    ASSERT_EQ(cells(1, 640), std::string(640, '1'));

    EXPECT_TRUE(read(kHeader + std::string(80, '1') + "\r\n" + kLast));
    EXPECT_EQ(cells(1, 320), repeat("0001", 80));
    EXPECT_TRUE(zeroFrom(321));
}

TEST_F(ReadInputFileTest, AbortFlagStopsBeforeTheFirstDigit)
{
    session->abortFlag = true;
    EXPECT_FALSE(read(kHeader + std::string(80, 'F') + "\r\n" + kLast));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(bothOpen()); // the Run command closes them
    EXPECT_TRUE(zeroFrom(1));
}

TEST_F(ReadInputFileTest, AbortFlagIsPolledBeforeEachDigit)
{
    // The flag is set while the message for the second digit is up.
    tk.onMessage = [this](const RecordedMessage&) { session->abortFlag = true; };
    EXPECT_FALSE(read(kHeader + "0G1" + std::string(77, 'F') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("G", 1));
    EXPECT_EQ(cells(1, 8), "00001111");
    EXPECT_TRUE(zeroFrom(9));
    EXPECT_TRUE(bothOpen());
}

TEST_F(ReadInputFileTest, ReadErrorIsReportedWithTheFileName)
{
    // A folder opens for reading but every read fails.
    const std::string folder = dir.file("folder");
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(session->files.input.open(folder));
    EXPECT_FALSE(ReadInputFile(*session, tk));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力ファイルを読み込めません：" + folder)});
}
