#include "files/run_analysis.h"

#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "files/session.h"
#include "files/file_test_support.h"
#include "files/result_file.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sys/stat.h>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

namespace fs = std::filesystem;

const std::string kOldTemp = "$$MORVELAN.TMP";

// The LF copies a run left in the working folder.
int lfCopiesLeft()
{
    int n = 0;
    for (const auto& e : fs::directory_iterator(".")) n += e.path().filename().string().rfind("$$MORVELAN.", 0) == 0;
    return n;
}

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
}

TEST_F(RunAnalysisTest, FrameRoundsZeroRunsAndNegativeIsRefused)
{
    session->params.FRAME_ROUNDS = 0;
    EXPECT_TRUE(run());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(resultLines().size(), 18u); // frame 1 alone never recurs
    session->params.FRAME_ROUNDS = -1;
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox(std::string(kMsgFrameRounds))});
}

TEST_F(RunAnalysisTest, LfRunReadsACopyThatHasNoNameWhileItIsWritten)
{
    // A link planted under the old fixed name is neither followed nor removed.
    const std::string victim = dir.write("victim.txt", "another user's file");
    fs::create_symlink(victim, kOldTemp);
    session->options.lfInput = true;
    // Both ways of making the copy: unnamed, and the named fallback for file
    // systems without unnamed files. Mid-conversion no name of it exists, so
    // a kill at that instant leaves nothing behind.
    for (const bool named : {false, true}) {
        for (const std::string header : {"xxTDM", "xxtdm"}) { // a successful and a failed run
            SCOPED_TRACE(header + (named ? " named" : " unnamed"));
            dir.write("in.txt", inputFile(header, "4747", "\n"));
            int namesWhileConverting = -1;
            session->files.lfCopy.steps.namedFallback = named;
            session->files.lfCopy.steps.afterCreate = [&] { namesWhileConverting = lfCopiesLeft(); };
            EXPECT_EQ(run(), header == "xxTDM");
            session->files.closeBoth();
            EXPECT_EQ(namesWhileConverting, 1) << "only the planted link";
            EXPECT_EQ(lfCopiesLeft(), 1);
        }
    }
    session->files.lfCopy.steps.afterCreate = nullptr; // it refers to the loop's counter
    EXPECT_EQ(readBytes(victim), "another user's file");
    // Header line 2 names the chosen input; the rows come from the converted copy.
    dir.write("in.txt", inputFile("xxTDM", "4747", "\n"));
    ASSERT_TRUE(run());
    const auto lines = resultLines();
    expectReportedRows(lines, "0100011101000111(4747)");
    EXPECT_EQ(lines[1].substr(lines[1].size() - session->inputPath.size()), session->inputPath);
    // CR LF lines converted anyway gain an empty line each: 80 bad digits.
    session->options.skipHeaderCheck = true;
    tk.messages.clear();
    dir.write("in.txt", "header\r\n" + std::string(80, '0') + "\r\n" + std::string(80, '0') + "\r\n");
    EXPECT_TRUE(run());
    EXPECT_EQ(tk.messages, hexconvBoxes("", 2 * 80));
}

TEST_F(RunAnalysisTest, TwoLfRunsInOneFolderUseTwoCopies)
{
    Session other;
    other.params = session->params;
    other.options.lfInput = session->options.lfInput = true;
    other.inputPath = dir.write("other.txt", inputFile("xxTDM", "FFFF", "\n"));
    other.resultPath = dir.file("Rother.txt");
    dir.write("in.txt", inputFile("xxTDM", "4747", "\n"));
    // The other run converts its input while this one is between steps.
    session->files.lfCopy.steps.namedFallback = other.files.lfCopy.steps.namedFallback = true;
    session->files.lfCopy.steps.afterCreate = [&] { ASSERT_TRUE(RunAnalysis(other, tk, view)); };
    ASSERT_TRUE(run());
    expectReportedRows(resultLines(), "0100011101000111(4747)");
    EXPECT_EQ(splitCrLf(readBytes(other.resultPath))[18],
              " 100" + spaces(10) + "   0" + spaces(10) + "1111111111111111(FFFF)" + spaces(6) + "    6");
}

// The Result file may not be a file the run reads, whatever name leads to it
// and whenever that name came to lead there: each case turns the Result path
// into such a file at some step, and the run must refuse it untouched.
TEST_F(RunAnalysisTest, ResultFileThatIsAFileTheRunReadsIsRefusedUntouched)
{
    const std::string input = session->inputPath;
    const std::string original = readBytes(input);
    // The open copy, reached through the process's descriptor table.
    const auto linkToCopy = [&] {
        for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            const std::string target = fs::read_symlink(e.path(), ec).string();
            if (!ec && target.find("(deleted)") != std::string::npos && target.rfind(dir.path().string(), 0) == 0)
                fs::create_symlink(e.path(), session->resultPath);
        }
    };
    struct Case {
        const char* name;
        bool lf;
        std::function<void()> before;     // before the run
        std::function<void()> converted;  // after the LF conversion
    };
    const Case cases[] = {
        {"same file under another name", false, [&] { session->resultPath = dir.path().string() + "/./in.txt"; }, {}},
        {"hard link made before the run", false, [&] { fs::create_hard_link(input, session->resultPath); }, {}},
        {"hard link made during the conversion", true, {}, [&] { fs::create_hard_link(input, session->resultPath); }},
        {"link to the input made during the conversion", true, {}, [&] { fs::create_symlink(input, session->resultPath); }},
        {"link to the LF copy", true, {}, linkToCopy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session->resultPath = dir.file("Rin.txt");
        fs::remove(session->resultPath);
        dir.write("in.txt", original);
        session->options.lfInput = c.lf;
        if (c.before) c.before();
        session->files.lfCopy.steps.afterConvert = c.converted;
        tk.messages.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox(
                                   "出力ファイルが入力ファイルと同じため処理できません：" + session->resultPath)});
        EXPECT_TRUE(filesClosed());
        EXPECT_EQ(readBytes(input), original);
        EXPECT_EQ(lfCopiesLeft(), 0);
    }
}

// A link found at the Result path the program derived is refused; one the
// user named is followed, as a shell redirect does.
TEST_F(RunAnalysisTest, LinkAtTheResultPathIsFollowedOnlyWhenTheUserNamedIt)
{
    const std::string victim = dir.write("victim.txt", "another user's file");
    fs::create_symlink(victim, session->resultPath);
    session->resultPathDerived = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox(
                               "出力ファイルの位置にリンクがあるため処理できません：" + session->resultPath)});
    EXPECT_EQ(readBytes(victim), "another user's file");
    tk.messages.clear();
    session->resultPathDerived = false;
    EXPECT_TRUE(run());
    EXPECT_TRUE(tk.messages.empty());
    expectReportedRows(splitCrLf(readBytes(victim)), "0100011101000111(4747)");
}

TEST_F(RunAnalysisTest, FailedWriteOfTheLfCopyFailsTheRun)
{
    dir.write("Rin.txt", "earlier result");
    session->inputPath = dir.write("big.txt", "xxTDM\n" + repeat(std::string(80, '0') + "\n", 100));
    session->options.lfInput = true;
    {
        const FileSizeLimit limit(4096); // the copy outgrows it
        EXPECT_FALSE(run());
    }
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("一時ファイルに書き込めません：" +
                                                                 (fs::current_path() / LfCopy::pattern()).string())});
    EXPECT_EQ(lfCopiesLeft(), 0);
    EXPECT_EQ(readBytes(session->resultPath), "earlier result");
}

TEST_F(RunAnalysisTest, AbortWhileConvertingEndsTheRunSilently)
{
    session->inputPath = dir.write("big.txt", "xxTDM\n" + repeat(std::string(80, '0') + "\n", 400000));
    session->options.lfInput = true;
    tk.onYield = [&](int) { session->abortFlag.request(); };
    EXPECT_FALSE(run());
    EXPECT_GE(tk.yields, 1); // the conversion yields on its own
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(lfCopiesLeft(), 0);
    EXPECT_FALSE(fs::exists(session->resultPath));
}

TEST_F(RunAnalysisTest, FailedRowWriteEndsTheRunWithWholeRows)
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
    // The header and whole rows only, and the Found count claims no row
    // that did not reach the file.
    const std::string bytes = readBytes(session->resultPath);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const auto lines = resultLines();
    ASSERT_GE(lines.size(), 18u);
    EXPECT_EQ(lines[17], ";Interval,     Idx,         Bit(SYNC), Value(Count)");
    EXPECT_EQ(static_cast<std::size_t>(session->foundCount), lines.size() - 18);
    for (std::size_t r = 18; r < lines.size(); ++r) EXPECT_EQ(lines[r].size(), 61u) << r;
    EXPECT_LE(fs::file_size(session->resultPath), kLimit);
}

TEST_F(RunAnalysisTest, AbortFlagStopsTheRunAfterTheHeader)
{
    session->abortFlag.request();
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
    EXPECT_EQ(readBytes(session->resultPath), "earlier result");
}
