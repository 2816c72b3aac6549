#include "analysis/raster.h"

#include "engine/hex_convert.h"
#include "engine/search.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace morvelan {

namespace raster_colour {
Rgb paler(Rgb c)
{
    const auto half = [](std::uint8_t v) { return static_cast<std::uint8_t>((v + 255 + 1) / 2); };
    return {half(c.r), half(c.g), half(c.b)};
}
} // namespace raster_colour

namespace {

Rgb markColour(RowMark mark)
{
    switch (mark) {
    case RowMark::Reference: return raster_colour::kReference;
    case RowMark::Match: return raster_colour::kMatch;
    case RowMark::Excluded: return raster_colour::kExcluded;
    case RowMark::NoMatch: break;
    }
    return raster_colour::kNoMatch;
}

inline std::uint8_t* fill(std::uint8_t* out, Rgb c, int pixels)
{
    for (int i = 0; i < pixels; ++i) {
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
        out += 3;
    }
    return out;
}

// The part of a frame's pattern that decides a match, into `out`: the first
// kMatchPositions cells of framePatternAt. A SYNC_BIT_SIZE from a settings
// file can reach 2^31 - 1, and a pattern of the whole buffer for every row
// would take time of rows x buffer. `out` keeps its storage from row to row.
void matchedPatternInto(std::string& out, const BitBuffer& bits, std::int64_t first, std::int32_t syncBits)
{
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min({first + std::int64_t{syncBits} - 1, from + kMatchPositions - 1,
                                      bits.last()});
    out.clear();
    if (to < from) return;
    out.resize(static_cast<std::size_t>(to - from + 1));
    const std::uint8_t* cells = bits.cells().data() + from; // 0 <= from <= to <= bits.last()
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>('0' + cells[i]);
}

// The pixels [from, to) of a scanline, written run by run from x = 0 on:
// the parts of runs outside are skipped.
class ClippedLine {
public:
    ClippedLine(std::uint8_t* line, std::int64_t from, std::int64_t to) : line_(line), from_(from), to_(to) {}
    void fill(Rgb c, std::int64_t pixels)
    {
        const std::int64_t a = std::max(x_, from_);
        const std::int64_t b = std::min(x_ + pixels, to_);
        if (a < b) morvelan::fill(line_ + (a - from_) * 3, c, static_cast<int>(b - a));
        x_ += pixels;
    }
    void moveTo(std::int64_t x) { x_ = x; }
    bool done() const { return x_ >= to_; }

private:
    std::uint8_t* line_;
    std::int64_t from_;
    std::int64_t to_;
    std::int64_t x_ = 0;
};

// Whether the positions that decide a match are single bytes (below 0x80),
// as in a frame's "0"/"1" text: comparing bytes is then what PatternsMatch
// does, at a fraction of its work, and a raster marks up to a million rows.
bool plainPrefix(std::string_view text)
{
    const std::size_t n = std::min<std::size_t>(text.size(), kMatchPositions);
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// PatternsMatch for two texts with a plain prefix: the positions only one
// of them reaches differ, the others compare byte by byte.
bool plainPatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits)
{
    const std::size_t inA = std::min<std::size_t>(a.size(), kMatchPositions);
    const std::size_t inB = std::min<std::size_t>(b.size(), kMatchPositions);
    auto mismatches = static_cast<std::int64_t>(std::max(inA, inB) - std::min(inA, inB));
    for (std::size_t i = 0; i < std::min(inA, inB) && mismatches <= allowErrBits; ++i) mismatches += a[i] != b[i];
    return mismatches <= allowErrBits;
}

} // namespace


Raster::Raster(const BitBuffer& bits, const AnalysisParameters& params, const RasterRequest& request)
    : bits_(bits), params_(params), skipExclusions_(request.skipExclusions)
{
    interval_ = request.interval;
    cell_ = request.cellSize;
    const std::int64_t farthest = rasterFarthestOffset(bits);
    valid_ = interval_ >= 1 && interval_ <= kBitBufferCells && cell_ >= kMinRasterCellSize &&
             cell_ <= kMaxRasterCellSize && request.offset >= -farthest && request.offset <= farthest;
    if (!valid_) return;
    // Only an offset in range keeps this within 64 bits.
    start_ = std::int64_t{params.IGNORE_START_BITS} + 1 + request.offset;

    band_ = std::clamp<std::int64_t>(params.SYNC_BIT_SIZE, 0, interval_);
    lastDataCell_ = request.decodedBits > 0 ? std::min<std::int64_t>(request.decodedBits, bits.last()) : bits.last();

    // Rows: the frames the search compares (as far as the buffer goes) and,
    // when the decoded length is known, every row that holds decoded bits.
    const std::int64_t rowsInBuffer = start_ <= bits.last() ? (bits.last() - start_) / interval_ + 1 : 1;
    const std::int64_t compared = std::int64_t{params.FRAME_ROUNDS} + 1;
    std::int64_t rowCount = std::clamp<std::int64_t>(compared, 1, rowsInBuffer);
    if (request.decodedBits > 0 && lastDataCell_ >= start_)
        rowCount = std::max(rowCount, (lastDataCell_ - start_) / interval_ + 1);
    rowCount = std::min(rowCount, kMaxRasterRows);

    reference_ = framePatternAt(bits, start_, params.SYNC_BIT_SIZE);
    for (std::size_t i = 0; i < plainExclusions_.size(); ++i) plainExclusions_[i] = plainPrefix(params.EXCLUDE_PAT[i]);
    markRows(rowCount, compared);
    count_ = countMatches(compared) + 1;

    const std::int64_t w = kRasterMarkWidth + kRasterGap + 2 * kRasterLine + interval_ * cell_;
    const std::int64_t h = 2 * kRasterLine + rowCount * cell_;
    if (w > (1 << 30) || h > (1 << 30)) {
        valid_ = false;
        rows_.clear();
        return;
    }
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
}

// `frame` is "0"/"1" text, as the reference is.
RowMark Raster::markFrame(const std::string& frame) const
{
    const std::int32_t allowed = params_.ALLOW_ERR_BITS;
    if (!skipExclusions_) {
        for (std::size_t i = 0; i < plainExclusions_.size(); ++i) {
            const std::string& exclusion = params_.EXCLUDE_PAT[i];
            if (plainExclusions_[i] ? plainPatternsMatch(exclusion, frame, allowed)
                                    : PatternsMatch(exclusion, frame, allowed))
                return RowMark::Excluded;
        }
    }
    return plainPatternsMatch(reference_, frame, allowed) ? RowMark::Match : RowMark::NoMatch;
}

// The frames from the one that starts at `first` on (a step of interval_
// each) that cut its pattern, at least 1. Runs of them: frames whose cells
// all lie before cell 0 or past the buffer (none; every frame when the
// pattern has no cells), and frames that start before cell 0 and reach past
// the first kMatchPositions cells (cells 0 .. kMatchPositions - 1). A first
// bit far before the buffer makes them long.
std::int64_t Raster::samePatternRun(std::int64_t first) const
{
    const std::int64_t last = first + params_.SYNC_BIT_SIZE - 1;
    if (params_.SYNC_BIT_SIZE <= 0 || first > bits_.last()) return std::numeric_limits<std::int64_t>::max();
    if (last < 0) return (interval_ - 1 - last) / interval_;
    if (first < 0 && last >= kMatchPositions - 1) return (interval_ - 1 - first) / interval_;
    return 1;
}

// Each run of rows that cut one pattern is marked once.
void Raster::markRows(std::int64_t rowCount, std::int64_t compared)
{
    rows_.resize(static_cast<std::size_t>(rowCount));
    RasterRow* rows = rows_.data();
    rows[0] = {start_, RowMark::Reference, compared > 0};
    std::string frame;
    std::string previous;
    RowMark mark = markFrame(previous);
    for (std::int64_t r = 1; r < rowCount;) {
        const std::int64_t first = start_ + r * interval_;
        const std::int64_t end = r + std::min(samePatternRun(first), rowCount - r);
        matchedPatternInto(frame, bits_, first, params_.SYNC_BIT_SIZE);
        if (frame != previous) {
            mark = markFrame(frame);
            std::swap(previous, frame);
        }
        for (; r < end; ++r) rows[r] = {start_ + r * interval_, mark, r < compared};
    }
}

// The matches among frames 2 .. compared, as the search counts them,
// whether or not they are shown; a run of frames that cut one pattern is
// counted at once, so any first bit, interval and SYNC_BIT_SIZE cost at most
// one pass over the buffer.
std::int64_t Raster::countMatches(std::int64_t compared) const
{
    std::int64_t matches = 0;
    std::string frame;
    for (std::int64_t k = 2; k <= compared;) {
        const std::int64_t first = start_ + (k - 1) * interval_;
        const std::int64_t run = std::min(samePatternRun(first), compared - k + 1);
        const auto r = static_cast<std::size_t>(k - 1);
        RowMark mark = RowMark::NoMatch;
        if (r < rows_.size()) {
            mark = rows_[r].mark;
        } else {
            matchedPatternInto(frame, bits_, first, params_.SYNC_BIT_SIZE);
            mark = markFrame(frame);
        }
        if (mark == RowMark::Match) matches += run;
        k += run;
    }
    return matches;
}

std::string Raster::referenceHex() const
{
    // Whole digits only: a partial last one is left out.
    return bitsToHex(std::string_view(reference_).substr(0, reference_.size() / 4 * 4));
}

int Raster::columnX(std::int64_t column) const
{
    const std::int64_t x = kRasterMarkWidth + kRasterGap + kRasterLine + column * cell_ + (column >= band_ ? kRasterLine : 0);
    return static_cast<int>(x);
}

int Raster::rowY(std::int64_t row) const
{
    return static_cast<int>(kRasterLine + row * cell_);
}

std::optional<RasterCell> Raster::cellAt(int x, int y) const
{
    if (!valid_ || y < kRasterLine || y >= rowY(static_cast<std::int64_t>(rows_.size()))) return std::nullopt;
    const std::int64_t row = (y - kRasterLine) / cell_;
    std::int64_t column;
    if (x >= columnX(0) && x < columnX(0) + band_ * cell_) {
        column = (x - columnX(0)) / cell_;
    } else if (x >= columnX(band_) && x < width_) {
        column = band_ + (x - columnX(band_)) / cell_;
    } else {
        return std::nullopt;
    }
    return RasterCell{row, column, rows_[static_cast<std::size_t>(row)].firstCell + column};
}

Rgb Raster::cellColour(std::int64_t position) const
{
    if (position < 1 || position > lastDataCell_) return raster_colour::kNoData;
    return bits_.get(position) ? raster_colour::kOne : raster_colour::kZero;
}

// Left pixel of column c, or of the band's right line before it when c is
// the first column after the band.
std::int64_t Raster::columnStart(std::int64_t c) const
{
    return kRasterMarkWidth + kRasterGap + kRasterLine + c * cell_ + (c > band_ ? kRasterLine : 0);
}

void Raster::fillBitRow(std::uint8_t* line, std::int64_t row, int from, int to) const
{
    const RasterRow& r = rows_[static_cast<std::size_t>(row)];
    const Rgb mark = r.compared ? markColour(r.mark) : raster_colour::paler(markColour(r.mark));
    ClippedLine out(line, from, to);
    out.fill(mark, kRasterMarkWidth);
    out.fill(raster_colour::kBackground, kRasterGap);
    out.fill(raster_colour::kOutline, kRasterLine);
    // From a column that starts at or before `from` (a wide interval's row
    // is far wider than the part shown) to the first one past `to`.
    std::int64_t c = std::clamp<std::int64_t>((from - columnStart(0) - kRasterLine) / cell_, 0, interval_);
    out.moveTo(columnStart(c));
    for (; c < interval_ && !out.done(); ++c) {
        if (c == band_) out.fill(raster_colour::kOutline, kRasterLine);
        out.fill(cellColour(r.firstCell + c), cell_);
    }
    if (band_ == interval_ && c == interval_) out.fill(raster_colour::kOutline, kRasterLine);
}

void Raster::fillOutlineRow(std::uint8_t* line, int from, int to) const
{
    ClippedLine out(line, from, to);
    out.fill(raster_colour::kBackground, kRasterMarkWidth + kRasterGap);
    const std::int64_t outlined = 2 * kRasterLine + band_ * cell_;
    out.fill(raster_colour::kOutline, outlined);
    out.fill(raster_colour::kBackground, width_ - kRasterMarkWidth - kRasterGap - outlined);
}

RasterImage Raster::render() const
{
    if (std::int64_t{width_} * height_ > kMaxRasterPixels) return {};
    return render(0, 0, width_, height_);
}

RasterImage Raster::render(int left, int top, int w, int h) const
{
    RasterImage image;
    if (!valid_) return image;
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const auto x1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{left} + w, width_));
    const auto y1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{top} + h, height_));
    if (x1 <= x0 || y1 <= y0 || std::int64_t{x1 - x0} * (y1 - y0) > kMaxRasterPixels) return image;
    image.width = x1 - x0;
    image.height = y1 - y0;
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    image.rgb.resize(stride * static_cast<std::size_t>(image.height));

    // The part [x0, x1) of a scanline is built once per bit row and copied
    // to each of its pixel rows.
    std::vector<std::uint8_t> outline(stride);
    fillOutlineRow(outline.data(), x0, x1);
    const int rowsTop = kRasterLine;
    const int rowsBottom = rowY(static_cast<std::int64_t>(rows_.size()));
    std::int64_t filledRow = -1;
    std::vector<std::uint8_t> scan(stride);
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* dst = image.rgb.data() + stride * static_cast<std::size_t>(y - y0);
        if (y < rowsTop || y >= rowsBottom) {
            std::memcpy(dst, outline.data(), stride);
            continue;
        }
        const std::int64_t row = (y - rowsTop) / cell_;
        if (row != filledRow) {
            fillBitRow(scan.data(), row, x0, x1);
            filledRow = row;
        }
        std::memcpy(dst, scan.data(), stride);
    }
    return image;
}

} // namespace morvelan
