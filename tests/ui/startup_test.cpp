// Start-up, the window's controls and their arrangement.
#include "generated_capture.h"
#include "window_fixture.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

namespace morvelan::testing {
namespace {

const char* const kParameterFields[] = {"txtStartSyncInterval", "txtEndSyncInterval", "txtSyncBitSize",
                                        "txtAllowErrBits",      "txtBufSize",         "txtFrameRounds",
                                        "txtThreshold",         "txtIgnoreStartBits"};
const char* const kCheckBoxes[] = {"chk入力ファイルのヘッダチェックをしない", "chk除外パターンを一時的に使用しない",
                                   "chkUNIX系LFファイルを対象とする"};

using StartupTest = WindowTest;

TEST_F(StartupTest, WithoutSettingsFileEveryParameterIsZero)
{
    openWindow(nullptr);
    for (const char* name : kParameterFields) EXPECT_EQ(text(name), "0") << name;
    EXPECT_EQ(text("txtThresholdRef"), "0");
    EXPECT_EQ(session->params, AnalysisParameters{});
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(StartupTest, ShowsLoadedParametersInTheirFields)
{
    openWindow();
    EXPECT_EQ(text("txtStartSyncInterval"), "300");
    EXPECT_EQ(text("txtEndSyncInterval"), "700");
    EXPECT_EQ(text("txtSyncBitSize"), "20");
    EXPECT_EQ(text("txtAllowErrBits"), "2");
    EXPECT_EQ(text("txtIgnoreStartBits"), "0");
    EXPECT_EQ(text("txtFrameRounds"), "20");
    EXPECT_EQ(text("txtBufSize"), "300000");
    EXPECT_EQ(text("txtThreshold"), "10");
    EXPECT_EQ(text("txtThresholdRef"), "17"); // 20 x 0.86 = 17.2
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(StartupTest, LoadedValuesAreShownUncheckedEvenOutOfRange)
{
    openWindowWith({{"SYNC_BIT_SIZE", "7"}, {"START_SYNC_INTERVAL", "-12"}});
    EXPECT_EQ(text("txtSyncBitSize"), "7");
    EXPECT_EQ(session->params.SYNC_BIT_SIZE, 7);
    EXPECT_EQ(text("txtStartSyncInterval"), "-12");
    EXPECT_TRUE(toolkit.messages.empty());
}

class ThresholdGuideAtStartup : public WindowTest, public ::testing::WithParamInterface<std::pair<std::string, std::string>> {
};

TEST_P(ThresholdGuideAtStartup, IsTheFrameCountTimes086WithoutFraction)
{
    openWindowWith({{"FRAME_ROUNDS", GetParam().first}});
    EXPECT_EQ(text("txtThresholdRef"), QString::fromStdString(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(FrameCounts, ThresholdGuideAtStartup,
                         ::testing::Values(std::pair<std::string, std::string>{"50", "43"},
                                           std::pair<std::string, std::string>{"100", "86"},
                                           std::pair<std::string, std::string>{"10", "8"},
                                           std::pair<std::string, std::string>{"0", "0"},
                                           std::pair<std::string, std::string>{"-10", "-8"}),
                         [](const auto& info) {
                             const std::string count = info.param.first;
                             return "FrameCount" + (count.front() == '-' ? "Minus" + count.substr(1) : count);
                         });

TEST_F(StartupTest, StartsIdleWithEmptyResultsAndCounters)
{
    openWindow();
    EXPECT_EQ(window->windowTitle(), "Morvelan");
    EXPECT_EQ(find<QLabel>("lblVersion")->text(), "Version 1.00 Revision 1.00.0043");
    EXPECT_TRUE(resultList()->toPlainText().isEmpty());
    EXPECT_TRUE(text("txtFoundCnt").isEmpty());
    EXPECT_TRUE(text("txtInterval").isEmpty());
    EXPECT_TRUE(text("txtIndex").isEmpty());
    EXPECT_TRUE(text("txt入力ファイル").isEmpty());
    EXPECT_TRUE(text("txt出力ファイル").isEmpty());
    EXPECT_EQ(session->foundCount, 0);
    EXPECT_FALSE(button("cmd中止")->isEnabled());
    for (const char* name : kRunControls) EXPECT_TRUE(find<QWidget>(name)->isEnabled()) << name;
    for (const char* name : kCheckBoxes) EXPECT_EQ(checkBox(name)->checkState(), Qt::Unchecked) << name;
    EXPECT_EQ(progressBar()->minimum(), 0);
    EXPECT_EQ(progressBar()->maximum(), 100);
    EXPECT_EQ(progressBar()->value(), 0);
}

TEST_F(StartupTest, OptionsAreClearedAgainOnTheNextStart)
{
    openWindow();
    for (const char* name : kCheckBoxes) click(name);
    for (const char* name : kCheckBoxes) ASSERT_EQ(checkBox(name)->checkState(), Qt::Checked) << name;
    window.reset();

    openWindow();
    for (const char* name : kCheckBoxes) EXPECT_EQ(checkBox(name)->checkState(), Qt::Unchecked) << name;
}

TEST_F(StartupTest, SettingsReadErrorIsReportedAndStartUpGoesOn)
{
    openWindowWith({{"BUF_SIZE", "3000000000"}});
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].caption, "");
    EXPECT_EQ(text("txtStartSyncInterval"), "300");
    EXPECT_EQ(find<QLabel>("lblVersion")->text(), "Version 1.00 Revision 1.00.0043");
}

struct ControlSpec {
    const char* name;
    const char* className;
    const char* caption; // nullptr: no caption to compare
};

TEST_F(StartupTest, EveryControlHasItsNameKindAndCaption)
{
    openWindow();
    const ControlSpec controls[] = {
        {"lblTitle", "QLabel", "Morvelan - 同期データ検出"},
        {"lblVersion", "QLabel", nullptr},
        {"lbl入力スクリプト", "QLabel", "入力データ(.txt)"},
        {"txt入力ファイル", "QLineEdit", ""},
        {"cmd入力ファイル", "QPushButton", "参照(&R)"},
        {"Label2", "QLabel", "出力データ(.txt)"},
        {"txt出力ファイル", "QLineEdit", ""},
        {"cmd出力ファイル", "QPushButton", "参照(&R)"},
        {"Frame1", "QGroupBox", nullptr},
        {"Label3", "QLabel", "開始INT"},
        {"txtStartSyncInterval", "QLineEdit", nullptr},
        {"Label5", "QLabel", "～"},
        {"Label4", "QLabel", "終了INT"},
        {"txtEndSyncInterval", "QLineEdit", nullptr},
        {"Label6", "QLabel", "同期ビット数"},
        {"txtSyncBitSize", "QLineEdit", nullptr},
        {"Label1", "QLabel", "------->"},
        {"Label7", "QLabel", "エラー許容ビット数"},
        {"txtAllowErrBits", "QLineEdit", nullptr},
        {"Label10", "QLabel", "バッファサイズ"},
        {"txtBufSize", "QLineEdit", nullptr},
        {"Label12", "QLabel", "Bits"},
        {"Label9", "QLabel", "フレーム数"},
        {"txtFrameRounds", "QLineEdit", nullptr},
        {"Label13", "QLabel", "------->"},
        {"Label11", "QLabel", "出力しきい値"},
        {"txtThreshold", "QLineEdit", nullptr},
        {"Label19", "QLabel", "目安"},
        {"txtThresholdRef", "QLineEdit", nullptr},
        {"Label8", "QLabel", "初期無視ビット数"},
        {"txtIgnoreStartBits", "QLineEdit", nullptr},
        {"Label14", "QLabel", "インターバル"},
        {"txtInterval", "QLineEdit", ""},
        {"Label16", "QLabel", "－"},
        {"Label15", "QLabel", "インデクス"},
        {"txtIndex", "QLineEdit", ""},
        {"Label18", "QLabel", "検出"},
        {"txtFoundCnt", "QLineEdit", ""},
        {"ProgressBar1", "QProgressBar", nullptr},
        {"txtResult", "QPlainTextEdit", nullptr},
        {"Label17", "QLabel", "データが多いと、すべての結果が表示されません。 出力データファイルをご参照ください。"},
        {"cmd実行", "QPushButton", "実行(&E)"},
        {"cmd設定保存", "QPushButton", "設定保存(&S)"},
        {"cmd設定初期化", "QPushButton", "設定初期化(&I)"},
        {"chk入力ファイルのヘッダチェックをしない", "QCheckBox", "入力ファイルのヘッダチェックをしない"},
        {"chk除外パターンを一時的に使用しない", "QCheckBox", "除外パターンを一時的に使用しない"},
        {"chkUNIX系LFファイルを対象とする", "QCheckBox", "UNIX系(LF)ファイルを対象とする"},
        {"cmd中止", "QPushButton", "中止(&C)"},
        {"cmd終了", "QPushButton", "終了(&Q)"},
    };
    for (const ControlSpec& c : controls) {
        QWidget* w = find<QWidget>(c.name);
        if (!w) continue;
        EXPECT_STREQ(w->metaObject()->className(), c.className) << c.name;
        if (!c.caption) continue;
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(w)) caption = label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) caption = edit->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
        EXPECT_EQ(caption, QString::fromUtf8(c.caption)) << c.name;
    }
    EXPECT_TRUE(find<QGroupBox>("Frame1")->title().isEmpty());
}

TEST_F(StartupTest, OutputBrowseButtonIsHiddenAndDoesNothing)
{
    openWindow();
    QPushButton* b = button("cmd出力ファイル");
    EXPECT_FALSE(b->isVisible());
    b->click();
    EXPECT_TRUE(toolkit.fileDialogStarts.empty());
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(StartupTest, WindowHasItsFixedSize)
{
    openWindow();
    EXPECT_EQ(window->size(), QSize(934, 581));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
}

TEST_F(StartupTest, CountersAndGuideAreReadOnlyAndTinted)
{
    openWindow();
    const QColor lightYellow(255, 255, 192);
    for (const char* name : {"txtBufSize", "txtInterval", "txtIndex", "txtFoundCnt"}) {
        EXPECT_TRUE(field(name)->isReadOnly()) << name;
        EXPECT_EQ(field(name)->palette().color(QPalette::Base), lightYellow) << name;
    }
    EXPECT_TRUE(field("txtThresholdRef")->isReadOnly());
    EXPECT_EQ(field("txtThresholdRef")->palette().color(QPalette::Base), QColor(255, 224, 192));
    for (const char* name : {"txtStartSyncInterval", "txtEndSyncInterval", "txtSyncBitSize", "txtAllowErrBits",
                             "txtFrameRounds", "txtThreshold", "txtIgnoreStartBits", "txt入力ファイル"}) {
        EXPECT_FALSE(field(name)->isReadOnly()) << name;
        EXPECT_NE(field(name)->palette().color(QPalette::Base), lightYellow) << name;
    }
}

TEST_F(StartupTest, ResultListUsesAFixedPitchFontAndTheControlsAProportionalOne)
{
    openWindow();
    const QFont listFont = resultList()->font();
    ASSERT_FALSE(listFont.families().isEmpty());
    EXPECT_EQ(listFont.families().front(), "ＭＳ ゴシック");
    // The padded columns line up: spaces, digits and letters are equally wide.
    const QFontMetrics metrics(listFont);
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char(' ')), metrics.horizontalAdvance(QLatin1Char('0')))
        << QFontInfo(listFont).family().toStdString();
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('(')), metrics.horizontalAdvance(QLatin1Char('1')));

    const QFont controlFont = field("txtStartSyncInterval")->font();
    ASSERT_FALSE(controlFont.families().isEmpty());
    EXPECT_EQ(controlFont.families().front(), "ＭＳ Ｐゴシック");
    EXPECT_TRUE(controlFont.families().contains("IPAPGothic"));
}

TEST_F(StartupTest, TabOrderRunsFromTheFilesThroughTheParametersToRunAndQuit)
{
    openWindow();
    const std::vector<std::string> expected = {
        "txt入力ファイル",      "cmd入力ファイル", "txt出力ファイル", "txtStartSyncInterval",
        "txtEndSyncInterval", "txtSyncBitSize",  "txtAllowErrBits", "txtBufSize",
        "txtFrameRounds",     "txtThreshold",    "txtIgnoreStartBits", "cmd実行",
        "cmd終了"};
    std::vector<std::string> order;
    QWidget* w = field("txt入力ファイル");
    for (std::size_t steps = 0; steps < 200 && order.size() < expected.size(); ++steps, w = w->nextInFocusChain()) {
        const std::string name = w->objectName().toStdString();
        if (std::find(expected.begin(), expected.end(), name) != expected.end() &&
            std::find(order.begin(), order.end(), name) == order.end())
            order.push_back(name);
    }
    EXPECT_EQ(order, expected);
}

} // namespace
} // namespace morvelan::testing
