#pragma once
// The frame table ("フレーム表示"): the run's capture cut into frames by the
// frame synchroniser, from the candidate it was opened on, one row a frame
// with its words in hex. The word size is chosen freely; a combo lists every
// segment the synchroniser found and scrolls to the one chosen. The
// selection copies as tab-separated text, the whole table saves as CSV.
// It fits the screen at any text scale; Escape closes it.
#include "analysis/frame_sync.h"
#include "engine/bit_buffer.h"
#include "engine/parameters.h"
#include "ui/frame_table_model.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace morvelan {

class QtToolkit;
class Session;
class Toolkit;

inline constexpr std::string_view kMsgFramesCsvTooLarge =
    "表が大きすぎて CSV に保存できません。語のビット数を大きくしてから保存してください。";
std::string messageCannotWriteFramesCsv(const std::string& path);

// What a table reads: its own copy of the run's capture (a later run in the
// main window leaves an open table as it is), the run's parameters and the
// format to lock on first.
struct FrameTableSource {
    std::shared_ptr<const Session> capture;
    AnalysisParameters params;
    FrameFormat start;
    std::int64_t maxFrames = kFrameTableMaxFrames;
    std::int64_t maxBytes = kFrameTableMaxBytes;
};

// A copy of what a later pass over the session's capture reads: the run
// state (the Bit buffer among it) and the input's names and identity.
std::shared_ptr<const Session> snapshotCapture(const Session& session);
// `width` bits from bit `offset` (0-based, cell offset + 1) as "0"/"1".
std::string capturedWord(const BitBuffer& bits, std::int64_t offset, int width);

class FrameTableWindow : public QWidget {
    Q_OBJECT

public:
    // Runs the synchroniser over the capture at once. Message boxes and the
    // save dialog go through `toolkit`; without one the window uses a Qt
    // toolkit of its own.
    explicit FrameTableWindow(FrameTableSource source, Toolkit* toolkit = nullptr, QWidget* parent = nullptr);
    ~FrameTableWindow() override;
    FrameTableWindow(const FrameTableWindow&) = delete;
    FrameTableWindow& operator=(const FrameTableWindow&) = delete;

    FrameTableModel* model() const { return model_; }
    QTableView* table() const { return table_; }
    // Empty when the pass over the capture went well, else why not.
    const QString& problem() const { return problem_; }

    // Puts the selected cells on the clipboard as tab-separated lines.
    void copySelection();
    // Asks for a file and writes the whole table as CSV.
    void exportCsv();
    // Scrolls to the first kept frame of segment `index` and selects it.
    void showSegment(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layOutControls();
    void connectControls();
    void fitToScreen();
    void extract();
    void fillSegments();
    void showInfo();
    void updateTitle();

    FrameTableSource source_;
    std::unique_ptr<QtToolkit> ownToolkit_;
    Toolkit* toolkit_ = nullptr;
    QString problem_;

    FrameTableModel* model_ = nullptr;
    QComboBox* segments_ = nullptr;
    QSpinBox* wordBits_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* csv_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* info_ = nullptr;
};

// Opens a table of its own (a separate top-level window, deleted when
// closed) locked first on `interval` and `sync` ("0"/"1").
FrameTableWindow* openFrameTableWindow(QWidget* parent, std::shared_ptr<const Session> capture,
                                       const AnalysisParameters& params, std::int64_t interval,
                                       const std::string& sync, Toolkit* toolkit = nullptr);

} // namespace morvelan
