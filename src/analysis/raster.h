#pragma once
// The stream folded at a candidate's interval: one row per frame, one cell
// per bit, so a sync word that recurs at that interval stands as a straight
// vertical band. Rows start at Bit buffer position
// IGNORE_START_BITS + 1 + offset + (row) * interval, i.e. row r is frame r + 1
// of the candidate (interval, offset), and its first SYNC_BIT_SIZE columns are
// the frame pattern the search compares; they are outlined.
//
// Picture, left to right: a margin mark per row, a gap, the outline's left
// line, the band columns, the outline's right line, the other columns. Top to
// bottom: the outline's top line, the rows, the outline's bottom line. Each
// bit is a square of cellSize pixels: ones dark, zeros light, positions that
// hold no decoded bit in a third colour.
//
// The margin mark tells what the search makes of the row's frame:
// the reference (row 1), a match with it, left out by an exclusion pattern
// (tested first, unless exclusions are switched off), or no match. Rows past
// the FRAME_ROUNDS + 1 frames the search compares carry paler marks.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace morvelan {

inline constexpr int kDefaultRasterCellSize = 3;
inline constexpr int kMinRasterCellSize = 1;
inline constexpr int kMaxRasterCellSize = 32;
// A whole picture above this many pixels is not made in one piece.
inline constexpr std::int64_t kMaxRasterPixels = std::int64_t{1} << 26;
// The most rows a raster holds: at interval 1, every row from the lowest
// offset a request may give (two buffers before cell 1) to the buffer's end.
// Only a first bit far outside the buffer (IGNORE_START_BITS from a settings
// file) asks for more, up to billions of rows; the raster then holds the
// first kMaxRasterRows of them.
inline constexpr std::int64_t kMaxRasterRows = std::int64_t{3} * kBitBufferCells;

// The farthest offset a raster request may give, either way: twice the
// buffer, and never less than twice the classic one.
inline std::int64_t rasterFarthestOffset(const BitBuffer& bits)
{
    return 2 * std::max<std::int64_t>(kBitBufferCells, bits.last() + 1);
}

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

namespace raster_colour {
inline constexpr Rgb kOne{32, 32, 32};
inline constexpr Rgb kZero{236, 236, 236};
inline constexpr Rgb kNoData{176, 190, 214};
inline constexpr Rgb kBackground{255, 255, 255};
inline constexpr Rgb kOutline{0, 120, 215};
inline constexpr Rgb kReference{120, 60, 200};
inline constexpr Rgb kMatch{30, 160, 60};
inline constexpr Rgb kExcluded{240, 150, 0};
inline constexpr Rgb kNoMatch{215, 40, 40};
// A mark of a row the search does not compare: halfway to the background.
Rgb paler(Rgb c);
} // namespace raster_colour

inline constexpr int kRasterMarkWidth = 8;
inline constexpr int kRasterGap = 4;
inline constexpr int kRasterLine = 2;

enum class RowMark { Reference, Match, Excluded, NoMatch };

struct RasterRequest {
    std::int64_t interval = 0; // bits per row, 1 .. kBitBufferCells
    std::int64_t offset = 0;   // the candidate's index; may be nudged below 0
    int cellSize = kDefaultRasterCellSize;
    // Cells 1 .. decodedBits hold decoded bits; the rows cover them all.
    // 0 means unknown: every cell counts as data and the rows cover only the
    // frames the search compares.
    std::int32_t decodedBits = 0;
    bool skipExclusions = false; // the exclusion check box
};

struct RasterRow {
    std::int64_t firstCell = 0; // Bit buffer position of its first bit
    RowMark mark = RowMark::NoMatch;
    bool compared = false;      // one of frames 1 .. FRAME_ROUNDS + 1
};

struct RasterImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top to bottom, 3 bytes a pixel

    bool empty() const { return width == 0 || height == 0; }
    Rgb pixel(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

// A bit under a point of the picture.
struct RasterCell {
    std::int64_t row = 0;
    std::int64_t column = 0;
    std::int64_t position = 0; // Bit buffer position
};

class Raster {
public:
    // Works out the rows and their marks at once. Keeps a reference to
    // `bits`, which must outlive the raster; `params` is copied.
    Raster(const BitBuffer& bits, const AnalysisParameters& params, const RasterRequest& request);

    // False when the interval, offset or cell size is out of range; such a
    // raster has no rows and renders empty.
    bool valid() const { return valid_; }

    int width() const { return width_; }
    int height() const { return height_; }
    int cellSize() const { return cell_; }
    std::int64_t interval() const { return interval_; }
    std::int64_t bandColumns() const { return band_; }
    const std::vector<RasterRow>& rows() const { return rows_; }
    // Left pixel of a column and top pixel of a row.
    int columnX(std::int64_t column) const;
    int rowY(std::int64_t row) const;
    std::optional<RasterCell> cellAt(int x, int y) const;

    // Frame 1's pattern as the search builds it, its hexadecimal text (whole
    // groups of four only, never a message) and the recurrence count the
    // search gives this candidate.
    const std::string& referencePattern() const { return reference_; }
    std::string referenceHex() const;
    std::int64_t count() const { return count_; }

    // The whole picture; empty when it would pass kMaxRasterPixels.
    RasterImage render() const;
    // The part [left, left + w) x [top, top + h) of the picture, cut to it:
    // what a scrolled view shows at high zoom.
    RasterImage render(int left, int top, int w, int h) const;

private:
    RowMark markFrame(const std::string& frame) const;
    std::int64_t samePatternRun(std::int64_t first) const;
    void markRows(std::int64_t rowCount, std::int64_t compared);
    std::int64_t countMatches(std::int64_t compared) const;
    Rgb cellColour(std::int64_t position) const;
    std::int64_t columnStart(std::int64_t c) const;
    // The pixels [from, to) of a row's scanline, at line[0].
    void fillBitRow(std::uint8_t* line, std::int64_t row, int from, int to) const;
    void fillOutlineRow(std::uint8_t* line, int from, int to) const;

    const BitBuffer& bits_;
    AnalysisParameters params_;
    bool skipExclusions_ = false;
    bool valid_ = false;
    std::int64_t interval_ = 0;
    std::int64_t start_ = 0;
    std::int64_t band_ = 0;
    std::int64_t lastDataCell_ = 0;
    int cell_ = kDefaultRasterCellSize;
    int width_ = 0;
    int height_ = 0;
    std::vector<RasterRow> rows_;
    std::string reference_;
    // Per exclusion pattern: its deciding positions are single bytes.
    std::array<bool, std::tuple_size_v<decltype(AnalysisParameters::EXCLUDE_PAT)>> plainExclusions_{};
    std::int64_t count_ = 0;
};

} // namespace morvelan
