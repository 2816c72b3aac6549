#pragma once
// The raster viewer: the stream folded at a candidate's interval, so the
// sync word stands as a straight band, with the interval and offset to nudge
// bit by bit, the zoom, a PNG export and the ranked summary of the run's
// reported candidates beside it: each group's interval, sync offset, sync
// word (named when it is a published one), polarity and fixed region.
// Clicking a group, and opening the viewer, shows the group at its sync
// offset. The frame table opens on the candidate on show. It fits the
// screen at any text scale; Escape closes it.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"
#include "engine/candidate_record.h"
#include "analysis/summary.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace morvelan {

class QtToolkit;
class RasterView;
class Session;
class Toolkit;

inline constexpr std::string_view kMsgRasterTooLargeToSave =
    "ラスター画像が大きすぎて保存できません。縮小してから保存してください。";

// What a viewer folds: its own copy of the run's Bit buffer, parameters and
// reported candidates, so a later run in the main window leaves an open
// viewer as it is.
struct RasterSource {
    // The capture as the frame table reads it; `bits` is its Bit buffer.
    std::shared_ptr<const Session> capture;
    std::shared_ptr<const BitBuffer> bits;
    AnalysisParameters params;
    std::int32_t decodedBits = 0;
    bool skipExclusions = false;
    CandidateRecords results;
    std::string inputPath; // the export proposes the input's folder
};

RasterSource makeRasterSource(const Session& session, const AnalysisParameters& params, CandidateRecords results);

class RasterWindow : public QWidget {
    Q_OBJECT

public:
    // Message boxes and the save dialog go through `toolkit`; without one the
    // window uses a Qt toolkit of its own.
    explicit RasterWindow(RasterSource source, Toolkit* toolkit = nullptr, QWidget* parent = nullptr);
    ~RasterWindow() override;
    RasterWindow(const RasterWindow&) = delete;
    RasterWindow& operator=(const RasterWindow&) = delete;

    // Folds at (interval, offset) and shows both in the fields.
    void showCandidate(std::int64_t interval, std::int64_t offset);
    std::int64_t interval() const;
    std::int64_t offset() const;
    const std::vector<SummaryGroup>& summary() const { return summary_; }
    RasterView* view() const { return view_; }

    // The export command: asks for a file and writes the whole picture at
    // the current zoom as PNG.
    void exportPng();
    // Opens the frame table on the interval and the word at the offset on
    // show (the group's word, in its normal polarity, at a group's offset).
    void openFrameTable();

private:
    void buildControls();
    // Starts no larger than the screen's room.
    void fitToScreen();
    // The controls in rows: the fold and zoom, the picture beside the list, the status.
    void layOutControls();
    void connectControls();
    void fillSummary();
    void redraw();
    void showGroup(int row);
    void showHover(qint64 row, qint64 column, qint64 position);
    void showInfo();
    void updateTitle();

    RasterSource source_;
    std::unique_ptr<QtToolkit> ownToolkit_;
    Toolkit* toolkit_ = nullptr;
    std::vector<SummaryGroup> summary_;

    QSpinBox* interval_ = nullptr;
    QSpinBox* offset_ = nullptr;
    QPushButton* intervalDown_ = nullptr;
    QPushButton* intervalUp_ = nullptr;
    QPushButton* offsetDown_ = nullptr;
    QPushButton* offsetUp_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QLabel* zoom_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* frameTable_ = nullptr;
    RasterView* view_ = nullptr;
    QListWidget* summaryList_ = nullptr;
    QLabel* info_ = nullptr;
    QLabel* hover_ = nullptr;
};

// The one call the main window needs: opens a viewer of its own (a separate
// top-level window, deleted when closed) on a copy of the session's data.
// Message boxes and the save dialog go through `toolkit` when one is given.
RasterWindow* openRasterWindow(QWidget* parent, const Session& session, const AnalysisParameters& params,
                               std::int64_t interval, std::int64_t offset,
                               const CandidateRecords& results, Toolkit* toolkit = nullptr);

} // namespace morvelan
