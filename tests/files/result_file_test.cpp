#include "files/result_file.h"

#include "engine/parameters.h"
#include "engine/session.h"
#include "files/file_test_support.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

const std::string kCrLf = "\r\n";

// The header as CP932 bytes, written out by hand for the parameters that
// headerParams() sets. Each Japanese character is its CP932 code.
std::string expectedHeader(const std::string& inputBytes, const std::string& resultBytes, bool exclusionsOff)
{
    const std::string exclusion = hx("8F9C 8A4F 8370 835E 815B 8393"); // 除外パターン
    const std::string bitCount = "Bit" + hx("9094");                    // Bit数
    return "; Tarnwick Version 1.00 Revision 1.00.0043" + kCrLf +
           "; " + hx("93FC 97CD 8374 8340 8343 838B") + "   : " + inputBytes + kCrLf +      // 入力ファイル
           "; " + hx("8F6F 97CD 8374 8340 8343 838B") + "   : " + resultBytes + kCrLf +     // 出力ファイル
           "; " + hx("93AF 8AFA 8AD4 8A75") + "       : 300" + hx("8160") + "700" + kCrLf + // 同期間隔, ～
           "; " + hx("93AF 8AFA") + "Bit" + hx("8354 8343 8359") + "  : 20" + kCrLf +     // 同期Bitサイズ
           "; " + hx("8347 8389 815B 8B96 9765") + bitCount + ": 2" + kCrLf +            // エラー許容Bit数
           "; " + hx("8374 838C 815B 8380 9094") + "     : 25" + kCrLf +                  // フレーム数
           "; " + hx("94BB 92E8 82B5 82AB 82A2 926C") + "   : 10" + kCrLf +               // 判定しきい値
           "; " + hx("8F89 8AFA 96B3 8E8B") + bitCount + "  : 3" + kCrLf +               // 初期無視Bit数
           "; " + hx("836F 8362 8374 8340 8354 8343 8359") + " : 300000" + kCrLf +        // バッファサイズ
           "; " + exclusion + "   : " +
           (exclusionsOff ? hx("8E67 9770 82B5 82C8 82A2") : hx("8E67 9770 82B7 82E9")) + kCrLf + // 使用しない / 使用する
           "; " + exclusion + "01 : 01010101" + kCrLf +
           "; " + exclusion + "02 : " + kCrLf +
           "; " + exclusion + "03 : 1111000011110000" + kCrLf +
           "; " + exclusion + "04 : " + kCrLf +
           "; " + exclusion + "05 : x" + hx("93FC") + kCrLf +
           ";" + kCrLf +
           ";Interval,     Idx,         Bit(SYNC), Value(Count)" + kCrLf;
}

AnalysisParameters headerParams()
{
    AnalysisParameters p;
    ResetParameters(p);
    p.FRAME_ROUNDS = 25;
    p.IGNORE_START_BITS = 3;
    p.EXCLUDE_PAT = {"01010101", "", "1111000011110000", "", "x入"};
    return p;
}

std::string spaces(std::size_t n) { return std::string(n, ' '); }

class OpenRunFilesTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit tk;

    void SetUp() override
    {
        session->params = headerParams();
        session->inputPath = dir.write("in.txt", "xxTDM\r\n");
        session->resultPath = dir.file("Rin.txt");
    }
    bool open() { return OpenRunFiles(*session, session->params, tk); }
};

} // namespace

TEST(ResultRow, WorkedExample)
{
    std::string row;
    appendResultRow(row, 500, 37, "0100011101000111", "4747", 12);
    EXPECT_EQ(row, " 500" + spaces(10) + "  37" + spaces(10) + "0100011101000111(4747)" + spaces(6) + "   12" + kCrLf);
    // Columns 1-4, 15-18, 29-50 and 57-61.
    EXPECT_EQ(row.substr(0, 4), " 500");
    EXPECT_EQ(row.substr(14, 4), "  37");
    EXPECT_EQ(row.substr(28, 22), "0100011101000111(4747)");
    EXPECT_EQ(row.substr(56, 5), "   12");
}

TEST(ResultRow, FourthFieldStartsAtTheNextZoneAfterTheThird)
{
    // Pattern width -> first column of field 4.
    const std::map<int, std::size_t> column = {{4, 43},  {8, 43},  {12, 57}, {16, 57}, {20, 57}, {24, 71},
                                               {28, 71}, {32, 71}, {36, 85}, {40, 85}, {44, 99}, {48, 99},
                                               {52, 99}, {56, 113}, {60, 113}, {64, 113}};
    for (const auto& [width, fourth] : column) {
        const std::string pattern = repeat("1010", static_cast<std::size_t>(width / 4));
        const std::string hex(static_cast<std::size_t>(width / 4), 'A');
        const std::string third = pattern + "(" + hex + ")";
        std::string row;
        appendResultRow(row, 100, 1, pattern, hex, 9);
        EXPECT_EQ(row, " 100" + spaces(10) + "   1" + spaces(10) + third + spaces(fourth - 29 - third.size()) +
                           "    9" + kCrLf)
            << width;
    }
}

TEST(ResultRow, ThirtyTwoBitPatternEndsAtAZoneEnd)
{
    // Field 3 fills columns 29 to 70; field 4 follows directly in column 71.
    std::string row;
    appendResultRow(row, 2000, 1999, "11111111000000001111111100000000", "FF00FF00", 20);
    EXPECT_EQ(row, "2000" + spaces(10) + "1999" + spaces(10) + "11111111000000001111111100000000(FF00FF00)" +
                       "   20" + kCrLf);
}

TEST(ResultRow, LargeNumbersKeepTheirLastDigits)
{
    std::string row;
    appendResultRow(row, 12345, 10005, "0000", "0", 123456);
    EXPECT_EQ(row, "2345" + spaces(10) + "0005" + spaces(10) + "0000(0)" + spaces(7) + "23456" + kCrLf);
}

TEST(ResultRow, EmptyHexTextKeepsTheLayout)
{
    std::string row;
    appendResultRow(row, 100, 0, "101", "", 2);
    EXPECT_EQ(row, " 100" + spaces(10) + "   0" + spaces(10) + "101()" + spaces(9) + "    2" + kCrLf);
}

TEST(ResultRow, RowsAppend)
{
    std::string rows = "x";
    appendResultRow(rows, 100, 0, "0000", "0", 5);
    appendResultRow(rows, 100, 1, "0000", "0", 6);
    const std::string one = " 100" + spaces(10) + "   0" + spaces(10) + "0000(0)" + spaces(7) + "    5" + kCrLf;
    const std::string two = " 100" + spaces(10) + "   1" + spaces(10) + "0000(0)" + spaces(7) + "    6" + kCrLf;
    EXPECT_EQ(rows, "x" + one + two);
}

TEST_F(OpenRunFilesTest, WritesTheEighteenHeaderLinesInCp932)
{
    ASSERT_TRUE(open());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(session->files.input.isOpen());
    EXPECT_TRUE(session->files.result.isOpen());
    // The header is in the file as soon as the files are open.
    EXPECT_EQ(readBytes(session->resultPath), expectedHeader(session->inputPath, session->resultPath, false));
    EXPECT_TRUE(session->files.closeBoth());
    EXPECT_EQ(readBytes(session->resultPath), expectedHeader(session->inputPath, session->resultPath, false));
}

TEST_F(OpenRunFilesTest, ExclusionsOffChangesOnlyLineEleven)
{
    session->options.skipExclusions = true;
    ASSERT_TRUE(open());
    session->files.closeBoth();
    EXPECT_EQ(readBytes(session->resultPath), expectedHeader(session->inputPath, session->resultPath, true));
}

TEST_F(OpenRunFilesTest, HeaderHoldsThePathsAsGiven)
{
    const ScopedCwd cwd(dir.path());
    session->inputPath = "./in.txt";
    session->resultPath = "Rin.txt";
    ASSERT_TRUE(open());
    session->files.closeBoth();
    EXPECT_EQ(readBytes(dir.file("Rin.txt")), expectedHeader("./in.txt", "Rin.txt", false));
}

TEST_F(OpenRunFilesTest, PathCharactersAreWrittenInCp932OrAsQuestionMarks)
{
    session->inputPath = dir.write("入力é.txt", "xxTDM\r\n");
    session->resultPath = dir.file("R入力é.txt");
    ASSERT_TRUE(open());
    session->files.closeBoth();
    const std::string folder = dir.path().string() + "/";
    EXPECT_EQ(readBytes(session->resultPath), expectedHeader(folder + hx("93FC 97CD") + "?.txt",
                                                             folder + "R" + hx("93FC 97CD") + "?.txt", false));
}

TEST_F(OpenRunFilesTest, NegativeAndExtremeNumbersArePlainDecimal)
{
    session->params.START_SYNC_INTERVAL = -5;
    session->params.END_SYNC_INTERVAL = INT32_MAX;
    session->params.BUF_SIZE = INT32_MIN;
    ASSERT_TRUE(open());
    session->files.closeBoth();
    const std::string bytes = readBytes(session->resultPath);
    EXPECT_NE(bytes.find(" : -5" + hx("8160") + "2147483647\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(" : -2147483648\r\n"), std::string::npos);
}

TEST_F(OpenRunFilesTest, MissingOrEmptyInputOpensNothingAndTouchesNoResultFile)
{
    dir.write("Rin.txt", "earlier result");
    const std::string folder = dir.file("folder");
    std::filesystem::create_directory(folder);
    for (const std::string& input : {dir.file("missing.txt"), dir.write("empty.txt", ""), folder, std::string()}) {
        session->inputPath = input;
        EXPECT_FALSE(open()) << input;
        EXPECT_TRUE(tk.messages.empty());
        EXPECT_FALSE(session->files.input.isOpen());
        EXPECT_FALSE(session->files.result.isOpen());
        EXPECT_EQ(readBytes(session->resultPath), "earlier result");
    }
}

TEST_F(OpenRunFilesTest, InputThatCannotBeOpenedIsReported)
{
    // The check trims the path and finds the file; opening the untrimmed path fails.
    session->inputPath = " " + session->inputPath;
    EXPECT_FALSE(open());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力ファイルを開けません：" + session->inputPath)});
    EXPECT_FALSE(session->files.result.isOpen());
    EXPECT_FALSE(std::filesystem::exists(session->resultPath));
}

TEST_F(OpenRunFilesTest, ResultFileInAMissingFolderIsReportedOnce)
{
    session->resultPath = dir.file("no-such-folder/Rin.txt");
    EXPECT_FALSE(open());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("出力ファイルを作成できません：" + session->resultPath)});
    EXPECT_FALSE(session->files.input.isOpen());
    EXPECT_FALSE(session->files.result.isOpen());
}

TEST_F(OpenRunFilesTest, HeaderThatCannotBeWrittenIsReported)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    session->resultPath = "/dev/full";
    EXPECT_FALSE(open());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("出力ファイルに書き込めません：/dev/full")});
    EXPECT_FALSE(session->files.input.isOpen());
    EXPECT_FALSE(session->files.result.isOpen());
}

TEST_F(OpenRunFilesTest, OpeningAgainReplacesTheResultFile)
{
    dir.write("Rin.txt", std::string(5000, '#'));
    ASSERT_TRUE(open());
    session->files.closeBoth();
    session->params.THRESHOLD = 7;
    ASSERT_TRUE(open());
    session->files.closeBoth();
    const std::string bytes = readBytes(session->resultPath);
    EXPECT_EQ(bytes.find('#'), std::string::npos);
    EXPECT_NE(bytes.find("   : 7\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("   : 10\r\n"), std::string::npos);
}

TEST(ResultFile, CloseReportsDataThatCouldNotBeWritten)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ResultFile file;
    ASSERT_TRUE(file.open("/dev/full"));
    file.writeLine("buffered, lost when flushed");
    EXPECT_FALSE(file.close());
    EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(file.close()); // closing again does nothing
}
