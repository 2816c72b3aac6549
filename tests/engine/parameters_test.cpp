#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace morvelan;

TEST(AnalysisParameters, StartAsZeroAndEmpty)
{
    const AnalysisParameters p;
    EXPECT_EQ(p.START_SYNC_INTERVAL, 0);
    EXPECT_EQ(p.END_SYNC_INTERVAL, 0);
    EXPECT_EQ(p.SYNC_BIT_SIZE, 0);
    EXPECT_EQ(p.ALLOW_ERR_BITS, 0);
    EXPECT_EQ(p.IGNORE_START_BITS, 0);
    EXPECT_EQ(p.FRAME_ROUNDS, 0);
    EXPECT_EQ(p.BUF_SIZE, 0);
    EXPECT_EQ(p.THRESHOLD, 0);
    for (const std::string& pattern : p.EXCLUDE_PAT) EXPECT_EQ(pattern, "");
    EXPECT_EQ(p.USER_ID, "");
    EXPECT_EQ(p.PASSWORD, "");
    EXPECT_EQ(p.PASSWORD_ENC, 0);
    EXPECT_EQ(p.RES_OUT_PATH, "");
}

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

TEST(ParameterMessages, TextsAreExact)
{
    EXPECT_EQ(kMsgStartSyncInterval, "エラー：開始インターバル値は100～2000です。");
    EXPECT_EQ(kMsgEndSyncInterval, "エラー：バッファサイズを超えるビットは処理できません。");
    EXPECT_EQ(kMsgSyncBitSize, "同期ビット数は4,8,12,16,20,24,28,32,36,40,44,48,52,56,60,64のいずれかです。");
    EXPECT_EQ(kMsgAllowErrBits, "エラー：エラー許容ビット数は0～15です。");
    EXPECT_EQ(kMsgIgnoreStartBits, "エラー：初期無視ビット数の値は0～100です。");
    EXPECT_EQ(kMsgFrameRounds, "フレーム数は5～200の範囲です。");
    EXPECT_EQ(kMsgBufSize, "エラー：バッファサイズは50000以上です。");
    EXPECT_EQ(kMsgThreshold, "エラー：出力しきい値はフレーム数を超えられません。");
    // The wave in the ranges is U+FF5E, the full-width tilde.
    EXPECT_NE(kMsgStartSyncInterval.find("\xEF\xBD\x9E"), std::string_view::npos);
}
