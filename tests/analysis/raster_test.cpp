// The folded-stream picture: band columns on a periodic sync word, margin
// marks and the count with the search's own rules, layout and partial
// renders.
#include "files/parameter_table.h"
#include "analysis/raster.h"

#include "engine/reported_candidate.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/result_rows.h"
#include "files/session.h"
#include "support/collecting_view.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

const std::string kSyncWord = "10110101110000100111"; // B5C27

Rgb bitColour(char bit)
{
    return bit == '1' ? raster_colour::kOne : raster_colour::kZero;
}

// Random bits in cells 1 .. bits, and `word` at cell first + k * period.
void fillStream(BitBuffer& buffer, std::int64_t bits, std::int64_t first, std::int64_t period, const std::string& word,
                unsigned seed = 99)
{
    std::mt19937 rng(seed);
    for (std::int64_t p = 1; p <= bits; ++p) buffer.set(p, rng() & 1);
    for (std::int64_t at = first; at + static_cast<std::int64_t>(word.size()) - 1 <= bits; at += period)
        for (std::size_t j = 0; j < word.size(); ++j) buffer.set(at + static_cast<std::int64_t>(j), word[j] == '1');
}

void setWord(BitBuffer& buffer, std::int64_t at, const std::string& word)
{
    for (std::size_t j = 0; j < word.size(); ++j) buffer.set(at + static_cast<std::int64_t>(j), word[j] == '1');
}

class RasterTest : public ::testing::Test {
protected:
    std::unique_ptr<BitBuffer> bits = std::make_unique<BitBuffer>();
    AnalysisParameters params;

    RasterTest() { ResetParameters(params); }

    RasterRequest request(std::int64_t interval, std::int64_t offset, int cell = 2, std::int32_t decoded = 200000) const
    {
        RasterRequest r;
        r.interval = interval;
        r.offset = offset;
        r.cellSize = cell;
        r.decodedBits = decoded;
        return r;
    }

    // Colour of the bit cell at (row, column), read from the picture.
    static Rgb cellPixel(const Raster& raster, const RasterImage& image, std::int64_t row, std::int64_t column)
    {
        return image.pixel(raster.columnX(column), raster.rowY(row));
    }
    static Rgb markPixel(const Raster& raster, const RasterImage& image, std::int64_t row)
    {
        return image.pixel(0, raster.rowY(row));
    }
};

TEST_F(RasterTest, PeriodicSyncWordStandsAsAStraightBand)
{
    fillStream(*bits, 200000, 37, 512, kSyncWord);
    const Raster raster(*bits, params, request(512, 36));
    ASSERT_TRUE(raster.valid());
    EXPECT_EQ(raster.referencePattern(), kSyncWord);
    EXPECT_EQ(raster.referenceHex(), "B5C27");
    EXPECT_EQ(raster.count(), 21);
    EXPECT_EQ(raster.bandColumns(), 20);
    // 200000 bits from cell 37 in rows of 512: 391 rows, the last one partly data.
    ASSERT_EQ(raster.rows().size(), 391u);
    const RasterImage image = raster.render();
    ASSERT_EQ(image.width, raster.width());
    ASSERT_EQ(image.height, raster.height());

    const std::int64_t fullRows = (200000 - 37 + 1) / 512;
    for (std::int64_t c = 0; c < 20; ++c)
        for (std::int64_t r = 0; r < fullRows; ++r)
            ASSERT_EQ(cellPixel(raster, image, r, c), bitColour(kSyncWord[static_cast<std::size_t>(c)]))
                << "row " << r << " column " << c;
}

TEST_F(RasterTest, MarginMarksFollowTheSearchRules)
{
    // Interval 100 from cell 1: frame k starts at 1 + (k - 1) * 100.
    params.FRAME_ROUNDS = 6;
    params.EXCLUDE_PAT[0] = "01110101110000100110"; // 3 from the word, 2 from frame 5
    params.EXCLUDE_PAT[2] = "00000000000000000000";
    const std::string complement = "01001010001111011000";
    setWord(*bits, 1, kSyncWord);
    setWord(*bits, 101, "10110101110000100100"); // 2 errors: a match
    setWord(*bits, 201, complement);             // no match
    setWord(*bits, 301, "00000000000000000001"); // 1 error from exclusion 3
    setWord(*bits, 401, "10110101110000100110"); // 1 error, but exclusion 1 comes first
    setWord(*bits, 501, "00000000000000000000");
    setWord(*bits, 601, kSyncWord);
    setWord(*bits, 701, kSyncWord); // frame 8: past the compared frames

    const Raster raster(*bits, params, request(100, 0, 2, 800));
    ASSERT_EQ(raster.rows().size(), 8u);
    const std::vector<RowMark> expected = {RowMark::Reference, RowMark::Match,    RowMark::NoMatch,
                                           RowMark::Excluded,  RowMark::Excluded, RowMark::Excluded,
                                           RowMark::Match,     RowMark::Match};
    for (std::size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(raster.rows()[r].mark, expected[r]) << r;
    EXPECT_TRUE(raster.rows()[6].compared);
    EXPECT_FALSE(raster.rows()[7].compared);
    EXPECT_EQ(raster.count(), 3); // the reference, frames 2 and 7

    const RasterImage image = raster.render();
    EXPECT_EQ(markPixel(raster, image, 0), raster_colour::kReference);
    EXPECT_EQ(markPixel(raster, image, 1), raster_colour::kMatch);
    EXPECT_EQ(markPixel(raster, image, 2), raster_colour::kNoMatch);
    EXPECT_EQ(markPixel(raster, image, 3), raster_colour::kExcluded);
    EXPECT_EQ(markPixel(raster, image, 6), raster_colour::kMatch);
    EXPECT_EQ(markPixel(raster, image, 7), raster_colour::paler(raster_colour::kMatch));
    EXPECT_NE(raster_colour::paler(raster_colour::kMatch), raster_colour::kMatch);

    // With the exclusions off, the same frames are compared with the reference.
    RasterRequest off = request(100, 0, 2, 800);
    off.skipExclusions = true;
    const Raster plain(*bits, params, off);
    const std::vector<RowMark> plainExpected = {RowMark::Reference, RowMark::Match,   RowMark::NoMatch,
                                                RowMark::NoMatch,   RowMark::Match,   RowMark::NoMatch,
                                                RowMark::Match,     RowMark::Match};
    for (std::size_t r = 0; r < plainExpected.size(); ++r) EXPECT_EQ(plain.rows()[r].mark, plainExpected[r]) << r;
    EXPECT_EQ(plain.count(), 4);
}

TEST_F(RasterTest, CountAgreesWithTheSearch)
{
    // Noisy word copies, an exclusion and a short capture, so that some
    // frames lie past the decoded bits.
    auto session = std::make_unique<Session>();
    fillStream(session->bits, 9000, 50, 430, kSyncWord, 5);
    std::mt19937 rng(11);
    for (int i = 0; i < 40; ++i) session->bits.set(50 + 430 * (rng() % 20) + rng() % 20, rng() & 1);
    params.START_SYNC_INTERVAL = 425;
    params.END_SYNC_INTERVAL = 435;
    params.THRESHOLD = 2;
    params.EXCLUDE_PAT[1] = "00110101110000100101"; // 2 from the word: leaves out intact copies
    ScriptedToolkit toolkit;
    CollectingView view(session->bits, params);
    TempDir dir;
    ASSERT_TRUE(session->files.result.open(dir.file("r.txt")));
    ASSERT_TRUE(SearchIntoResultFile(*session, params, toolkit, view));
    session->files.result.close();
    ASSERT_FALSE(view.results.empty());
    for (const ReportedCandidate& c : view.results) {
        const Raster raster(session->bits, params, request(c.interval, c.index, 1, 9000));
        EXPECT_EQ(raster.count(), c.count) << c.interval << "/" << c.index;
        EXPECT_EQ(raster.referencePattern(), c.pattern);
        EXPECT_EQ(raster.referenceHex(), c.hex);
    }
}

TEST_F(RasterTest, CountsEveryFramePastTheBufferEnd)
{
    // Four-bit frames with four tolerated errors all match, the empty ones
    // past cell 300100 too: the count is every compared frame.
    params.SYNC_BIT_SIZE = 4;
    params.ALLOW_ERR_BITS = 4;
    params.FRAME_ROUNDS = 20;
    for (const std::int64_t offset : {0, 299000}) {
        RasterRequest r = request(20000, offset, 1, 0);
        r.skipExclusions = true; // an empty exclusion would leave out every frame
        const Raster raster(*bits, params, r);
        EXPECT_EQ(raster.count(), 21) << offset;
    }
}

TEST_F(RasterTest, CellsWithoutDecodedBitsHaveTheirOwnColour)
{
    fillStream(*bits, 1000, 1, 100, kSyncWord);
    // Bits left from an earlier input past the decoded 1000 are not shown as data.
    for (std::int64_t p = 1001; p <= 2000; ++p) bits->set(p, 1);
    params.FRAME_ROUNDS = 15;
    const Raster raster(*bits, params, request(100, 50, 1, 1000));
    // Frames compared by the search reach past the data: 16 rows from cell 51.
    ASSERT_EQ(raster.rows().size(), 16u);
    const RasterImage image = raster.render();
    EXPECT_EQ(cellPixel(raster, image, 9, 49), bitColour(static_cast<char>('0' + bits->get(1000))));
    EXPECT_EQ(cellPixel(raster, image, 9, 50), raster_colour::kNoData); // cell 1001
    EXPECT_EQ(cellPixel(raster, image, 15, 0), raster_colour::kNoData);

    // Nudged before the first decoded bit: cell 0 and below hold no data.
    const Raster early(*bits, params, request(100, -3, 1, 1000));
    const RasterImage earlyImage = early.render();
    EXPECT_EQ(cellPixel(early, earlyImage, 0, 0), raster_colour::kNoData); // cell -2
    EXPECT_EQ(cellPixel(early, earlyImage, 0, 2), raster_colour::kNoData); // cell 0
    EXPECT_EQ(cellPixel(early, earlyImage, 0, 3), bitColour(static_cast<char>('0' + bits->get(1))));
}

TEST_F(RasterTest, RowsCoverTheWholeDecodedInput)
{
    const Raster raster(*bits, params, request(700, 0, 1, 200000));
    // 200000 bits from cell 1 in rows of 700: 286 rows, the last one partial.
    EXPECT_EQ(raster.rows().size(), 286u);
    EXPECT_EQ(raster.rows().back().firstCell, 1 + 285 * 700);
    // Unknown length: only the compared frames.
    const Raster unknown(*bits, params, request(700, 0, 1, 0));
    EXPECT_EQ(unknown.rows().size(), 21u);
}

TEST_F(RasterTest, LayoutAndCellLookupAgree)
{
    const Raster raster(*bits, params, request(300, 10, 4, 200000));
    EXPECT_EQ(raster.width(), kRasterMarkWidth + kRasterGap + 2 * kRasterLine + 300 * 4);
    EXPECT_EQ(raster.height(), 2 * kRasterLine + static_cast<int>(raster.rows().size()) * 4);
    for (const std::int64_t column : {0, 19, 20, 299}) {
        for (const std::int64_t row : {0, 7}) {
            const auto cell = raster.cellAt(raster.columnX(column) + 3, raster.rowY(row) + 3);
            ASSERT_TRUE(cell.has_value());
            EXPECT_EQ(cell->row, row);
            EXPECT_EQ(cell->column, column);
            EXPECT_EQ(cell->position, 1 + 10 + row * 300 + column);
        }
    }
    EXPECT_FALSE(raster.cellAt(1, raster.rowY(2)).has_value());                 // margin
    EXPECT_FALSE(raster.cellAt(raster.columnX(20) - 1, raster.rowY(2)).has_value()); // outline
    EXPECT_FALSE(raster.cellAt(raster.columnX(5), 0).has_value());              // top line
    EXPECT_FALSE(raster.cellAt(raster.width(), raster.rowY(2)).has_value());
}

TEST_F(RasterTest, PartialRenderIsAPieceOfTheWhole)
{
    fillStream(*bits, 200000, 37, 512, kSyncWord);
    const Raster raster(*bits, params, request(512, 36, 3));
    const RasterImage whole = raster.render();
    struct Piece {
        int left, top, w, h;
    };
    for (const Piece& p : {Piece{0, 0, whole.width, 10}, Piece{5, 7, 100, 50}, Piece{whole.width - 30, 400, 100, 9},
                           Piece{-20, whole.height - 5, 60, 40}}) {
        const RasterImage part = raster.render(p.left, p.top, p.w, p.h);
        const int x0 = std::max(p.left, 0);
        ASSERT_EQ(part.width, std::min(p.left + p.w, whole.width) - x0);
        ASSERT_EQ(part.height, std::min(p.top + p.h, whole.height) - p.top);
        for (int y = 0; y < part.height; ++y)
            for (int x = 0; x < part.width; ++x)
                ASSERT_EQ(part.pixel(x, y), whole.pixel(x0 + x, p.top + y)) << x << "," << y;
    }
    EXPECT_TRUE(raster.render(0, whole.height, whole.width, 5).empty());
    EXPECT_TRUE(raster.render(whole.width, 0, 5, 5).empty());
}

TEST_F(RasterTest, SlicesStartingAnywhereMatchTheWhole)
{
    // Every left edge across the margin, the band's lines and the columns,
    // with the band inside, as wide as, and absent from the row.
    fillStream(*bits, 4000, 3, 40, kSyncWord);
    struct Case {
        std::int64_t interval;
        std::int32_t syncBits;
        int cell;
    };
    for (const Case& c : {Case{40, 20, 1}, Case{40, 40, 3}, Case{40, 0, 2}, Case{37, 64, 5}, Case{41, 20, 4}}) {
        params.SYNC_BIT_SIZE = c.syncBits;
        const Raster raster(*bits, params, request(c.interval, 2, c.cell, 4000));
        const RasterImage whole = raster.render();
        ASSERT_FALSE(whole.empty());
        // The band's lines on either side of its columns, in every row.
        const std::int64_t band = raster.bandColumns();
        const int rightLine = band > 0 ? raster.columnX(band - 1) + c.cell : raster.columnX(0) - kRasterLine;
        for (const int x : {raster.columnX(0) - 2, raster.columnX(0) - 1, rightLine, rightLine + 1})
            EXPECT_EQ(whole.pixel(x, raster.rowY(5)), raster_colour::kOutline) << c.interval << "/" << c.syncBits << " " << x;
        for (int left = -3; left < whole.width; ++left) {
            const int w = 1 + ((left + 3) * 7) % 23;
            const RasterImage part = raster.render(left, 0, w, whole.height);
            const int x0 = std::max(left, 0);
            ASSERT_EQ(part.width, std::max(std::min(left + w, whole.width) - x0, 0)) << left;
            for (int y = 0; y < part.height; ++y)
                for (int x = 0; x < part.width; ++x)
                    ASSERT_EQ(part.pixel(x, y), whole.pixel(x0 + x, y))
                        << c.interval << "/" << c.syncBits << "/" << c.cell << " left " << left << " at " << x << "," << y;
        }
    }
}

TEST_F(RasterTest, OutOfRangeRequestsRenderNothing)
{
    for (const RasterRequest& r : {request(0, 0), request(-5, 0), request(kBitBufferCells + 1, 0), request(512, 0, 0),
                                   request(512, 0, kMaxRasterCellSize + 1), request(512, 10000000)}) {
        const Raster raster(*bits, params, r);
        EXPECT_FALSE(raster.valid());
        EXPECT_TRUE(raster.rows().empty());
        EXPECT_TRUE(raster.render().empty());
    }
    // A whole picture past the pixel bound is refused, a slice of it is not.
    const Raster huge(*bits, params, request(1, 0, kMaxRasterCellSize, 200000));
    ASSERT_TRUE(huge.valid());
    EXPECT_TRUE(huge.render().empty());
    EXPECT_EQ(huge.render(0, 0, huge.width(), 64).height, 64);
}

TEST_F(RasterTest, ExtremeFirstBitsAndIntervalsStayBounded)
{
    // A settings file may hold any 32-bit IGNORE_START_BITS, FRAME_ROUNDS and
    // SYNC_BIT_SIZE; the rows stay within kMaxRasterRows and the count
    // follows the search's rules (frames before cell 0 and past the buffer
    // cut the empty pattern, which matches the empty reference; exclusions
    // are off, an empty one would leave out every frame).
    fillStream(*bits, 200000, 37, 512, kSyncWord);
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kFar = std::int64_t{kBitBufferCells} * 2; // the farthest offset a request may give
    struct Case {
        std::int32_t ignore, frameRounds, syncBits;
        std::int64_t interval, offset;
        std::int32_t decoded;
        std::int64_t rows, count; // count -1: not worked out here
    };
    const Case cases[] = {
        {kMin, 20, 20, 1, 0, 200000, kMaxRasterRows, 21},
        {-2000000000, 20, 20, 1, -kFar, 200000, kMaxRasterRows, 21},
        {-2000000000, 20, 20, 1, 0, 0, 21, 21},
        // Frames up to cell -20 match; cells -19 and -18 start patterns of
        // one and two bits (within 2 errors of none), the next 18 do not.
        {kMin, kMax, 20, 1, 0, 0, kMaxRasterRows, 2147483630},
        {kMin, kMax, 20, kBitBufferCells, kFar, 200000, 7155, -1},
        {kMax, kMax, 20, 1, kFar, 200000, 1, kMax + std::int64_t{1}},
        {kMax, 20, 20, kBitBufferCells, -kFar, 0, 1, 21},
        {-650000, kMax, 20, 1, -kFar, 200000, kMaxRasterRows, -1},
        {100, kMin, 20, 1, -kFar, 200000, 800102, 1},
        // Every row's pattern would reach the buffer's end.
        {0, kMax, kMax, 1, -kFar, 200000, 900302, -1},
        // Frames start before cell 0 and end past it: the first 19 cut one
        // to 19 cells (one and two are within 2 errors of the empty
        // reference), all later ones cells 0 .. 19.
        {kMin, kMax, kMax, 1, 0, 0, kMaxRasterRows, 3},
    };
    for (const Case& c : cases) {
        params.IGNORE_START_BITS = c.ignore;
        params.FRAME_ROUNDS = c.frameRounds;
        params.SYNC_BIT_SIZE = c.syncBits;
        RasterRequest r = request(c.interval, c.offset, kMaxRasterCellSize, c.decoded);
        r.skipExclusions = true;
        const Raster raster(*bits, params, r);
        const std::string label = std::to_string(c.ignore) + " " + std::to_string(c.frameRounds) + " " +
                                  std::to_string(c.interval) + " " + std::to_string(c.offset);
        ASSERT_TRUE(raster.valid()) << label;
        ASSERT_EQ(static_cast<std::int64_t>(raster.rows().size()), c.rows) << label;
        EXPECT_EQ(raster.rows().front().firstCell, std::int64_t{c.ignore} + 1 + c.offset) << label;
        EXPECT_EQ(raster.height(), 2 * kRasterLine + c.rows * kMaxRasterCellSize) << label;
        if (c.count >= 0) {
            EXPECT_EQ(raster.count(), c.count) << label;
        }
        EXPECT_GE(raster.count(), 1) << label;
        EXPECT_LE(raster.count(), std::max<std::int64_t>(c.frameRounds, 0) + 1) << label;
        const int top = std::max(raster.height() - 40, 0); // the last rows render
        EXPECT_EQ(raster.render(0, top, 200, 64).height, raster.height() - top) << label;
    }
    // Out of range: intervals past the buffer, offsets past two buffers.
    for (const RasterRequest& r : {request(kMax, 0), request(std::numeric_limits<std::int64_t>::max(), 0),
                                   request(512, std::numeric_limits<std::int64_t>::min()), request(512, kFar + 1)}) {
        params.IGNORE_START_BITS = kMin;
        const Raster raster(*bits, params, r);
        EXPECT_FALSE(raster.valid());
        EXPECT_TRUE(raster.rows().empty());
    }
}

TEST_F(RasterTest, FramesBeforeTheBufferCountAsTheSearchCountsThem)
{
    // The count against one frame at a time, where frames run from before
    // cell 0 through the data and past the buffer's end.
    fillStream(*bits, 200000, 37, 512, kSyncWord);
    params.EXCLUDE_PAT[0] = "1";
    params.EXCLUDE_PAT[1] = "同0110101110000100111"; // one character, then the word's last 19 bits
    struct Case {
        std::int32_t ignore, frameRounds, syncBits, allowErr;
        std::int64_t interval, offset;
    };
    const Case cases[] = {
        {-5000, 100000, 20, 2, 7, 0},   {-5000, 100000, 20, 2, 7, 4990}, {-300, 90000, 4, 3, 1, -40},
        {-70, 400, 12, 0, 1, 0},        {-9000, 300, 0, 0, 100, 0},      {-9000, 300, -4, 1, 100, 0},
        {-600000, 700, 20, 2, 512, 36}, {-102400, 700, 20, 2, 512, 36}, {-2000, 3000, 64, 15, 3, -1},
        {-5000, 100000, 100, 2, 7, 0},  {-5000, 100000, 100, 2, 7, 4990}, {-50, 2000, 30, 1, 1, 0},
        {-26, 2000, 30, 14, 1, 0}, // 19 cells within 14 of the reference's 5, 20 cells not
        {0, 300, 20, 2, 512, 36},  // every frame on the word: the second exclusion leaves them out
    };
    for (const Case& c : cases) {
        params.IGNORE_START_BITS = c.ignore;
        params.FRAME_ROUNDS = c.frameRounds;
        params.SYNC_BIT_SIZE = c.syncBits;
        params.ALLOW_ERR_BITS = c.allowErr;
        for (const bool skip : {false, true}) {
            RasterRequest r = request(c.interval, c.offset, 1, 200000);
            r.skipExclusions = skip;
            const Raster raster(*bits, params, r);
            ASSERT_TRUE(raster.valid());
            const std::int64_t start = std::int64_t{c.ignore} + 1 + c.offset;
            const std::string reference = framePatternAt(*bits, start, c.syncBits);
            std::int64_t count = 1;
            for (std::int64_t k = 2; k <= std::int64_t{c.frameRounds} + 1; ++k) {
                const std::string frame = framePatternAt(*bits, start + (k - 1) * c.interval, c.syncBits);
                bool excluded = false;
                for (const std::string& e : params.EXCLUDE_PAT)
                    excluded = excluded || (!skip && PatternsMatch(e, frame, c.allowErr));
                count += !excluded && PatternsMatch(reference, frame, c.allowErr);
            }
            EXPECT_EQ(raster.count(), count) << c.ignore << " " << c.interval << " " << c.offset << " " << skip;
        }
    }
}

} // namespace
