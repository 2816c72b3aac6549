// What the window says about a run: the conversion boxes of a broken input,
// the notices and the summary line after it, the refusals with reasons and
// the Result file the output row names.
#include "generated_capture.h"
#include "ui/raster_window.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QLabel>

#include <filesystem>

namespace morvelan::testing {
namespace {

const RecordedMessage kRunQuestion = confirmMessage("同期データの分析を始めます。よろしいですか？", Buttons::OkCancel);
const RecordedMessage kFinished = appMessage("処理を終了しました。");
const RecordedMessage kInterrupted = appMessage("処理を中断しました。");
const RecordedMessage kNoMoreBoxes = {"以降の変換エラーは表示しません。", "", Buttons::OkAbort};

// One candidate, interval 128 at index 10 (the generated capture's word).
const std::map<std::string, std::string> kSmallRun = {
    {"START_SYNC_INTERVAL", "120"}, {"END_SYNC_INTERVAL", "130"}, {"ALLOW_ERR_BITS", "0"}, {"THRESHOLD", "20"}};
const char* const kSmallRunLine = "  128   10 10110101110000100111(B5C27)    21 ";

class RunReportTest : public WindowTest {
protected:
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    void run()
    {
        toolkit.answers.push_front(Answer::Ok);
        click("cmd実行");
    }
};

// A classic capture of 400 distinct characters that are no hex digits, in
// CP932: あ and い first, then kanji.
std::string variedBrokenCapture()
{
    std::vector<std::string> characters = {"\x82\xa0", "\x82\xa2"};
    for (int lead = 0x89; characters.size() < 400; ++lead)
        for (int trail = 0x40; trail <= 0xfc && characters.size() < 400; ++trail)
            if (trail != 0x7f) characters.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    std::string capture = "; TDM broken\r\n";
    for (std::size_t i = 0; i < characters.size(); ++i) {
        capture += characters[i];
        if (i % 80 == 79) capture += "\r\n";
    }
    return capture + "; end\r\n";
}

TEST_F(RunReportTest, VariedBrokenInputShowsAtMostThreeBoxesAndEitherAnswerEndsTheRun)
{
    openWindow(kSmallRun);
    browse(dir.write("varied.txt", variedBrokenCapture()));
    const std::vector shown = {kRunQuestion, appMessage("Error in hexconv(あ)"), appMessage("Error in hexconv(い)"),
                               kNoMoreBoxes};
    for (const Answer third : {Answer::Ok, Answer::Cancel}) {
        SCOPED_TRACE(third == Answer::Ok ? "OK" : "中止");
        toolkit.messages.clear();
        toolkit.answers = {Answer::Ok, third};
        click("cmd実行");
        std::vector expected = shown;
        // 中止 ends the run as a confirmed Abort: no question follows.
        expected.push_back(third == Answer::Ok ? kFinished : kInterrupted);
        EXPECT_EQ(toolkit.messages, expected);
        EXPECT_TRUE(button("cmd実行")->isEnabled());
        EXPECT_FALSE(session->files.result.isOpen());
    }
    // 中止 came at the third bad character; read to its end, the capture has 400.
    EXPECT_EQ(label("lblStatus").toStdString(), "16進数でない 3 文字を 1111 として読み込みました。");
    toolkit.answers = {Answer::Ok, Answer::Ok};
    click("cmd実行");
    // 1600 bits: the frames of every interval tried end past them (21 x 120 + 19 > 1600).
    EXPECT_EQ(label("lblStatus").toStdString(), "16進数でない 400 文字を 1111 として読み込みました。\n"
                                                "インターバル 120 以上ではフレームがデータの外にかかります。");
}

struct NoticeCase {
    const char* name;
    std::map<std::string, std::string> settings;
    CaptureShape shape;
    int badDigits; // data digits replaced by 'G'
    const char* notices;
};

void PrintTo(const NoticeCase& c, std::ostream* os) { *os << c.name; }

class RunNotices : public RunReportTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(RunNotices, FollowTheRunAndClearWhenTheNextStarts)
{
    const NoticeCase& c = GetParam();
    openWindow(c.settings);
    std::string capture = makeCapture(c.shape);
    for (int i = 0; i < c.badDigits; ++i) capture[capture.find('\n') + 1 + static_cast<std::size_t>(i) * 7] = 'G';
    browse(dir.write("in.txt", capture));
    run();
    EXPECT_EQ(label("lblStatus").toStdString(), c.notices);
    QString during = "not seen";
    toolkit.onBusy = [&] { during = label("lblStatus"); };
    run();
    EXPECT_EQ(during, "");
}

// 5120 bits: at 20 frames of 20 bits the frames of interval 243 and up end
// past the data (21 x 243 + 19 > 5120).
INSTANTIATE_TEST_SUITE_P(
    Cases, RunNotices,
    ::testing::Values(NoticeCase{"Plain", kSmallRun, {}, 0, ""},
                      NoticeCase{"BadDigits", kSmallRun, {}, 3, "16進数でない 3 文字を 1111 として読み込みました。"},
                      NoticeCase{"FramesPastTheData",
                                 {{"START_SYNC_INTERVAL", "120"}, {"END_SYNC_INTERVAL", "300"}},
                                 {},
                                 0,
                                 "インターバル 243 以上ではフレームがデータの外にかかります。"},
                      NoticeCase{"LfCaptureAndFramesPastTheData",
                                 {{"START_SYNC_INTERVAL", "250"}, {"END_SYNC_INTERVAL", "260"}},
                                 {128, 40, 10, "; TDM generated capture", "\n"},
                                 0,
                                 "インターバル 250 以上ではフレームがデータの外にかかります。\n"
                                 "改行が LF のみのため、LF の指定があるものとして読み込みます。"},
                      // 5040 bits: a last line of 60 digits, its 20 missing positions bad digits.
                      NoticeCase{"ShortLastLine", kSmallRun, {126, 40, 10}, 0,
                                 "16進数でない 20 文字を 1111 として読み込みました。\n"
                                 "80 桁でないデータ行があります。任意の行長の16進データは入力形式 hex（--input-format "
                                 "hex）で読めます。"}),
    [](const ::testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

// The line shows the first group of the summary the raster viewer lists
// for the same run.
TEST_F(RunReportTest, SummaryLineNamesTheLeadingGroupOrADash)
{
    openWindow(kSmallRun);
    EXPECT_EQ(label("lblSummary"), "");
    runOn(dir.write("in.txt", makeCapture({})));
    ASSERT_GT(resultList()->lineCount(), 0u);
    resultList()->selectLines(0, 0);
    resultList()->setFocus();
    QTest::keyClick(resultList(), Qt::Key_Return);
    auto* raster = window->findChild<RasterWindow*>();
    ASSERT_NE(raster, nullptr);
    ASSERT_FALSE(raster->summary().empty());
    const SummaryGroup& first = raster->summary().front();
    EXPECT_EQ(first.interval, 128);
    EXPECT_EQ(label("lblSummary"), QStringLiteral("最有力候補：インターバル %1　オフセット %2　同期語 %3　極性 正常")
                                       .arg(first.interval)
                                       .arg(first.syncOffset)
                                       .arg(QString::fromStdString(first.syncHex)));
    raster->close();
    runOn(dir.write("other.txt", makeCapture({200, 40, 33})));
    EXPECT_EQ(resultList()->lineCount(), 0u); // its frames are longer than the intervals tried
    EXPECT_EQ(label("lblSummary"), "最有力候補：—");
}

// A capture of LF lines read as tdm by hand would find no data: the window
// offers the LF box first.
TEST_F(RunReportTest, LfCaptureReadAsTdmIsOfferedTheLfOption)
{
    openWindow(kSmallRun);
    auto* format = find<QComboBox>("cmbInputFormat");
    format->setCurrentIndex(format->findText("tdm"));
    browse(dir.write("lf.txt", makeCapture({128, 40, 10, "; TDM lf", "\n"})));
    const RecordedMessage question = confirmMessage(
        "この入力ファイルの改行は LF のみです。「UNIX系(LF)ファイルを対象とする」をチェックして読み込みますか？",
        Buttons::OkCancel);
    toolkit.answers = {Answer::Ok, Answer::Cancel};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, question}));
    EXPECT_FALSE(find<QCheckBox>("chkUNIX系LFファイルを対象とする")->isChecked());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Rlf.txt")));

    toolkit.messages.clear();
    toolkit.answers = {Answer::Ok, Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kRunQuestion, question, kFinished}));
    EXPECT_TRUE(find<QCheckBox>("chkUNIX系LFファイルを対象とする")->isChecked());
    EXPECT_EQ(resultLines(), std::vector<QString>{kSmallRunLine});
}

// The output row names the Result file: typed, or chosen with its browse; a
// new input derives it again, and a name typed after that stays.
TEST_F(RunReportTest, TypedOrBrowsedResultPathIsTheFileTheRunWrites)
{
    openWindow(kSmallRun);
    const std::string input = dir.write("in.txt", makeCapture({}));
    browse(input);
    typeAndLeave("txt出力ファイル", QString::fromStdString(dir.file("typed.txt")));
    run();
    EXPECT_TRUE(std::filesystem::exists(dir.file("typed.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Rin.txt")));
    EXPECT_FALSE(session->resultPathDerived); // a link the user names is followed

    browse(input);
    EXPECT_EQ(text("txt出力ファイル").toStdString(), dir.file("Rin.txt"));
    field("txt出力ファイル")->setFocus(Qt::MouseFocusReason);
    field("txt出力ファイル")->setText(QString::fromStdString(dir.file("clicked.txt")));
    run(); // straight from the field
    EXPECT_TRUE(std::filesystem::exists(dir.file("clicked.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Rin.txt")));

    toolkit.saveChoices.push_back(dir.file("browsed.txt"));
    click("cmd出力ファイル");
    EXPECT_EQ(toolkit.saveDialogStarts, std::vector{dir.file("clicked.txt")});
    EXPECT_EQ(text("txt出力ファイル").toStdString(), dir.file("browsed.txt"));
    run();
    EXPECT_TRUE(std::filesystem::exists(dir.file("browsed.txt")));

    typeAndLeave("txt出力ファイル", ""); // blank: the derived name again
    EXPECT_EQ(text("txt出力ファイル").toStdString(), dir.file("Rin.txt"));
    EXPECT_TRUE(session->resultPathDerived);
}

} // namespace
} // namespace morvelan::testing
