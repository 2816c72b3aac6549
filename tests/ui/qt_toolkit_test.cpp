// The Qt toolkit: message boxes, the busy pointer and the file-open dialog,
// each answered by a timer that acts on the dialog while it is up.
#include "support/temp_dir.h"
#include "ui/qt_toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
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

TEST(QtToolkit, FileDialogSpeaksJapaneseAndItsSecondEntryListsEveryFile)
{
    TempDir dir;
    const std::string start = dir.write("in.txt", "x");
    const std::string other = dir.write("capture", "y"); // no dot: "*.*" would hide it
    QtToolkit toolkit;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        ASSERT_EQ(types->count(), 2);
        EXPECT_EQ(types->itemText(0), "ﾃｷｽﾄ(*.txt)");
        EXPECT_EQ(types->itemText(1), "すべてのファイル(*.*)");
        EXPECT_EQ(types->currentIndex(), 0);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_TRUE(buttons->button(QDialogButtonBox::Open)->text().contains("開く"));
        EXPECT_EQ(std::filesystem::path(dialog.directory().absolutePath().toStdString()), dir.path());
        types->setCurrentIndex(1);
        emit types->activated(1); // as a choice with the mouse
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->nameFilters(), QStringList{"*"});
        dialog.selectFile(QString::fromStdString(other));
        static_cast<QDialog&>(dialog).accept(); // public in QDialog, protected in QFileDialog
    });
    EXPECT_EQ(toolkit.chooseOpenFile(start), other);

    whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(toolkit.chooseOpenFile(start), std::nullopt);
}

} // namespace
} // namespace morvelan::testing
