// The input browse command and the Result file path it derives.
#include "generated_capture.h"
#include "window_fixture.h"

#include "ui/file_selection.h"

namespace morvelan::testing {
namespace {

TEST(ResultPathFor, PutsAnRBeforeTheFileName)
{
    EXPECT_EQ(ResultPathFor("/data/in.txt"), "/data/Rin.txt");
    EXPECT_EQ(ResultPathFor("/a.txt"), "/Ra.txt");
    EXPECT_EQ(ResultPathFor("//server/share/x.txt"), "//server/share/Rx.txt");
    EXPECT_EQ(ResultPathFor("/data/input.dat"), "/data/Rinput.dat");
    EXPECT_EQ(ResultPathFor("/データ/入力.txt"), "/データ/R入力.txt");
    EXPECT_EQ(ResultPathFor("/data.d/noext"), "/data.d/Rnoext");
}

TEST(ResultPathFor, PathWithoutSeparatorGivesNoResultPath)
{
    EXPECT_EQ(ResultPathFor("in.txt"), std::nullopt);
    EXPECT_EQ(ResultPathFor(""), std::nullopt);
}

using FileSelectionTest = WindowTest;

TEST_F(FileSelectionTest, ChosenFileSetsBothPathsAndFields)
{
    openWindow();
    browse("/data/in.txt");
    EXPECT_EQ(toolkit.fileDialogStarts, std::vector<std::string>{""});
    EXPECT_EQ(text("txt入力ファイル"), "/data/in.txt");
    EXPECT_EQ(text("txt出力ファイル"), "/data/Rin.txt");
    EXPECT_EQ(session->inputPath, "/data/in.txt");
    EXPECT_EQ(session->resultPath, "/data/Rin.txt");
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(FileSelectionTest, DialogStartsAtTheTextOfTheInputField)
{
    openWindow();
    browse("/data/in.txt");
    field("txt入力ファイル")->setText("/other/typed.txt");
    browse("/data/next.txt");
    EXPECT_EQ(toolkit.fileDialogStarts, (std::vector<std::string>{"", "/other/typed.txt"}));
}

TEST_F(FileSelectionTest, CancelKeepsThePreviousChoice)
{
    openWindow();
    browse("/data/in.txt");
    field("txt出力ファイル")->setText("typed over");
    toolkit.fileChoices.push_back(std::nullopt);
    click("cmd入力ファイル");
    EXPECT_EQ(text("txt入力ファイル"), "/data/in.txt");
    EXPECT_EQ(text("txt出力ファイル"), "typed over");
    EXPECT_EQ(session->inputPath, "/data/in.txt");
    EXPECT_EQ(session->resultPath, "/data/Rin.txt");
}

TEST_F(FileSelectionTest, NameWithoutFolderKeepsThePreviousResultPath)
{
    openWindow();
    browse("/data/in.txt");
    browse("bare.txt");
    EXPECT_EQ(text("txt入力ファイル"), "bare.txt");
    EXPECT_EQ(session->inputPath, "bare.txt");
    EXPECT_EQ(text("txt出力ファイル"), "/data/Rin.txt");
    EXPECT_EQ(session->resultPath, "/data/Rin.txt");
}

TEST_F(FileSelectionTest, RunReadsTheChosenFileNotTheTypedOne)
{
    openWindowWith({{"START_SYNC_INTERVAL", "120"}, {"END_SYNC_INTERVAL", "130"}});
    const std::string chosen = dir.write("chosen.txt", makeCapture({}));
    const std::string typed = dir.write("typed.txt", makeCapture({}));
    browse(chosen);
    field("txt入力ファイル")->setText(QString::fromStdString(typed));
    toolkit.answers = {Answer::Ok};
    click("cmd実行");
    EXPECT_EQ(toolkit.messages.back(), appMessage("処理を終了しました。"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("Rchosen.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Rtyped.txt")));
}

TEST_F(FileSelectionTest, BrowsingDoesNotChangeTheCurrentFolder)
{
    openWindow();
    const auto before = std::filesystem::current_path();
    browse(dir.file("in.txt"));
    EXPECT_EQ(std::filesystem::current_path(), before);
}

} // namespace
} // namespace morvelan::testing
