// The raster viewer's status line.
#include "engine/session.h"
#include "support/scripted_toolkit.h"
#include "ui/raster_view.h"
#include "ui/raster_window.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace morvelan::testing {
namespace {

const std::string kSyncWord = "10110101110000100111";

// A 20000-bit capture of 512-bit frames with the word at cell 37, folded there.
class RasterWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit toolkit;
    std::unique_ptr<RasterWindow> window;

    void SetUp() override
    {
        std::mt19937 rng(7);
        for (std::int64_t p = 1; p <= 20000; ++p) session->bits.set(p, rng() & 1);
        for (std::int64_t at = 37; at + 19 <= 20000; at += 512)
            for (std::size_t j = 0; j < kSyncWord.size(); ++j)
                session->bits.set(at + static_cast<std::int64_t>(j), kSyncWord[j] == '1');
        session->decodedBits = 20000;
        ResetParameters(session->params);
        window = std::make_unique<RasterWindow>(makeRasterSource(*session, session->params, {}), &toolkit);
        window->showCandidate(512, 36);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QLabel* label(const char* name) const { return window->findChild<QLabel*>(QString::fromUtf8(name)); }
};

TEST_F(RasterWindowTest, StatusLineUsesOneJapaneseFace)
{
    // Left to font fallback, the digits after katakana came from another
    // face and stood smaller and higher.
    for (const char* name : {"lblRasterInfo", "lblRasterHover"}) {
        const QString family = QFontInfo(label(name)->font()).family();
        EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) << family.toStdString();
    }
    QTest::mouseMove(window->view()->viewport(), QPoint(40, 40));
    EXPECT_TRUE(label("lblRasterHover")->text().startsWith(QStringLiteral("フレーム "))) << label("lblRasterHover")->text().toStdString();
}

} // namespace
} // namespace morvelan::testing
