// Intervals of two thousand million bits: nearly every candidate has all its
// frames outside the Bit buffer. Such a run must end at once with the same
// rows and the same messages, in the same order and number, as candidate by
// candidate; a toolkit may hear a run of equal messages as one count.
#include "engine/hex_convert.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/parameter_table.h"
#include "files/run_messages.h"
#include "files/result_rows.h"
#include "files/session.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

// Consecutive equal messages, as one text and how often it came.
struct MessageRun {
    std::string text;
    std::int64_t count = 0;
    bool operator==(const MessageRun&) const = default;
};
void PrintTo(const MessageRun& r, std::ostream* os) { *os << '"' << r.text << "\" x" << r.count; }

// Takes repeated errors whole. Boxes shown one at a time count too; past
// `callLimit` calls the candidates were evidently taken one by one, and the
// toolkit throws, so the test fails at once instead of running for days.
class RunLengthToolkit : public Toolkit {
public:
    explicit RunLengthToolkit(std::int64_t callLimit) : callLimit_(callLimit) {}
    std::vector<MessageRun> runs;
    std::int64_t calls = 0;
    std::int64_t questions = 0;
    std::function<void()> onFirstRepeat;

    Answer showMessage(std::string_view text, std::string_view, Buttons buttons) override
    {
        if (buttons == Buttons::OkCancel) {
            ++questions;
            return answer;
        }
        add(text, 1);
        return Answer::Ok;
    }
    void showErrorRepeated(std::string_view text, std::int64_t count) override
    {
        add(text, count);
        if (onFirstRepeat) std::exchange(onFirstRepeat, nullptr)();
    }
    void yield() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override { return std::nullopt; }
    Answer answer = Answer::Ok;

private:
    void add(std::string_view text, std::int64_t count)
    {
        if (++calls > callLimit_) throw std::runtime_error("the candidates were taken one by one");
        if (!runs.empty() && runs.back().text == text) runs.back().count += count;
        else runs.push_back({std::string(text), count});
    }
    std::int64_t callLimit_;
};

// The messages of converting an all-zero reference of each length, in order.
std::vector<MessageRun> zeroPatternMessages(const std::vector<int>& lengths)
{
    ScriptedToolkit kit;
    ToolkitRunEvents events(kit);
    for (const int n : lengths) HexConvert(events, std::string(static_cast<std::size_t>(n), '0'));
    std::vector<MessageRun> runs;
    for (const std::string& text : kit.texts()) runs.push_back({text, 1});
    return runs;
}

std::vector<int> descending(int from, int to)
{
    std::vector<int> out;
    for (int n = from; n >= to; --n) out.push_back(n);
    return out;
}

std::vector<int> ascending(int from, int to)
{
    std::vector<int> out;
    for (int n = from; n <= to; ++n) out.push_back(n);
    return out;
}

struct OutsideCase {
    const char* name;
    std::int32_t start;
    std::int32_t end;
    std::int32_t ignore;
    std::int32_t allowed;
    std::int32_t threshold;
    bool skipExclusions;
    // The messages of one interval.
    std::vector<MessageRun> (*messages)(std::int64_t interval);
    // Toolkit calls one interval may take: the candidates compared one by
    // one (frames inside the buffer) and one for every slice of 2^18 in a run.
    std::int64_t callsPerInterval;
};

void PrintTo(const OutsideCase& c, std::ostream* os) { *os << c.name; }

constexpr std::int64_t kLast = kBitBufferLast;
const std::string kEmptyPattern = "Error in HexConvert()";

// IGNORE_START_BITS 0, 20-bit words: references cut by the last cell (19 to
// 1 cells inside), then every index from 300100 on with an empty one.
std::vector<MessageRun> pastTheEnd(std::int64_t interval)
{
    std::vector<MessageRun> runs = zeroPatternMessages(descending(19, 1));
    runs.push_back({kEmptyPattern, interval - kLast});
    return runs;
}

// IGNORE_START_BITS INT32_MIN: the reference lies before cell 0 up to index
// INT32_MAX - 20 and reaches 1, 2, ... cells into the buffer after; frame 2
// lies inside for indexes 0 .. 300100 and past it after.
std::vector<MessageRun> beforeAndPast(std::int64_t interval)
{
    constexpr std::int64_t kBefore = std::int64_t{INT32_MAX} - 19;
    std::vector<MessageRun> runs{{kEmptyPattern, kBefore}};
    for (const MessageRun& r : zeroPatternMessages(ascending(1, static_cast<int>(interval - kBefore))))
        runs.push_back(r);
    return runs;
}

class SearchOutsideTheBuffer : public ::testing::Test {
protected:
    std::unique_ptr<Session> session = std::make_unique<Session>();
    TempDir dir;
    OutsideCase c{};

    // Mostly zero: a short capture near the start, but off the references
    // that reach into the buffer from either end.
    void configure(const OutsideCase& outside)
    {
        c = outside;
        ResetParameters(session->params);
        for (std::int64_t cell = 100; cell <= 4100; ++cell) session->bits.set(cell, (cell * 7 / 3) % 2);
        AnalysisParameters& p = session->params;
        p.START_SYNC_INTERVAL = c.start;
        p.END_SYNC_INTERVAL = c.end;
        p.IGNORE_START_BITS = c.ignore;
        p.ALLOW_ERR_BITS = c.allowed;
        p.THRESHOLD = c.threshold;
        session->options.skipExclusions = c.skipExclusions;
    }

    RunLengthToolkit toolkit() const
    {
        return RunLengthToolkit(c.callsPerInterval * (std::int64_t{c.end} - c.start + 1));
    }

    bool run(RunLengthToolkit& kit, const SearchSettings& settings)
    {
        session->foundCount = 0;
        EXPECT_TRUE(session->files.result.open(dir.file("result.txt")));
        RunView view;
        const bool completed = SearchIntoResultFile(*session, session->params, kit, view, settings);
        session->files.result.close();
        return completed;
    }

    std::vector<MessageRun> expectedMessages() const
    {
        std::vector<MessageRun> all;
        for (std::int64_t i = c.start; i <= c.end; ++i) {
            for (const MessageRun& r : c.messages(i)) {
                if (!all.empty() && all.back().text == r.text) all.back().count += r.count;
                else all.push_back(r);
            }
        }
        return all;
    }
};

class EveryPathOutsideTheBuffer : public SearchOutsideTheBuffer,
                                  public ::testing::WithParamInterface<OutsideCase> {};

TEST_P(EveryPathOutsideTheBuffer, SameMessagesAndNoRows)
{
    configure(GetParam());
    for (const SearchSettings settings : {SearchSettings{1, SearchKernel::PerCandidate},
                                          SearchSettings{1, SearchKernel::Auto}, SearchSettings{3, SearchKernel::Auto}}) {
        RunLengthToolkit kit = toolkit();
        EXPECT_TRUE(run(kit, settings));
        EXPECT_EQ(kit.runs, expectedMessages());
        EXPECT_EQ(kit.questions, 0);
        EXPECT_EQ(readBytes(dir.file("result.txt")), "");
        EXPECT_EQ(session->foundCount, 0);
    }
}

TEST_F(SearchOutsideTheBuffer, AbortIsAskedBeforeTheNextInterval)
{
    configure({"", INT32_MAX - 3, INT32_MAX, 0, 2, 10, false, pastTheEnd, 10000});
    for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
        RunLengthToolkit kit = toolkit();
        kit.answer = answer;
        kit.onFirstRepeat = [&] { session->abortFlag.request(); };
        session->abortFlag.clear();
        const bool completed = run(kit, {1, SearchKernel::Auto});
        EXPECT_EQ(kit.questions, 1);
        if (answer == Answer::Cancel) {
            EXPECT_FALSE(session->abortFlag.requested());
            EXPECT_TRUE(completed);
            EXPECT_EQ(kit.runs, expectedMessages());
            continue;
        }
        // The run ends within the interval it was pressed in: its messages
        // are the start of the first interval's, the last run maybe cut.
        EXPECT_FALSE(completed);
        const std::vector<MessageRun> first = pastTheEnd(c.start);
        ASSERT_FALSE(kit.runs.empty());
        ASSERT_LE(kit.runs.size(), first.size());
        const std::size_t last = kit.runs.size() - 1;
        for (std::size_t i = 0; i < last; ++i) EXPECT_EQ(kit.runs[i], first[i]);
        EXPECT_EQ(kit.runs[last].text, first[last].text);
        EXPECT_LE(kit.runs[last].count, first[last].count);
    }
}

// Shows every box of a run one by one, as the default does, and presses
// Abort at the first.
class BoxByBoxToolkit : public Toolkit {
public:
    explicit BoxByBoxToolkit(RunState& session) : session_(session) {}
    std::int64_t boxes = 0;
    std::int64_t questions = 0;
    Answer showMessage(std::string_view, std::string_view, Buttons buttons) override
    {
        if (buttons == Buttons::OkCancel) ++questions;
        else if (++boxes == 1) session_.abortFlag.request();
        return Answer::Ok;
    }
    void yield() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override { return std::nullopt; }

private:
    RunState& session_;
};

TEST_F(SearchOutsideTheBuffer, AbortIsSeenWhileAToolkitShowsEveryBox)
{
    configure({"", INT32_MAX, INT32_MAX, 0, 2, 10, false, pastTheEnd, 0});
    BoxByBoxToolkit kit(*session);
    session->abortFlag.clear();
    EXPECT_TRUE(session->files.result.open(dir.file("result.txt")));
    RunView view;
    EXPECT_FALSE(SearchIntoResultFile(*session, session->params, kit, view, {1, SearchKernel::Auto}));
    EXPECT_EQ(kit.questions, 1);
    // Asked within some 20 ms, long before the two thousand million boxes
    // of the interval are through.
    EXPECT_LT(kit.boxes, std::int64_t{INT32_MAX} / 4);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EveryPathOutsideTheBuffer,
    ::testing::Values(
        OutsideCase{"LastInterval", INT32_MAX, INT32_MAX, 0, 2, 10, false, pastTheEnd, 10000},
        OutsideCase{"LastEightIntervals", INT32_MAX - 7, INT32_MAX, 0, 2, 10, false, pastTheEnd, 10000},
        // Every frame would match with every exclusion off, but the count
        // cannot reach the threshold.
        OutsideCase{"ThresholdOutOfReach", INT32_MAX - 1, INT32_MAX, 0, 25, 30, true, pastTheEnd, 10000},
        OutsideCase{"FramesBeforeAndPast", INT32_MAX - 2, INT32_MAX, INT32_MIN, 2, 10, false, beforeAndPast,
                    kLast + 10000}),
    [](const ::testing::TestParamInfo<OutsideCase>& info) { return std::string(info.param.name); });

} // namespace
