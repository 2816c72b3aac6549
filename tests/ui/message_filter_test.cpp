// The window's message filters on runs of one repeated error: a search can
// raise "Error in HexConvert()" two thousand million times in a row, and the
// window must show the first box at most and count the rest; varied texts
// get two boxes and a third that asks whether to go on.
#include "support/scripted_toolkit.h"
#include "files/run_messages.h"
#include "ui/message_filter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace morvelan::testing {
namespace {

// Records the failures that reach it.
class RecordingEvents : public SilentRunEvents {
public:
    std::vector<std::pair<std::string, std::int64_t>> failures;
    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times) override
    {
        failures.emplace_back(conversionMessage(conversion, text), times);
    }
};

struct Failure {
    Conversion conversion;
    const char* text;
    std::int64_t times;
};

struct RepeatCase {
    const char* name;
    std::vector<Failure> failures;
    std::vector<std::string> shown; // each passed on once
    std::int64_t heldBack;
};

class OncePerRunRepeats : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(OncePerRunRepeats, ShowTheFirstAndCountTheRest)
{
    RecordingEvents screen;
    ScriptedToolkit toolkit;
    AbortFlag abortFlag;
    OncePerRunConversionMessages once(screen, toolkit, abortFlag);
    for (const Failure& f : GetParam().failures) once.conversionFailed(f.conversion, f.text, f.times);
    std::vector<std::string> shown;
    for (const auto& [text, times] : screen.failures) {
        EXPECT_EQ(times, 1) << text;
        shown.push_back(text);
    }
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(once.heldBack(), GetParam().heldBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OncePerRunRepeats,
    ::testing::Values(
        // The messages of 648 intervals near 2^31: more than 32 bits count.
        RepeatCase{"OneLongRun", {{Conversion::BitString, "", 1'391'371'301'348}}, {"Error in HexConvert()"},
                   1'391'371'301'347},
        RepeatCase{"RunsOfTheSameTextAcrossIntervals",
                   {{Conversion::BitString, "", 3}, {Conversion::NibbleGroup, "000", 1}, {Conversion::BitString, "", 4}},
                   {"Error in HexConvert()", "HexConvert2 Error(000)"},
                   6},
        // One text, two conversions: each is its own message.
        RepeatCase{"SameTextOfTwoConversions",
                   {{Conversion::HexDigit, "x", 2}, {Conversion::BitString, "x", 1}},
                   {"Error in hexconv(x)", "Error in HexConvert(x)"},
                   1},
        RepeatCase{"EmptyRunShowsNothing", {{Conversion::BitString, "", 0}}, {}, 0}),
    [](const ::testing::TestParamInfo<RepeatCase>& info) { return std::string(info.param.name); });

// Counts the abort questions that reach it and declines each.
class DecliningEvents : public RecordingEvents {
public:
    int questions = 0;
    bool confirmAbort() override
    {
        ++questions;
        return false;
    }
};

struct ThirdTextCase {
    const char* name;
    std::vector<const char*> digits; // each a failed hex digit, once
    Answer third;                   // the answer to the third box
    std::vector<std::string> shown;
    int boxes;         // third boxes shown
    bool aborted;      // the Abort flag afterwards, and an abort taken unasked
    std::int64_t heldBack;
};

void PrintTo(const ThirdTextCase& c, std::ostream* os) { *os << c.name; }

class ThirdDistinctText : public ::testing::TestWithParam<ThirdTextCase> {};

TEST_P(ThirdDistinctText, AsksOnceThenHoldsEverythingBack)
{
    const ThirdTextCase& c = GetParam();
    DecliningEvents screen;
    ScriptedToolkit toolkit;
    toolkit.answers = {c.third};
    AbortFlag abortFlag;
    OncePerRunConversionMessages once(screen, toolkit, abortFlag);
    for (const char* digit : c.digits) once.conversionFailed(Conversion::HexDigit, digit, 1);
    std::vector<std::string> shown;
    for (const auto& failure : screen.failures) shown.push_back(failure.first);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(toolkit.messages,
              std::vector<RecordedMessage>(static_cast<std::size_t>(c.boxes),
                                           {"以降の変換エラーは表示しません。", "", Buttons::OkAbort}));
    EXPECT_EQ(abortFlag.requested(), c.aborted);
    EXPECT_EQ(once.confirmAbort(), c.aborted); // 中止 was the answer already
    EXPECT_EQ(screen.questions, c.aborted ? 0 : 1);
    EXPECT_EQ(once.heldBack(), c.heldBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThirdDistinctText,
    ::testing::Values(
        ThirdTextCase{"TwoTextsAskNothing", {"G", "Z", "G", "Z"}, Answer::Ok,
                      {"Error in hexconv(G)", "Error in hexconv(Z)"}, 0, false, 2},
        ThirdTextCase{"OkSilencesTheRest", {"G", "Z", "X", "Y", "G", "W"}, Answer::Ok,
                      {"Error in hexconv(G)", "Error in hexconv(Z)"}, 1, false, 4},
        ThirdTextCase{"AbortEndsTheRunUnasked", {"G", "G", "Z", "X", "Y"}, Answer::Cancel,
                      {"Error in hexconv(G)", "Error in hexconv(Z)"}, 1, true, 3}),
    [](const ::testing::TestParamInfo<ThirdTextCase>& info) { return std::string(info.param.name); });

// Records each call it gets, a repeated error as one.
class RepeatRecorder : public ScriptedToolkit {
public:
    std::vector<std::pair<std::string, std::int64_t>> repeats;
    void showErrorRepeated(std::string_view text, std::int64_t count) override
    {
        repeats.emplace_back(std::string(text), count);
    }
};

TEST(UnattendedOnceEndingRepeats, PassOnWholeUntilTheProgramEnds)
{
    RepeatRecorder inner;
    bool ending = false;
    UnattendedOnceEnding unattended(inner, ending);
    unattended.showErrorRepeated("Error in HexConvert()", 1'000'000'000);
    ending = true;
    unattended.showErrorRepeated("HexConvert2 Error(0)", 5);
    using Repeat = std::pair<std::string, std::int64_t>;
    EXPECT_EQ(inner.repeats, std::vector<Repeat>{Repeat("Error in HexConvert()", 1'000'000'000)});
    EXPECT_TRUE(inner.messages.empty());
}

// A filter that changes showMessage alone still sees every box of a repeat.
TEST(ForwardingToolkitRepeats, ReachShowMessageOneBoxAtATime)
{
    class Counting : public ForwardingToolkit {
    public:
        using ForwardingToolkit::ForwardingToolkit;
        int seen = 0;
        Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override
        {
            ++seen;
            return ForwardingToolkit::showMessage(text, caption, buttons);
        }
    };
    ScriptedToolkit screen;
    Counting counting(screen);
    counting.showErrorRepeated("Error in HexConvert()", 3);
    EXPECT_EQ(counting.seen, 3);
    EXPECT_EQ(screen.messages, std::vector<RecordedMessage>(3, {"Error in HexConvert()", "", Buttons::Ok}));
}

} // namespace
} // namespace morvelan::testing
