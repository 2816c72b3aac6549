#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace morvelan;

TEST(ResetParameters, SetsTheEightNumbersAndKeepsEverythingElse)
{
    AnalysisParameters p;
    p.START_SYNC_INTERVAL = 7;
    p.SYNC_BIT_SIZE = 7;
    p.THRESHOLD = -1;
    p.EXCLUDE_PAT = {"0101", "", "1111", "x", "0"};
    p.USER_ID = "user";
    p.PASSWORD = "secret";
    p.PASSWORD_ENC = 3;
    p.RES_OUT_PATH = "C:\\out";

    ResetParameters(p);

    EXPECT_EQ(p.START_SYNC_INTERVAL, 300);
    EXPECT_EQ(p.END_SYNC_INTERVAL, 700);
    EXPECT_EQ(p.SYNC_BIT_SIZE, 20);
    EXPECT_EQ(p.ALLOW_ERR_BITS, 2);
    EXPECT_EQ(p.IGNORE_START_BITS, 0);
    EXPECT_EQ(p.FRAME_ROUNDS, 20);
    EXPECT_EQ(p.THRESHOLD, 10);
    EXPECT_EQ(p.BUF_SIZE, 300000);
    EXPECT_EQ(p.EXCLUDE_PAT, (std::array<std::string, 5>{"0101", "", "1111", "x", "0"}));
    EXPECT_EQ(p.USER_ID, "user");
    EXPECT_EQ(p.PASSWORD, "secret");
    EXPECT_EQ(p.PASSWORD_ENC, 3);
    EXPECT_EQ(p.RES_OUT_PATH, "C:\\out");
}

TEST(ResetParameters, ResetValuesAreValid)
{
    AnalysisParameters p;
    ResetParameters(p);
    EXPECT_TRUE(isValidStartSyncInterval(p.START_SYNC_INTERVAL));
    EXPECT_TRUE(isValidEndSyncInterval(p.END_SYNC_INTERVAL, p.FRAME_ROUNDS, p.BUF_SIZE));
    EXPECT_TRUE(isValidSyncBitSize(p.SYNC_BIT_SIZE));
    EXPECT_TRUE(isValidAllowErrBits(p.ALLOW_ERR_BITS));
    EXPECT_TRUE(isValidIgnoreStartBits(p.IGNORE_START_BITS));
    EXPECT_TRUE(isValidFrameRounds(p.FRAME_ROUNDS));
    EXPECT_TRUE(isValidBufSize(p.BUF_SIZE));
    EXPECT_TRUE(isValidThreshold(p.THRESHOLD, p.FRAME_ROUNDS));
}

TEST(ParameterRanges, BoundsAreInclusive)
{
    EXPECT_FALSE(isValidStartSyncInterval(99));
    EXPECT_TRUE(isValidStartSyncInterval(100));
    EXPECT_TRUE(isValidStartSyncInterval(2000));
    EXPECT_FALSE(isValidStartSyncInterval(2001));

    EXPECT_FALSE(isValidAllowErrBits(-1));
    EXPECT_TRUE(isValidAllowErrBits(0));
    EXPECT_TRUE(isValidAllowErrBits(15));
    EXPECT_FALSE(isValidAllowErrBits(16));

    EXPECT_FALSE(isValidIgnoreStartBits(-1));
    EXPECT_TRUE(isValidIgnoreStartBits(0));
    EXPECT_TRUE(isValidIgnoreStartBits(100));
    EXPECT_FALSE(isValidIgnoreStartBits(101));

    EXPECT_FALSE(isValidFrameRounds(4));
    EXPECT_TRUE(isValidFrameRounds(5));
    EXPECT_TRUE(isValidFrameRounds(200));
    EXPECT_FALSE(isValidFrameRounds(201));

    EXPECT_FALSE(isValidBufSize(49999));
    EXPECT_TRUE(isValidBufSize(50000));
    EXPECT_TRUE(isValidBufSize(INT32_MAX));
}

TEST(ParameterRanges, SyncBitSizeIsOneOfSixteenMultiplesOfFour)
{
    int valid = 0;
    for (int v = -8; v <= 72; ++v) {
        if (isValidSyncBitSize(v)) {
            ++valid;
            EXPECT_EQ(v % 4, 0) << v;
            EXPECT_GE(v, 4);
            EXPECT_LE(v, 64);
        }
    }
    EXPECT_EQ(valid, 16);
    EXPECT_FALSE(isValidSyncBitSize(0));
    EXPECT_FALSE(isValidSyncBitSize(7));
    EXPECT_FALSE(isValidSyncBitSize(68));
}

TEST(ParameterRanges, EndIntervalTimesFramesMustFitTheBuffer)
{
    EXPECT_TRUE(isValidEndSyncInterval(15000, 20, 300000));
    EXPECT_FALSE(isValidEndSyncInterval(15001, 20, 300000));
    // The product is exact: a 32-bit product would wrap round to a small number.
    EXPECT_FALSE(isValidEndSyncInterval(INT32_MAX, 2, INT32_MAX));
    EXPECT_FALSE(isValidEndSyncInterval(65536, 65536, 50000));
    // No rule ties the end to the start: a low end passes.
    EXPECT_TRUE(isValidEndSyncInterval(1, 20, 300000));
}

TEST(ParameterRanges, ThresholdRunsFromTwoToTheFrameCount)
{
    EXPECT_FALSE(isValidThreshold(1, 20));
    EXPECT_TRUE(isValidThreshold(2, 20));
    EXPECT_TRUE(isValidThreshold(20, 20));
    EXPECT_FALSE(isValidThreshold(21, 20));
    EXPECT_FALSE(isValidThreshold(2, 1));
}
