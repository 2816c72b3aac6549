// Hand-computed cases of the sync search: the worked example line, the
// corners of the report rule and of the exclusion test, aborts, and the
// pattern comparison.
#include "reference_search.h"

#include "engine/run_view.h"
#include "engine/search.h"
#include "engine/session.h"
#include "files/result_file.h"
#include "files/result_rows.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

class CapturingView : public RunView {
public:
    std::vector<std::string> lines;
    void appendResultLine(std::string_view line) override { lines.emplace_back(line); }
};

struct RunOutcome {
    bool completed = false;
    std::string fileBytes;
    std::vector<std::string> lines;
    std::int32_t found = 0;
};

class SearchSyncTest : public ::testing::Test {
protected:
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit toolkit;
    CapturingView view;
    TempDir dir;

    SearchSyncTest()
    {
        AnalysisParameters& p = session->params;
        ResetParameters(p);
        p.IGNORE_START_BITS = 0;
    }

    RunOutcome run()
    {
        const std::string path = dir.file("result.txt");
        session->foundCount = 0;
        view.lines.clear();
        EXPECT_TRUE(session->files.result.open(path));
        RunOutcome out;
        out.completed = SearchIntoResultFile(*session, session->params, toolkit, view);
        session->files.result.close();
        out.fileBytes = readBytes(path);
        out.lines = view.lines;
        out.found = session->foundCount;
        return out;
    }

    void fillRandom(std::int64_t from, std::int64_t to, std::uint32_t seed)
    {
        std::mt19937 engine(seed);
        for (std::int64_t cell = from; cell <= to; ++cell) session->bits.set(cell, engine() & 1U);
    }

    void writeBits(std::int64_t at, std::string_view bits)
    {
        for (const char c : bits) session->bits.set(at++, c == '1' ? 1 : 0);
    }
};

const std::string kExampleRow = " 500" + std::string(10, ' ') + "  37" + std::string(10, ' ') +
                                "0100011101000111(4747)" + std::string(6, ' ') + "   12\r\n";
const std::string kExampleLine = "  500   37 0100011101000111(4747)    12 \r\n";

TEST(ResultLines, WorkedExampleByteForByte)
{
    std::string line;
    appendWindowLine(line, 500, 37, "0100011101000111", "4747", 12);
    EXPECT_EQ(line, kExampleLine);
    std::string row;
    appendResultRow(row, 500, 37, "0100011101000111", "4747", 12);
    EXPECT_EQ(row, kExampleRow);
    // The oracle of the differential test formats the same bytes.
    EXPECT_EQ(ReferenceWindowLine(500, 37, "0100011101000111", "4747", 12), kExampleLine);
    EXPECT_EQ(ReferenceResultRow(500, 37, "0100011101000111", "4747", 12), kExampleRow);
}

TEST(ResultLines, CountColumnFollowsThePatternWidth)
{
    // Field 4 starts at the first zone start after field 3 (S + 2 + S/4 long).
    const std::vector<std::pair<int, std::size_t>> columns = {
        {4, 43},  {8, 43},  {12, 57}, {16, 57}, {20, 57}, {24, 71},  {28, 71},  {32, 71},
        {36, 85}, {40, 85}, {44, 99}, {48, 99}, {52, 99}, {56, 113}, {60, 113}, {64, 113}};
    for (const auto& [size, column] : columns) {
        std::string row;
        appendResultRow(row, 300, 1, std::string(static_cast<std::size_t>(size), '1'),
                        std::string(static_cast<std::size_t>(size / 4), 'F'), 2);
        EXPECT_EQ(row.size(), column - 1 + 5 + 2) << size << " bits";
        EXPECT_EQ(row.substr(column - 1), "    2\r\n") << size << " bits";
        EXPECT_EQ(ReferenceResultRow(300, 1, std::string(static_cast<std::size_t>(size), '1'),
                                     std::string(static_cast<std::size_t>(size / 4), 'F'), 2),
                  row)
            << size << " bits";
    }
}

TEST(ResultLines, LongNumbersKeepTheirLastDigits)
{
    std::string line;
    appendWindowLine(line, 10005, 12345, "0000", "0", 123456);
    EXPECT_EQ(line, " 0005 2345 0000(0) 23456 \r\n");
    std::string row;
    appendResultRow(row, 10005, 12345, "0000", "0", 123456);
    EXPECT_EQ(row, "0005" + std::string(10, ' ') + "2345" + std::string(10, ' ') + "0000(0)" +
                       std::string(7, ' ') + "23456\r\n");
}

TEST_F(SearchSyncTest, WorkedExampleThroughTheSearch)
{
    AnalysisParameters& p = session->params;
    p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = 500;
    p.SYNC_BIT_SIZE = 16;
    p.ALLOW_ERR_BITS = 0;
    p.FRAME_ROUNDS = 11;
    p.THRESHOLD = 12;
    // Frame k (cells 500(k-1)+1 .. 500k) is all 0 for odd k and all 1 for even
    // k, so no other offset recurs in more than every second frame; the word
    // sits at offset 37 of all 12 frames.
    for (std::int64_t cell = 1; cell <= 500 * 13; ++cell) session->bits.set(cell, ((cell - 1) / 500) % 2);
    for (int k = 1; k <= 12; ++k) writeBits(1 + 37 + (k - 1) * 500, "0100011101000111");

    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.fileBytes, kExampleRow);
    EXPECT_EQ(out.lines, std::vector<std::string>{kExampleLine});
    EXPECT_EQ(out.found, 1);
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(SearchSyncTest, EndBelowStartExaminesNothing)
{
    session->params.START_SYNC_INTERVAL = 700;
    session->params.END_SYNC_INTERVAL = 699;
    session->params.THRESHOLD = 2;
    session->params.SYNC_BIT_SIZE = 7; // would show a message for any candidate examined
    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.fileBytes, "");
    EXPECT_TRUE(out.lines.empty());
    EXPECT_EQ(out.found, 0);
    EXPECT_TRUE(toolkit.messages.empty());
}

class EveryFrameMatches : public SearchSyncTest {
protected:
    EveryFrameMatches()
    {
        AnalysisParameters& p = session->params;
        p.START_SYNC_INTERVAL = 10;
        p.END_SYNC_INTERVAL = 12;
        p.SYNC_BIT_SIZE = 4;
        p.ALLOW_ERR_BITS = 4;
        p.FRAME_ROUNDS = 5;
        p.THRESHOLD = 6;
        p.EXCLUDE_PAT = {"", "", "", "", ""};
        fillRandom(0, 200, 7);
    }
};

TEST_F(EveryFrameMatches, EmptyExclusionPatternLeavesEveryFrameOut)
{
    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.fileBytes, "");
    EXPECT_TRUE(out.lines.empty());
    EXPECT_EQ(out.found, 0);
}

TEST_F(EveryFrameMatches, WithExclusionsOffEveryCandidateIsReported)
{
    session->options.skipExclusions = true;
    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    std::string expected;
    for (int interval = 10; interval <= 12; ++interval) {
        for (int index = 0; index < interval; ++index) {
            std::string pattern;
            int value = 0;
            for (int j = 0; j < 4; ++j) {
                const int bit = session->bits.get(1 + index + j);
                pattern += static_cast<char>('0' + bit);
                value = value * 2 + bit;
            }
            appendResultRow(expected, interval, index, pattern, std::string(1, "0123456789ABCDEF"[value]), 6);
        }
    }
    EXPECT_EQ(out.fileBytes, expected);
    EXPECT_EQ(out.found, 10 + 11 + 12);
    EXPECT_EQ(out.lines.size(), 33U);
}

class LowThreshold : public SearchSyncTest, public ::testing::WithParamInterface<std::int32_t> {
protected:
    LowThreshold()
    {
        AnalysisParameters& p = session->params;
        p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = 4;
        p.SYNC_BIT_SIZE = 4;
        p.ALLOW_ERR_BITS = 0;
        p.FRAME_ROUNDS = 1;
        p.THRESHOLD = GetParam();
    }
};

TEST_P(LowThreshold, NoMatchingFrameIsNeverReported)
{
    // Cells 1..4 are 1 and 5..12 are 0: frame 1 never equals frame 2.
    writeBits(1, "111100000000");
    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.fileBytes, "");
    EXPECT_EQ(out.found, 0);
}

TEST_P(LowThreshold, OneMatchingFrameIsReported)
{
    // Cells 1..8 are 1: only index 0 sees 1111 in both frames.
    writeBits(1, "111111110000");
    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    std::string expected;
    appendResultRow(expected, 4, 0, "1111", "F", 2);
    EXPECT_EQ(out.fileBytes, expected);
    EXPECT_EQ(out.found, 1);
}

INSTANTIATE_TEST_SUITE_P(BelowTwo, LowThreshold, ::testing::Values(1, 0, -5, INT32_MIN));

// A run long enough to yield several times, with rows from its first
// intervals on.
class AbortedSearch : public SearchSyncTest {
protected:
    AbortedSearch()
    {
        AnalysisParameters& p = session->params;
        p.START_SYNC_INTERVAL = 100;
        p.END_SYNC_INTERVAL = 400;
        p.SYNC_BIT_SIZE = 20;
        p.ALLOW_ERR_BITS = 2;
        p.FRAME_ROUNDS = 200;
        p.THRESHOLD = 2;
        session->options.skipExclusions = true;
        fillRandom(0, kBitBufferLast, 11);
    }

    // Presses Abort at the first yield after a row was reported.
    void pressAbortAfterFirstRow()
    {
        toolkit.onYield = [this](int) {
            if (pressedAt || view.lines.empty()) return;
            session->abortFlag = true;
            pressedAt = view.lines.size();
        };
    }

    std::size_t pressedAt = 0;
    const std::vector<RecordedMessage> abortQuestion{{"中止してよろしいですか？", "確認", Buttons::OkCancel}};
};

TEST_F(AbortedSearch, OkEndsTheRunAndKeepsTheRowsWrittenSoFar)
{
    const RunOutcome full = run();
    ASSERT_TRUE(full.completed);
    ASSERT_TRUE(toolkit.messages.empty());

    pressAbortAfterFirstRow();
    toolkit.answers = {Answer::Ok};
    const RunOutcome aborted = run();
    ASSERT_GT(pressedAt, 0U) << "the run never yielded after its first row";
    EXPECT_FALSE(aborted.completed);
    EXPECT_EQ(toolkit.messages, abortQuestion);
    EXPECT_LT(pressedAt, full.lines.size());
    // Nothing is reported after the confirmed question.
    EXPECT_EQ(aborted.lines, std::vector<std::string>(full.lines.begin(), full.lines.begin() + pressedAt));
    EXPECT_EQ(full.fileBytes.substr(0, aborted.fileBytes.size()), aborted.fileBytes);
    EXPECT_EQ(static_cast<std::size_t>(std::count(aborted.fileBytes.begin(), aborted.fileBytes.end(), '\n')),
              pressedAt);
    EXPECT_EQ(aborted.found, static_cast<std::int32_t>(pressedAt));
}

TEST_F(AbortedSearch, CancelResumesAndCompletesTheSameRun)
{
    const RunOutcome full = run();
    ASSERT_TRUE(full.completed);

    pressAbortAfterFirstRow();
    toolkit.answers = {Answer::Cancel};
    const RunOutcome resumed = run();
    ASSERT_GT(pressedAt, 0U) << "the run never yielded after its first row";
    EXPECT_TRUE(resumed.completed);
    EXPECT_FALSE(session->abortFlag);
    EXPECT_EQ(toolkit.messages, abortQuestion);
    EXPECT_EQ(resumed.fileBytes, full.fileBytes);
    EXPECT_EQ(resumed.lines, full.lines);
    EXPECT_EQ(resumed.found, full.found);
}

struct MatchCase {
    const char* name;
    std::string a;
    std::string b;
    std::int32_t mismatches; // the least ALLOW_ERR_BITS that still matches
};

// Keeps the discovered test names short and the same from run to run (the
// default printer shows the object's raw bytes, pointers included).
void PrintTo(const MatchCase& c, std::ostream* os)
{
    *os << c.name;
}

class PatternsMatchCases : public ::testing::TestWithParam<MatchCase> {};

TEST_P(PatternsMatchCases, MatchesFromItsMismatchCountOn)
{
    const MatchCase& c = GetParam();
    EXPECT_TRUE(PatternsMatch(c.a, c.b, c.mismatches));
    EXPECT_TRUE(PatternsMatch(c.b, c.a, c.mismatches));
    EXPECT_FALSE(PatternsMatch(c.a, c.b, c.mismatches - 1));
    EXPECT_FALSE(PatternsMatch(c.b, c.a, c.mismatches - 1));
    // The oracle of the differential test agrees.
    EXPECT_TRUE(ReferencePatternsMatch(c.a, c.b, c.mismatches));
    EXPECT_FALSE(ReferencePatternsMatch(c.a, c.b, c.mismatches - 1));
}

std::string repeat(std::string_view piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PatternsMatchCases,
    ::testing::Values(
        MatchCase{"Identical", "01000111", "01000111", 0},
        MatchCase{"BothEmpty", "", "", 0},
        MatchCase{"OnlyFirstTwentyPositions", repeat("0", 20) + "1111", repeat("0", 20) + "0000", 0},
        MatchCase{"PositionTwentyCounts", repeat("0", 19) + "1", repeat("0", 20), 1},
        MatchCase{"PastTheEndOfOneDiffers", "0101", "01010", 1},
        MatchCase{"EmptyAgainstFourBits", "", "0000", 4},
        MatchCase{"EmptyAgainstLongPattern", "", repeat("1", 64), 20},
        MatchCase{"CaseSensitive", "abcF", "ABCF", 3},
        MatchCase{"HexDigitsDifferFromBits", "A5", "1010", 4},
        MatchCase{"MultibyteIsOneCharacter", "あ0", "10", 1},
        MatchCase{"MultibyteBeyondTwentyBytes", repeat("あ", 7) + "1", repeat("あ", 7) + "0", 1},
        MatchCase{"MultibyteBeyondTwentyCharacters", repeat("同", 20) + "x", repeat("同", 20) + "y", 0},
        MatchCase{"FourByteCharacter", "😀😀1", "😀😁1", 1}),
    [](const ::testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

TEST(PatternsMatch, NegativeToleranceNeverMatches)
{
    EXPECT_FALSE(PatternsMatch("0101", "0101", -1));
    EXPECT_FALSE(PatternsMatch("", "", -1));
}

} // namespace
