// The raster viewer driven through its widgets: the fields and nudge
// buttons, the summary list, the zoom, what the view paints, the PNG export
// through the toolkit, and the entry point the main window calls.
#include "files/parameter_table.h"
#include "analysis/raster.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/result_rows.h"
#include "files/session.h"
#include "support/collecting_view.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"
#include "ui/raster_view.h"
#include "ui/raster_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

const std::string kSyncWord = "10110101110000100111";

QColor qColour(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

class RasterWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit toolkit;
    CandidateRecords results;
    std::unique_ptr<RasterWindow> window;

    // A 20000-bit capture of 512-bit frames with the word at cell 37, and the
    // candidates a search over intervals 500 to 530 reports on it.
    RasterWindowTest()
    {
        std::mt19937 rng(7);
        for (std::int64_t p = 1; p <= 20000; ++p) session->bits.set(p, rng() & 1);
        for (std::int64_t at = 37; at + 19 <= 20000; at += 512)
            for (std::size_t j = 0; j < kSyncWord.size(); ++j)
                session->bits.set(at + static_cast<std::int64_t>(j), kSyncWord[j] == '1');
        session->decodedBits = 20000;
        ResetParameters(session->params);
        session->params.START_SYNC_INTERVAL = 500;
        session->params.END_SYNC_INTERVAL = 530;
        CollectingView collector(session->bits, session->params);
        EXPECT_TRUE(session->files.result.open(dir.file("R.txt")));
        EXPECT_TRUE(SearchIntoResultFile(*session, session->params, toolkit, collector));
        session->files.result.close();
        for (const ReportedCandidate& c : collector.results)
            results.push_back({static_cast<std::int32_t>(c.interval), static_cast<std::int32_t>(c.index), c.count});
    }

    void open()
    {
        window = std::make_unique<RasterWindow>(makeRasterSource(*session, session->params, results), &toolkit);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <class W>
    W* find(const char* name) const
    {
        W* w = window->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    QString title() const { return window->windowTitle(); }
};

TEST_F(RasterWindowTest, OpensOnTheTopGroupWithItsFigures)
{
    open();
    ASSERT_FALSE(window->summary().empty());
    EXPECT_EQ(find<QSpinBox>("txtRasterInterval")->value(), 512);
    EXPECT_EQ(find<QSpinBox>("txtRasterOffset")->value(), 36);
    EXPECT_EQ(title(), QStringLiteral("ラスター表示　インターバル 512　オフセット 36　10110101110000100111(B5C27)　回数 21"
                                      "　同期語 B5C27　極性 正常　固定 36+20"));
    auto* list = find<QListWidget>("lstRasterSummary");
    ASSERT_EQ(list->count(), static_cast<int>(window->summary().size()));
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("1. 512/36 B5C27 回数21 "))) << list->item(0)->text().toStdString();
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(find<QLabel>("lblRasterZoom")->text(), QStringLiteral("3 px/ビット"));
    for (const char* name : {"cmdRasterIntervalDown", "cmdRasterIntervalUp", "cmdRasterOffsetDown", "cmdRasterOffsetUp",
                             "cmdRasterZoomOut", "cmdRasterZoomIn", "cmdRasterExport"})
        EXPECT_NE(find<QPushButton>(name), nullptr);
    EXPECT_NE(find<RasterView>("viewRaster"), nullptr);
    EXPECT_NE(find<QLabel>("lblRasterInfo"), nullptr);
}

TEST_F(RasterWindowTest, NudgeButtonsRefoldAtOnce)
{
    open();
    click("cmdRasterIntervalUp");
    EXPECT_EQ(window->interval(), 513);
    EXPECT_EQ(window->view()->raster()->interval(), 513);
    EXPECT_TRUE(title().startsWith(QStringLiteral("ラスター表示　インターバル 513　オフセット 36　")));
    EXPECT_EQ(find<QListWidget>("lstRasterSummary")->currentRow(), -1); // no group's best member on show
    click("cmdRasterIntervalDown");
    click("cmdRasterIntervalDown");
    EXPECT_EQ(window->interval(), 511);
    click("cmdRasterIntervalUp");
    click("cmdRasterOffsetUp");
    EXPECT_EQ(window->offset(), 37);
    EXPECT_EQ(window->view()->raster()->referencePattern(), kSyncWord.substr(1) + "0");
    click("cmdRasterOffsetDown");
    click("cmdRasterOffsetDown");
    EXPECT_EQ(window->offset(), 35);
    EXPECT_TRUE(title().contains(QStringLiteral("オフセット 35　")));
}

TEST_F(RasterWindowTest, ClickingAGroupShowsItsBestMember)
{
    results.push_back({700, 5, 11});
    open();
    auto* list = find<QListWidget>("lstRasterSummary");
    ASSERT_GE(list->count(), 2);
    const SummaryGroup& last = window->summary().back();
    EXPECT_EQ(last.interval, 700);
    QListWidgetItem* item = list->item(list->count() - 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    EXPECT_EQ(window->interval(), 700);
    EXPECT_EQ(window->offset(), 5);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(window->interval(), 512);
    EXPECT_EQ(window->offset(), 36);
    // Clicking the group on show again after a nudge goes back to it.
    click("cmdRasterOffsetUp");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(window->offset(), 36);
}

TEST_F(RasterWindowTest, ViewPaintsTheStraightBand)
{
    open();
    RasterView* view = window->view();
    const Raster* raster = view->raster();
    const QImage shown = view->viewport()->grab().toImage();
    const int rows = std::min<int>(static_cast<int>(raster->rows().size()) - 1,
                                   (shown.height() - kRasterLine) / raster->cellSize() - 1);
    ASSERT_GT(rows, 20);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 20; ++c) {
            const QColor expected =
                qColour(kSyncWord[static_cast<std::size_t>(c)] == '1' ? raster_colour::kOne : raster_colour::kZero);
            ASSERT_EQ(shown.pixelColor(raster->columnX(c) + 1, raster->rowY(r) + 1), expected) << r << "/" << c;
        }
    }
    // Scrolled down, the view shows the rows further on, still the band.
    view->verticalScrollBar()->setValue(30);
    const QImage scrolled = view->viewport()->grab().toImage();
    EXPECT_EQ(scrolled.pixelColor(raster->columnX(0) + 1, raster->rowY(20) - 30 + 1), qColour(raster_colour::kOne));
}

TEST_F(RasterWindowTest, ExportWritesThePictureOnShow)
{
    open();
    click("cmdRasterZoomIn");
    const std::string path = dir.file("band.png");
    toolkit.saveChoices.push_back(path);
    click("cmdRasterExport");
    EXPECT_EQ(toolkit.saveDialogStarts, std::vector<std::string>{"raster-512-36.png"});
    EXPECT_TRUE(toolkit.messages.empty());
    QImage saved;
    ASSERT_TRUE(saved.load(QString::fromStdString(path)));
    const RasterImage expected = window->view()->raster()->render();
    ASSERT_EQ(saved.width(), expected.width);
    ASSERT_EQ(saved.height(), expected.height);
    for (int y = 0; y < expected.height; y += 7)
        for (int x = 0; x < expected.width; x += 5)
            ASSERT_EQ(saved.pixelColor(x, y), qColour(expected.pixel(x, y))) << x << "," << y;
}

TEST_F(RasterWindowTest, ExportFailuresAreReported)
{
    open();
    const std::string path = dir.file("missing/band.png");
    toolkit.saveChoices.push_back(path);
    click("cmdRasterExport");
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0], (RecordedMessage{"ラスター画像を書き込めません：" + path, "", Buttons::Ok}));

    // A whole picture past the pixel bound: one bit a row at the largest zoom.
    session->decodedBits = 200000;
    window = std::make_unique<RasterWindow>(makeRasterSource(*session, session->params, results), &toolkit);
    window->show();
    window->showCandidate(1, 0);
    window->view()->setCellSize(kMaxRasterCellSize);
    toolkit.saveChoices.push_back(dir.file("huge.png"));
    click("cmdRasterExport");
    ASSERT_EQ(toolkit.messages.size(), 2u);
    EXPECT_EQ(toolkit.messages[1], (RecordedMessage{std::string(kMsgRasterTooLargeToSave), "", Buttons::Ok}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("huge.png")));
}

TEST_F(RasterWindowTest, EntryPointOpensAWindowOfItsOwnOnACopy)
{
    QWidget parent;
    RasterWindow* opened = openRasterWindow(&parent, *session, session->params, 512, 37, results);
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isWindow());
    EXPECT_TRUE(opened->isVisible());
    EXPECT_TRUE(opened->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(opened->interval(), 512);
    EXPECT_EQ(opened->offset(), 37);
    // A later run that changes the session leaves the open window as it was.
    for (std::int64_t p = 1; p <= 20000; ++p) session->bits.set(p, 0);
    opened->showCandidate(512, 36);
    EXPECT_EQ(opened->view()->raster()->referencePattern(), kSyncWord);
    QPointer<RasterWindow> guard(opened);
    opened->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(RasterWindowTest, StatusLineUsesOneJapaneseFace)
{
    open();
    // Left to font fallback, the digits after katakana came from another
    // face and stood smaller and higher.
    for (const char* name : {"lblRasterInfo", "lblRasterHover"}) {
        const QString family = QFontInfo(find<QLabel>(name)->font()).family();
        EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) << family.toStdString();
    }
    QTest::mouseMove(window->view()->viewport(), QPoint(40, 40));
    EXPECT_TRUE(find<QLabel>("lblRasterHover")->text().startsWith(QStringLiteral("フレーム ")));
}

} // namespace

namespace {

// At the text scale of the run (QT_FONT_DPI), the viewer starts inside the
// screen with every control in the window, none squeezed below its need, and
// its list's lines whole (wrapped, and each whole in its tip).
TEST_F(RasterWindowTest, FitsTheScreenWithEveryControlReachable)
{
    open();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_LE(window->frameGeometry().width(), screen.width());
    EXPECT_LE(window->frameGeometry().height(), screen.height());
    EXPECT_LE(window->minimumSizeHint().width(), screen.width());
    EXPECT_LE(window->minimumSizeHint().height(), screen.height());
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        const QRect place(w->mapTo(window.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(window->rect().contains(place)) << w->objectName().toStdString();
        // A control capped narrower than its style's hint (the nudge buttons) keeps its cap.
        EXPECT_GE(w->width(), std::min(w->minimumSizeHint().width(), w->maximumWidth())) << w->objectName().toStdString();
    }
    auto* list = find<QListWidget>("lstRasterSummary");
    ASSERT_GT(list->count(), 0);
    for (int i = 0; i < list->count(); ++i) {
        EXPECT_LE(list->visualItemRect(list->item(i)).right(), list->viewport()->width()) << i;
        EXPECT_TRUE(list->item(i)->toolTip().startsWith(list->item(i)->text())) << i;
    }
}

TEST_F(RasterWindowTest, EscapeClosesTheViewer)
{
    open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

// A long capture fills the Bit buffer past the classic 300100 cells: every
// offset into it can be shown.
TEST_F(RasterWindowTest, OffsetsReachOverALongBitBuffer)
{
    session->bits.resize(2'000'000);
    ASSERT_GT(session->bits.last(), 1'000'000);
    session->decodedBits = 2'000'000;
    open();
    window->showCandidate(512, 1'999'000);
    EXPECT_EQ(window->offset(), 1'999'000);
    window->showCandidate(512, -1'999'000);
    EXPECT_EQ(window->offset(), -1'999'000);
}

} // namespace
