#include "files/result_file.h"

#include "files/parameter_table.h"
#include "files/session.h"
#include "files/file_test_support.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>
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

TEST(ResultRow, FourthFieldStartsAtTheNextZoneAfterTheThird)
{
    // Pattern width -> first column of field 4; 32 bits end exactly at a zone end.
    const std::map<int, std::size_t> column = {{4, 43},  {8, 43},  {12, 57}, {16, 57}, {20, 57}, {24, 71},
                                               {28, 71}, {32, 71}, {36, 85}, {40, 85}, {44, 99}, {48, 99},
                                               {52, 99}, {56, 113}, {60, 113}, {64, 113}};
    for (const auto& [width, fourth] : column) {
        const std::string pattern = repeat("1010", static_cast<std::size_t>(width / 4));
        const std::string hex(static_cast<std::size_t>(width / 4), 'A');
        const std::string third = pattern + "(" + hex + ")";
        std::string row = "x";
        appendResultRow(row, 500, 37, pattern, hex, 12);
        EXPECT_EQ(row, "x 500" + spaces(10) + "  37" + spaces(10) + third + spaces(fourth - 29 - third.size()) +
                           "   12" + kCrLf)
            << width;
    }
    std::string row;
    appendResultRow(row, 12345, 10005, "0000", "0", 123456); // the last digits stay
    EXPECT_EQ(row, "2345" + spaces(10) + "0005" + spaces(10) + "0000(0)" + spaces(7) + "23456" + kCrLf);
}

TEST_F(OpenRunFilesTest, WritesTheEighteenHeaderLinesInCp932)
{
    for (const bool exclusionsOff : {false, true}) {
        session->options.skipExclusions = exclusionsOff;
        ASSERT_TRUE(open());
        EXPECT_TRUE(tk.messages.empty());
        EXPECT_TRUE(session->files.input.isOpen());
        // The header is in the file as soon as the files are open.
        EXPECT_EQ(readBytes(session->resultPath), expectedHeader(session->inputPath, session->resultPath, exclusionsOff));
        EXPECT_TRUE(session->files.closeBoth());
    }
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

// A line end inside a file name would split a header line: the header keeps
// its 18 lines, each character of the name its place.
TEST_F(OpenRunFilesTest, LineEndsInPathsBecomeQuestionMarks)
{
    for (const std::string name : {"a\rb.txt", "a\nb.txt", "a\r\nb.txt"}) {
        session->inputPath = dir.write(name, "xxTDM\r\n");
        session->resultPath = dir.file("R" + name);
        ASSERT_TRUE(open());
        session->files.closeBoth();
        std::string shown = name;
        for (char& c : shown)
            if (c == '\r' || c == '\n') c = '?';
        const std::string folder = dir.path().string() + "/";
        EXPECT_EQ(readBytes(session->resultPath), expectedHeader(folder + shown, folder + "R" + shown, false));
    }
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
        EXPECT_EQ(readBytes(session->resultPath), "earlier result");
    }
}

// Result files that cannot be used: one message naming the file, nothing
// opened, and whatever was there stays.
TEST_F(OpenRunFilesTest, UnusableResultFileIsReportedByName)
{
    ResultFile other; // another run holding the file
    const std::string locked = dir.write("Rlocked.txt", "the other run's rows\r\n");
    ASSERT_TRUE(other.open(locked));
    ASSERT_TRUE(other.writeBytes("the other run's rows\r\n"));
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path, message;
    } cases[] = {
        {dir.file("no-such-folder/R.txt"), "出力ファイルを作成できません："},
        {locked, "出力ファイルは他の処理が使用中です："},
        {fifo, "通常のファイルではないため処理できません："}, // no reader: must not wait for one
        {dir.path().string(), "通常のファイルではないため処理できません："},
        {"/dev/full", "通常のファイルではないため処理できません："},
        {session->inputPath, "出力ファイルが入力ファイルと同じため処理できません："},
    };
    for (const auto& c : cases) {
        tk.messages.clear();
        session->resultPath = c.path;
        EXPECT_FALSE(open()) << c.path;
        EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox(c.message + c.path)});
        EXPECT_FALSE(session->files.input.isOpen());
        EXPECT_FALSE(session->files.result.isOpen());
    }
    EXPECT_EQ(readBytes(locked), "the other run's rows\r\n");
    EXPECT_EQ(readBytes(session->inputPath), "xxTDM\r\n");
    other.close();
    session->resultPath = locked; // free again
    EXPECT_TRUE(open());
}

TEST(ResultFile, FailedWriteLeavesWholeRowsOnly)
{
    TempDir dir;
    ResultFile file;
    ASSERT_TRUE(file.open(dir.file("R.txt")));
    std::string row;
    appendResultRow(row, 512, 36, "10110101110000100111", "B5C27", 20);
    {
        const FileSizeLimit limit(1000); // ends in the middle of a row
        while (file.writeBytes(row + row)) {
        }
    }
    EXPECT_FALSE(file.writeBytes(row)); // a failed file takes no more rows
    EXPECT_FALSE(file.close());
    const std::string bytes = readBytes(dir.file("R.txt"));
    EXPECT_EQ(bytes.size() % (2 * row.size()), 0u);
    EXPECT_GT(bytes.size(), 0u);
    EXPECT_TRUE(file.close()); // closing again does nothing
}
