// The reset and save commands.
#include "files/parameter_table.h"
#include "window_fixture.h"

#include "settings/settings.h"

namespace morvelan::testing {
namespace {

const RecordedMessage kResetQuestion = confirmMessage("設定を初期値にもどします。", Buttons::OkCancel);
const std::map<std::string, std::string> kCustom = {
    {"START_SYNC_INTERVAL", "400"}, {"END_SYNC_INTERVAL", "900"}, {"SYNC_BIT_SIZE", "24"}, {"ALLOW_ERR_BITS", "3"},
    {"IGNORE_START_BITS", "5"},     {"FRAME_ROUNDS", "30"},       {"BUF_SIZE", "400000"},  {"THRESHOLD", "12"},
    {"EXCLUDE_PAT01", "1111"},      {"USER_ID", "someone"}};
const char* const kParameterFields[] = {"txtStartSyncInterval", "txtEndSyncInterval", "txtSyncBitSize",
                                        "txtAllowErrBits",      "txtBufSize",         "txtFrameRounds",
                                        "txtThreshold",         "txtIgnoreStartBits"};

using ResetSaveTest = WindowTest;

TEST_F(ResetSaveTest, ResetPutsBackTheEightNumbersOnlyAndCancelChangesNothing)
{
    openWindow(kCustom);
    const std::string fileBefore = readBytes(settingsPath());
    const AnalysisParameters before = session->params;
    toolkit.answers = {Answer::Cancel, Answer::Ok};
    click("cmd設定初期化");
    EXPECT_EQ(session->params, before);
    EXPECT_EQ(text("txtStartSyncInterval"), "400");

    click("cmd設定初期化");
    EXPECT_EQ(toolkit.messages, (std::vector{kResetQuestion, kResetQuestion}));
    AnalysisParameters expected = before;
    ResetParameters(expected);
    EXPECT_EQ(session->params, expected);
    EXPECT_EQ(session->params.EXCLUDE_PAT[0], "1111");
    EXPECT_EQ(session->params.USER_ID, "someone");
    const char* const shown[] = {"300", "700", "20", "2", "300000", "20", "10", "0"};
    for (std::size_t i = 0; i < std::size(kParameterFields); ++i)
        EXPECT_EQ(text(kParameterFields[i]), shown[i]) << kParameterFields[i];
    EXPECT_EQ(text("txtThresholdRef"), "25"); // follows the frame count only when that field is left
    EXPECT_EQ(readBytes(settingsPath()), fileBefore);
}

TEST_F(ResetSaveTest, SaveWritesTheCheckedParameters)
{
    openWindow(kCustom);
    typeAndLeave("txtStartSyncInterval", "450");
    typeAndLeave("txtSyncBitSize", "18"); // refused and corrected to 20
    toolkit.messages.clear();
    click("cmd設定保存");
    EXPECT_TRUE(toolkit.messages.empty());
    AnalysisParameters saved;
    ASSERT_TRUE(ReadSettings(saved, settingsPath(), toolkit));
    EXPECT_EQ(saved.START_SYNC_INTERVAL, 450);
    EXPECT_EQ(saved.SYNC_BIT_SIZE, 20);
    EXPECT_EQ(saved.FRAME_ROUNDS, 30);
    EXPECT_EQ(saved.USER_ID, "");
    EXPECT_EQ(saved.EXCLUDE_PAT[0], "1111");
}

} // namespace
} // namespace morvelan::testing
