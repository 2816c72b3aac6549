// The Qt toolkit: message boxes, the busy pointer, yields and the file-open
// dialog, each answered by a timer that acts on the dialog while it is up.
#include "support/temp_dir.h"
#include "ui/qt_toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
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
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            act(*dialog);
            return;
        }
        ADD_FAILURE() << "the expected dialog is not up";
        if (modal) modal->close(); // do not leave the test waiting on it
    });
}

TEST(QtToolkit, QuestionHasNoIconOkAsDefaultAndTheGivenCaption)
{
    QtToolkit toolkit;
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "確認");
        EXPECT_EQ(box.text(), "中止してよろしいですか？");
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Ok));
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(toolkit.showMessage("中止してよろしいですか？", "確認", Buttons::OkCancel), Answer::Ok);
}

TEST(QtToolkit, EscapeAndTheCloseBoxAnswerCancel)
{
    QtToolkit toolkit;
    whenShown<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(toolkit.showMessage("q", "確認", Buttons::OkCancel), Answer::Cancel);

    whenShown<QMessageBox>([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(toolkit.showMessage("q", "確認", Buttons::OkCancel), Answer::Cancel);

    whenShown<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Cancel)->click(); });
    EXPECT_EQ(toolkit.showMessage("q", "確認", Buttons::OkCancel), Answer::Cancel);
}

TEST(QtToolkit, MessageWithoutCaptionShowsTheApplicationTitleAndOnlyOk)
{
    QtToolkit toolkit;
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Morvelan");
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(toolkit.showMessage("<b>処理を終了しました。</b>", "", Buttons::Ok), Answer::Ok);
}

TEST(QtToolkit, BusyPointerIsSetOnceAndRestored)
{
    QtToolkit toolkit;
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    toolkit.setBusyPointer(true);
    toolkit.setBusyPointer(true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    toolkit.setBusyPointer(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    toolkit.setBusyPointer(false); // no override of someone else is removed
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtToolkit, YieldProcessesPendingEvents)
{
    QtToolkit toolkit;
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    toolkit.yield();
    EXPECT_TRUE(ran);
}

TEST(QtToolkit, FileDialogOffersTextFilesFirstAndStartsAtTheGivenFile)
{
    TempDir dir;
    const std::string start = dir.write("in.txt", "x");
    const std::string other = dir.write("next.dat", "y");
    const auto cwd = std::filesystem::current_path();
    QtToolkit toolkit;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.nameFilters(), (QStringList{"ﾃｷｽﾄ(*.txt)", "すべてのファイル(*)"}));
        EXPECT_EQ(dialog.selectedNameFilter(), "ﾃｷｽﾄ(*.txt)");
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(std::filesystem::path(dialog.directory().absolutePath().toStdString()), dir.path());
        dialog.selectFile(QString::fromStdString(other));
        static_cast<QDialog&>(dialog).accept(); // public in QDialog, protected in QFileDialog
    });
    EXPECT_EQ(toolkit.chooseOpenFile(start), other);
    EXPECT_EQ(std::filesystem::current_path(), cwd);

    whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(toolkit.chooseOpenFile(start), std::nullopt);
}

} // namespace
} // namespace morvelan::testing
