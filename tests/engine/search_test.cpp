// Hand-computed cases of the sync search on every comparison kind, with and
// without worker threads: the worked example, the end of the buffer and
// aborts. The corners of the report rule and of the exclusion test are cases
// of the differential test.
#include "files/parameter_table.h"
#include "reference_search.h"

#include "engine/run_view.h"
#include "engine/search.h"
#include "files/session.h"
#include "files/result_rows.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

class CapturingView : public RunView {
public:
    std::vector<std::string> lines;
    std::vector<CandidateRecord> records;
    void appendResultLine(std::string_view line) override { lines.emplace_back(line); }
    void candidateReported(const CandidateRecord& record) override { records.push_back(record); }
};

struct RunOutcome {
    bool completed = false;
    std::string fileBytes;
    std::vector<std::string> lines;
    std::vector<CandidateRecord> records;
    std::int32_t found = 0;
};

std::vector<SearchSettings> everyPath()
{
    std::vector<SearchSettings> paths = {
        {1, SearchKernel::PerCandidate}, {1, SearchKernel::Words64}, {3, SearchKernel::Words64}};
    if (isKernelAvailable(SearchKernel::Avx2)) paths.push_back({3, SearchKernel::Avx2});
    return paths;
}

class SearchSyncTest : public ::testing::Test {
protected:
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit toolkit;
    CapturingView view;
    TempDir dir;

    SearchSyncTest() { ResetParameters(session->params); }

    RunOutcome run(const SearchSettings& settings = {})
    {
        const std::string path = dir.file("result.txt");
        session->foundCount = 0;
        view.lines.clear();
        view.records.clear();
        EXPECT_TRUE(session->files.result.open(path));
        RunOutcome out;
        out.completed = SearchIntoResultFile(*session, session->params, toolkit, view, settings);
        session->files.result.close();
        out.fileBytes = readBytes(path);
        out.lines = view.lines;
        out.records = view.records;
        out.found = session->foundCount;
        return out;
    }

    void writeBits(std::int64_t at, std::string_view bits)
    {
        for (const char c : bits) session->bits.set(at++, c == '1' ? 1 : 0);
    }
};

TEST_F(SearchSyncTest, WorkedExampleOnEveryPath)
{
    AnalysisParameters& p = session->params;
    p.START_SYNC_INTERVAL = 450;
    p.END_SYNC_INTERVAL = 500;
    p.SYNC_BIT_SIZE = 16;
    p.ALLOW_ERR_BITS = 0;
    p.FRAME_ROUNDS = 11;
    p.THRESHOLD = 12;
    // Frame k (cells 500(k-1)+1 .. 500k) is all 0 for odd k and all 1 for even
    // k, so only the word at offset 37 of all 12 frames recurs 12 times.
    for (std::int64_t cell = 1; cell <= 500 * 13; ++cell) session->bits.set(cell, ((cell - 1) / 500) % 2);
    for (int k = 1; k <= 12; ++k) writeBits(1 + 37 + (k - 1) * 500, "0100011101000111");
    const std::string row = " 500" + std::string(10, ' ') + "  37" + std::string(10, ' ') + "0100011101000111(4747)" +
                            std::string(6, ' ') + "   12\r\n";
    for (const SearchSettings& settings : everyPath()) {
        const RunOutcome out = run(settings);
        EXPECT_TRUE(out.completed);
        EXPECT_EQ(out.fileBytes, row);
        EXPECT_EQ(out.lines, std::vector<std::string>{"  500   37 0100011101000111(4747)    12 \r\n"});
        EXPECT_EQ(out.found, 1);
    }
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(SearchSyncTest, EndBelowStartExaminesNothing)
{
    session->params.START_SYNC_INTERVAL = 700;
    session->params.END_SYNC_INTERVAL = 699;
    session->params.SYNC_BIT_SIZE = 7; // would show a message for any candidate examined
    const RunOutcome out = run();
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.fileBytes, "");
    EXPECT_EQ(out.found, 0);
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(SearchSyncTest, AbortFlagSetAtTheStartIsAskedBeforeAnyCandidate)
{
    session->params.START_SYNC_INTERVAL = session->params.END_SYNC_INTERVAL = 300;
    session->params.THRESHOLD = 2;
    session->params.SYNC_BIT_SIZE = 4; // every index reports on an all-zero buffer
    for (const SearchSettings& settings : everyPath()) {
        session->abortFlag.request();
        toolkit.answers = {Answer::Ok};
        toolkit.messages.clear();
        const RunOutcome out = run(settings);
        EXPECT_FALSE(out.completed);
        EXPECT_EQ(toolkit.messages.size(), 1U);
        EXPECT_EQ(out.fileBytes, "");
        EXPECT_EQ(out.found, 0);
    }
}

TEST_F(SearchSyncTest, OneCellFrameOnTheLastCellIsComparedAsOneCell)
{
    // Frame 2 of index 0 is cell 300100 alone: 19 positions differ by
    // length, so with 19 allowed it matches when its one bit agrees.
    AnalysisParameters& p = session->params;
    p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = 20;
    p.IGNORE_START_BITS = kBitBufferLast - 21;
    p.ALLOW_ERR_BITS = 19;
    p.FRAME_ROUNDS = 1;
    p.THRESHOLD = 2;
    session->options.skipExclusions = true;
    writeBits(kBitBufferLast - 20, "000000000000000000000");
    ScriptedToolkit referenceKit;
    const ReferenceResult expected = ReferenceSearchSync(session->bits, p, true, referenceKit);
    ASSERT_FALSE(expected.rows.empty());
    EXPECT_EQ(expected.rows.front().substr(0, 28), "  20             0          ");
    for (const SearchSettings& settings : everyPath()) {
        toolkit.messages.clear();
        const RunOutcome out = run(settings);
        std::string rows;
        for (const std::string& row : expected.rows) rows += row;
        EXPECT_EQ(out.fileBytes, rows);
        EXPECT_EQ(toolkit.messages, referenceKit.messages);
    }
}

// The last frame of a candidate near the end of the bit-sliced range ends on
// the last cell of the buffer; one index further it is cut by it. Over a
// mostly-zero capture a cut frame read as a full one (the zero padding after
// the buffer) would match, so the vector paths must count as the
// one-at-a-time path does on every row.
struct BufferEndCase {
    std::int32_t interval;
    std::int32_t frames;
    std::int32_t syncBits;
    std::int32_t ignore;
};

void PrintTo(const BufferEndCase& c, std::ostream* os)
{
    *os << "interval " << c.interval << ", " << c.frames << " frames, " << c.syncBits << " bits, ignore " << c.ignore;
}

class VectorPathAtTheBufferEnd : public SearchSyncTest, public ::testing::WithParamInterface<BufferEndCase> {};

TEST_P(VectorPathAtTheBufferEnd, CountsAsOneCandidateAtATime)
{
    const BufferEndCase& c = GetParam();
    AnalysisParameters& p = session->params;
    p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = c.interval;
    p.FRAME_ROUNDS = c.frames;
    p.SYNC_BIT_SIZE = c.syncBits;
    p.IGNORE_START_BITS = c.ignore;
    p.ALLOW_ERR_BITS = 0; // a frame one cell short differs
    p.THRESHOLD = 2;
    // The index whose last frame ends on the last cell.
    const std::int64_t first = std::int64_t{c.ignore} + 1;
    const std::int64_t lastWhole =
        kBitBufferLast - std::min(c.syncBits, 20) + 1 - std::int64_t{c.frames} * c.interval - first;
    ASSERT_GE(lastWhole, 0);
    ASSERT_LT(lastWhole + 1, c.interval);
    // A short capture after the references of those indexes; zero elsewhere.
    std::mt19937 engine(7);
    for (std::int64_t cell = first + lastWhole + 64; cell <= first + lastWhole + 3000; ++cell)
        session->bits.set(cell, engine() & 1U);

    const RunOutcome one = run({1, SearchKernel::PerCandidate});
    // The case straddles the end: every frame matches up to lastWhole, the
    // last one no longer after it.
    const auto countOf = [&](std::int64_t index) {
        for (const CandidateRecord& r : one.records)
            if (r.index == index) return std::int64_t{r.count};
        return std::int64_t{-1};
    };
    ASSERT_EQ(countOf(lastWhole), c.frames + 1);
    ASSERT_EQ(countOf(lastWhole + 1), c.frames);
    for (const SearchSettings& settings : everyPath()) {
        const RunOutcome out = run(settings);
        EXPECT_EQ(out.records, one.records) << "kernel " << static_cast<int>(settings.kernel);
        EXPECT_EQ(out.fileBytes, one.fileBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, VectorPathAtTheBufferEnd,
                         ::testing::Values(BufferEndCase{15000, 20, 20, 0},  // index 80: inside the first word
                                           BufferEndCase{15004, 20, 20, 0},  // index 0: the first lane
                                           BufferEndCase{15000, 20, 4, 37},  // index 59
                                           BufferEndCase{30000, 10, 20, 15}, // index 65: the second word
                                           BufferEndCase{15001, 20, 32, 3},  // index 57: only 20 bits compared
                                           BufferEndCase{11993, 25, 20, 0},  // index 255: the last lane of a vector
                                           BufferEndCase{14990, 20, 8, 0})); // index 292: a vector and a part

// A run long enough to yield several times, with rows from its first
// intervals on; on one thread and with workers.
class AbortedSearch : public SearchSyncTest, public ::testing::WithParamInterface<int> {
protected:
    AbortedSearch()
    {
        AnalysisParameters& p = session->params;
        p.START_SYNC_INTERVAL = 100;
        p.END_SYNC_INTERVAL = 400;
        p.FRAME_ROUNDS = 200;
        p.THRESHOLD = 2;
        session->options.skipExclusions = true;
        std::mt19937 engine(11);
        for (std::int64_t cell = 0; cell <= kBitBufferLast; ++cell) session->bits.set(cell, engine() & 1U);
        settings.threads = GetParam();
        settings.kernel = SearchKernel::PerCandidate; // slow enough to yield often
    }

    // Presses Abort at the first yield after a row was reported.
    void pressAbortAfterFirstRow()
    {
        toolkit.onYield = [this](int) {
            if (pressedAt || view.lines.empty()) return;
            session->abortFlag.request();
            pressedAt = view.lines.size();
        };
    }

    SearchSettings settings;
    std::size_t pressedAt = 0;
    const std::vector<RecordedMessage> abortQuestion{{"中止してよろしいですか？", "確認", Buttons::OkCancel}};
};

TEST_P(AbortedSearch, OkEndsTheRunAndKeepsExactlyTheRowsShown)
{
    const RunOutcome full = run(settings);
    ASSERT_TRUE(full.completed);
    pressAbortAfterFirstRow();
    toolkit.answers = {Answer::Ok};
    const RunOutcome aborted = run(settings);
    ASSERT_GT(pressedAt, 0U) << "the run never yielded after its first row";
    EXPECT_FALSE(aborted.completed);
    EXPECT_EQ(toolkit.messages, abortQuestion);
    EXPECT_LT(pressedAt, full.lines.size());
    EXPECT_EQ(aborted.lines, std::vector<std::string>(full.lines.begin(), full.lines.begin() + pressedAt));
    EXPECT_EQ(aborted.fileBytes, full.fileBytes.substr(0, aborted.fileBytes.size()));
    EXPECT_EQ(static_cast<std::size_t>(std::count(aborted.fileBytes.begin(), aborted.fileBytes.end(), '\n')),
              pressedAt);
    EXPECT_EQ(aborted.found, static_cast<std::int32_t>(pressedAt));
}

TEST_P(AbortedSearch, CancelResumesAndCompletesTheSameRun)
{
    const RunOutcome full = run(settings);
    pressAbortAfterFirstRow();
    toolkit.answers = {Answer::Cancel};
    const RunOutcome resumed = run(settings);
    ASSERT_GT(pressedAt, 0U) << "the run never yielded after its first row";
    EXPECT_TRUE(resumed.completed);
    EXPECT_FALSE(session->abortFlag.requested());
    EXPECT_EQ(toolkit.messages, abortQuestion);
    EXPECT_EQ(resumed.fileBytes, full.fileBytes);
    EXPECT_EQ(resumed.lines, full.lines);
}

INSTANTIATE_TEST_SUITE_P(Threads, AbortedSearch, ::testing::Values(1, 3));

} // namespace
