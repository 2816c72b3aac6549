// The Qt toolkit: message boxes, the busy pointer and the input dialog, each
// answered by a timer that acts on the dialog while it is up.
#include "support/temp_dir.h"
#include "ui/qt_toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace morvelan::testing {
namespace {

// Runs `act` on the modal dialog once it is up.
template <class Dialog>
void whenShown(std::function<void(Dialog&)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        EXPECT_NE(dialog, nullptr) << "the expected dialog is not up";
        dialog ? act(*dialog) : (void)(modal && modal->close());
    });
}

TEST(QtToolkit, MessageBoxesHaveNoIconTheirCaptionAndJapaneseButtonsAndThePointerBalances)
{
    QtToolkit toolkit;
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "確認");
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Ok));
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "キャンセル"); // Qt's own translation
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(toolkit.showMessage("中止してよろしいですか？", "確認", Buttons::OkCancel), Answer::Ok);
    whenShown<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(toolkit.showMessage("q", "確認", Buttons::OkCancel), Answer::Cancel);
    whenShown<QMessageBox>([](QMessageBox& box) { box.close(); }); // the close box answers Cancel too
    EXPECT_EQ(toolkit.showMessage("q", "確認", Buttons::OkCancel), Answer::Cancel);
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Morvelan");
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(toolkit.showMessage("<b>処理を終了しました。</b>", "", Buttons::Ok), Answer::Ok);
    toolkit.setBusyPointer(true); // set once, removed once
    toolkit.setBusyPointer(true);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    toolkit.setBusyPointer(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

bool isJapaneseFace(const QWidget& widget)
{
    return QFontDatabase::writingSystems(QFontInfo(widget.font()).family()).contains(QFontDatabase::Japanese);
}

TEST(QtToolkit, AbortBoxAnswersOkOrCancelInTheWindowsFace)
{
    QtToolkit toolkit;
    for (const bool abort : {false, true}) {
        whenShown<QMessageBox>([abort](QMessageBox& box) {
            EXPECT_TRUE(isJapaneseFace(box));
            auto* abortButton = box.findChild<QPushButton*>(QStringLiteral("cmdBoxAbort"));
            ASSERT_NE(abortButton, nullptr);
            EXPECT_EQ(abortButton->text(), "中止");
            abort ? QTest::keyClick(&box, Qt::Key_Escape) : box.button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(toolkit.showMessage("以降の変換エラーは表示しません。", "", Buttons::OkAbort),
                  abort ? Answer::Cancel : Answer::Ok);
    }
}

// One entry per input format and one for every file; the dialog opens on
// the entry of the format asked for, and the entry chosen comes back.
TEST(QtToolkit, InputDialogHasAnEntryPerFormatAndTellsTheOneChosen)
{
    TempDir dir;
    const std::string start = dir.write("in.txt", "x");
    const std::string other = dir.write("capture", "y"); // no dot: "*.*" would hide it
    QtToolkit toolkit;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_TRUE(isJapaneseFace(dialog));
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        EXPECT_EQ(shown, (QStringList{"tdm ﾃｷｽﾄ(*.txt)", "hex 16進ﾃｷｽﾄ(*.hex;*.txt)", "bits 0/1ﾃｷｽﾄ(*.bits;*.txt)",
                                      "u8 1ﾋﾞｯﾄ1ﾊﾞｲﾄ(*.u8;*.bin)", "bin ﾊﾞｲﾅﾘ(*.bin;*.dat)",
                                      "ch10 Chapter 10(*.ch10;*.c10)", "すべてのファイル(*.*)"}));
        EXPECT_EQ(types->currentIndex(), 0);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_TRUE(buttons->button(QDialogButtonBox::Open)->text().contains("開く"));
        EXPECT_EQ(std::filesystem::path(dialog.directory().absolutePath().toStdString()), dir.path());
        types->setCurrentIndex(3);
        emit types->activated(3); // as a choice with the mouse
        static_cast<QDialog&>(dialog).accept(); // public in QDialog, protected in QFileDialog
    });
    const auto u8 = toolkit.chooseInputFile(start, InputFormat::Tdm);
    ASSERT_TRUE(u8);
    EXPECT_EQ(u8->path, start);
    EXPECT_EQ(u8->format, InputFormat::U8);

    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->currentIndex(), types->count() - 1); // auto: every file
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->nameFilters(), QStringList{"*"});
        dialog.selectFile(QString::fromStdString(other));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(toolkit.chooseOpenFile(dir.path().string() + "/"), other);

    whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(toolkit.chooseInputFile(start, InputFormat::Hex), std::nullopt);
}

} // namespace
} // namespace morvelan::testing
