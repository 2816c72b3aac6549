// Where the compared frames of a run reach past the data read.
#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <optional>

using namespace morvelan;

namespace {

// The answer by walking every interval, for comparison.
std::optional<std::int32_t> walked(const AnalysisParameters& p, std::int64_t lastDataCell)
{
    for (std::int64_t interval = std::max(p.START_SYNC_INTERVAL, 1); interval <= p.END_SYNC_INTERVAL; ++interval)
        if (lastComparedCell(p, interval) > lastDataCell) return static_cast<std::int32_t>(interval);
    return std::nullopt;
}

TEST(FrameReach, TheLastComparedCellIsTheLastBitOfTheHighestIndexsLastFrame)
{
    AnalysisParameters p;
    p.IGNORE_START_BITS = 10, p.FRAME_ROUNDS = 20, p.SYNC_BIT_SIZE = 32;
    // Index 99 of interval 100 starts at cell 10 + 1 + 99; its frame 21 ends 20 x 100 + 31 later.
    EXPECT_EQ(lastComparedCell(p, 100), 10 + 1 + 99 + 20 * 100 + 31);
}

TEST(FrameReach, FirstIntervalPastAgreesWithAWalkOverEveryInterval)
{
    struct Case {
        std::int32_t start, end, ignore, frames, sync;
        std::int64_t lastData;
    };
    const Case cases[] = {
        {300, 700, 0, 20, 20, 200000},  // the reset values: nothing past
        {300, 2000, 0, 140, 20, 200000}, // many frames: past from about 1400
        {1000, 1300, 0, 40, 32, 49232},
        {16, 65536, 100, 200, 64, 435680},
        {100, 100, 0, 20, 20, 2119}, {100, 100, 0, 20, 20, 2118}, // just inside, just past
        {-50, 30, 0, 5, 8, 100},  // intervals up to 0 have no index
        {500, 400, 0, 20, 20, 10}, // no interval at all
        {100, 200, -300, 20, 20, 0}, // nothing read
        {10, 20, 0, 0, 4, 12},       // frame 1 alone
    };
    for (const Case& c : cases) {
        AnalysisParameters p;
        p.START_SYNC_INTERVAL = c.start, p.END_SYNC_INTERVAL = c.end, p.IGNORE_START_BITS = c.ignore;
        p.FRAME_ROUNDS = c.frames, p.SYNC_BIT_SIZE = c.sync;
        EXPECT_EQ(firstIntervalPast(p, c.lastData), walked(p, c.lastData))
            << c.start << ".." << c.end << " data " << c.lastData;
    }
}

} // namespace
