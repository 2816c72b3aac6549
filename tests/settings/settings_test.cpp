#include "files/parameter_table.h"
#include "settings/settings.h"

#include "support/scripted_toolkit.h"
#include "support/permission_checks.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace morvelan;
using morvelan::testing::readBytes;
using morvelan::testing::RecordedMessage;
using morvelan::testing::ScriptedToolkit;
using morvelan::testing::TempDir;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedToolkit toolkit;
    AnalysisParameters params;
    std::string path = dir.file("Morvelan.ini");

    bool readFile(const std::string& bytes)
    {
        dir.write("Morvelan.ini", bytes);
        return ReadSettings(params, path, toolkit);
    }
    bool readSection(const std::string& body) { return readFile("[Morvelan]\r\n" + body); }
    void expectOnlyMessage(const std::string& text)
    {
        EXPECT_EQ(toolkit.messages, (std::vector<RecordedMessage>{{text, "", Buttons::Ok}}));
    }
};

} // namespace

TEST(CutAtNul, CutsAtTheFirstNul)
{
    EXPECT_EQ(CutAtNul(std::string_view("ab\0cd\0", 6)), "ab");
    EXPECT_EQ(CutAtNul(std::string_view("\0x", 2)), "");
    EXPECT_EQ(CutAtNul("whole"), "whole");
}

TEST_F(SettingsFile, NumbersFollowTheSettingsSyntaxAndBlankLeavesTheValue)
{
    params.START_SYNC_INTERVAL = 123;
    params.ALLOW_ERR_BITS = 9;
    EXPECT_TRUE(readSection("START_SYNC_INTERVAL=\r\nEND_SYNC_INTERVAL=350abc\r\nTHRESHOLD=13.5\r\n"
                            "IGNORE_START_BITS=&H1F\r\nPASSWORD_ENC=-7\r\n"));
    EXPECT_EQ(params.START_SYNC_INTERVAL, 123); // blank: left alone
    EXPECT_EQ(params.ALLOW_ERR_BITS, 9);        // missing: left alone
    EXPECT_EQ(params.END_SYNC_INTERVAL, 350);
    EXPECT_EQ(params.THRESHOLD, 14);
    EXPECT_EQ(params.IGNORE_START_BITS, 31);
    EXPECT_EQ(params.PASSWORD_ENC, -7);
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(SettingsFile, OverflowStopsReadingAndKeepsEarlierKeys)
{
    EXPECT_FALSE(readSection("FRAME_ROUNDS=30\r\nBUF_SIZE=3000000000\r\nTHRESHOLD=5\r\nEXCLUDE_PAT01=1010\r\n"));
    expectOnlyMessage("6 Morvelan オーバーフローしました。");
    EXPECT_EQ(params.FRAME_ROUNDS, 30);
    EXPECT_EQ(params.BUF_SIZE, 0);
    EXPECT_EQ(params.THRESHOLD, 0);
    EXPECT_EQ(params.EXCLUDE_PAT[0], "");
}

TEST_F(SettingsFile, TextsAreDecodedAndCarriedValuesEmptiedFirst)
{
    params.USER_ID = "old";
    params.PASSWORD = "old";
    params.PASSWORD_ENC = 5;
    EXPECT_TRUE(readSection("PASSWORD=  s e  \r\nRES_OUT_PATH=C:\\out\r\nEXCLUDE_PAT01=\x82\xA0\xB1 1\r\n"
                            "EXCLUDE_PAT02=\t\r\nEXCLUDE_PAT05=" + std::string(5000, '1') + "\r\n"));
    EXPECT_EQ(params.USER_ID, "");
    EXPECT_EQ(params.PASSWORD, "s e"); // inner blanks stay
    EXPECT_EQ(params.PASSWORD_ENC, 0);
    EXPECT_EQ(params.RES_OUT_PATH, "C:\\out");
    EXPECT_EQ(params.EXCLUDE_PAT[0], "あｱ 1");
    EXPECT_EQ(params.EXCLUDE_PAT[1], "");
    EXPECT_EQ(params.EXCLUDE_PAT[4], std::string(1023, '1')); // cut at the read buffer
}

TEST_F(SettingsFile, LineEndsCaseBomAndDuplicates)
{
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        params = {};
        EXPECT_TRUE(readFile("; c" + eol + "[morvelan]" + eol + "start_sync_interval=350" + eol +
                             "START_SYNC_INTERVAL=999" + eol + "[Other]" + eol + "FRAME_ROUNDS=7" + eol +
                             "[MORVELAN]" + eol + "FRAME_ROUNDS=8"));
        EXPECT_EQ(params.START_SYNC_INTERVAL, 350) << "first duplicate wins";
        EXPECT_EQ(params.FRAME_ROUNDS, 0) << "only the first section counts";
    }
    EXPECT_TRUE(readFile("[Morvelan]\rSYNC_BIT_SIZE=7\nTHRESHOLD=3\r\nBUF_SIZE=4"));
    EXPECT_EQ(params.SYNC_BIT_SIZE, 7);
    EXPECT_EQ(params.THRESHOLD, 3);
    EXPECT_EQ(params.BUF_SIZE, 4);
    EXPECT_TRUE(readFile("\xEF\xBB\xBF[Morvelan]\r\nEND_SYNC_INTERVAL=640\r\n"));
    EXPECT_EQ(params.END_SYNC_INTERVAL, 640);
}

TEST_F(SettingsFile, AbsentEmptyOrFolderChangesNothing)
{
    params.USER_ID = "kept";
    params.PASSWORD_ENC = 2;
    const AnalysisParameters before = params;
    EXPECT_FALSE(ReadSettings(params, path, toolkit));
    EXPECT_FALSE(readFile(""));
    EXPECT_FALSE(ReadSettings(params, dir.path().string(), toolkit));
    EXPECT_EQ(params, before);
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(SettingsFile, SaveRewritesOnlyItsKeysLinesByteForByte)
{
    const std::string before = "; Morvelan settings\r\n"
                               "[Other]\nUSER_ID=other\r"
                               "[MORVELAN]\r\n"
                               "user_id=bob\n"
                               "PASSWORD = secret \r"
                               "PASSWORD_ENC=1\r\n"
                               "RES_OUT_PATH=C:\\out\r\n"
                               "UNKNOWN_KEY=stays\r\n"
                               "START_SYNC_INTERVAL=1\r\n"
                               "START_SYNC_INTERVAL=2\r\n"
                               "END_SYNC_INTERVAL=3\n"
                               "SYNC_BIT_SIZE=4\r\n"
                               "ALLOW_ERR_BITS=5\r\n"
                               "IGNORE_START_BITS=6\r\n"
                               "FRAME_ROUNDS=7\r\n"
                               "THRESHOLD=8\r"
                               "EXCLUDE_PAT01=1010\r\n"
                               "EXCLUDE_PAT02=  \r\n"
                               "\r\n"
                               "; end\r\n";
    const std::string after = "; Morvelan settings\r\n"
                              "[Other]\nUSER_ID=other\r"
                              "[MORVELAN]\r\n"
                              "USER_ID=\n"
                              "PASSWORD=\r"
                              "PASSWORD_ENC=0\r\n"
                              "RES_OUT_PATH=C:\\out\r\n"
                              "UNKNOWN_KEY=stays\r\n"
                              "START_SYNC_INTERVAL=300\r\n"
                              "START_SYNC_INTERVAL=2\r\n"
                              "END_SYNC_INTERVAL=-700\n"
                              "SYNC_BIT_SIZE=20\r\n"
                              "ALLOW_ERR_BITS=2\r\n"
                              "IGNORE_START_BITS=0\r\n"
                              "FRAME_ROUNDS=20\r\n"
                              "THRESHOLD=10\r"
                              "EXCLUDE_PAT01=1010\r\n"
                              "EXCLUDE_PAT02=  \r\n"
                              "BUF_SIZE=-2147483648\r\n" // missing: added after the last key line
                              "\r\n"
                              "; end\r\n";
    dir.write("Morvelan.ini", before);
    ResetParameters(params);
    params.END_SYNC_INTERVAL = -700;
    params.BUF_SIZE = INT32_MIN;
    params.USER_ID = "bob";
    params.PASSWORD = "secret";
    params.PASSWORD_ENC = 1;
    params.EXCLUDE_PAT[0] = "1111";
    params.RES_OUT_PATH = "elsewhere";
    SaveSettings(params, path, toolkit);
    EXPECT_EQ(readBytes(path), after);
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(params.USER_ID, "");
    EXPECT_EQ(params.PASSWORD, "");
    EXPECT_EQ(params.PASSWORD_ENC, 0);
    EXPECT_EQ(params.EXCLUDE_PAT[0], "1111");
}

TEST_F(SettingsFile, SaveAddsTheSectionAndKeysInSaveOrder)
{
    dir.write("Morvelan.ini", "; only a comment\n");
    ResetParameters(params);
    SaveSettings(params, path, toolkit);
    EXPECT_EQ(readBytes(path), "; only a comment\n[Morvelan]\nUSER_ID=\nPASSWORD=\nPASSWORD_ENC=0\n"
                               "START_SYNC_INTERVAL=300\nEND_SYNC_INTERVAL=700\nSYNC_BIT_SIZE=20\n"
                               "ALLOW_ERR_BITS=2\nIGNORE_START_BITS=0\nFRAME_ROUNDS=20\nTHRESHOLD=10\n"
                               "BUF_SIZE=300000\n");
}

TEST_F(SettingsFile, SaveNeverCreatesOrFillsAnEmptyFile)
{
    params.USER_ID = "kept";
    SaveSettings(params, path, toolkit);
    EXPECT_FALSE(fs::exists(path));
    dir.write("Morvelan.ini", "");
    SaveSettings(params, path, toolkit);
    EXPECT_EQ(fs::file_size(path), 0u);
    SaveSettings(params, dir.path().string(), toolkit);
    const std::string missing = "設定ファイルがないため、設定を保存できませんでした：";
    EXPECT_EQ(toolkit.texts(), (std::vector<std::string>{missing + path, missing + path,
                                                          missing + dir.path().string()}));
    EXPECT_EQ(params.USER_ID, "kept");
}

TEST_F(SettingsFile, FailedSaveIsReportedAndKeepsTheFile)
{
    const std::string before = "[Morvelan]\r\nSTART_SYNC_INTERVAL=1\r\n";
    dir.write("Morvelan.ini", before);
    params.PASSWORD = "p";
    ::chmod(path.c_str(), 0444);
    SaveSettings(params, path, toolkit);
    expectOnlyMessage("設定を保存できませんでした：" + path);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(params.PASSWORD, ""); // the save went ahead as far as memory goes

    ::chmod(path.c_str(), 0644);
    toolkit.messages.clear();
    ReplaceSteps interrupted;
    interrupted.beforeRename = [](const std::string&) { return false; };
    SaveSettings(params, path, toolkit, interrupted);
    expectOnlyMessage("設定を保存できませんでした：" + path);
    EXPECT_EQ(readBytes(path), before);
}

// The first line where two texts differ, instead of a diff of the whole file.
std::string firstDifference(const std::string& actual, const std::string& expected)
{
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    if (at == actual.size() && at == expected.size()) return "";
    const std::size_t from = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t start = from == std::string::npos ? 0 : from + 1;
    return "at byte " + std::to_string(at) + ": got \"" + actual.substr(start, 80) + "\", expected \"" +
           expected.substr(start, 80) + "\"";
}

TEST_F(SettingsFile, OneMegabyteFileIsReadAndSavedIntact)
{
    std::string filler;
    const std::string line = "; " + std::string(98, '-') + "\r\n";
    while (filler.size() < (512u << 10)) filler += line; // twice: a 1 MB file
    ASSERT_TRUE(readFile(filler + "[Morvelan]\r\nFRAME_ROUNDS=33\r\nBUF_SIZE=1\r\n" + filler));
    EXPECT_EQ(params.FRAME_ROUNDS, 33);
    params.BUF_SIZE = 2;
    SaveSettings(params, path, toolkit);
    // Missing keys follow the section's last key line, in the order they are saved.
    const std::string expected = filler + "[Morvelan]\r\nFRAME_ROUNDS=33\r\nBUF_SIZE=2\r\nUSER_ID=\r\nPASSWORD=\r\n"
                                          "PASSWORD_ENC=0\r\nSTART_SYNC_INTERVAL=0\r\nEND_SYNC_INTERVAL=0\r\n"
                                          "SYNC_BIT_SIZE=0\r\nALLOW_ERR_BITS=0\r\nIGNORE_START_BITS=0\r\n"
                                          "THRESHOLD=0\r\n" + filler;
    EXPECT_EQ(firstDifference(readBytes(path), expected), "");
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST(SettingsFileCheck, AnExplicitFileMustHoldTheSection)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::truncate(dir.write("huge.ini", "[Morvelan]\r\n").c_str(), kMaxWholeFileBytes + 1);
    EXPECT_TRUE(IsUsableSettingsFile(dir.write("ok.ini", "; c\r\n[morvelan]\r\n")));
    for (const std::string& bad : {dir.write("empty.ini", ""), dir.write("junk.ini", "\x93\xFC\0\xFF[Morv"),
                                   dir.write("other.ini", "[Other]\r\nA=1\r\n"), dir.file("missing.ini"),
                                   dir.path().string(), fifo, dir.file("huge.ini")})
        EXPECT_FALSE(IsUsableSettingsFile(bad)) << bad;
}

TEST_F(SettingsFile, ShippedDefaultFileHoldsTheResetValues)
{
    const fs::path shipped = fs::path(MORVELAN_SOURCE_DIR) / "data/Morvelan.ini";
    const std::string bytes = readBytes(shipped.string());
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1); // CR LF line ends
    ASSERT_TRUE(readFile(bytes));
    AnalysisParameters expected;
    ResetParameters(expected);
    EXPECT_EQ(params, expected);
    SaveSettings(params, path, toolkit);
    EXPECT_EQ(readBytes(path), bytes); // saving the reset values changes nothing
}
