// The checks run when the focus leaves a parameter field.
#include "window_fixture.h"

namespace morvelan::testing {
namespace {

const RecordedMessage kStart = appMessage("エラー：開始インターバル値は100～2000です。");
const RecordedMessage kEnd = confirmMessage("エラー：バッファサイズを超えるビットは処理できません。");
const RecordedMessage kSyncBits =
    confirmMessage("同期ビット数は4,8,12,16,20,24,28,32,36,40,44,48,52,56,60,64のいずれかです。");
const RecordedMessage kAllowErr = confirmMessage("エラー：エラー許容ビット数は0～15です。");
const RecordedMessage kBufSize = confirmMessage("エラー：バッファサイズは50000以上です。");
const RecordedMessage kFrames = appMessage("フレーム数は5～200の範囲です。");
const RecordedMessage kThreshold = confirmMessage("エラー：出力しきい値はフレーム数を超えられません。", Buttons::OkCancel);
const RecordedMessage kIgnore = appMessage("エラー：初期無視ビット数の値は0～100です。");
const RecordedMessage kEnterValue = appMessage("値を入力してください。");

// A field left with a text: its message (if any), then field and parameter.
struct FieldCase {
    const char* field;
    std::map<std::string, std::string> settings;
    const char* typed;
    std::optional<RecordedMessage> message;
    const char* shown;
    std::int32_t stored;
};

// Readable, stable test names: the field, what the settings held, the text.
void PrintTo(const FieldCase& c, std::ostream* os)
{
    *os << c.field;
    for (const auto& [key, value] : c.settings) *os << ' ' << key << '=' << value;
    *os << " typed '" << c.typed << "'";
}

std::int32_t parameterOf(const AnalysisParameters& p, const std::string& field)
{
    const std::map<std::string, std::int32_t> byField = {
        {"txtStartSyncInterval", p.START_SYNC_INTERVAL}, {"txtEndSyncInterval", p.END_SYNC_INTERVAL},
        {"txtSyncBitSize", p.SYNC_BIT_SIZE},             {"txtAllowErrBits", p.ALLOW_ERR_BITS},
        {"txtBufSize", p.BUF_SIZE},                      {"txtFrameRounds", p.FRAME_ROUNDS},
        {"txtThreshold", p.THRESHOLD},                   {"txtIgnoreStartBits", p.IGNORE_START_BITS}};
    return byField.at(field);
}

class FieldCheck : public WindowTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldCheck, StoresTestsAndCorrects)
{
    const FieldCase& c = GetParam();
    openWindow(c.settings);
    typeAndLeave(c.field, QString::fromUtf8(c.typed));
    EXPECT_EQ(toolkit.messages, c.message ? std::vector{*c.message} : std::vector<RecordedMessage>{});
    EXPECT_EQ(text(c.field), QString::fromUtf8(c.shown));
    EXPECT_EQ(parameterOf(session->params, c.field), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldCheck,
    ::testing::Values(
        FieldCase{"txtStartSyncInterval", {}, "50", kStart, "50", 50},
        FieldCase{"txtStartSyncInterval", {}, "abc", kStart, "300", 300}, // no number: the value stays
        FieldCase{"txtEndSyncInterval", {{"BUF_SIZE", "50000"}, {"FRAME_ROUNDS", "30"}}, "2000", kEnd, "1667", 1667}, // rounded
        FieldCase{"txtEndSyncInterval", {{"BUF_SIZE", "50000"}, {"FRAME_ROUNDS", "25"}}, "2000", {}, "2000", 2000},
        FieldCase{"txtEndSyncInterval", {{"FRAME_ROUNDS", "200"}}, "2147483647", kEnd, "1500", 1500}, // no overflow
        FieldCase{"txtEndSyncInterval", {{"BUF_SIZE", "-5"}, {"FRAME_ROUNDS", "0"}}, "800", kEnd, "700", 700},
        FieldCase{"txtSyncBitSize", {}, "18", kSyncBits, "20", 20}, FieldCase{"txtSyncBitSize", {}, "64", {}, "64", 64},
        FieldCase{"txtSyncBitSize", {}, "68", kSyncBits, "20", 20},
        FieldCase{"txtSyncBitSize", {}, "", kEnterValue, "20", 20}, // blank is no value, not 0
        FieldCase{"txtStartSyncInterval", {{"START_SYNC_INTERVAL", "450"}}, "  ", kEnterValue, "450", 450},
        FieldCase{"txtFrameRounds", {}, "", kEnterValue, "20", 20},
        FieldCase{"txtAllowErrBits", {}, "16", kAllowErr, "15", 15},
        FieldCase{"txtAllowErrBits", {}, "-1", kAllowErr, "15", 15},
        FieldCase{"txtAllowErrBits", {}, "", kEnterValue, "2", 2},
        FieldCase{"txtAllowErrBits", {}, "１２", {}, "12", 12}, // full-width digits from an input method
        FieldCase{"txtBufSize", {{"BUF_SIZE", "49999"}}, "49999", kBufSize, "50000", 50000},
        FieldCase{"txtThreshold", {{"FRAME_ROUNDS", "50"}}, "1", kThreshold, "50", 50},
        FieldCase{"txtThreshold", {{"FRAME_ROUNDS", "50"}}, "50", {}, "50", 50},
        FieldCase{"txtIgnoreStartBits", {}, "150", kIgnore, "150", 150},
        FieldCase{"txtIgnoreStartBits", {}, "－５", kIgnore, "-5", -5}, // full-width sign
        // The field shows the number the run uses: halves go to the even neighbour.
        FieldCase{"txtIgnoreStartBits", {}, "12.5", {}, "12", 12},
        FieldCase{"txtIgnoreStartBits", {}, "１３．５", {}, "14", 14},
        FieldCase{"txtThreshold", {}, "+007", {}, "7", 7}));

// The frame-count check: the guide and threshold follow it in every case.
struct FrameCountCase {
    const char* threshold;
    const char* typed;
    bool message;
    const char* guide;
    const char* thresholdShown;
};

void PrintTo(const FrameCountCase& c, std::ostream* os)
{
    *os << "THRESHOLD=" << c.threshold << " typed '" << c.typed << "'";
}

class FrameCountCheck : public WindowTest, public ::testing::WithParamInterface<FrameCountCase> {};

TEST_P(FrameCountCheck, UpdatesGuideAndLowersTheThreshold)
{
    const FrameCountCase& c = GetParam();
    openWindow({{"THRESHOLD", c.threshold}});
    typeAndLeave("txtFrameRounds", QString::fromUtf8(c.typed));
    EXPECT_EQ(toolkit.messages, c.message ? std::vector{kFrames} : std::vector<RecordedMessage>{});
    EXPECT_EQ(text("txtThresholdRef"), QString::fromUtf8(c.guide));
    EXPECT_EQ(text("txtThreshold"), QString::fromUtf8(c.thresholdShown));
    EXPECT_EQ(QString::number(session->params.THRESHOLD), QString::fromUtf8(c.thresholdShown));
}

INSTANTIATE_TEST_SUITE_P(FrameCounts, FrameCountCheck,
                         ::testing::Values(FrameCountCase{"40", "3", true, "2", "3"},   // 3 x 0.85 = 2.55
                                           FrameCountCase{"40", "10", false, "8", "8"}, // 8.5 to the even 8
                                           FrameCountCase{"30", "50", false, "43", "30"},
                                           FrameCountCase{"30", "30", false, "25", "30"}, // equal: not lowered
                                           FrameCountCase{"10", "10.9", false, "9", "10"}, // guide before rounding
                                           FrameCountCase{"10", "x", true, "0", "10"}));

using FieldFocusTest = WindowTest;

TEST_F(FieldFocusTest, ButtonPressedWhileAFieldHoldsTheFocusRunsTheCheckFirst)
{
    openWindow();
    field("txtAllowErrBits")->setFocus(Qt::TabFocusReason);
    field("txtAllowErrBits")->setText("99");
    toolkit.answers.push_back(Answer::Cancel);
    click("cmd設定初期化");
    ASSERT_EQ(toolkit.messages.size(), 2u);
    EXPECT_EQ(toolkit.messages[0], kAllowErr);
    EXPECT_EQ(toolkit.messages[1].text, "設定を初期値にもどします。");
}

TEST_F(FieldFocusTest, FieldReachedAfterAMessageHasItsTextSelected)
{
    openWindow();
    // Like a real box, the message takes the focus into a window of its own.
    toolkit.onMessage = [](const RecordedMessage&) {
        QWidget box;
        box.show();
        box.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
    };
    typeAndLeave("txtStartSyncInterval", "50");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(field("txtEndSyncInterval")->hasFocus());
    EXPECT_EQ(field("txtEndSyncInterval")->selectedText(), "700");
}

} // namespace
} // namespace morvelan::testing
