// How the window takes its input: the format combo and its label, the
// dialog's entry, the ranges of the interval checks, a dropped file, the
// title and the folder the dialog starts in after a restart.
#include "generated_capture.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace morvelan::testing {
namespace {

class InputChoiceTest : public WindowTest {
protected:
    QComboBox* combo() const { return find<QComboBox>("cmbInputFormat"); }
    QString formatLabel() const { return find<QLabel>("lblInputFormat")->text(); }
    void choose(const char* format) { combo()->setCurrentIndex(combo()->findText(QString::fromUtf8(format))); }
};

struct DetectCase {
    const char* name;
    std::string bytes;
    const char* label;
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class AutoFormatLabel : public InputChoiceTest, public ::testing::WithParamInterface<DetectCase> {};

// In auto the label shows what the file's first bytes say, and the field
// checks hold the ranges of that format; a format chosen by hand wins.
TEST_P(AutoFormatLabel, ShowsTheDetectedFormatAndItsRanges)
{
    openWindow();
    EXPECT_EQ(combo()->currentText(), "自動");
    EXPECT_EQ(formatLabel(), "");
    browse(dir.write(std::string(GetParam().name) + ".dat", GetParam().bytes));
    EXPECT_EQ(formatLabel().toStdString(), GetParam().label);
    const bool classic = formatLabel().contains("tdm");
    EXPECT_EQ(field("txtStartSyncInterval")->toolTip().contains(classic ? "100～2000" : "16～65536"), true);
    typeAndLeave("txtStartSyncInterval", "20");
    EXPECT_EQ(toolkit.messages.size(), classic ? 1u : 0u);

    choose("hex");
    EXPECT_EQ(formatLabel(), "入力形式：hex");
    EXPECT_TRUE(field("txtStartSyncInterval")->toolTip().contains("16～65536"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, AutoFormatLabel,
    ::testing::Values(DetectCase{"u8", std::string("\x01\x00\x01\x01", 4), "入力形式：u8（自動判別）"},
                      DetectCase{"bin", std::string("\x07\x00\xff\x42", 4), "入力形式：bin（自動判別）"},
                      DetectCase{"ch10", std::string("\x25\xeb\x00\x00", 4), "入力形式：ch10（自動判別）"},
                      DetectCase{"tdm", "; TDM capture\r\n0123\r\n", "入力形式：tdm（自動判別）"}),
    [](const ::testing::TestParamInfo<DetectCase>& info) { return std::string(info.param.name); });

TEST_F(InputChoiceTest, DialogOpensOnTheChosenFormatAndItsEntrySetsTheCombo)
{
    openWindow();
    choose("bits");
    toolkit.fileChoices.push_back(dir.write("in.txt", "0101"));
    toolkit.formatChoices.push_back(InputFormat::Hex);
    click("cmd入力ファイル");
    EXPECT_EQ(toolkit.formatsOpenedOn, std::vector{InputFormat::Bits});
    EXPECT_EQ(combo()->currentText(), "hex");
    EXPECT_EQ(formatLabel(), "入力形式：hex");
    toolkit.fileChoices.push_back(std::nullopt); // cancelled: the entry changes nothing
    toolkit.formatChoices.push_back(InputFormat::U8);
    click("cmd入力ファイル");
    EXPECT_EQ(combo()->currentText(), "hex");
}

// The run reads the chosen format, and the label shows what the run chose.
TEST_F(InputChoiceTest, RunReadsTheChosenFormat)
{
    openWindow({{"START_SYNC_INTERVAL", "120"}, {"END_SYNC_INTERVAL", "130"}, {"ALLOW_ERR_BITS", "0"},
                {"THRESHOLD", "20"}});
    // The generated capture's data lines (between its header and "; end"), one byte a bit.
    const std::string capture = makeCapture({});
    const std::size_t from = capture.find('\n') + 1;
    std::string u8;
    for (const char digit : capture.substr(from, capture.rfind(';') - from)) {
        if (!std::isxdigit(static_cast<unsigned char>(digit))) continue;
        const int v = std::stoi(std::string(1, digit), nullptr, 16);
        for (int b = 3; b >= 0; --b) u8 += static_cast<char>((v >> b) & 1);
    }
    toolkit.onBusy = [this] { EXPECT_FALSE(combo()->isEnabled()); };
    runOn(dir.write("in.u8", u8));
    EXPECT_EQ(session->options.inputFormat, InputFormat::Auto);
    EXPECT_EQ(session->input.format, InputFormat::U8);
    EXPECT_EQ(formatLabel(), "入力形式：u8（自動判別）");
    EXPECT_EQ(resultLines(), std::vector<QString>{"  128   10 10110101110000100111(B5C27)    21 "});
    EXPECT_TRUE(combo()->isEnabled());
}

TEST_F(InputChoiceTest, DroppedFileIsTheInputAndNamesTheWindow)
{
    openWindow();
    const std::string path = dir.write("dropped.u8", std::string("\x01\x00", 2));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(text("txt入力ファイル").toStdString(), path);
    EXPECT_EQ(text("txt出力ファイル").toStdString(), dir.file("Rdropped.u8"));
    EXPECT_EQ(window->windowTitle(), "dropped.u8 - Morvelan");
    EXPECT_EQ(formatLabel(), "入力形式：u8（自動判別）");

    QMimeData two; // two files, or a folder, are no input
    two.setUrls({QUrl::fromLocalFile(QString::fromStdString(path)), QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enterTwo(QPoint(10, 10), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enterTwo);
    EXPECT_FALSE(enterTwo.isAccepted());
}

TEST_F(InputChoiceTest, DialogStartsInTheLastFolderAfterARestart)
{
    openWindow();
    std::filesystem::create_directory(dir.path() / "captures");
    browse(dir.write("captures/in.txt", "; TDM\r\n"));
    window.reset();
    openWindow();
    EXPECT_EQ(text("txt入力ファイル"), "");
    toolkit.fileChoices.push_back(std::nullopt);
    click("cmd入力ファイル");
    EXPECT_EQ(toolkit.fileDialogStarts.back(), (dir.path() / "captures").string() + "/");
}

} // namespace
} // namespace morvelan::testing
