// Shoots the frame table after a run, for the documentation:
//   morvelan_frames_screenshot INPUT OUTPUT.png
// Runs INPUT with the reset values, opens the table on the top group of the
// summary (its interval and sync word) and saves the window as it is drawn.
#include "analysis/summary.h"
#include "engine/candidate_record.h"
#include "engine/reported_candidate.h"
#include "engine/run_view.h"
#include "files/parameter_table.h"
#include "files/run_analysis.h"
#include "files/session.h"
#include "ui/frame_table_window.h"
#include "screenshot_session.h"
#include "unattended_toolkit.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

// Keeps the run's candidates as the window keeps them.
class RecordingView : public morvelan::RunView {
public:
    morvelan::CandidateRecords records;
    void candidateReported(const morvelan::CandidateRecord& record) override { records.push_back(record); }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir work;
    auto session = screenshotSession(argv[1], work);
    UnattendedToolkit toolkit;
    RecordingView view;
    if (!morvelan::RunAnalysis(*session, toolkit, view)) return 1;
    const std::vector<morvelan::SummaryGroup> groups =
        morvelan::summariseCandidates(view.records, session->bits, session->params, session->decodedBits);
    if (groups.empty()) {
        std::fprintf(stderr, "no candidate to open the table on\n");
        return 1;
    }
    morvelan::FrameTableSource source;
    source.capture = morvelan::snapshotCapture(*session);
    source.params = session->params;
    source.start = morvelan::FrameFormat{groups.front().interval, groups.front().syncBits};
    morvelan::FrameTableWindow window(std::move(source), &toolkit);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    QTest::qWait(200);
    return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
