#include "files/run_analysis.h"

#include "engine/parameters.h"
#include "engine/run_view.h"
#include "engine/session.h"
#include "files/file_test_support.h"
#include "files/result_file.h"
#include "support/permission_checks.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

namespace fs = std::filesystem;

const std::string kTemp = "$$MORVELAN.TMP";

// 160 digits of 25-digit (100-bit) frames: the sync digits, then zeros.
std::string dataDigits(const std::string& sync)
{
    const std::string frame = sync + std::string(25 - sync.size(), '0');
    return repeat(frame, 7).substr(0, 160);
}

// Header, two decoded data lines and a last line, with the given line end.
std::string inputFile(const std::string& header, const std::string& sync, const std::string& eol)
{
    const std::string digits = dataDigits(sync);
    return header + eol + digits.substr(0, 80) + eol + digits.substr(80) + eol + "last";
}

std::string spaces(std::size_t n) { return std::string(n, ' '); }

std::vector<std::string> splitCrLf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = bytes.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(bytes.substr(from, at - from));
    if (from < bytes.size()) lines.push_back(bytes.substr(from));
    return lines;
}

class CountingView : public RunView {
public:
    int lines = 0;
    void appendResultLine(std::string_view) override { ++lines; }
};

class RunAnalysisTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedCwd cwd{dir.path()}; // the temporary file lands in the test's folder
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit tk;
    CountingView view;

    void SetUp() override
    {
        AnalysisParameters& p = session->params;
        ResetParameters(p);
        p.START_SYNC_INTERVAL = 100;
        p.END_SYNC_INTERVAL = 100;
        p.SYNC_BIT_SIZE = 16;
        p.ALLOW_ERR_BITS = 0;
        p.FRAME_ROUNDS = 5;
        p.THRESHOLD = 6;
        session->inputPath = dir.write("in.txt", inputFile("xxTDM", "4747", "\r\n"));
        session->resultPath = dir.file("Rin.txt");
    }
    bool run() { return RunAnalysis(*session, tk, view); }
    std::vector<std::string> resultLines() const { return splitCrLf(readBytes(session->resultPath)); }
    bool filesClosed() const { return !session->files.input.isOpen() && !session->files.result.isOpen(); }
};

// Every index of interval 100 recurs in all five following frames.
void expectReportedRows(const std::vector<std::string>& lines, const std::string& firstPattern)
{
    ASSERT_EQ(lines.size(), 18u + 100u);
    EXPECT_EQ(lines[0], "; Tarnwick Version 1.00 Revision 1.00.0043");
    EXPECT_EQ(lines[17], ";Interval,     Idx,         Bit(SYNC), Value(Count)");
    EXPECT_EQ(lines[18], " 100" + spaces(10) + "   0" + spaces(10) + firstPattern + spaces(6) + "    6");
    EXPECT_EQ(lines[18 + 37], " 100" + spaces(10) + "  37" + spaces(10) + "0000000000000000(0000)" + spaces(6) + "    6");
    EXPECT_EQ(lines[18 + 99], " 100" + spaces(10) + "  99" + spaces(10) + "0010001110100011(23A3)" + spaces(6) + "    6");
}

} // namespace

TEST_F(RunAnalysisTest, SuccessfulRunWritesHeaderAndRowsAndClosesBoth)
{
    EXPECT_TRUE(run());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(filesClosed());
    EXPECT_EQ(session->foundCount, 100);
    EXPECT_EQ(view.lines, 100);
    expectReportedRows(resultLines(), "0100011101000111(4747)");
    EXPECT_FALSE(fs::exists(kTemp));
}

TEST_F(RunAnalysisTest, RefusedHeaderLeavesTheHeaderOnly)
{
    dir.write("in.txt", inputFile("xxtdm", "4747", "\r\n"));
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("この入力ファイルは処理できません。")});
    EXPECT_TRUE(filesClosed());
    const auto lines = resultLines();
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[17], ";Interval,     Idx,         Bit(SYNC), Value(Count)");
    const std::string bytes = readBytes(session->resultPath);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST_F(RunAnalysisTest, LfOptionReadsTheCopyAndDeletesItAfterSuccess)
{
    dir.write("in.txt", inputFile("xxTDM", "4747", "\n"));
    session->options.lfInput = true;
    EXPECT_TRUE(run());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_FALSE(fs::exists(kTemp));
    const auto lines = resultLines();
    expectReportedRows(lines, "0100011101000111(4747)");
    // Header line 2 names the chosen input, not the copy.
    EXPECT_EQ(lines[1].substr(lines[1].size() - session->inputPath.size()), session->inputPath);
    EXPECT_EQ(readBytes(session->resultPath).find(kTemp), std::string::npos);
}

TEST_F(RunAnalysisTest, LfOptionKeepsTheCopyAfterAFailedRun)
{
    const std::string input = inputFile("xxtdm", "4747", "\n");
    dir.write("in.txt", input);
    session->options.lfInput = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("この入力ファイルは処理できません。")});
    ASSERT_TRUE(fs::exists(kTemp));
    EXPECT_EQ(readBytes(kTemp), inputFile("xxtdm", "4747", "\r\n"));
}

TEST_F(RunAnalysisTest, EachLfRunConvertsTheInputAfresh)
{
    session->options.lfInput = true;
    dir.write("in.txt", inputFile("xxTDM", "4747", "\n"));
    ASSERT_TRUE(run());
    dir.write("in.txt", inputFile("xxTDM", "FFFF", "\n"));
    session->foundCount = 0;
    EXPECT_TRUE(run());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_FALSE(fs::exists(kTemp));
    const auto lines = resultLines();
    ASSERT_GT(lines.size(), 18u);
    EXPECT_EQ(lines[18], " 100" + spaces(10) + "   0" + spaces(10) + "1111111111111111(FFFF)" + spaces(6) + "    6");
}

TEST_F(RunAnalysisTest, CrLfInputWithLfOptionGetsAnEmptyLineAfterEachLine)
{
    // Each CR LF becomes CR CR LF: an empty line follows every line, and each
    // one that is not last is 80 bad digits.
    session->options.lfInput = true;
    session->options.skipHeaderCheck = true;
    dir.write("in.txt", "header\r\n" + std::string(80, '0') + "\r\n" + std::string(80, '0') + "\r\n");
    EXPECT_TRUE(run());
    EXPECT_EQ(tk.messages, hexconvBoxes("", 2 * 80));
}

TEST_F(RunAnalysisTest, MissingInputOpensNothingAndKeepsTheEarlierResult)
{
    dir.write("Rin.txt", "earlier result");
    session->inputPath = dir.file("missing.txt");
    session->options.lfInput = true;
    EXPECT_FALSE(run());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(filesClosed());
    EXPECT_EQ(readBytes(session->resultPath), "earlier result");
    EXPECT_FALSE(fs::exists(kTemp));
}

TEST_F(RunAnalysisTest, ResultFileInAMissingFolderFailsWithOneMessage)
{
    session->resultPath = dir.file("no-such-folder/Rin.txt");
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("出力ファイルを作成できません：" + session->resultPath)});
    EXPECT_TRUE(filesClosed());
    EXPECT_EQ(session->foundCount, 0);
}

TEST_F(RunAnalysisTest, InputThatPassesTheCheckButCannotBeOpenedFails)
{
    session->inputPath += " ";
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力ファイルを開けません：" + session->inputPath)});
    EXPECT_TRUE(filesClosed());
    EXPECT_FALSE(fs::exists(session->resultPath));
}

TEST_F(RunAnalysisTest, UnwritableWorkingFolderFailsTheLfRun)
{
    dir.write("Rin.txt", "earlier result");
    fs::create_directory(kTemp); // the copy cannot be created under this name
    session->options.lfInput = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("一時ファイルを作成できません：" + dir.file(kTemp))});
    EXPECT_TRUE(fs::is_directory(kTemp));
    EXPECT_EQ(readBytes(session->resultPath), "earlier result");
}

TEST_F(RunAnalysisTest, FailedRowWriteIsNotSuccess)
{
    constexpr rlim_t kLimit = 1500; // room for the header and a few rows only
    bool ok = true;
    {
        const FileSizeLimit limit(kLimit);
        ok = run();
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("出力ファイルに書き込めません：" + session->resultPath)});
    session->files.closeBoth(); // the Run command's part after a failed run
    // The header and the rows before the failure stay.
    const auto lines = resultLines();
    ASSERT_GT(lines.size(), 19u);
    EXPECT_EQ(lines[17], ";Interval,     Idx,         Bit(SYNC), Value(Count)");
    EXPECT_EQ(lines[18], " 100" + spaces(10) + "   0" + spaces(10) + "0100011101000111(4747)" + spaces(6) + "    6");
    EXPECT_LE(fs::file_size(session->resultPath), kLimit);
}

TEST_F(RunAnalysisTest, WriteFailureWhenClosingIsNotSuccess)
{
    // Twenty short rows go out as one block at the end of the search and
    // meet the size limit: none of them is counted as written.
    session->params.START_SYNC_INTERVAL = 20;
    session->params.END_SYNC_INTERVAL = 20;
    dir.write("in.txt", "xxTDM\r\n" + repeat("47470", 16) + "\r\n" + repeat("47470", 16) + "\r\nlast");
    constexpr rlim_t kLimit = 900;
    bool ok = true;
    {
        const FileSizeLimit limit(kLimit);
        ok = run();
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("出力ファイルに書き込めません：" + session->resultPath)});
    EXPECT_EQ(session->foundCount, 0);
    session->files.closeBoth(); // the Run command's part
    const auto lines = resultLines();
    ASSERT_GT(lines.size(), 18u);
    EXPECT_EQ(lines[17], ";Interval,     Idx,         Bit(SYNC), Value(Count)");
    EXPECT_LE(fs::file_size(session->resultPath), kLimit);
}

TEST_F(RunAnalysisTest, AbortFlagStopsTheRunAfterTheHeader)
{
    session->abortFlag = true;
    EXPECT_FALSE(run());
    EXPECT_TRUE(tk.messages.empty());
    session->files.closeBoth(); // the Run command's part
    EXPECT_EQ(resultLines().size(), 18u);
}

TEST_F(RunAnalysisTest, SyncWidthTheConversionCannotTakeIsRefusedBeforeAnyFile)
{
    dir.write("Rin.txt", "earlier result");
    session->params.SYNC_BIT_SIZE = 7;
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, (std::vector<RecordedMessage>{{std::string(kMsgSyncBitSize), "確認", Buttons::Ok}}));
    EXPECT_TRUE(filesClosed());
    EXPECT_EQ(readBytes(session->resultPath), "earlier result");
}

TEST_F(RunAnalysisTest, ResultFileThatIsTheInputIsRefusedAndTheInputKept)
{
    const std::string before = readBytes(session->inputPath);
    session->resultPath = session->inputPath;
    EXPECT_FALSE(run());
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_NE(tk.messages[0].text.find(session->inputPath), std::string::npos);
    EXPECT_EQ(readBytes(session->inputPath), before);
    EXPECT_TRUE(filesClosed());
}

TEST_F(RunAnalysisTest, LfInputNamedLikeTheTemporaryFileIsRefusedAndKept)
{
    session->inputPath = dir.write(kTemp, inputFile("xxTDM", "4747", "\n"));
    const std::string before = readBytes(session->inputPath);
    session->options.lfInput = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(readBytes(session->inputPath), before);
}

TEST(ResultHeader, LineEndsInsidePathsDoNotSplitTheHeader)
{
    AnalysisParameters p;
    const auto lines = ResultHeaderLines("/data/a\r\nb.txt", "/data/R\nb.txt", p, false);
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[1], "; 入力ファイル   : /data/a??b.txt");
    EXPECT_EQ(lines[2], "; 出力ファイル   : /data/R?b.txt");
}

TEST_F(RunAnalysisTest, ReadOnlyResultFolderFailsWithOneMessageAndTheNextRunWorks)
{
    const std::string folder = dir.file("out");
    fs::create_directory(folder);
    session->resultPath = folder + "/Rin.txt";
    {
        const ScopedPermissionChecks permissions;
        if (!permissions.active()) GTEST_SKIP() << "cannot make permissions bind this process";
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(run());
        fs::permissions(folder, fs::perms::owner_all);
    }
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("出力ファイルを作成できません：" + session->resultPath)});
    EXPECT_TRUE(filesClosed());

    tk.messages.clear();
    EXPECT_TRUE(run());
    EXPECT_TRUE(tk.messages.empty());
}

TEST_F(RunAnalysisTest, ReadOnlyWorkingFolderFailsTheLfRunAndKeepsTheEarlierResult)
{
    dir.write("Rin.txt", "earlier result");
    session->options.lfInput = true;
    {
        const ScopedPermissionChecks permissions;
        if (!permissions.active()) GTEST_SKIP() << "cannot make permissions bind this process";
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(run());
        fs::permissions(dir.path(), fs::perms::owner_all);
    }
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("一時ファイルを作成できません：" + dir.file(kTemp))});
    EXPECT_FALSE(fs::exists(kTemp));
    EXPECT_EQ(readBytes(session->resultPath), "earlier result");
}
