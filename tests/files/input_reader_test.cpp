#include "files/input_reader.h"

#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "files/session.h"
#include "files/file_test_support.h"
#include "files/run_analysis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

const std::string kHeader = "xxTDM header\r\n";
const std::string kLast = "last line, never decoded";
const std::string kNul(1, '\0');
const std::string z80(80, '0'), f80(80, 'F');
const std::vector<RecordedMessage> kNoData{errorBox("入力データがありません。")};
const std::vector<RecordedMessage> kRefused{errorBox("この入力ファイルは処理できません。")};

std::vector<RecordedMessage> boxes(std::initializer_list<std::pair<std::string, std::size_t>> runs)
{
    std::vector<RecordedMessage> out;
    for (const auto& [argument, count] : runs) {
        const auto more = hexconvBoxes(argument, count);
        out.insert(out.end(), more.begin(), more.end());
    }
    return out;
}

// One input, what ReadInputFile answers and shows, and the cells it writes:
// `cells` from cell 1 on, every later cell 0.
struct ReadCase {
    std::string name;
    std::string bytes;
    bool ok;
    std::vector<RecordedMessage> messages;
    std::string cells;
    bool skipHeaderCheck = false;
};

const ReadCase kReadCases[] = {
    {"HeaderAlone", "xxTDM\r\n", false, kNoData, ""},
    {"HeaderWithoutLineEnd", "xxTDM", false, kNoData, ""},
    {"LoneLfFileIsOneLine", "xxTDM\n" + z80 + "\n" + z80 + "\n", false, kNoData, ""},
    {"LowerCaseTdm", "xxtdm\r\n" + z80 + "\r\n" + kLast, false, kRefused, ""},
    {"ShortHeader", "xxTD\r\n" + z80 + "\r\n" + kLast, false, kRefused, ""},
    {"HeaderCountsCharacters", "\x93\xFCTDM\r\n" + z80 + "\r\n" + kLast, false, kRefused, ""},
    {"HeaderDoubleByteIsOnePosition", "\x93\xFCxTDM\r\n" + f80 + "\r\n" + kLast, true, {}, std::string(320, '1')},
    {"HeaderCheckOffDropsTheFirstLine", "FFFF\r\n" + z80 + "\r\n" + kLast, true, {}, "", true},
    {"OneDataLineIsTheLastLine", kHeader + f80, true, {}, ""},
    {"LastLineNeverDecoded", kHeader + std::string(80, '5') + "\r\n" + f80 + "\r\n", true, {}, repeat("0101", 80)},
    {"EmptyLastLineLetsTheLineBeforeIt", kHeader + z80 + "\r\n" + f80 + "\r\n\r\n", true, {},
     std::string(320, '0') + std::string(320, '1')},
    {"MostSignificantBitFirst", kHeader + "01Af" + std::string(76, '0') + "\r\n" + kLast, true, {},
     "0000000110101111" + std::string(304, '0')},
    {"MissingPositionIsABadDigit", kHeader + std::string(79, '0') + "\r\n" + kLast, true, boxes({{"", 1}}),
     std::string(316, '0') + "1111"},
    {"EmptyLineIsEightyBadDigits", kHeader + "\r\n" + kLast, true, boxes({{"", 80}}), std::string(320, '1')},
    {"CharactersAfterTheEightiethIgnored", kHeader + z80 + "GGGG\r\n" + f80 + "\r\n" + kLast, true, {},
     std::string(320, '0') + std::string(320, '1')},
    {"CommentLinesSkippedWithoutGap", kHeader + ";c\r\n" + z80 + "\r\n#\r\n;\r\n" + f80 + "\r\n#e\r\n" + kLast, true,
     {}, std::string(320, '0') + std::string(320, '1')},
    {"SpaceFirstIsData", kHeader + " ;" + std::string(78, '0') + "\r\n" + kLast, true, boxes({{" ", 1}, {";", 1}}),
     "11111111" + std::string(312, '0')},
    {"LoneCrEndsALine", "xxTDM\r" + f80 + "\r" + kLast, true, {}, std::string(320, '1')},
    {"CrCrLfIsAnEmptyLine", kHeader + z80 + "\r\r\n" + kLast, true, boxes({{"", 80}}),
     std::string(320, '0') + std::string(320, '1')},
    {"LoneLfIsACharacter", kHeader + "0\n1" + std::string(77, '0') + "\r\n" + kLast, true, boxes({{"\n", 1}}),
     "000011110001" + std::string(308, '0')},
    {"DoubleByteIsOnePosition", kHeader + "\x93\xFC" + std::string(79, '0') + "G\r\n" + kLast, true,
     boxes({{"入", 1}}), "1111" + std::string(316, '0')},
    {"UndecodableBytesAreOneDigitEach", kHeader + "\x81 \x81\r\n\x81\r\n" + kLast, true,
     boxes({{"\xEF\xBF\xBD", 1}, {" ", 1}, {"\xEF\xBF\xBD", 1}, {"", 77}, {"\xEF\xBF\xBD", 1}, {"", 79}}),
     std::string(640, '1')},
    {"NulBytesAreBadDigits", kHeader + kNul + kNul + std::string(78, '1') + "\r\n" + kLast, true,
     boxes({{kNul, 2}}), "11111111" + repeat("0001", 78)},
    {"LongLineCutAtEighty", kHeader + repeat("\x93\xFC", 100000) + "\r\n" + z80 + "\r\n" + kLast, true,
     boxes({{"入", 80}}), std::string(320, '1') + std::string(320, '0')},
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadInputFileCase : public ReaderTest, public ::testing::WithParamInterface<ReadCase> {};

} // namespace

TEST_P(ReadInputFileCase, DecodesAndReports)
{
    const ReadCase& c = GetParam();
    session->bits.set(5000, 1); // an earlier run's bit: the reader clears the buffer
    session->options.skipHeaderCheck = c.skipHeaderCheck;
    EXPECT_EQ(read(c.bytes), c.ok);
    EXPECT_EQ(tk.messages, c.messages);
    // A refusal closes both files; success and abort leave them to the caller.
    EXPECT_EQ(session->files.result.isOpen(), c.ok);
    if (!c.ok) return;
    EXPECT_EQ(cells(1, static_cast<std::int64_t>(c.cells.size())), c.cells);
    EXPECT_TRUE(zeroFrom(session->bits, static_cast<std::int64_t>(c.cells.size()) + 1));
    EXPECT_EQ(session->bits.get(0), 0);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ReadInputFileCase, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(ReaderTest, StopsAtTwoHundredThousandBits)
{
    std::string input = kHeader;
    for (int i = 0; i < 625; ++i) input += std::string(80, 'A') + "\r\n";
    input += "GGGG\r\n" + kLast; // never read
    EXPECT_TRUE(read(input));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(cells(1, MAX_INPUT_BITS), repeat("1010", MAX_INPUT_BITS / 4));
    EXPECT_TRUE(zeroFrom(session->bits, MAX_INPUT_BITS + 1));
}

TEST_F(ReaderTest, AbortFlagIsPolledBeforeEachDigit)
{
    session->abortFlag.request();
    EXPECT_FALSE(read(kHeader + f80 + "\r\n" + kLast));
    EXPECT_TRUE(zeroFrom(session->bits, 1));
    session->abortFlag.clear();
    // The flag is set while the message for the second digit is up.
    tk.onMessage = [this](const RecordedMessage&) { session->abortFlag.request(); };
    EXPECT_FALSE(read(kHeader + "0G1" + std::string(77, 'F') + "\r\n" + kLast));
    EXPECT_EQ(tk.messages, hexconvBoxes("G", 1));
    EXPECT_EQ(cells(1, 9), "000011110");
    EXPECT_TRUE(session->files.result.isOpen()); // the Run command closes them
}

TEST_F(ReaderTest, LongRunOfCommentLinesYieldsAndAnAbortEndsIt)
{
    // Read for far longer than the 20 ms between yields; the press at the
    // first yield ends the reading there.
    tk.onYield = [this](int) { session->abortFlag.request(); };
    EXPECT_FALSE(read(kHeader + repeat(";\r\n", 6'000'000) + kLast));
    EXPECT_EQ(tk.yields, 1);
    EXPECT_TRUE(zeroFrom(session->bits, 1));
}

TEST_F(ReaderTest, ReadErrorIsReportedWithTheFileName)
{
    const std::string folder = dir.file("folder"); // opens, but every read fails
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(session->files.input.open(folder));
    EXPECT_FALSE(ReadInputFile(*session, tk));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力ファイルを読み込めません：" + folder)});
}

TEST_F(ReaderTest, RandomBytesShowOnlyReaderMessages)
{
    ResetParameters(session->params);
    session->params.END_SYNC_INTERVAL = 310;
    session->resultPath = dir.file("Rin.txt");
    RunView view;
    for (const bool skipHeaderCheck : {false, true}) {
        std::mt19937 rng(skipHeaderCheck ? 2 : 1);
        std::string bytes(20000, '\0');
        for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
        session->inputPath = dir.write("random.bin", bytes);
        session->options.skipHeaderCheck = skipHeaderCheck;
        session->options.inputFormat = InputFormat::Tdm; // auto would take random bytes as binary
        tk.messages.clear();
        RunAnalysis(*session, tk, view);
        session->files.closeBoth();
        ASSERT_FALSE(tk.messages.empty());
        for (const RecordedMessage& m : tk.messages) {
            const bool known = m.text.rfind("Error in hexconv(", 0) == 0 || m == kNoData[0] || m == kRefused[0];
            ASSERT_TRUE(known && m.caption.empty()) << m.text;
        }
        EXPECT_EQ(readBytes(session->resultPath).rfind("; Tarnwick Version", 0), 0u);
    }
}
