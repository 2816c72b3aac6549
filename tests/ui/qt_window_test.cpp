// The window with the real Qt toolkit: modal boxes run their own event loops
// and the search yields to Qt, so what the scripted tests take for granted is
// checked here once with real dialogs.
#include "generated_capture.h"
#include "window_fixture.h"

#include "ui/qt_toolkit.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace morvelan::testing {
namespace {

// Answers each new message box as it comes up, in script order, and records
// its text.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<QMessageBox::StandardButton> script) : script_(std::move(script))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerIfUp(); });
        timer_.start(5);
    }
    std::vector<std::string> texts;

private:
    void answerIfUp()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == last_ || texts.size() >= script_.size()) return;
        last_ = box;
        texts.push_back(box->text().toStdString());
        box->button(script_[texts.size() - 1])->click();
    }

    std::vector<QMessageBox::StandardButton> script_;
    QTimer timer_;
    QPointer<QMessageBox> last_;
};

class QtWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    QtToolkit toolkit;
    std::unique_ptr<MainWindow> window;

    void open(const std::map<std::string, std::string>& changes = {})
    {
        dir.write("Morvelan.ini", settingsText(defaultsWith(changes)));
        window = std::make_unique<MainWindow>(*session, toolkit, dir.file("Morvelan.ini"));
        toolkit.setParentWindow(window.get());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    template <class W>
    W* find(const char* name) const
    {
        return window->findChild<W*>(QString::fromUtf8(name));
    }
};

TEST_F(QtWindowTest, ClickWhileAFieldHoldsTheFocusShowsTheCheckThenRunsTheCommand)
{
    open();
    auto* syncBits = find<QLineEdit>("txtSyncBitSize");
    syncBits->setFocus(Qt::TabFocusReason);
    syncBits->setText("18");
    find<QLineEdit>("txtStartSyncInterval")->setText("999"); // shows whether the reset ran

    BoxAnswerer answerer({QMessageBox::Ok, QMessageBox::Ok});
    QTest::mouseClick(find<QPushButton>("cmd設定初期化"), Qt::LeftButton);

    EXPECT_EQ(answerer.texts,
              (std::vector<std::string>{"同期ビット数は4,8,12,16,20,24,28,32,36,40,44,48,52,56,60,64のいずれかです。",
                                        "設定を初期値にもどします。"}));
    EXPECT_EQ(syncBits->text(), "20");
    EXPECT_EQ(find<QLineEdit>("txtStartSyncInterval")->text(), "300");
}

TEST_F(QtWindowTest, AbortPressedDuringARealRunIsAskedAndEndsTheRun)
{
    open({{"START_SYNC_INTERVAL", "100"},
          {"END_SYNC_INTERVAL", "2000"},
          {"ALLOW_ERR_BITS", "0"},
          {"FRAME_ROUNDS", "100"},
          {"THRESHOLD", "3"}});
    CaptureShape shape;
    shape.frameBits = 512;
    shape.frames = 400;
    const std::string input = dir.write("long.txt", makeCapture(shape));
    session->inputPath = input;
    session->resultPath = dir.file("Rlong.txt");
    find<QLineEdit>("txt入力ファイル")->setText(QString::fromStdString(input));

    // Pressed from the event loop, which only a yield of the search runs.
    bool pressedWhileRunning = false;
    QTimer::singleShot(100, [&] {
        pressedWhileRunning = window->isRunning();
        QTest::mouseClick(find<QPushButton>("cmd中止"), Qt::LeftButton);
    });
    BoxAnswerer answerer({QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok});
    QTest::mouseClick(find<QPushButton>("cmd実行"), Qt::LeftButton);

    EXPECT_TRUE(pressedWhileRunning);
    EXPECT_EQ(answerer.texts, (std::vector<std::string>{"同期データの分析を始めます。よろしいですか？",
                                                        "中止してよろしいですか？", "処理を中断しました。"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_LT(find<QLineEdit>("txtInterval")->text().toInt(), 2000);
}

} // namespace
} // namespace morvelan::testing
