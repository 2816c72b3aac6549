#pragma once
// Shows each distinct conversion failure once per run. A broken input can
// raise one per digit or per candidate, tens of thousands of modal boxes in
// a row; after the first the user has learnt what there is to learn. The
// abort question and yields pass through unchanged. Make one per run.
#include "common/toolkit.h"
#include "engine/run_events.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace morvelan {

class OncePerRunConversionMessages : public RunEvents {
public:
    explicit OncePerRunConversionMessages(RunEvents& inner) : inner_(inner) {}

    // The first failure of each conversion and text goes on; the rest, and
    // the rest of a run of one, are counted.
    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times = 1) override;
    bool confirmAbort() override { return inner_.confirmAbort(); }
    void yield() override { inner_.yield(); }

    // How many conversion messages were held back.
    std::int64_t heldBack() const { return heldBack_; }

private:
    RunEvents& inner_;
    std::set<std::pair<Conversion, std::string>, std::less<>> shown_;
    std::int64_t heldBack_ = 0;
};

// Once the program has been told to end (SIGTERM, SIGHUP), nobody is left
// to answer: no box is shown any more and every question is answered OK, so
// a run in progress ends as an abort without asking. A box already open when
// the signal came counts as answered OK as well.
class UnattendedOnceEnding : public ForwardingToolkit {
public:
    UnattendedOnceEnding(Toolkit& inner, const bool& ending) : ForwardingToolkit(inner), ending_(ending) {}

    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override
    {
        if (ending_) return Answer::Ok;
        const Answer answer = ForwardingToolkit::showMessage(text, caption, buttons);
        return ending_ ? Answer::Ok : answer;
    }
    void showErrorRepeated(std::string_view text, std::int64_t count) override
    {
        if (!ending_) inner().showErrorRepeated(text, count);
    }

private:
    const bool& ending_;
};

} // namespace morvelan
