// The ranked summary: the chance arithmetic, the grouping of echoes, the
// fixed region, the sync offset (after fill, pinned by a published word),
// the capture-based ranking, the printed forms, and generated captures run
// through the whole pipeline.
#include "analysis/summary.h"

#include "files/candidate_text.h"
#include "analysis/known_sync_words.h"
#include "files/parameter_table.h"
#include "files/session.h"
#include "files/run_analysis.h"
#include "support/capture_generator.h"
#include "support/telemetry_generator.h"
#include "support/collecting_view.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

AnalysisParameters resetParams()
{
    AnalysisParameters p;
    ResetParameters(p);
    return p;
}

// Random bits in cells 1 .. 200000 with `word` at cell first + k * period.
std::unique_ptr<BitBuffer> stream(std::int64_t first, std::int64_t period, const std::string& word, unsigned seed = 5)
{
    auto bits = std::make_unique<BitBuffer>();
    std::mt19937 rng(seed);
    for (std::int64_t p = 1; p <= MAX_INPUT_BITS; ++p) bits->set(p, rng() & 1);
    for (std::int64_t at = first; at + static_cast<std::int64_t>(word.size()) - 1 <= MAX_INPUT_BITS; at += period)
        for (std::size_t j = 0; j < word.size(); ++j) bits->set(at + static_cast<std::int64_t>(j), word[j] == '1');
    return bits;
}

const std::string kB5C27 = "10110101110000100111";

TEST(ChanceArithmetic, ProbabilitiesTailsAndExaminedCandidates)
{
    EXPECT_EQ(frameMatchProbability(4, 1), 5.0L / 16);
    EXPECT_EQ(frameMatchProbability(20, 2), 211.0L / 1048576);
    EXPECT_EQ(frameMatchProbability(4, 15), 1.0L);
    EXPECT_EQ(frameMatchProbability(4, -1), 0.0L);
    EXPECT_NEAR(log10BinomialTail(3, 0.5L, 2), std::log10(0.5L), 1e-15L);
    EXPECT_NEAR(log10BinomialTail(5, 0.1L, 2), std::log10(0.08146L), 1e-15L);
    EXPECT_NEAR(log10BinomialTail(20, 0.5L, 15), std::log10(21700.0L / 1048576), 1e-15L);
    EXPECT_NEAR(log10BinomialTail(10, 0.5L, 1), std::log10(1023.0L / 1024), 1e-15L); // the bulk
    EXPECT_EQ(log10BinomialTail(20, 0.3L, 0), 0.0L);
    EXPECT_TRUE(std::isinf(log10BinomialTail(20, 0.3L, 21)));
    // 10^-6000 is far below the smallest long double; the log stays exact.
    EXPECT_NEAR(log10BinomialTail(2000, 1e-3L, 2000), -6000.0L, 1e-9L);
    const long double middle = log10BinomialTail(100000, 0.5L, 50000);
    EXPECT_GT(middle, std::log10(0.49L));
    EXPECT_LT(middle, std::log10(0.51L));
    AnalysisParameters p = resetParams();
    EXPECT_EQ(examinedCandidates(p), 200500.0L); // 300 + 301 + ... + 700
    p.START_SYNC_INTERVAL = -5;
    p.END_SYNC_INTERVAL = 3;
    EXPECT_EQ(examinedCandidates(p), 6.0L); // intervals of 0 or less have no index
    p.START_SYNC_INTERVAL = 700;
    p.END_SYNC_INTERVAL = 300;
    EXPECT_EQ(examinedCandidates(p), 0.0L);
}

TEST(Summary, EchoesFoldIntoTheFrameWithItsFixedRegion)
{
    // B5C27 at index 36 of 512-bit frames; a plateau 31..41 and echoes at 1024.
    const auto bits = stream(37, 512, kB5C27);
    CandidateRecords rows;
    const int counts[] = {10, 13, 16, 19, 20, 21, 20, 19, 17, 16, 13};
    for (int i = 0; i < 11; ++i) rows.push_back({512, 31 + i, counts[i]});
    for (int i = 0; i < 11; ++i) rows.push_back({1024, 31 + i, counts[i]});
    for (int i = 0; i < 11; ++i) rows.push_back({1024, 543 + i, counts[i]});
    AnalysisParameters p = resetParams();
    p.END_SYNC_INTERVAL = 1100;
    const auto groups = summariseCandidates(rows, *bits, p, MAX_INPUT_BITS);
    ASSERT_EQ(groups.size(), 1u);
    const SummaryGroup& g = groups[0];
    EXPECT_EQ(g.rows, 33);
    EXPECT_EQ(g.interval, 512);
    EXPECT_EQ(g.syncOffset, 36);
    EXPECT_EQ(g.syncBits, kB5C27);
    EXPECT_EQ(g.fixedStart, 36);
    EXPECT_EQ(g.fixedLength, 20);
    EXPECT_EQ(g.best, (CandidateRecord{512, 36, 21}));
    EXPECT_EQ(g.intervals, (std::vector<std::int64_t>{512, 1024}));
    EXPECT_EQ((std::pair{g.firstIndex, g.lastIndex}), (std::pair<std::int64_t, std::int64_t>{31, 41}));
}

TEST(Summary, GroupingJoinsNeighboursAndMultiplesOnly)
{
    const auto bits = stream(1, 1, "");
    struct Case {
        CandidateRecords rows;
        std::size_t groups;
    };
    const Case cases[] = {
        {{{500, 10, 12}, {512, 10, 12}}, 2},                  // neither a multiple of the other
        {{{600, 0, 12}, {600, 2, 12}}, 2},                    // two apart: not neighbours
        {{{100, 99, 14}, {100, 0, 14}, {100, 1, 14}, {100, 2, 14}}, 1}, // round the frame end
        {{{300, 5, 15}, {900, 606, 15}, {600, 304, 15}}, 1},  // 606 and 304 mod 300 are 6 and 4
        {{{300, 5, 15}, {1200, 8, 11}}, 2},                   // 8 is three away from 5
        {{}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(summariseCandidates(c.rows, *bits, resetParams(), MAX_INPUT_BITS).size(), c.groups)
            << c.rows.size() << " rows";
    // Without a fixed region the offset is the lower middle of the tied run.
    const auto wrap = summariseCandidates(cases[2].rows, *bits, resetParams(), MAX_INPUT_BITS);
    EXPECT_EQ(wrap[0].syncOffset, 0);
    EXPECT_EQ(wrap[0].fixedLength, 0);
    EXPECT_EQ(wrap[0].firstIndex, 99);
    EXPECT_EQ(wrap[0].lastIndex, 2);
}

TEST(Summary, FillBeforeTheWordIsSkippedAndRanksBelowIt)
{
    // 64 zero bits, then a word starting with 0 at 164 + 64: fill ends on a byte.
    auto bits = stream(229, 512, "01001010001111011000");
    for (std::int64_t at = 165; at <= MAX_INPUT_BITS - 64; at += 512)
        for (std::int64_t j = 0; j < 64; ++j) bits->set(at + j, 0);
    // The zero run recurs at neighbouring intervals as well as the word does.
    const CandidateRecords rows = {{511, 180, 21}, {511, 181, 21}, {512, 226, 21}, {512, 227, 21}, {512, 228, 21},
                                   {512, 229, 21}, {512, 230, 21}, {513, 190, 21}};
    const auto groups = summariseCandidates(rows, *bits, resetParams(), MAX_INPUT_BITS);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].interval, 512);
    EXPECT_EQ(groups[0].syncOffset, 228);
    EXPECT_EQ(groups[0].fixedStart, 164);
    EXPECT_EQ(groups[0].fixedLength, 84);
    EXPECT_EQ(groups[0].fixedHex, "00000000000000004A3D8");
    EXPECT_LT(groups[0].chanceLog10 + 20, groups[1].chanceLog10);
}

TEST(Summary, PublishedWordIsNamedPinnedAndShowsInvertedPolarity)
{
    // The complement of FE6B2840 after a constant word, in 600-bit frames.
    const std::string word = knownWordBits(knownSyncWords()[1]);
    std::string inverted;
    for (const char c : word) inverted += c == '1' ? '0' : '1';
    const auto bits = stream(101, 600, "1100101000110101" + inverted);
    const CandidateRecords rows = {{600, 100, 21}, {600, 101, 21}, {600, 102, 21}};
    const auto groups = summariseCandidates(rows, *bits, resetParams(), MAX_INPUT_BITS);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].syncName, "IRIG 106 32-bit");
    EXPECT_TRUE(groups[0].inverted);
    EXPECT_EQ(groups[0].syncHex, "FE6B2840");
    EXPECT_EQ(groups[0].syncOffset, 116); // where the word starts, not the region
    EXPECT_EQ(groups[0].fixedStart, 100);
    EXPECT_EQ(groups[0].fixedLength, 48);
}

TEST(KnownSyncWords, TableAndTolerance)
{
    std::string all;
    for (const KnownSyncWord& w : knownSyncWords()) all += std::string(w.hex) + " ";
    EXPECT_EQ(all, "034776C7272895B0 FE6B2840 1ACFFC1D FAF320 EB90 ");
    EXPECT_EQ(knownWordBits(knownSyncWords()[4]), "1110101110010000");
    std::string asm32 = "0101" + knownWordBits(knownSyncWords()[2]);
    const auto exact = findKnownSyncWord(asm32, 2);
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(exact->at, 4u);
    asm32[10] = asm32[10] == '1' ? '0' : '1'; // one error: 2 per 64 bits lets a 32-bit word off one
    EXPECT_TRUE(findKnownSyncWord(asm32, 2).has_value());
    EXPECT_FALSE(findKnownSyncWord(asm32, 1).has_value());
    EXPECT_FALSE(findKnownSyncWord("1110101110010001", 3).has_value()); // a 16-bit word must be exact
}

TEST(SummaryText, PrintsEveryFieldAndTheModel)
{
    const auto bits = stream(37, 512, kB5C27);
    const CandidateRecords rows = {{512, 35, 20}, {512, 36, 20}, {512, 37, 20}};
    const AnalysisParameters p = resetParams();
    const auto groups = summariseCandidates(rows, *bits, p, MAX_INPUT_BITS);
    const std::string text = summaryText(groups, rows.size(), p);
    EXPECT_EQ(text.rfind("Summary: 1 group(s) from 3 reported candidate(s).\nChance model: capture. ", 0), 0u) << text;
    EXPECT_NE(text.find("200500 candidates examined x P(Binomial(frames - 1, q) >= agreeing frames - 1)"), std::string::npos) << text;
    EXPECT_NE(text.find("\n   1       512     36     20     3  " + formatLog10(groups[0].chanceLog10) +
                        "  normal    B5C27      -     36+20:B5C27   35-37    512\n"),
              std::string::npos)
        << text;
    const std::string csv = summaryCsv(groups);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "rank,interval,index,pattern,hex,name,polarity,fixed_start,fixed_length,"
                                            "fixed_hex,count,rows,chance_model,expected_by_chance,"
                                            "log10_expected_by_chance,first_index,last_index,intervals");
    EXPECT_NE(csv.find("\n1,512,36," + kB5C27 + ",B5C27,,normal,36,20,B5C27,20,3,capture,"), std::string::npos) << csv;
    EXPECT_NE(summaryJsonArray(groups).find("{\"rank\":1,\"interval\":512,\"index\":36,\"pattern\":\"" + kB5C27 +
                                            "\",\"hex\":\"B5C27\",\"name\":null,\"polarity\":\"normal\",\"fixedStart\":"
                                            "36,\"fixedLength\":20,\"fixedHex\":\"B5C27\",\"count\":20,\"rows\":3,"
                                            "\"chanceModel\":\"capture\",\"expectedByChance\":"),
              std::string::npos)
        << summaryJsonArray(groups);
    EXPECT_EQ(summaryJsonArray({}), "[]");
    EXPECT_EQ(formatLog10(std::log10(1.23e-65L)), "1.2e-65");
    EXPECT_EQ(formatLog10(std::log10(9.96e4L)), "1.0e+05");
    EXPECT_EQ(formatLog10(-std::numeric_limits<long double>::infinity()), "0");
}

// Runs the whole pipeline on an input file and summarises what it reported.
std::vector<SummaryGroup> runAndSummarise(const std::string& input, const AnalysisParameters& params, TempDir& dir)
{
    auto session = std::make_unique<Session>();
    session->params = params;
    session->inputPath = input;
    session->resultPath = dir.file("R.txt");
    ScriptedToolkit toolkit;
    CollectingView view(session->bits, session->params);
    EXPECT_TRUE(RunAnalysis(*session, toolkit, view));
    CandidateRecords records;
    for (const ReportedCandidate& c : view.results)
        records.push_back({static_cast<std::int32_t>(c.interval), static_cast<std::int32_t>(c.index), c.count});
    return summariseCandidates(records, session->bits, session->params, session->decodedBits);
}

TEST(SummaryOnCaptures, SampleLeadsWithItsFrame)
{
    TempDir dir;
    const auto groups =
        runAndSummarise((std::filesystem::path(MORVELAN_SOURCE_DIR) / "examples" / "sample.txt").string(),
                        resetParams(), dir);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].interval, 512);
    EXPECT_EQ(groups[0].syncOffset, 36);
    EXPECT_EQ(groups[0].syncHex, "B5C27");
    EXPECT_EQ(groups[0].rows, 11);
}

TEST(SummaryOnCaptures, GeneratedCasesLeadWithTheTrueFrame)
{
    AnalysisParameters p = resetParams(); // the evaluation program's parameters
    p.START_SYNC_INTERVAL = 200;
    p.END_SYNC_INTERVAL = 2100;
    p.SYNC_BIT_SIZE = 16;
    p.FRAME_ROUNDS = 40;
    p.THRESHOLD = 36;
    // 23, 27, 42: an unknown word beside status words, fill run on into it.
    for (const std::uint32_t seed : {6u, 23u, 27u, 41u, 42u}) {
        const GeneratedCapture c = generateCapture(seed);
        TempDir dir;
        ASSERT_TRUE(writeCaptureFile(c, dir.file("capture.txt")));
        const auto groups = runAndSummarise(dir.file("capture.txt"), p, dir);
        ASSERT_FALSE(groups.empty()) << seed;
        EXPECT_EQ(groups[0].interval, c.interval) << seed;
        EXPECT_EQ(groups[0].syncOffset, c.offset) << seed;
        EXPECT_EQ(groups[0].syncName, c.syncName) << seed;
        if (c.syncName.empty()) continue; // an unknown word's polarity cannot be told
        EXPECT_EQ(groups[0].inverted, c.inverted) << seed;
        EXPECT_EQ(groups[0].syncHex, c.syncHex) << seed;
    }
}

// Sync words whose width is no multiple of eight (18, 20, 26 bits), followed
// by a subframe ID counter: the word starts where the frame's constant bits
// start, not where a byte grid ending at the counter would put it.
TEST(SummaryOnCaptures, WordsOfAnyWidthKeepTheirFirstBit)
{
    for (const int syncBits : {18, 20, 26, 24}) {
        SCOPED_TRACE(syncBits);
        TelemetryOptions o;
        o.seed = static_cast<std::uint32_t>(syncBits) * 13 + 1;
        o.syncBits = syncBits;
        o.frames = 60;
        const TelemetryCapture c = generateTelemetry(o);
        TempDir dir;
        const std::string path = dir.write("capture.u8", std::string(c.bits.begin(), c.bits.end()));
        AnalysisParameters p = resetParams();
        p.SYNC_BIT_SIZE = syncBits / 4 * 4;
        p.START_SYNC_INTERVAL = 100;
        p.END_SYNC_INTERVAL = 3000;
        p.FRAME_ROUNDS = 20;
        p.THRESHOLD = 15;
        const auto groups = runAndSummarise(path, p, dir);
        ASSERT_FALSE(groups.empty());
        EXPECT_EQ(groups[0].interval, c.formats[0].interval);
        const std::int64_t apart = (groups[0].syncOffset - c.frames[0].bit) % groups[0].interval;
        EXPECT_EQ(apart, 0)
            << groups[0].syncOffset << " against " << c.frames[0].bit;
    }
}

} // namespace
