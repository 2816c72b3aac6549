// The Run command: its checks, the running state, the run's display, the
// two endings, Abort, and closing the window while a run goes on.
#include "generated_capture.h"
#include "ui/end_signals.h"
#include "files/result_file.h"
#include "ui/file_selection.h"
#include "ui/raster_window.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QProgressBar>
#include <QScrollBar>

#include <csignal>

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
const std::map<std::string, std::string> kLongRun = {{"START_SYNC_INTERVAL", "100"}, {"END_SYNC_INTERVAL", "2000"},
                                                     {"ALLOW_ERR_BITS", "2"}, {"FRAME_ROUNDS", "100"}, {"THRESHOLD", "3"}};

class RunCommandTest : public WindowTest {
protected:
    std::string smallInput(CaptureShape shape = {}) { return dir.write("in.txt", makeCapture(shape)); }
    std::string longInput() { return dir.write("long.txt", makeCapture({512, 400, 36})); }
    QProgressBar* progressBar() const { return find<QProgressBar>("ProgressBar1"); }
    void expectIdle()
    {
        EXPECT_FALSE(button("cmd中止")->isEnabled());
        for (const char* name : kRunControls) EXPECT_TRUE(button(name)->isEnabled()) << name;
        EXPECT_FALSE(session->files.result.isOpen());
        EXPECT_FALSE(toolkit.busy);
    }
};

TEST_F(RunCommandTest, WholeRunFillsTheWindowAndTheFileThenGivesTheFocusToRun)
{
    openWindow(kSmallRun);
    session->abortFlag.request(); // left set: cleared when the run starts
    runOn(smallInput());
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    EXPECT_EQ(text("txtFoundCnt"), "1");
    EXPECT_EQ(text("txtIndex"), "129");
    EXPECT_EQ(progressBar()->value(), 120); // the first interval's place
    EXPECT_NE(readBytes(dir.file("Rin.txt")).find("\r\n 128            10          10110101110000100111(B5C27)    21\r\n"),
              std::string::npos);
    expectIdle();
    EXPECT_TRUE(button("cmd実行")->hasFocus());
    // The list takes no text; what is selected in it is copied.
    resultList()->setFocus();
    QTest::keyClicks(resultList(), "abc");
    QTest::keyClick(resultList(), Qt::Key_Return);
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    QTest::keyClick(resultList(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(resultList(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), kSmallRunLine);
}

TEST_F(RunCommandTest, ConfirmedAbortKeepsAPrefixAndDeclinedAbortCompletes)
{
    openWindow(kLongRun);
    runOn(longInput());
    const std::string complete = readBytes(dir.file("Rlong.txt"));
    toolkit.onYield = [this](int y) {
        // While the run goes on only Abort acts on it; the fields stay open.
        for (const char* name : kRunControls) EXPECT_FALSE(button(name)->isEnabled()) << name;
        EXPECT_TRUE(button("cmd中止")->isEnabled() && field("txtThreshold")->isEnabled());
        EXPECT_EQ(find<QProgressBar>("ProgressBar1")->value(), text("txtInterval").toInt());
        EXPECT_EQ(static_cast<int>(resultList()->lineCount()), session->foundCount);
        if (y % 1000 == 1) click("cmd中止");
    };
    for (const Answer abort : {Answer::Cancel, Answer::Ok}) {
        toolkit.messages.clear();
        toolkit.yields = 0;
        toolkit.answers = {Answer::Ok, abort};
        click("cmd実行");
        EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kAbortQuestion, abort == Answer::Ok ? kInterrupted : kFinished}));
    }
    EXPECT_EQ(progressBar()->value(), 0);
    const std::string partial = readBytes(dir.file("Rlong.txt"));
    EXPECT_LT(partial.size(), complete.size());
    EXPECT_EQ(complete.substr(0, partial.size()), partial);
    expectIdle();
}

TEST_F(RunCommandTest, MissingOrUnusableInputIsRefusedBeforeAnythingChanges)
{
    openWindow();
    dir.write("empty.txt", "");
    for (const auto& [name, message] : std::vector<std::pair<std::string, std::string>>{
             {"", "入力ファイルを入力してください。"}, {"   ", "入力ファイルを開けません。"},
             {dir.file("missing.txt"), "入力ファイルを開けません。"}, {dir.file("empty.txt"), "入力ファイルを開けません。"}}) {
        toolkit.messages.clear();
        field("txt入力ファイル")->setText(QString::fromStdString(name));
        click("cmd実行");
        EXPECT_EQ(toolkit.messages, std::vector{appMessage(message)}) << name;
    }
    EXPECT_TRUE(toolkit.pointerChanges.empty());
}

TEST(ResultPathFor, PutsAnRBeforeTheFileNameOrGivesNoneWithoutAFolder)
{
    EXPECT_EQ(ResultPathFor("/data/in.txt"), "/data/Rin.txt");
    EXPECT_EQ(ResultPathFor("in.txt"), std::nullopt);
    EXPECT_EQ(ResultPathFor("Rdata/in.txt"), "Rdata/Rin.txt");
    EXPECT_EQ(derivedResultPath("in.txt"), "Rin.txt");
}

TEST_F(RunCommandTest, BrowsedOrTypedPathIsTheFileTheRunReads)
{
    openWindow(kSmallRun);
    browse(dir.write("other.txt", "; TDM nothing here\r\n"));
    EXPECT_EQ(text("txt出力ファイル").toStdString(), dir.file("Rother.txt"));
    toolkit.fileChoices.push_back(std::nullopt); // cancelled: both stay
    click("cmd入力ファイル");
    EXPECT_EQ(session->resultPath, dir.file("Rother.txt"));
    EXPECT_TRUE(session->resultPathDerived);
}

// A typed path is the input whether the field is left with Tab, 実行 is
// clicked straight away or pressed with Alt+E while the field keeps the
// focus; a bare name lies in the working folder, and its Result name gains
// the "R" there too.
TEST_F(RunCommandTest, TypedPathIsTheFileTheRunReads)
{
    const ScopedCwd cwd(dir.path());
    enum class Leave { Tab, Click, Shortcut };
    for (const bool bare : {false, true}) {
        for (const Leave leave : {Leave::Tab, Leave::Click, Leave::Shortcut}) {
            SCOPED_TRACE(std::string(bare ? "bare name" : "full path") + " way " + std::to_string(int(leave)));
            openWindow(kSmallRun);
            browse(dir.write("other.txt", "; TDM nothing here\r\n"));
            const std::string typed = dir.write("typed.txt", makeCapture({}));
            std::filesystem::remove(dir.file("Rtyped.txt"));
            field("txt入力ファイル")->setFocus(Qt::MouseFocusReason);
            field("txt入力ファイル")->setText(QString::fromStdString(bare ? "typed.txt" : typed));
            toolkit.answers = {Answer::Ok};
            if (leave == Leave::Tab) {
                QTest::keyClick(field("txt入力ファイル"), Qt::Key_Tab);
                EXPECT_EQ(text("txt出力ファイル").toStdString(), bare ? "Rtyped.txt" : dir.file("Rtyped.txt"));
                click("cmd実行");
            } else if (leave == Leave::Click) {
                click("cmd実行");
            } else {
                button("cmd実行")->click(); // as its Alt+E does: the focus stays in the field
            }
            EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
            EXPECT_TRUE(std::filesystem::exists(dir.file("Rtyped.txt")));
            EXPECT_FALSE(std::filesystem::exists(dir.file("Rother.txt")));
        }
    }
}

TEST_F(RunCommandTest, CheckBoxesDecideTheHeaderCheckAndTheLfCopy)
{
    openWindow(kSmallRun);
    const std::string input = smallInput({128, 40, 10, "plain capture", "\n"});
    ScopedCwd cwd(dir.path());
    click("chkUNIX系LFファイルを対象とする");
    runOn(input);
    // The refusal keeps its line and gains the reason and the box that reads the file anyway.
    const std::string refusal = "この入力ファイルは処理できません。\n1 行目の 3～5 文字目が「TDM」ではありません。"
                                "ヘッダを確かめずに読むには「入力ファイルのヘッダチェックをしない」をチェックしてください。";
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, appMessage(refusal), kInterrupted}));
    toolkit.messages.clear();
    click("chk入力ファイルのヘッダチェックをしない");
    toolkit.answers = {Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kFinished}));
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "$$MORVELAN.TMP"));
}

TEST_F(RunCommandTest, ResultListKeepsEveryLineOfALargeRunAndOpensTheRasterOnOne)
{
    // Every candidate has a frame within 15 differing bits: 26 intervals with
    // all their indexes, 21,125 lines.
    openWindow({{"START_SYNC_INTERVAL", "800"}, {"END_SYNC_INTERVAL", "825"}, {"ALLOW_ERR_BITS", "15"},
                {"FRAME_ROUNDS", "5"}, {"THRESHOLD", "2"}});
    runOn(smallInput());
    const std::size_t expected = (800 + 825) * 26 / 2;
    ASSERT_EQ(resultList()->lineCount(), expected);
    EXPECT_TRUE(resultList()->lineText(0).startsWith("  800    0 "));
    EXPECT_TRUE(resultList()->lineText(expected - 1).startsWith("  825  824 "));
    // A line opens the raster at its group's best offset, not at its own
    // index: each interval's indexes are one group here.
    resultList()->verticalScrollBar()->setValue(0);
    QTest::mouseDClick(resultList()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    auto* raster = window->findChild<RasterWindow*>();
    ASSERT_NE(raster, nullptr);
    const auto group800 = std::find_if(raster->summary().begin(), raster->summary().end(),
                                       [](const SummaryGroup& g) { return g.interval == 800; });
    ASSERT_NE(group800, raster->summary().end());
    EXPECT_EQ(raster->interval(), 800);
    EXPECT_EQ(raster->offset(), group800->syncOffset);
    EXPECT_NE(group800->syncOffset, 0) << "line 0's own index would pass as well";
    raster->close();
}

// A broken input raises one conversion message per bad digit: each distinct
// text is shown once per run, and Abort still ends the reading.
TEST_F(RunCommandTest, ConversionMessagesShowOncePerRunAndAbortStopsTheReading)
{
    openWindow(kSmallRun);
    std::string input = "; TDM broken\r\n";
    for (int i = 0; i < 500; ++i) input += std::string(39, '0') + "G" + std::string(39, '0') + "Z\r\n";
    browse(dir.write("broken.txt", input + "; end\r\n"));
    const RecordedMessage g = appMessage("Error in hexconv(G)");
    for (int run = 0; run < 2; ++run) {
        toolkit.messages.clear();
        toolkit.answers = {Answer::Ok};
        click("cmd実行");
        EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, g, appMessage("Error in hexconv(Z)"), kFinished}));
    }
    toolkit.messages.clear();
    toolkit.onMessage = [this, g](const RecordedMessage& m) {
        if (m.text == g.text) click("cmd中止"); // while the box is up
    };
    toolkit.answers = {Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, g, kInterrupted}));
    expectIdle();
}

TEST_F(RunCommandTest, ClosingDuringARunAbortsItUnlessTheAbortIsDeclined)
{
    openWindow(kLongRun);
    toolkit.onYield = [&](int n) {
        if (n % 1000 == 1) { EXPECT_FALSE(window->close()); } // refused while the run goes on
    };
    toolkit.answers = {Answer::Ok, Answer::Cancel};
    runOn(longInput());
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, kAbortQuestion, kFinished}));
    EXPECT_TRUE(window->isVisible());
    toolkit.yields = 0;
    toolkit.answers = {Answer::Ok, Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages.back(), kInterrupted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(session->files.result.isOpen());
}

TEST_F(RunCommandTest, EndSignalAbortsTheRunWithoutAskingAndClosesEverything)
{
    openWindow(kLongRun);
    EndSignals endSignals;
    ASSERT_TRUE(endSignals.installed());
    QObject::connect(&endSignals, &EndSignals::endRequested, window.get(), &MainWindow::endOnSignal);
    toolkit.onYield = [](int n) {
        if (n == 1) std::raise(SIGTERM);
        QCoreApplication::processEvents(); // as the window's own yield does
    };
    runOn(longInput());
    EXPECT_EQ(toolkit.messages, std::vector{kRunQuestion}); // no abort question, no ending box
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(session->files.result.isOpen());
    const std::string bytes = readBytes(dir.file("Rlong.txt"));
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 18 + session->foundCount); // header and whole rows
}

} // namespace
} // namespace morvelan::testing
