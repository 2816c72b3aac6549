// The window with the real Qt toolkit and its modal boxes; CTest runs this
// once more under Xvfb at 150 % text scale.
#include "ui/qt_toolkit.h"
#include "window_fixture.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace morvelan::testing {
namespace {

// Answers each new message box with OK as it comes up and records its text.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == last_) return;
            last_ = box;
            texts.push_back(box->text().toStdString());
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start(2);
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
    QPointer<QMessageBox> last_;
};

class RealWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    QtToolkit toolkit;
    std::unique_ptr<MainWindow> window;

    void open(const std::map<std::string, std::string>& changes = {})
    {
        dir.write("Morvelan.ini", settingsText(changes));
        window = std::make_unique<MainWindow>(*session, toolkit, dir.file("Morvelan.ini"));
        toolkit.setParentWindow(window.get());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    template <class W>
    W* find(const char* name) const { return window->findChild<W*>(QString::fromUtf8(name)); }
    void run(const std::string& input)
    {
        find<QLineEdit>("txt入力ファイル")->setText(QString::fromStdString(input));
        QTest::mouseClick(find<QPushButton>("cmd実行"), Qt::LeftButton);
    }
};

// The flood: one bad digit per line is one conversion message per line; the
// window shows each distinct one once.
TEST_F(RealWindowTest, BrokenInputShowsEachMessageOnce)
{
    open();
    std::string broken = "; TDM broken\r\n";
    for (int i = 0; i < 2000; ++i) broken += std::string(79, '0') + "G\r\n";
    BoxAnswerer answerer;
    run(dir.write("broken.txt", broken + "; end\r\n"));
    EXPECT_EQ(answerer.texts,
              (std::vector<std::string>{"同期データの分析を始めます。よろしいですか？", "Error in hexconv(G)",
                                        "処理を終了しました。"}));

}

} // namespace
} // namespace morvelan::testing
