// The Run command: its checks, the running state, the run's display, the
// two endings, Abort, and closing the window while a run goes on.
#include "generated_capture.h"
#include "ui/raster_window.h"

#include <QTextCursor>
#include <QTextDocument>
#include "window_fixture.h"

#include <QCloseEvent>

#include <algorithm>

namespace morvelan::testing {
namespace {

const RecordedMessage kRunQuestion = confirmMessage("同期データの分析を始めます。よろしいですか？", Buttons::OkCancel);
const RecordedMessage kAbortQuestion = confirmMessage("中止してよろしいですか？", Buttons::OkCancel);
const RecordedMessage kFinished = appMessage("処理を終了しました。");
const RecordedMessage kInterrupted = appMessage("処理を中断しました。");


// A small run: one candidate, interval 128 at index 10, all 21 frames.
const std::map<std::string, std::string> kSmallRun = {
    {"START_SYNC_INTERVAL", "120"}, {"END_SYNC_INTERVAL", "130"}, {"ALLOW_ERR_BITS", "0"}, {"THRESHOLD", "20"}};
const char* const kSmallRunLine = "  128   10 10110101110000100111(B5C27)    21 ";

// A run long enough for many yields (about half a second).
const std::map<std::string, std::string> kLongRun = {{"START_SYNC_INTERVAL", "100"}, {"END_SYNC_INTERVAL", "2000"},
                                                     {"ALLOW_ERR_BITS", "0"},        {"FRAME_ROUNDS", "100"},
                                                     {"THRESHOLD", "3"}};

std::vector<std::string> fileLines(const std::string& path)
{
    const std::string bytes = readBytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

class RunCommandTest : public WindowTest {
protected:
    std::string smallInput() { return dir.write("in.txt", makeCapture({})); }
    std::string longInput()
    {
        CaptureShape shape;
        shape.frameBits = 512;
        shape.frames = 400;
        shape.syncOffset = 36;
        return dir.write("long.txt", makeCapture(shape));
    }
    // Runs the long input to the end and returns its Result file.
    std::string completeLongRun(const std::string& input)
    {
        runOn(input);
        EXPECT_EQ(toolkit.messages.back(), kFinished);
        toolkit.messages.clear();
        return readBytes(dir.file("Rlong.txt"));
    }
};

TEST_F(RunCommandTest, WholeRunFillsTheWindowAndTheResultFile)
{
    openWindowWith(kSmallRun);
    const std::string input = smallInput();
    runOn(input);

    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    EXPECT_EQ(text("txtFoundCnt"), "1");
    EXPECT_EQ(session->foundCount, 1);
    EXPECT_EQ(text("txtInterval"), "130");
    EXPECT_EQ(text("txtIndex"), "129");
    // After a successful run the bar stands at the first interval.
    EXPECT_EQ(progressBar()->minimum(), 0);
    EXPECT_EQ(progressBar()->maximum(), 130);
    EXPECT_EQ(progressBar()->value(), 120);

    const auto lines = fileLines(dir.file("Rin.txt"));
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[1].substr(lines[1].size() - input.size()), input);
    EXPECT_NE(lines[18].find("10110101110000100111(B5C27)"), std::string::npos) << lines[18];
    EXPECT_EQ(lines[18].substr(0, 4), " 128");

    // Back to idle: files closed, pointer restored, controls enabled.
    EXPECT_FALSE(session->files.input.isOpen());
    EXPECT_FALSE(session->files.result.isOpen());
    EXPECT_EQ(toolkit.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_FALSE(button("cmd中止")->isEnabled());
    for (const char* name : kRunControls) EXPECT_TRUE(find<QWidget>(name)->isEnabled()) << name;
}

TEST_F(RunCommandTest, RunningStateDisablesTheCommandsButAbortAndKeepsTheFields)
{
    openWindowWith(kLongRun);
    const std::string input = longInput();
    int checkedYields = 0;
    toolkit.onYield = [&](int) {
        ++checkedYields;
        for (const char* name : kRunControls) EXPECT_FALSE(find<QWidget>(name)->isEnabled()) << name;
        EXPECT_TRUE(button("cmd中止")->isEnabled());
        EXPECT_TRUE(field("txtStartSyncInterval")->isEnabled());
        EXPECT_TRUE(field("txtThreshold")->isEnabled());
        EXPECT_TRUE(toolkit.busy);
        EXPECT_FALSE(session->abortFlag);
    };
    runOn(input);
    EXPECT_GT(checkedYields, 0);
    EXPECT_EQ(toolkit.messages.back(), kFinished);
}

TEST_F(RunCommandTest, CountersFollowTheSearchAndEndOnTheLastPosition)
{
    openWindowWith(kLongRun);
    const std::string input = longInput();
    int lastInterval = 0;
    int yields = 0;
    toolkit.onYield = [&](int) {
        ++yields;
        // At every yield the window shows the position just reached.
        const int interval = text("txtInterval").toInt();
        EXPECT_GE(interval, lastInterval);
        EXPECT_EQ(progressBar()->value(), interval);
        EXPECT_FALSE(text("txtIndex").isEmpty());
        EXPECT_EQ(text("txtFoundCnt").toInt(), session->foundCount);
        EXPECT_EQ(static_cast<int>(resultLines().size()), session->foundCount);
        lastInterval = interval;
    };
    runOn(input);
    ASSERT_GT(yields, 1);
    EXPECT_EQ(text("txtInterval"), "2000");
    EXPECT_EQ(text("txtIndex"), "1999");
    EXPECT_EQ(text("txtFoundCnt").toInt(), session->foundCount);
    EXPECT_EQ(static_cast<int>(resultLines().size()), session->foundCount);
    EXPECT_EQ(static_cast<int>(fileLines(dir.file("Rlong.txt")).size()), 18 + session->foundCount);
}

TEST_F(RunCommandTest, ConfirmedAbortEndsTheRunAsInterrupted)
{
    openWindowWith(kLongRun);
    const std::string input = longInput();
    const std::string complete = completeLongRun(input);

    toolkit.onYield = [&](int n) {
        if (n == 2) click("cmd中止");
    };
    toolkit.yields = 0;
    toolkit.answers = {Answer::Ok, Answer::Ok};
    click("cmd実行");

    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kAbortQuestion, kInterrupted}));
    EXPECT_EQ(progressBar()->minimum(), 0);
    EXPECT_EQ(progressBar()->value(), 0);
    EXPECT_FALSE(session->files.result.isOpen());
    EXPECT_FALSE(button("cmd中止")->isEnabled());
    for (const char* name : kRunControls) EXPECT_TRUE(find<QWidget>(name)->isEnabled()) << name;
    // The rows found before the abort stay; the rest was never written.
    const std::string partial = readBytes(dir.file("Rlong.txt"));
    EXPECT_LT(partial.size(), complete.size());
    EXPECT_EQ(complete.substr(0, partial.size()), partial);
    EXPECT_LT(text("txtInterval").toInt(), 2000);
}

TEST_F(RunCommandTest, DeclinedAbortResumesAndCompletesTheRun)
{
    openWindowWith(kLongRun);
    const std::string input = longInput();
    const std::string complete = completeLongRun(input);
    const auto completeLines = resultLines();

    toolkit.yields = 0;
    toolkit.onYield = [&](int n) {
        if (n == 2) click("cmd中止");
    };
    toolkit.answers = {Answer::Ok, Answer::Cancel};
    click("cmd実行");

    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kAbortQuestion, kFinished}));
    EXPECT_EQ(readBytes(dir.file("Rlong.txt")), complete);
    EXPECT_EQ(resultLines(), completeLines);
    EXPECT_FALSE(session->abortFlag);
}

TEST_F(RunCommandTest, EmptyInputFieldIsRefusedBeforeAnythingChanges)
{
    openWindow();
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, std::vector{appMessage("入力ファイルを入力してください。")});
    EXPECT_TRUE(toolkit.pointerChanges.empty());
    EXPECT_TRUE(text("txtFoundCnt").isEmpty());
}

TEST_F(RunCommandTest, UnusableInputFileIsRefused)
{
    openWindow();
    dir.write("empty.txt", "");
    for (const std::string& name : {std::string("   "), dir.file("missing.txt"), dir.file("empty.txt")}) {
        toolkit.messages.clear();
        field("txt入力ファイル")->setText(QString::fromStdString(name));
        click("cmd実行");
        EXPECT_EQ(toolkit.messages, std::vector{appMessage("入力ファイルを開けません。")}) << name;
    }
    EXPECT_TRUE(toolkit.pointerChanges.empty());
}

TEST_F(RunCommandTest, CancelAtTheConfirmationKeepsThePreviousRun)
{
    openWindowWith(kSmallRun);
    runOn(smallInput());
    toolkit.messages.clear();

    toolkit.answers = {Answer::Cancel};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, std::vector{kRunQuestion});
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    EXPECT_EQ(text("txtFoundCnt"), "1");
    EXPECT_EQ(toolkit.pointerChanges, (std::vector<bool>{true, false}));
}

TEST_F(RunCommandTest, TypedPathWithoutBrowsingEndsAsInterruptedOnly)
{
    openWindowWith(kSmallRun);
    field("txt入力ファイル")->setText(QString::fromStdString(smallInput()));
    toolkit.answers = {Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kInterrupted}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Rin.txt")));
    EXPECT_EQ(text("txtFoundCnt"), "0");
    EXPECT_EQ(progressBar()->value(), 0);
}

TEST_F(RunCommandTest, HeaderCheckBoxDecidesWhetherAForeignHeaderIsRead)
{
    openWindowWith(kSmallRun);
    CaptureShape shape;
    shape.header = "plain capture";
    const std::string input = dir.write("in.txt", makeCapture(shape));
    runOn(input);
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, appMessage("この入力ファイルは処理できません。"), kInterrupted}));

    toolkit.messages.clear();
    click("chk入力ファイルのヘッダチェックをしない");
    toolkit.answers = {Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
}

TEST_F(RunCommandTest, LfCheckBoxConvertsTheInputAndRemovesTheCopy)
{
    openWindowWith(kSmallRun);
    CaptureShape shape;
    shape.lineEnd = "\n";
    const std::string input = dir.write("in.txt", makeCapture(shape));
    ScopedCwd cwd(dir.path());
    click("chkUNIX系LFファイルを対象とする");
    runOn(input);
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "$$MORVELAN.TMP"));
}

TEST_F(RunCommandTest, AbortFlagLeftSetIsClearedWhenTheNextRunStarts)
{
    openWindowWith(kSmallRun);
    session->abortFlag = true;
    runOn(smallInput());
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
}

TEST_F(RunCommandTest, ResultListKeepsTheNewestLinesOfALargeRun)
{
    // Every candidate has a frame within 15 differing bits: 26 intervals with
    // all their indexes.
    openWindowWith({{"START_SYNC_INTERVAL", "800"}, {"END_SYNC_INTERVAL", "825"}, {"ALLOW_ERR_BITS", "15"},
                    {"FRAME_ROUNDS", "5"}, {"THRESHOLD", "2"}});
    runOn(smallInput());
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
    const int expected = (800 + 825) * 26 / 2;
    ASSERT_EQ(session->foundCount, expected);
    EXPECT_EQ(text("txtFoundCnt"), QString::number(expected));
    const auto lines = resultLines();
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_TRUE(lines.back().startsWith("  825  824 ")) << lines.back().toStdString();
    EXPECT_EQ(static_cast<int>(fileLines(dir.file("Rin.txt")).size()), 18 + expected);
}

TEST_F(RunCommandTest, QuitClosesTheWindowAndBothFiles)
{
    openWindow();
    click("cmd終了");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_FALSE(session->files.input.isOpen());
    EXPECT_FALSE(session->files.result.isOpen());
}

TEST_F(RunCommandTest, ClosingDuringARunAbortsItAndClosesAfterwards)
{
    openWindowWith(kLongRun);
    const std::string input = longInput();
    bool filesOpenWhenClosed = false;
    toolkit.onYield = [&](int n) {
        if (n == 2) {
            EXPECT_FALSE(window->close()); // refused while the run goes on
            EXPECT_TRUE(window->isVisible());
            filesOpenWhenClosed = session->files.result.isOpen();
        }
    };
    runOn(input);
    EXPECT_TRUE(filesOpenWhenClosed);
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kAbortQuestion, kInterrupted}));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(session->files.input.isOpen());
    EXPECT_FALSE(session->files.result.isOpen());
    EXPECT_GT(readBytes(dir.file("Rlong.txt")).size(), 0u);
}

TEST_F(RunCommandTest, DecliningTheAbortAfterACloseKeepsTheWindowAndTheRun)
{
    openWindowWith(kLongRun);
    const std::string input = longInput();
    toolkit.onYield = [&](int n) {
        if (n == 2) window->close();
    };
    toolkit.answers = {Answer::Ok, Answer::Cancel};
    runOn(input);
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kAbortQuestion, kFinished}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text("txtInterval"), "2000");

    // A later close is an ordinary one.
    toolkit.onYield = nullptr;
    click("cmd終了");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RunCommandTest, DoubleClickOnAResultLineOpensTheRasterAtItsCandidate)
{
    openWindowWith(kSmallRun);
    runOn(smallInput());
    const std::string resultBefore = readBytes(dir.file("Rin.txt"));
    ASSERT_EQ(window->findChild<RasterWindow*>(), nullptr);

    QWidget* viewport = resultList()->viewport();
    const QPoint onFirstLine = resultList()->cursorRect(QTextCursor(resultList()->document())).center();
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, onFirstLine);

    auto* raster = window->findChild<RasterWindow*>();
    ASSERT_NE(raster, nullptr);
    EXPECT_TRUE(raster->isWindow());
    EXPECT_TRUE(raster->windowTitle().contains(QStringLiteral("インターバル 128　オフセット 10"))) << raster->windowTitle().toStdString();
    EXPECT_TRUE(raster->windowTitle().contains(QStringLiteral("10110101110000100111(B5C27)")));
    // The main window and its Result file stay as the run left them.
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    EXPECT_EQ(readBytes(dir.file("Rin.txt")), resultBefore);
    raster->close();
}

TEST_F(RunCommandTest, DoubleClickBesideTheLinesOpensNothing)
{
    openWindowWith(kSmallRun);
    QTest::mouseDClick(resultList()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(window->findChild<RasterWindow*>(), nullptr);
}

} // namespace
} // namespace morvelan::testing
