// Shoots the raster viewer after a run, for the documentation:
//   morvelan_raster_screenshot INPUT OUTPUT.png [INTERVAL OFFSET]
// Runs INPUT with the reset values, opens the viewer on the top group of the
// summary (or on INTERVAL/OFFSET) and saves the window as it is drawn.
#include "common/toolkit.h"
#include "screenshot_session.h"
#include "unattended_toolkit.h"
#include "files/parameter_table.h"
#include "engine/candidate_record.h"
#include "engine/reported_candidate.h"
#include "engine/run_view.h"
#include "files/session.h"
#include "files/run_analysis.h"
#include "ui/raster_view.h"
#include "ui/raster_window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Keeps every reported candidate in full, for the viewer's side list.
class CollectingView : public morvelan::RunView {
public:
    CollectingView(const morvelan::BitBuffer& bits, const morvelan::AnalysisParameters& params)
        : bits_(bits), params_(params)
    {
    }
    std::vector<morvelan::ReportedCandidate> results;
    void candidateReported(const morvelan::CandidateRecord& record) override
    {
        results.push_back(morvelan::expandCandidate(bits_, params_, record));
    }

private:
    const morvelan::BitBuffer& bits_;
    const morvelan::AnalysisParameters& params_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT.png [INTERVAL OFFSET]\n", argv[0]);
        return 2;
    }
    QTemporaryDir work;
    auto session = screenshotSession(argv[1], work);
    UnattendedToolkit toolkit;
    CollectingView collector(session->bits, session->params);
    if (!morvelan::RunAnalysis(*session, toolkit, collector)) return 1;

    morvelan::CandidateRecords records;
    for (const morvelan::ReportedCandidate& c : collector.results)
        records.push_back({static_cast<std::int32_t>(c.interval), static_cast<std::int32_t>(c.index), c.count});
    morvelan::RasterWindow window(morvelan::makeRasterSource(*session, session->params, records), &toolkit);
    if (argc == 5) window.showCandidate(std::atoll(argv[3]), std::atoll(argv[4]));
    window.resize(1100, 640);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    // The status line as it reads with the pointer over a cell.
    if (auto* view = window.view()) QTest::mouseMove(view->viewport(), QPoint(40, 40));
    QTest::qWait(200);
    return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
