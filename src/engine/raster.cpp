#include "engine/raster.h"

#include "engine/search.h"

#include <algorithm>
#include <cstring>

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

} // namespace

std::string messageCannotWriteRaster(std::string_view path)
{
    return "ラスター画像を書き込めません：" + std::string(path);
}

std::string framePatternAt(const BitBuffer& bits, std::int64_t first, std::int32_t syncBits)
{
    std::string pattern;
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + std::int64_t{syncBits} - 1, kBitBufferLast);
    if (to >= from) pattern.reserve(static_cast<std::size_t>(to - from + 1));
    for (std::int64_t p = from; p <= to; ++p) pattern += static_cast<char>('0' + bits.get(p));
    return pattern;
}

Raster::Raster(const BitBuffer& bits, const AnalysisParameters& params, const RasterRequest& request)
    : bits_(bits), params_(params), skipExclusions_(request.skipExclusions)
{
    interval_ = request.interval;
    cell_ = request.cellSize;
    start_ = std::int64_t{params.IGNORE_START_BITS} + 1 + request.offset;
    valid_ = interval_ >= 1 && interval_ <= kBitBufferCells && cell_ >= kMinRasterCellSize &&
             cell_ <= kMaxRasterCellSize && request.offset >= -std::int64_t{kBitBufferCells} * 2 &&
             request.offset <= std::int64_t{kBitBufferCells} * 2;
    if (!valid_) return;

    band_ = std::clamp<std::int64_t>(params.SYNC_BIT_SIZE, 0, interval_);
    lastDataCell_ = request.decodedBits > 0 ? std::min<std::int64_t>(request.decodedBits, kBitBufferLast) : kBitBufferLast;

    // Rows: the frames the search compares (as far as the buffer goes) and,
    // when the decoded length is known, every row that holds decoded bits.
    const std::int64_t rowsInBuffer = start_ <= kBitBufferLast ? (kBitBufferLast - start_) / interval_ + 1 : 1;
    const std::int64_t compared = std::int64_t{params.FRAME_ROUNDS} + 1;
    std::int64_t rowCount = std::clamp<std::int64_t>(compared, 1, rowsInBuffer);
    if (request.decodedBits > 0 && lastDataCell_ >= start_)
        rowCount = std::max(rowCount, (lastDataCell_ - start_) / interval_ + 1);
    rowCount = std::min(rowCount, kMaxRasterRows);

    reference_ = framePatternAt(bits, start_, params.SYNC_BIT_SIZE);
    // Frames that hold no cell of the buffer all cut the empty pattern.
    const RowMark emptyMark = markFrame(std::string());
    rows_.reserve(static_cast<std::size_t>(rowCount));
    for (std::int64_t r = 0; r < rowCount; ++r) {
        RasterRow row;
        row.firstCell = start_ + r * interval_;
        row.compared = r < compared;
        const std::string frame = r == 0 ? std::string() : framePatternAt(bits, row.firstCell, params.SYNC_BIT_SIZE);
        row.mark = r == 0 ? RowMark::Reference : frame.empty() ? emptyMark : markFrame(frame);
        rows_.push_back(row);
    }
    count_ = countMatches(compared, emptyMark) + 1;

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

RowMark Raster::markFrame(const std::string& frame) const
{
    if (!skipExclusions_)
        for (const std::string& exclusion : params_.EXCLUDE_PAT)
            if (PatternsMatch(exclusion, frame, params_.ALLOW_ERR_BITS)) return RowMark::Excluded;
    return PatternsMatch(reference_, frame, params_.ALLOW_ERR_BITS) ? RowMark::Match : RowMark::NoMatch;
}

// The matches among frames 2 .. compared, as the search counts them,
// whether or not they are shown. The frames that end before cell 0 and
// those that start past the buffer all cut the empty pattern, so each of
// those runs is counted at once: a first bit far outside the buffer costs no
// more than one inside it.
std::int64_t Raster::countMatches(std::int64_t compared, RowMark emptyMark) const
{
    const std::int64_t syncBits = params_.SYNC_BIT_SIZE;
    std::int64_t matches = 0;
    std::int64_t k = 2;
    const std::int64_t secondEnds = start_ + interval_ + syncBits - 1; // frame 2's last cell
    if (compared >= 2 && (syncBits <= 0 || secondEnds < 0)) {
        const std::int64_t before =
            syncBits <= 0 ? compared - 1 : std::min(compared - 1, (interval_ - 1 - secondEnds) / interval_);
        if (emptyMark == RowMark::Match) matches += before;
        k += before;
    }
    for (; k <= compared; ++k) {
        const std::int64_t first = start_ + (k - 1) * interval_;
        const bool pastEnd = first > kBitBufferLast;
        const std::size_t r = static_cast<std::size_t>(k - 1);
        const RowMark mark =
            r < rows_.size() ? rows_[r].mark : markFrame(framePatternAt(bits_, first, params_.SYNC_BIT_SIZE));
        if (mark == RowMark::Match) matches += pastEnd ? compared - k + 1 : 1;
        if (pastEnd) break;
    }
    return matches;
}

std::string Raster::referenceHex() const
{
    std::string hex;
    for (std::size_t g = 0; g + 4 <= reference_.size(); g += 4) {
        const int v = (reference_[g] - '0') * 8 + (reference_[g + 1] - '0') * 4 + (reference_[g + 2] - '0') * 2 +
                      (reference_[g + 3] - '0');
        hex += "0123456789ABCDEF"[v];
    }
    return hex;
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

void Raster::fillBitRow(std::uint8_t* line, std::int64_t row) const
{
    const RasterRow& r = rows_[static_cast<std::size_t>(row)];
    const Rgb mark = r.compared ? markColour(r.mark) : raster_colour::paler(markColour(r.mark));
    std::uint8_t* out = fill(line, mark, kRasterMarkWidth);
    out = fill(out, raster_colour::kBackground, kRasterGap);
    out = fill(out, raster_colour::kOutline, kRasterLine);
    for (std::int64_t c = 0; c < interval_; ++c) {
        if (c == band_) out = fill(out, raster_colour::kOutline, kRasterLine);
        out = fill(out, cellColour(r.firstCell + c), cell_);
    }
    if (band_ == interval_) fill(out, raster_colour::kOutline, kRasterLine);
}

void Raster::fillOutlineRow(std::uint8_t* line) const
{
    std::uint8_t* out = fill(line, raster_colour::kBackground, kRasterMarkWidth + kRasterGap);
    const int outlined = static_cast<int>(2 * kRasterLine + band_ * cell_);
    out = fill(out, raster_colour::kOutline, outlined);
    fill(out, raster_colour::kBackground, width_ - kRasterMarkWidth - kRasterGap - outlined);
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
    const std::size_t skip = static_cast<std::size_t>(x0) * 3;
    image.rgb.resize(stride * static_cast<std::size_t>(image.height));

    // Whole scanlines are built once per bit row and copied, cut, to each
    // of its pixel rows.
    const std::size_t fullStride = static_cast<std::size_t>(width_) * 3;
    std::vector<std::uint8_t> outline(fullStride);
    fillOutlineRow(outline.data());
    const int rowsTop = kRasterLine;
    const int rowsBottom = rowY(static_cast<std::int64_t>(rows_.size()));
    std::int64_t filledRow = -1;
    std::vector<std::uint8_t> scan(fullStride);
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* dst = image.rgb.data() + stride * static_cast<std::size_t>(y - y0);
        if (y < rowsTop || y >= rowsBottom) {
            std::memcpy(dst, outline.data() + skip, stride);
            continue;
        }
        const std::int64_t row = (y - rowsTop) / cell_;
        if (row != filledRow) {
            fillBitRow(scan.data(), row);
            filledRow = row;
        }
        std::memcpy(dst, scan.data() + skip, stride);
    }
    return image;
}

} // namespace morvelan
