// The raster with any 32-bit IGNORE_START_BITS, FRAME_ROUNDS and
// SYNC_BIT_SIZE a settings file can hold, and any interval, offset, cell
// size and decoded length a request can carry: it is built and rendered in
// bounded memory and time, its rows and layout agree, and when few frames
// are compared its count agrees with a count taken frame by frame. Anything
// else aborts the target.
#include "files/parameter_table.h"
#include "analysis/raster.h"
#include "engine/search.h"
#include "fuzz_input.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

using namespace morvelan;
using fuzzing::FuzzInput;

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

void check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "raster broke its promise: %s\n", what);
    std::abort();
}

// A usual value most of the time, else an edge or any 32-bit number: rarely,
// as a first bit far before the buffer makes a raster of the most rows (some
// 900000, the slowest runs).
std::int64_t int32Value(FuzzInput& in, std::int64_t lo, std::int64_t hi)
{
    const int kind = in.byte() % 32;
    if (kind < 28) return in.range(lo, hi);
    if (kind < 31) return in.pick({kInt32Min, kInt32Min + 1, -2000000000, -kBitBufferCells, -1, 0, 1, kBitBufferLast,
                                  kBitBufferCells, 2000000000, kInt32Max - 1, kInt32Max});
    return in.range(kInt32Min, kInt32Max);
}

std::int64_t requestValue(FuzzInput& in, std::int64_t lo, std::int64_t hi)
{
    const int kind = in.byte() % 16;
    if (kind < 12) return in.range(lo, hi);
    if (kind < 15) return in.pick({std::numeric_limits<std::int64_t>::min(), kInt32Min, -2 * std::int64_t{kBitBufferCells},
                                  -2 * std::int64_t{kBitBufferCells} - 1, -1, 0, 1, kBitBufferCells,
                                  2 * std::int64_t{kBitBufferCells}, kInt32Max, std::numeric_limits<std::int64_t>::max()});
    return static_cast<std::int64_t>(in.raw64());
}

// Frames 2 .. FRAME_ROUNDS + 1 one at a time, as the search compares them.
std::int64_t literalCount(const BitBuffer& bits, const AnalysisParameters& p, std::int64_t start, std::int64_t interval,
                          bool skipExclusions)
{
    const std::string reference = framePatternAt(bits, start, p.SYNC_BIT_SIZE);
    std::int64_t count = 1;
    for (std::int64_t k = 2; k <= std::int64_t{p.FRAME_ROUNDS} + 1; ++k) {
        const std::string frame = framePatternAt(bits, start + (k - 1) * interval, p.SYNC_BIT_SIZE);
        bool excluded = false;
        for (const std::string& e : p.EXCLUDE_PAT)
            excluded = excluded || (!skipExclusions && PatternsMatch(e, frame, p.ALLOW_ERR_BITS));
        count += !excluded && PatternsMatch(reference, frame, p.ALLOW_ERR_BITS);
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    AnalysisParameters p;
    ResetParameters(p);
    p.IGNORE_START_BITS = static_cast<std::int32_t>(int32Value(in, -100, 400));
    p.FRAME_ROUNDS = static_cast<std::int32_t>(int32Value(in, 0, 300));
    p.SYNC_BIT_SIZE = static_cast<std::int32_t>(int32Value(in, -4, 68));
    p.ALLOW_ERR_BITS = static_cast<std::int32_t>(int32Value(in, -1, 20));
    const auto patterns = in.range(0, 5);
    for (std::int64_t i = 0; i < patterns; ++i) {
        const auto length = in.range(0, 24);
        std::string text;
        for (std::int64_t j = 0; j < length; ++j) text += "01x"[in.byte() % 3];
        p.EXCLUDE_PAT[static_cast<std::size_t>(i)] = text;
    }
    RasterRequest request;
    request.interval = requestValue(in, 1, 4000);
    request.offset = requestValue(in, -600, 4000);
    request.cellSize = static_cast<int>(in.range(0, kMaxRasterCellSize + 1));
    request.decodedBits = static_cast<std::int32_t>(int32Value(in, 0, 4000));
    request.skipExclusions = in.flag();
    const int left = static_cast<int>(in.range(-300, 20000));
    const int top = static_cast<int>(in.range(-300, 20000));

    // The rest of the bytes are the bits: from cell 1 on, or near the buffer's end.
    static BitBuffer bits;
    bits.clear();
    const std::string rest = in.rest();
    const std::int64_t origin = (rest.size() & 1) ? 1 : kBitBufferLast - 300;
    for (std::size_t i = 0; i < std::min<std::size_t>(rest.size() * 8, 4000); ++i)
        bits.set(origin + static_cast<std::int64_t>(i), (static_cast<unsigned char>(rest[i / 8]) >> (7 - i % 8)) & 1);

    const Raster raster(bits, p, request);
    check(raster.valid() || (raster.rows().empty() && raster.render().empty()), "an invalid raster is empty");
    if (!raster.valid()) return 0;
    const auto rows = static_cast<std::int64_t>(raster.rows().size());
    check(rows >= 1 && rows <= kMaxRasterRows, "rows within the bound");
    check(raster.height() == 2 * kRasterLine + rows * raster.cellSize(), "height");
    check(raster.count() >= 1 && raster.count() <= std::max<std::int64_t>(p.FRAME_ROUNDS, 0) + 1, "count range");
    const std::int64_t start = std::int64_t{p.IGNORE_START_BITS} + 1 + request.offset;
    check(raster.rows().front().firstCell == start, "first row");
    check(raster.rows().back().firstCell == start + (rows - 1) * request.interval, "last row");
    if (p.FRAME_ROUNDS <= 1000 && p.SYNC_BIT_SIZE <= 256)
        check(raster.count() == literalCount(bits, p, start, request.interval, request.skipExclusions), "count");

    const RasterImage image = raster.render(left, top, 160, 96);
    check(image.empty() || image.rgb.size() == static_cast<std::size_t>(image.width) * image.height * 3, "picture size");
    if (const auto cell = raster.cellAt(left + 5, top + 5)) {
        check(cell->row >= 0 && cell->row < rows && cell->column >= 0 && cell->column < raster.interval(), "cell");
        check(cell->position == raster.rows()[static_cast<std::size_t>(cell->row)].firstCell + cell->column, "cell position");
    }
    check(raster.referenceHex().size() == raster.referencePattern().size() / 4, "reference hex");
    return 0;
}
