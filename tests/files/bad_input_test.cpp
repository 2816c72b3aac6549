// Inputs that are not what the reader expects: nothing may crash, and every
// message must be one the reader or hexconv defines.
#include "files/input_reader.h"
#include "files/run_analysis.h"

#include "engine/parameters.h"
#include "engine/run_view.h"
#include "engine/session.h"
#include "files/file_test_support.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

const std::string kHeader = "xxTDM\r\n";
const std::string kNul(1, '\0');
const std::string kReplacement = "\xEF\xBF\xBD";

using BadInputTest = ReaderTest;

bool isReaderMessage(const RecordedMessage& m)
{
    const bool hexconvText = m.text.rfind("Error in hexconv(", 0) == 0 && m.text.back() == ')';
    const bool refusal = m.text == "入力データがありません。" || m.text == "この入力ファイルは処理できません。";
    return (hexconvText || refusal) && m.caption.empty() && m.buttons == Buttons::Ok;
}

std::string utf16le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

TEST_F(BadInputTest, RandomBytesRunThroughThePipeline)
{
    AnalysisParameters& p = session->params;
    ResetParameters(p);
    p.START_SYNC_INTERVAL = 100;
    p.END_SYNC_INTERVAL = 110;
    p.FRAME_ROUNDS = 5;
    p.THRESHOLD = 5;
    session->resultPath = dir.file("Rin.txt");
    RunView view;
    for (const unsigned seed : {1u, 2u, 3u}) {
        for (const bool skipHeaderCheck : {false, true}) {
            std::mt19937 rng(seed);
            std::string bytes(20000, '\0');
            for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
            session->inputPath = dir.write("random.bin", bytes);
            session->options.skipHeaderCheck = skipHeaderCheck;
            tk.messages.clear();
            RunAnalysis(*session, tk, view);
            session->files.closeBoth();
            ASSERT_FALSE(tk.messages.empty());
            for (const RecordedMessage& m : tk.messages) ASSERT_TRUE(isReaderMessage(m)) << m.text;
            // Each decoded line gives at most 80 messages.
            const auto lineEnds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
            EXPECT_LE(tk.messages.size(), 80 * lineEnds);
            // The header line is always the first line.
            EXPECT_TRUE(readBytes(session->resultPath).rfind("; Tarnwick Version", 0) == 0);
        }
    }
}

TEST_F(BadInputTest, NulBytesAreBadDigits)
{
    EXPECT_TRUE(read(kHeader + kNul + kNul + std::string(78, '1') + "\r\nlast"));
    EXPECT_EQ(tk.messages, hexconvBoxes(kNul, 2));
    EXPECT_EQ(cells(1, 12), "111111110001");

    // In the header only characters 3 to 5 count.
    EXPECT_TRUE(read(kNul + kNul + "TDM" + kNul + "\r\n" + std::string(80, '0') + "\r\nlast"));
    EXPECT_FALSE(read("xx" + kNul + "DM\r\n" + std::string(80, '0') + "\r\nlast"));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("この入力ファイルは処理できません。")});
}

TEST_F(BadInputTest, Utf16TextIsRefusedByTheHeaderCheck)
{
    EXPECT_FALSE(read(utf16le("xxTDM\r\n1\r\n2\r\n")));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("この入力ファイルは処理できません。")});
}

TEST_F(BadInputTest, Utf16TextWithoutHeaderCheckDecodesByteByByte)
{
    // CR is followed by NUL, not LF: each line after the first starts with
    // NUL LF NUL, then the digit, then NUL.
    session->options.skipHeaderCheck = true;
    EXPECT_TRUE(read(utf16le("xxTDM\r\n1\r\n2\r\n")));
    std::vector<RecordedMessage> line = hexconvBoxes(kNul, 1);
    append(line, hexconvBoxes("\n", 1));
    append(line, hexconvBoxes(kNul, 2));
    append(line, hexconvBoxes("", 75));
    std::vector<RecordedMessage> expected = line;
    append(expected, line);
    EXPECT_EQ(tk.messages, expected);
    EXPECT_EQ(cells(1, 20), "1111" "1111" "1111" "0001" "1111");
    EXPECT_EQ(cells(321, 340), "1111" "1111" "1111" "0010" "1111");
    EXPECT_TRUE(zeroFrom(session->bits, 641));
}

TEST_F(BadInputTest, VeryLongLinesAreCutAtEightyCharacters)
{
    EXPECT_TRUE(read(kHeader + std::string(100000, 'F') + "\r\n" + std::string(80, '0') + "\r\nlast"));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(cells(1, 640), std::string(320, '1') + std::string(320, '0'));

    EXPECT_TRUE(read(kHeader + repeat("\x93\xFC", 100000) + "\r\n" + std::string(80, '0') + "\r\nlast"));
    EXPECT_EQ(tk.messages, hexconvBoxes("入", 80));
    EXPECT_EQ(cells(1, 640), std::string(320, '1') + std::string(320, '0'));
}

TEST_F(BadInputTest, VeryLongHeaderIsCheckedAndDropped)
{
    EXPECT_TRUE(read("xxTDM" + std::string(100000, 'x') + "\r\n" + std::string(80, 'F') + "\r\nlast"));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(cells(1, 320), std::string(320, '1'));
}

TEST_F(BadInputTest, LargeFileWithoutCarriageReturnsIsOneLine)
{
    EXPECT_FALSE(read("xxTDM\n" + repeat(std::string(80, 'F') + "\n", 20000)));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力データがありません。")});
}

TEST_F(BadInputTest, InvalidCp932SequencesAreOneBadDigitPerByte)
{
    // Lead byte before a space, a lone lead byte cut off by the line end.
    EXPECT_TRUE(read(kHeader + "\x81 \x81\r\n" + "\x81\r\nlast"));
    std::vector<RecordedMessage> expected = hexconvBoxes(kReplacement, 1);
    append(expected, hexconvBoxes(" ", 1));
    append(expected, hexconvBoxes(kReplacement, 1));
    append(expected, hexconvBoxes("", 77));
    append(expected, hexconvBoxes(kReplacement, 1));
    append(expected, hexconvBoxes("", 79));
    EXPECT_EQ(tk.messages, expected);
    EXPECT_EQ(cells(1, 640), std::string(640, '1'));
}
