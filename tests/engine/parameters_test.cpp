#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

using namespace morvelan;

TEST(ResetParameters, SetsTheEightNumbersAndKeepsEverythingElse)
{
    AnalysisParameters p;
    p.EXCLUDE_PAT = {"0101", "", "1111", "x", "0"};
    p.USER_ID = "user";
    p.PASSWORD_ENC = 3;
    AnalysisParameters expected = p;
    expected.START_SYNC_INTERVAL = 300;
    expected.END_SYNC_INTERVAL = 700;
    expected.SYNC_BIT_SIZE = 20;
    expected.ALLOW_ERR_BITS = 2;
    expected.IGNORE_START_BITS = 0;
    expected.FRAME_ROUNDS = 20;
    expected.THRESHOLD = 10;
    expected.BUF_SIZE = 300000;
    p.THRESHOLD = -1;
    ResetParameters(p);
    EXPECT_EQ(p, expected);
}

// Each range: the values just outside fail, its bounds pass.
TEST(ParameterRanges, BoundsAreInclusive)
{
    struct Range {
        std::function<bool(std::int64_t)> valid;
        std::int64_t lo, hi;
    };
    const Range ranges[] = {
        {isValidStartSyncInterval, 100, 2000}, {isValidAllowErrBits, 0, 15}, {isValidIgnoreStartBits, 0, 100},
        {isValidFrameRounds, 5, 200},          {isValidBufSize, 50000, INT32_MAX},
        {[](std::int64_t t) { return isValidThreshold(static_cast<std::int32_t>(t), 20); }, 2, 20},
    };
    for (const Range& r : ranges) {
        EXPECT_FALSE(r.valid(r.lo - 1)) << r.lo;
        EXPECT_TRUE(r.valid(r.lo)) << r.lo;
        EXPECT_TRUE(r.valid(r.hi)) << r.hi;
        if (r.hi < INT32_MAX) {
            EXPECT_FALSE(r.valid(r.hi + 1)) << r.hi;
        }
    }
    for (int v = -8; v <= 72; ++v) EXPECT_EQ(isValidSyncBitSize(v), v >= 4 && v <= 64 && v % 4 == 0) << v;
}

TEST(ParameterRanges, EndIntervalTimesFramesMustFitTheBuffer)
{
    EXPECT_TRUE(isValidEndSyncInterval(15000, 20, 300000));
    EXPECT_FALSE(isValidEndSyncInterval(15001, 20, 300000));
    // The product is exact: a 32-bit product would wrap round to a small number.
    EXPECT_FALSE(isValidEndSyncInterval(INT32_MAX, 2, INT32_MAX));
    EXPECT_FALSE(isValidEndSyncInterval(65536, 65536, 50000));
    EXPECT_TRUE(isValidEndSyncInterval(1, 20, 300000));
}
