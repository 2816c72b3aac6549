// The window's message filters on runs of one repeated error: a search can
// raise "Error in HexConvert()" two thousand million times in a row, and the
// window must show the first box at most, count the rest, and keep every
// other message and every question as single boxes.
#include "support/scripted_toolkit.h"
#include "ui/message_filter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace morvelan::testing {
namespace {

struct Shown {
    const char* text;
    std::int64_t count;
};

struct RepeatCase {
    const char* name;
    std::vector<Shown> repeats;         // showErrorRepeated calls, in order
    std::vector<std::string> boxes;     // the boxes the user sees
    std::int64_t heldBack;
    std::int64_t looked; // boxes the filter looks at one by one
};

// A run taken box by box would take hours: past this many boxes the test
// stops with a failure instead.
constexpr std::int64_t kBoxLimit = 1000;

// Counts the boxes the filter itself looks at: a run must not cost one each.
class CountingOnce : public OncePerRunConversionMessages {
public:
    using OncePerRunConversionMessages::OncePerRunConversionMessages;
    std::int64_t looked = 0;
    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override
    {
        if (++looked > kBoxLimit) throw std::runtime_error("a run was taken box by box");
        return OncePerRunConversionMessages::showMessage(text, caption, buttons);
    }
};

// Records each call it gets, a repeated error as one.
class RepeatRecorder : public ScriptedToolkit {
public:
    std::vector<std::pair<std::string, std::int64_t>> repeats;
    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override
    {
        if (static_cast<std::int64_t>(messages.size()) >= kBoxLimit) throw std::runtime_error("a run was taken box by box");
        return ScriptedToolkit::showMessage(text, caption, buttons);
    }
    void showErrorRepeated(std::string_view text, std::int64_t count) override
    {
        repeats.emplace_back(std::string(text), count);
    }
};

class OncePerRunRepeats : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(OncePerRunRepeats, ShowTheFirstBoxAndCountTheRest)
{
    ScriptedToolkit screen;
    CountingOnce once(screen);
    for (const Shown& s : GetParam().repeats) once.showErrorRepeated(s.text, s.count);
    EXPECT_EQ(screen.texts(), GetParam().boxes);
    EXPECT_EQ(once.heldBack(), GetParam().heldBack);
    EXPECT_EQ(once.looked, GetParam().looked);
    for (const RecordedMessage& m : screen.messages) {
        EXPECT_EQ(m.caption, "");
        EXPECT_EQ(m.buttons, Buttons::Ok);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OncePerRunRepeats,
    ::testing::Values(
        // The messages of 648 intervals near 2^31: more than 32 bits count.
        RepeatCase{"OneLongRun", {{"Error in HexConvert()", 1'391'371'301'348}}, {"Error in HexConvert()"},
                   1'391'371'301'347, 1},
        RepeatCase{"RunsOfTheSameTextAcrossIntervals",
                   {{"Error in HexConvert()", 3}, {"HexConvert2 Error(000)", 1}, {"Error in HexConvert()", 4}},
                   {"Error in HexConvert()", "HexConvert2 Error(000)"},
                   6,
                   3},
        RepeatCase{"EmptyRunShowsNothing", {{"Error in HexConvert()", 0}}, {}, 0, 0},
        // Not a conversion message: every box is shown.
        RepeatCase{"OtherMessagesEachShown", {{"ディスクがいっぱいです。", 3}},
                   {"ディスクがいっぱいです。", "ディスクがいっぱいです。", "ディスクがいっぱいです。"}, 0, 3}),
    [](const ::testing::TestParamInfo<RepeatCase>& info) { return std::string(info.param.name); });

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
