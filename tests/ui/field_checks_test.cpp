// The checks run when the focus leaves a parameter field.
#include "window_fixture.h"

#include "engine/parameters.h"
#include "ui/field_checks.h"

#include <QFocusEvent>

namespace morvelan::testing {
namespace {

using FieldCheckTest = WindowTest;

const RecordedMessage kStartMessage = appMessage("エラー：開始インターバル値は100～2000です。");
const RecordedMessage kEndMessage = confirmMessage("エラー：バッファサイズを超えるビットは処理できません。");
const RecordedMessage kSyncBitsMessage =
    confirmMessage("同期ビット数は4,8,12,16,20,24,28,32,36,40,44,48,52,56,60,64のいずれかです。");
const RecordedMessage kAllowErrMessage = confirmMessage("エラー：エラー許容ビット数は0～15です。");
const RecordedMessage kBufSizeMessage = confirmMessage("エラー：バッファサイズは50000以上です。");
const RecordedMessage kFrameRoundsMessage = appMessage("フレーム数は5～200の範囲です。");
const RecordedMessage kThresholdMessage =
    confirmMessage("エラー：出力しきい値はフレーム数を超えられません。", Buttons::OkCancel);
const RecordedMessage kIgnoreMessage = appMessage("エラー：初期無視ビット数の値は0～100です。");

TEST_F(FieldCheckTest, StartIntervalOutOfRangeIsReportedAndKept)
{
    openWindow();
    typeAndLeave("txtStartSyncInterval", "50");
    EXPECT_EQ(toolkit.messages, std::vector{kStartMessage});
    EXPECT_EQ(session->params.START_SYNC_INTERVAL, 50);
    EXPECT_EQ(text("txtStartSyncInterval"), "50");
    // The focus moved on all the same.
    EXPECT_TRUE(field("txtEndSyncInterval")->hasFocus());

    toolkit.messages.clear();
    typeAndLeave("txtStartSyncInterval", "2000");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.START_SYNC_INTERVAL, 2000);
}

TEST_F(FieldCheckTest, EndIntervalBeyondTheBufferIsLoweredToBufferOverFrames)
{
    openWindowWith({{"BUF_SIZE", "50000"}, {"FRAME_ROUNDS", "30"}});
    typeAndLeave("txtEndSyncInterval", "2000");
    EXPECT_EQ(toolkit.messages, std::vector{kEndMessage});
    // 50000 / 30 = 1666.67; 1667 x 30 is still 10 above and is not tested again.
    EXPECT_EQ(session->params.END_SYNC_INTERVAL, 1667);
    EXPECT_EQ(text("txtEndSyncInterval"), "1667");
}

TEST_F(FieldCheckTest, EndIntervalFillingTheBufferExactlyIsAccepted)
{
    openWindowWith({{"BUF_SIZE", "50000"}, {"FRAME_ROUNDS", "25"}});
    typeAndLeave("txtEndSyncInterval", "2000");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.END_SYNC_INTERVAL, 2000);
}

TEST_F(FieldCheckTest, EndIntervalProductIsComputedWithoutOverflow)
{
    openWindowWith({{"FRAME_ROUNDS", "200"}});
    // 200 x 2147483647 overflows 32 bits; it is still far above the buffer.
    typeAndLeave("txtEndSyncInterval", "2147483647");
    EXPECT_EQ(toolkit.messages, std::vector{kEndMessage});
    EXPECT_EQ(text("txtEndSyncInterval"), "1500");
}

TEST_F(FieldCheckTest, EndIntervalWithoutFrameCountGoesBackToItsPreviousValue)
{
    openWindowWith({{"BUF_SIZE", "-5"}, {"FRAME_ROUNDS", "0"}});
    typeAndLeave("txtEndSyncInterval", "800");
    EXPECT_EQ(toolkit.messages, std::vector{kEndMessage});
    EXPECT_EQ(session->params.END_SYNC_INTERVAL, 700);
    EXPECT_EQ(text("txtEndSyncInterval"), "700");
}

TEST_F(FieldCheckTest, SyncBitSizeMustBeAMultipleOfFourUpTo64)
{
    openWindow();
    typeAndLeave("txtSyncBitSize", "18");
    EXPECT_EQ(toolkit.messages, std::vector{kSyncBitsMessage});
    EXPECT_EQ(text("txtSyncBitSize"), "20");
    EXPECT_EQ(session->params.SYNC_BIT_SIZE, 20);

    toolkit.messages.clear();
    typeAndLeave("txtSyncBitSize", "64");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.SYNC_BIT_SIZE, 64);

    for (const char* refused : {"68", "", "0", "x"}) {
        toolkit.messages.clear();
        typeAndLeave("txtSyncBitSize", refused);
        EXPECT_EQ(toolkit.messages, std::vector{kSyncBitsMessage}) << refused;
        EXPECT_EQ(text("txtSyncBitSize"), "20") << refused;
        EXPECT_EQ(session->params.SYNC_BIT_SIZE, 20) << refused;
    }
}

TEST_F(FieldCheckTest, AllowedErrorBitsOutsideZeroTo15BecomeFifteen)
{
    openWindow();
    for (const char* refused : {"16", "-1", "3000000000"}) {
        toolkit.messages.clear();
        typeAndLeave("txtAllowErrBits", refused);
        EXPECT_EQ(toolkit.messages, std::vector{kAllowErrMessage}) << refused;
        EXPECT_EQ(text("txtAllowErrBits"), "15") << refused;
        EXPECT_EQ(session->params.ALLOW_ERR_BITS, 15) << refused;
    }
    toolkit.messages.clear();
    typeAndLeave("txtAllowErrBits", ""); // blank counts as 0
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.ALLOW_ERR_BITS, 0);
    EXPECT_EQ(text("txtAllowErrBits"), "");
}

TEST_F(FieldCheckTest, ReadOnlyBufferSizeFromTheSettingsIsCheckedWhenLeft)
{
    openWindowWith({{"BUF_SIZE", "49999"}});
    field("txtBufSize")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field("txtBufSize"), Qt::Key_Tab);
    EXPECT_EQ(toolkit.messages, std::vector{kBufSizeMessage});
    EXPECT_EQ(text("txtBufSize"), "50000");
    EXPECT_EQ(session->params.BUF_SIZE, 50000);
}

TEST_F(FieldCheckTest, LargeBufferSizeIsAccepted)
{
    openWindowWith({{"BUF_SIZE", "10000000"}});
    field("txtBufSize")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field("txtBufSize"), Qt::Key_Tab);
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.BUF_SIZE, 10000000);
}

TEST_F(FieldCheckTest, SmallFrameCountIsReportedAndLowersTheThresholdSilently)
{
    openWindowWith({{"THRESHOLD", "40"}});
    typeAndLeave("txtFrameRounds", "3");
    EXPECT_EQ(toolkit.messages, std::vector{kFrameRoundsMessage});
    EXPECT_EQ(session->params.FRAME_ROUNDS, 3);
    EXPECT_EQ(text("txtFrameRounds"), "3");
    EXPECT_EQ(text("txtThresholdRef"), "2");
    // 3 x 0.85 = 2.55, rounded.
    EXPECT_EQ(session->params.THRESHOLD, 3);
    EXPECT_EQ(text("txtThreshold"), "3");
}

TEST_F(FieldCheckTest, ValidFrameCountUpdatesGuideAndLowersTheThresholdHalfToEven)
{
    openWindowWith({{"THRESHOLD", "40"}});
    typeAndLeave("txtFrameRounds", "10");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(text("txtThresholdRef"), "8");
    // 10 x 0.85 = 8.5 goes to the even neighbour.
    EXPECT_EQ(session->params.THRESHOLD, 8);
    EXPECT_EQ(text("txtThreshold"), "8");
}

TEST_F(FieldCheckTest, FrameCountAboveTheThresholdLeavesTheThreshold)
{
    openWindowWith({{"THRESHOLD", "30"}});
    typeAndLeave("txtFrameRounds", "50");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(text("txtThresholdRef"), "43");
    EXPECT_EQ(session->params.THRESHOLD, 30);
    EXPECT_EQ(text("txtThreshold"), "30");
}

TEST_F(FieldCheckTest, GuideReadsTheFrameCountTextBeforeRounding)
{
    openWindowWith({{"THRESHOLD", "5"}});
    typeAndLeave("txtFrameRounds", "12.7");
    EXPECT_EQ(session->params.FRAME_ROUNDS, 13);
    EXPECT_EQ(text("txtThresholdRef"), "10"); // 12.7 x 0.86 = 10.92; 13 x 0.86 would give 11
}

TEST_F(FieldCheckTest, NonNumericFrameCountKeepsTheCountAndShowsAZeroGuide)
{
    openWindowWith({{"FRAME_ROUNDS", "50"}, {"THRESHOLD", "30"}});
    typeAndLeave("txtFrameRounds", "abc");
    EXPECT_EQ(toolkit.messages, std::vector{kFrameRoundsMessage});
    EXPECT_EQ(session->params.FRAME_ROUNDS, 50);
    EXPECT_EQ(text("txtFrameRounds"), "abc");
    EXPECT_EQ(text("txtThresholdRef"), "0");
    EXPECT_EQ(session->params.THRESHOLD, 30);
}

TEST_F(FieldCheckTest, BlankFrameCountIsZero)
{
    openWindow();
    typeAndLeave("txtFrameRounds", "");
    EXPECT_EQ(toolkit.messages, std::vector{kFrameRoundsMessage});
    EXPECT_EQ(session->params.FRAME_ROUNDS, 0);
    EXPECT_EQ(text("txtThresholdRef"), "0");
    EXPECT_EQ(text("txtThreshold"), "0");
}

TEST_F(FieldCheckTest, ThresholdOutsideTwoToFrameCountBecomesTheFrameCount)
{
    openWindowWith({{"FRAME_ROUNDS", "50"}});
    for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
        toolkit.messages.clear();
        toolkit.answers = {answer};
        typeAndLeave("txtThreshold", "1");
        EXPECT_EQ(toolkit.messages, std::vector{kThresholdMessage});
        EXPECT_EQ(session->params.THRESHOLD, 50);
        EXPECT_EQ(text("txtThreshold"), "50");
        EXPECT_TRUE(toolkit.answers.empty());
    }
    toolkit.messages.clear();
    typeAndLeave("txtThreshold", "51");
    EXPECT_EQ(toolkit.messages, std::vector{kThresholdMessage});
    EXPECT_EQ(text("txtThreshold"), "50");

    toolkit.messages.clear();
    typeAndLeave("txtThreshold", "2");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.THRESHOLD, 2);
}

TEST_F(FieldCheckTest, IgnoredStartBitsOutOfRangeAreReportedAndUsed)
{
    openWindow();
    typeAndLeave("txtIgnoreStartBits", "150");
    EXPECT_EQ(toolkit.messages, std::vector{kIgnoreMessage});
    EXPECT_EQ(session->params.IGNORE_START_BITS, 150);
    EXPECT_EQ(text("txtIgnoreStartBits"), "150");
}

TEST_F(FieldCheckTest, FractionsRoundHalfToEven)
{
    openWindow();
    typeAndLeave("txtIgnoreStartBits", "12.5");
    EXPECT_EQ(session->params.IGNORE_START_BITS, 12);
    EXPECT_EQ(text("txtIgnoreStartBits"), "12.5");
    typeAndLeave("txtIgnoreStartBits", "13.5");
    EXPECT_EQ(session->params.IGNORE_START_BITS, 14);
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(FieldCheckTest, NonNumericTextInAFieldWithoutCorrectionKeepsThePreviousValue)
{
    openWindow();
    typeAndLeave("txtStartSyncInterval", "3oo");
    EXPECT_EQ(toolkit.messages, std::vector{kStartMessage});
    EXPECT_EQ(session->params.START_SYNC_INTERVAL, 300);
    EXPECT_EQ(text("txtStartSyncInterval"), "3oo");

    toolkit.messages.clear();
    typeAndLeave("txtIgnoreStartBits", "99999999999");
    EXPECT_EQ(toolkit.messages, std::vector{kIgnoreMessage});
    EXPECT_EQ(session->params.IGNORE_START_BITS, 0);
}

TEST_F(FieldCheckTest, ButtonPressedWhileAFieldHoldsTheFocusRunsTheCheckFirst)
{
    openWindow();
    field("txtSyncBitSize")->setFocus(Qt::TabFocusReason);
    field("txtSyncBitSize")->setText("18");
    toolkit.answers = {Answer::Cancel};
    click("cmd設定初期化");
    EXPECT_EQ(toolkit.messages,
              (std::vector{kSyncBitsMessage, confirmMessage("設定を初期値にもどします。", Buttons::OkCancel)}));
    EXPECT_EQ(text("txtSyncBitSize"), "20");
    EXPECT_TRUE(button("cmd設定初期化")->hasFocus());

    toolkit.messages.clear();
    field("txtStartSyncInterval")->setFocus(Qt::TabFocusReason);
    field("txtStartSyncInterval")->setText("50");
    click("cmd実行");
    EXPECT_EQ(toolkit.messages, (std::vector{kStartMessage, appMessage("入力ファイルを入力してください。")}));
}

TEST_F(FieldCheckTest, ClickIntoAnotherFieldRunsTheCheck)
{
    openWindow();
    field("txtAllowErrBits")->setFocus(Qt::TabFocusReason);
    field("txtAllowErrBits")->setText("16");
    QTest::mouseClick(field("txtThreshold"), Qt::LeftButton);
    EXPECT_EQ(toolkit.messages, std::vector{kAllowErrMessage});
    EXPECT_TRUE(field("txtThreshold")->hasFocus());
}

TEST_F(FieldCheckTest, FocusTakenByAnotherWindowIsNoLeavingOfTheField)
{
    openWindow();
    QLineEdit* f = field("txtSyncBitSize");
    f->setFocus(Qt::TabFocusReason);
    f->setText("18");
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(f, &deactivated);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(f, &popup);
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(session->params.SYNC_BIT_SIZE, 20);
    EXPECT_EQ(text("txtSyncBitSize"), "18");
}

TEST_F(FieldCheckTest, FieldsWrittenByTheProgramAreNotChecked)
{
    openWindowWith({{"SYNC_BIT_SIZE", "7"}});
    window->ShowParameters();
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(text("txtSyncBitSize"), "7");
}

TEST(ThresholdGuide, IsTruncatedTowardZeroAndZeroForNonNumbers)
{
    EXPECT_EQ(ThresholdGuide("50"), "43");
    EXPECT_EQ(ThresholdGuide(" 100 "), "86");
    EXPECT_EQ(ThresholdGuide("-10"), "-8");
    EXPECT_EQ(ThresholdGuide("-1"), "0");
    EXPECT_EQ(ThresholdGuide(""), "0");
    EXPECT_EQ(ThresholdGuide("x"), "0");
    EXPECT_EQ(ThresholdGuide("inf"), "0");
    EXPECT_EQ(ThresholdGuide("5000000000"), "4300000000");
}

} // namespace
} // namespace morvelan::testing
