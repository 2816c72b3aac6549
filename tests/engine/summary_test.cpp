// The ranked summary: the chance model on hand-computed values, the grouping
// of echoes (multiples, neighbouring indexes), the best member and the order.
#include "engine/summary.h"

#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace morvelan;

ReportedCandidate cand(std::int64_t interval, std::int64_t index, std::int64_t count, std::string pattern = "0101")
{
    return {interval, index, pattern, "5", count};
}

AnalysisParameters resetParams()
{
    AnalysisParameters p;
    ResetParameters(p);
    return p;
}

// Member (interval, index) pairs of each group, in group order.
std::vector<std::pair<std::int64_t, std::int64_t>> bests(const std::vector<SummaryGroup>& groups)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> out;
    for (const SummaryGroup& g : groups) out.emplace_back(g.best.interval, g.best.index);
    return out;
}

TEST(ChanceModel, FrameMatchProbabilityCountsPatternsWithinTheErrors)
{
    EXPECT_EQ(frameMatchProbability(4, 0), 1.0L / 16);
    EXPECT_EQ(frameMatchProbability(4, 1), 5.0L / 16);
    EXPECT_EQ(frameMatchProbability(20, 2), 211.0L / 1048576); // (1 + 20 + 190) / 2^20
    EXPECT_EQ(frameMatchProbability(20, 0), 1.0L / 1048576);
    EXPECT_EQ(frameMatchProbability(4, 4), 1.0L);
    EXPECT_EQ(frameMatchProbability(4, 15), 1.0L);
    EXPECT_EQ(frameMatchProbability(4, -1), 0.0L);
    EXPECT_EQ(frameMatchProbability(0, 0), 1.0L);
}

TEST(ChanceModel, BinomialTailOnSmallCases)
{
    // P(Bin(3, 1/2) >= 2) = (3 + 1) / 8
    EXPECT_NEAR(log10BinomialTail(3, 0.5L, 2), std::log10(0.5L), 1e-15L);
    // P(Bin(5, 0.1) >= 2) = 1 - 0.9^5 - 5 * 0.1 * 0.9^4 = 0.08146
    EXPECT_NEAR(log10BinomialTail(5, 0.1L, 2), std::log10(0.08146L), 1e-15L);
    // P(Bin(20, 1/2) >= 15) = (15504 + 4845 + 1140 + 190 + 20 + 1) / 2^20
    EXPECT_NEAR(log10BinomialTail(20, 0.5L, 15), std::log10(21700.0L / 1048576), 1e-15L);
    // P(Bin(10, 1/2) >= 1) = 1 - 1/1024: the bulk of the distribution
    EXPECT_NEAR(log10BinomialTail(10, 0.5L, 1), std::log10(1023.0L / 1024), 1e-15L);
    // P(Bin(4, 1/16) >= 4) = 1/16^4
    EXPECT_NEAR(log10BinomialTail(4, 1.0L / 16, 4), -4 * std::log10(16.0L), 1e-15L);
}

TEST(ChanceModel, BinomialTailEdges)
{
    EXPECT_EQ(log10BinomialTail(20, 0.3L, 0), 0.0L);
    EXPECT_EQ(log10BinomialTail(20, 0.3L, -3), 0.0L);
    EXPECT_TRUE(std::isinf(log10BinomialTail(20, 0.3L, 21)));
    EXPECT_TRUE(std::isinf(log10BinomialTail(20, 0.0L, 1)));
    EXPECT_EQ(log10BinomialTail(20, 1.0L, 20), 0.0L);
    EXPECT_TRUE(std::isinf(log10BinomialTail(-1, 0.5L, 1)));
}

TEST(ChanceModel, LongFrameCountsDoNotUnderflow)
{
    // 10^-6000 is far below the smallest long double; the log stays exact.
    const long double tail = log10BinomialTail(2000, 1e-3L, 2000);
    EXPECT_TRUE(std::isfinite(tail));
    EXPECT_NEAR(tail, -6000.0L, 1e-9L);
    // One below the top: C(2000, 1999) p^1999 (1 - p) + p^2000
    const long double expected = std::log10(2000.0L * (1 - 1e-3L) + 1e-3L) + 1999 * std::log10(1e-3L);
    EXPECT_NEAR(log10BinomialTail(2000, 1e-3L, 1999), expected, 1e-9L);
    // A tail in the middle of a long distribution is neither 0 nor 1.
    const long double middle = log10BinomialTail(100000, 0.5L, 50000);
    EXPECT_GT(middle, std::log10(0.49L));
    EXPECT_LT(middle, std::log10(0.51L));
}

TEST(ChanceModel, ExaminedCandidatesSumTheIntervals)
{
    AnalysisParameters p = resetParams();
    EXPECT_EQ(examinedCandidates(p), 200500.0L); // 300 + 301 + ... + 700
    p.START_SYNC_INTERVAL = -5;
    p.END_SYNC_INTERVAL = 3;
    EXPECT_EQ(examinedCandidates(p), 6.0L); // intervals of 0 or less have no index
    p.START_SYNC_INTERVAL = 700;
    p.END_SYNC_INTERVAL = 300;
    EXPECT_EQ(examinedCandidates(p), 0.0L);
}

TEST(ChanceModel, ChanceCountOfACandidate)
{
    const AnalysisParameters p = resetParams();
    const ChanceModel model(p);
    EXPECT_EQ(model.windowBits, 20);
    const long double q = 211.0L / 1048576;
    // count 20: 19 of the 20 frames match by chance
    const long double tail = 20 * std::pow(q, 19) * (1 - q) + std::pow(q, 20);
    EXPECT_NEAR(model.log10ChanceCount(20), std::log10(200500.0L * tail), 1e-12L);
    // count 1 needs no frame: every examined candidate
    EXPECT_NEAR(model.log10ChanceCount(1), std::log10(200500.0L), 1e-12L);
    // Wider words are matched on their first 20 bits only.
    AnalysisParameters wide = p;
    wide.SYNC_BIT_SIZE = 64;
    EXPECT_EQ(ChanceModel(wide).windowBits, 20);
}

TEST(Summary, EchoesAtMultiplesAndNeighbouringIndexesFormOneGroup)
{
    // A 512-bit frame with a plateau 35..37 and its echoes at 1024.
    std::vector<ReportedCandidate> rows;
    const int counts[] = {10, 13, 16, 19, 20, 20, 20, 19, 17, 16, 13};
    for (int i = 0; i < 11; ++i) rows.push_back(cand(512, 31 + i, counts[i]));
    for (int i = 0; i < 11; ++i) rows.push_back(cand(1024, 31 + i, counts[i]));
    for (int i = 0; i < 11; ++i) rows.push_back(cand(1024, 543 + i, counts[i]));
    AnalysisParameters p = resetParams();
    p.END_SYNC_INTERVAL = 1100;
    const auto groups = summariseCandidates(rows, p);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].rows, 33);
    EXPECT_EQ(groups[0].best, cand(512, 36, 20));
    EXPECT_EQ(groups[0].intervals, (std::vector<std::int64_t>{512, 1024}));
    EXPECT_EQ(groups[0].firstIndex, 31);
    EXPECT_EQ(groups[0].lastIndex, 41);
}

TEST(Summary, UnrelatedIntervalsAndDistantIndexesStaySeparate)
{
    const std::vector<ReportedCandidate> rows = {
        cand(500, 10, 12), cand(512, 10, 12), // neither a multiple of the other
        cand(600, 0, 12), cand(600, 2, 12),   // two apart: not neighbours
        cand(900, 605, 12),                   // 605 mod 300 = 5: nothing at 300
    };
    const auto groups = summariseCandidates(rows, resetParams());
    EXPECT_EQ(groups.size(), 5u);
}

TEST(Summary, MultipleJoinsWithinOneBitOfTheBaseIndex)
{
    const std::vector<ReportedCandidate> rows = {
        cand(300, 5, 15),
        cand(900, 606, 11), // 606 mod 300 = 6: a neighbour of 5
        cand(600, 304, 11), // 304 mod 300 = 4
        cand(1200, 8, 11),  // 8: three away from 5
    };
    const auto groups = summariseCandidates(rows, resetParams());
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].best, cand(300, 5, 15));
    EXPECT_EQ(groups[0].rows, 3);
    EXPECT_EQ(groups[0].intervals, (std::vector<std::int64_t>{300, 600, 900}));
    EXPECT_EQ(groups[1].best, cand(1200, 8, 11));
}

TEST(Summary, IndexesWrapRoundTheFrameEnd)
{
    // 99, 0 and 1 are one run on a 100-bit frame; its middle is 0.
    const std::vector<ReportedCandidate> rows = {cand(100, 1, 14), cand(100, 99, 14), cand(100, 0, 14),
                                                 cand(100, 50, 9)};
    const auto groups = summariseCandidates(rows, resetParams());
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].best.index, 0);
    EXPECT_EQ(groups[0].rows, 3);
    EXPECT_EQ(groups[0].firstIndex, 99);
    EXPECT_EQ(groups[0].lastIndex, 1);
}

TEST(Summary, BestMemberPrefersCountThenSmallerIntervalThenMiddleIndex)
{
    {
        // The echo at 1024 has the higher count: it wins over its base.
        const auto groups = summariseCandidates({cand(512, 36, 12), cand(1024, 36, 14)}, resetParams());
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(groups[0].best, cand(1024, 36, 14));
    }
    {
        // Equal counts: the smaller interval.
        const auto groups = summariseCandidates({cand(1024, 36, 14), cand(512, 36, 14)}, resetParams());
        EXPECT_EQ(groups[0].best, cand(512, 36, 14));
    }
    {
        // Four tied neighbours: the lower of the two middles.
        const auto groups = summariseCandidates(
            {cand(400, 10, 9), cand(400, 11, 14), cand(400, 12, 14), cand(400, 13, 14), cand(400, 14, 14)},
            resetParams());
        EXPECT_EQ(groups[0].best.index, 12);
        EXPECT_EQ(groups[0].firstIndex, 10);
        EXPECT_EQ(groups[0].lastIndex, 14);
    }
}

TEST(Summary, RankedByChanceThenCountThenInterval)
{
    const std::vector<ReportedCandidate> rows = {
        cand(450, 3, 11), cand(650, 7, 18), cand(333, 100, 11), cand(620, 9, 21), cand(499, 4, 11),
    };
    const auto groups = summariseCandidates(rows, resetParams());
    EXPECT_EQ(bests(groups), (std::vector<std::pair<std::int64_t, std::int64_t>>{
                                 {620, 9}, {650, 7}, {333, 100}, {450, 3}, {499, 4}}));
    for (std::size_t i = 1; i < groups.size(); ++i) EXPECT_LE(groups[i - 1].chanceLog10, groups[i].chanceLog10);
    EXPECT_EQ(groups[0].chanceLog10, ChanceModel(resetParams()).log10ChanceCount(21));
}

TEST(Summary, NothingReportedGivesNoGroups)
{
    EXPECT_TRUE(summariseCandidates({}, resetParams()).empty());
}

TEST(Summary, FormatsLogFiguresAsShortScientificText)
{
    EXPECT_EQ(formatLog10(std::log10(1.23e-65L)), "1.2e-65");
    EXPECT_EQ(formatLog10(std::log10(3.4L)), "3.4e+00");
    EXPECT_EQ(formatLog10(std::log10(9.96e4L)), "1.0e+05");
    EXPECT_EQ(formatLog10(-6000.0L), "1.0e-6000");
    EXPECT_EQ(formatLog10(-std::numeric_limits<long double>::infinity()), "0");
}

} // namespace
