#pragma once
// The frame table's data: the frames the synchroniser cut, kept packed (one
// bit a bit) up to a cap, and shown one row a frame: its number, first bit,
// lock state, sync errors and slip, then its words in hex at the chosen word
// size. The word statistics of the kept frames mark the sync, constant and
// counter columns; the counter's period groups the rows into major frames.
// A new word size re-reads the kept bits; nothing runs again.
#include "analysis/frame_sync.h"
#include "analysis/frame_words.h"
#include "files/frame_output.h"

#include <QAbstractTableModel>
#include <QModelIndexList>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvelan {

// How many frames a table keeps at most, and how many bytes of their bits:
// a long capture shows its first frames, in bounded memory.
inline constexpr std::int64_t kFrameTableMaxFrames = 200'000;
inline constexpr std::int64_t kFrameTableMaxBytes = std::int64_t{32} << 20;

// The extraction's sink: keeps each frame's bits packed, most significant
// bit first, until either cap is reached; counts the frames it left out.
class FrameStore final : public FrameOutput {
public:
    struct Kept {
        SyncedFrame frame;
        std::int64_t bits = 0;       // its length
        std::uint64_t byteOffset = 0; // where its packed bits start
    };

    explicit FrameStore(std::int64_t maxFrames = kFrameTableMaxFrames, std::int64_t maxBytes = kFrameTableMaxBytes);

    void frame(const SyncedFrame& frame, std::span<const std::uint8_t> bits) override;
    void segment(const SyncSegment&) override {}
    bool finish(const std::vector<WordStatistic>&, const std::optional<MajorFrame>&) override { return true; }

    const std::vector<Kept>& frames() const { return kept_; }
    std::int64_t leftOut() const { return leftOut_; }
    // Word `word` of kept frame `index` at `wordBits` bits, a last partial
    // word padded with zero bits (as frameWord reads unpacked bits).
    std::uint64_t word(std::size_t index, std::int64_t word, int wordBits) const;
    // The frame's bits unpacked, 0/1 one per byte.
    void unpack(std::size_t index, std::vector<std::uint8_t>& out) const;

private:
    std::int64_t maxFrames_;
    std::int64_t maxBytes_;
    std::vector<Kept> kept_;
    std::vector<std::uint8_t> packed_;
    std::int64_t leftOut_ = 0;
};

class FrameTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The columns before the words.
    enum Column { kNumber, kBit, kState, kErrors, kSlip, kFirstWord };

    explicit FrameTableModel(QObject* parent = nullptr);

    // Takes the extraction's frames and segments and reads them at `wordBits`.
    void setFrames(FrameStore store, std::vector<SyncSegment> segments, int wordBits);
    // Reads the kept frames' words again at `wordBits` (1 .. 64).
    void setWordBits(int wordBits);
    int wordBits() const { return wordBits_; }

    const FrameStore& store() const { return store_; }
    const std::vector<SyncSegment>& segments() const { return segments_; }
    const std::vector<WordStatistic>& words() const { return words_; }
    const std::optional<MajorFrame>& majorFrame() const { return major_; }
    // The kind of a word column (Other for the frame's own columns).
    WordKind columnKind(int column) const;
    // The major frame a row lies in, counted from the segment's phase;
    // none when the rows are not grouped.
    std::optional<std::int64_t> majorFrameOfRow(int row) const;
    // The first kept row of segment `segment`; none when none was kept.
    std::optional<int> firstRowOfSegment(int segment) const;

    // The text of the cells the indexes cover: their rows and columns from
    // the first to the last, tab-separated, one line a row.
    QString copyText(const QModelIndexList& indexes) const;
    // Every row, the header line first, as comma-separated UTF-8 lines.
    std::string csvText() const;
    // About how many bytes csvText gives, before it is built.
    std::int64_t csvSizeEstimate() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString cellText(int row, int column) const;
    QString headerText(int column) const;
    QVariant background(int row, int column) const;
    // The statistics and the major frames' phases of the kept frames.
    void readWords();
    void findMajorPhases();

    FrameStore store_;
    std::vector<SyncSegment> segments_;
    int wordBits_ = 8;
    std::int64_t wordColumns_ = 0;
    std::vector<WordStatistic> words_;
    std::optional<MajorFrame> major_;
    // For each segment: the frame number that starts a major frame there.
    std::vector<std::optional<std::int64_t>> majorPhase_;
};

} // namespace morvelan
