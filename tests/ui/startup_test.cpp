// What the window shows once it has loaded, and how it fits the screen.
#include "window_fixture.h"

#include <QLabel>
#include <QScreen>

namespace morvelan::testing {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, EveryControlOfTheFormExistsUnderItsName)
{
    openWindow();
    for (const char* name :
         {"lblTitle", "lblVersion", "lbl入力スクリプト", "txt入力ファイル", "cmd入力ファイル", "Label2",
          "txt出力ファイル", "cmd出力ファイル", "Frame1", "Label3", "txtStartSyncInterval", "Label5", "Label4",
          "txtEndSyncInterval", "Label6", "txtSyncBitSize", "Label1", "Label7", "txtAllowErrBits", "Label10",
          "txtBufSize", "Label12", "Label9", "txtFrameRounds", "Label13", "Label11", "txtThreshold", "Label19",
          "txtThresholdRef", "Label8", "txtIgnoreStartBits", "Label14", "txtInterval", "Label16", "Label15",
          "txtIndex", "Label18", "txtFoundCnt", "ProgressBar1", "txtResult", "Label17", "cmd実行", "cmd設定保存",
          "cmd設定初期化", "chk入力ファイルのヘッダチェックをしない", "chk除外パターンを一時的に使用しない",
          "chkUNIX系LFファイルを対象とする", "cmd中止", "cmd終了", "cmbInputFormat", "lblInputFormat", "lblSummary",
          "lblStatus"})
        EXPECT_NE(window->findChild<QWidget*>(QString::fromUtf8(name)), nullptr) << name;
}

TEST_F(StartupTest, ShowsTheLoadedValuesUncheckedAndStartsIdle)
{
    openWindow({{"START_SYNC_INTERVAL", "50"}, {"FRAME_ROUNDS", "50"}, {"THRESHOLD", "99"}});
    EXPECT_TRUE(toolkit.messages.empty()); // loaded values are not checked
    EXPECT_EQ(text("txtStartSyncInterval"), "50");
    EXPECT_EQ(text("txtThreshold"), "99");
    EXPECT_EQ(text("txtBufSize"), "300000");
    EXPECT_EQ(text("txtThresholdRef"), "43");
    EXPECT_EQ(find<QLabel>("lblVersion")->text(), "Version 1.00 Revision 1.00.0043");
    EXPECT_FALSE(button("cmd中止")->isEnabled());
    for (const char* name : kRunControls) EXPECT_TRUE(button(name)->isEnabled()) << name;
    EXPECT_EQ(text("txtFoundCnt"), "");
    EXPECT_EQ(resultList()->lineCount(), 0u);
    EXPECT_TRUE(button("cmd出力ファイル")->isVisible());
    EXPECT_EQ(button("cmd出力ファイル")->text(), "参照(&O)");
    EXPECT_EQ(window->windowTitle(), "Morvelan"); // no input yet
}

// At any text scale (QT_FONT_DPI) the window starts inside the screen, can
// be resized, and no control is squeezed below what its text needs.
TEST_F(StartupTest, FitsTheScreenAtItsTextScaleAndCanBeResized)
{
    openWindow();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_LE(window->frameGeometry().width(), screen.width());
    EXPECT_LE(window->frameGeometry().height(), screen.height());
    EXPECT_LT(window->minimumWidth(), window->maximumWidth());
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->objectName().toStdString();
    }
    const QSize smaller(window->width(), window->height() - 40);
    window->resize(smaller);
    EXPECT_EQ(window->size(), smaller);
}

} // namespace
} // namespace morvelan::testing
