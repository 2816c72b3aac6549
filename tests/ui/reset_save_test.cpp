// The reset and save commands, and the order in which fields are written.
#include "window_fixture.h"

#include "settings/settings.h"

namespace morvelan::testing {
namespace {

const RecordedMessage kResetQuestion = confirmMessage("設定を初期値にもどします。", Buttons::OkCancel);

const std::map<std::string, std::string> kCustom = {
    {"START_SYNC_INTERVAL", "400"}, {"END_SYNC_INTERVAL", "900"}, {"SYNC_BIT_SIZE", "24"},
    {"ALLOW_ERR_BITS", "3"},        {"IGNORE_START_BITS", "5"},   {"FRAME_ROUNDS", "30"},
    {"BUF_SIZE", "400000"},         {"THRESHOLD", "12"},          {"EXCLUDE_PAT01", "1111"},
    {"USER_ID", "someone"}};

const char* const kParameterFields[] = {"txtStartSyncInterval", "txtEndSyncInterval", "txtSyncBitSize",
                                        "txtAllowErrBits",      "txtBufSize",         "txtFrameRounds",
                                        "txtThreshold",         "txtIgnoreStartBits"};

class ResetSaveTest : public WindowTest {
protected:
    // Records the names of the parameter fields in the order they are written.
    std::vector<std::string> writes;
    void recordFieldWrites()
    {
        for (const char* name : kParameterFields)
            QObject::connect(field(name), &QLineEdit::textChanged, window.get(),
                             [this, name] { writes.emplace_back(name); });
    }
    std::map<std::string, QString> fieldTexts() const
    {
        std::map<std::string, QString> texts;
        for (const char* name : kParameterFields) texts[name] = text(name);
        return texts;
    }
};

TEST_F(ResetSaveTest, ResetPutsBackTheEightNumbersOnly)
{
    openWindow(&kCustom);
    const std::string fileBefore = readBytes(settingsPath());
    ASSERT_EQ(text("txtThresholdRef"), "25");
    recordFieldWrites();

    toolkit.answers = {Answer::Ok};
    click("cmd設定初期化");

    EXPECT_EQ(toolkit.messages, std::vector{kResetQuestion});
    AnalysisParameters expected = session->params;
    ResetParameters(expected);
    EXPECT_EQ(session->params, expected);
    EXPECT_EQ(session->params.EXCLUDE_PAT[0], "1111");
    EXPECT_EQ(session->params.USER_ID, "someone");
    EXPECT_EQ(fieldTexts(), (std::map<std::string, QString>{{"txtStartSyncInterval", "300"},
                                                            {"txtEndSyncInterval", "700"},
                                                            {"txtSyncBitSize", "20"},
                                                            {"txtAllowErrBits", "2"},
                                                            {"txtBufSize", "300000"},
                                                            {"txtFrameRounds", "20"},
                                                            {"txtThreshold", "10"},
                                                            {"txtIgnoreStartBits", "0"}}));
    EXPECT_EQ(writes, (std::vector<std::string>{"txtStartSyncInterval", "txtEndSyncInterval", "txtSyncBitSize",
                                                "txtAllowErrBits", "txtIgnoreStartBits", "txtFrameRounds",
                                                "txtThreshold", "txtBufSize"}));
    // The guide follows the frame count only when that field is next left.
    EXPECT_EQ(text("txtThresholdRef"), "25");
    EXPECT_EQ(readBytes(settingsPath()), fileBefore);
}

TEST_F(ResetSaveTest, CancelledResetChangesNothing)
{
    openWindow(&kCustom);
    const AnalysisParameters before = session->params;
    const auto textsBefore = fieldTexts();
    toolkit.answers = {Answer::Cancel};
    click("cmd設定初期化");
    EXPECT_EQ(toolkit.messages, std::vector{kResetQuestion});
    EXPECT_EQ(session->params, before);
    EXPECT_EQ(fieldTexts(), textsBefore);
}

TEST_F(ResetSaveTest, ShowParametersWritesTheFieldsInItsOrder)
{
    openWindow(&kCustom);
    recordFieldWrites();
    session->params.FRAME_ROUNDS = 100;
    for (const char* name : kParameterFields) field(name)->clear();
    writes.clear();
    window->ShowParameters();
    EXPECT_EQ(writes, (std::vector<std::string>{"txtStartSyncInterval", "txtEndSyncInterval", "txtSyncBitSize",
                                                "txtAllowErrBits", "txtIgnoreStartBits", "txtFrameRounds",
                                                "txtBufSize", "txtThreshold"}));
    EXPECT_EQ(text("txtThresholdRef"), "86");
}

TEST_F(ResetSaveTest, SaveWritesTheCheckedParametersToTheSettingsFile)
{
    openWindow(&kCustom);
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
    EXPECT_EQ(saved.BUF_SIZE, 400000);
    EXPECT_EQ(saved.USER_ID, "");
    EXPECT_EQ(saved.EXCLUDE_PAT[0], "1111");
    EXPECT_EQ(session->params.USER_ID, "");
}

TEST_F(ResetSaveTest, ResetAndQuitWithoutSavingLeavesTheFileForTheNextStart)
{
    openWindow(&kCustom);
    toolkit.answers = {Answer::Ok};
    click("cmd設定初期化");
    click("cmd終了");
    window.reset();
    session = std::make_unique<Session>();
    openWindow(nullptr);
    EXPECT_EQ(text("txtStartSyncInterval"), "400");
    EXPECT_EQ(text("txtFrameRounds"), "30");
}

} // namespace
} // namespace morvelan::testing
