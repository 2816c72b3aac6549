#pragma once
// Shows each distinct conversion message ("Error in hexconv(" and the like)
// once per run. A broken input can raise one such message per digit or per
// candidate, tens of thousands of modal boxes in a row; after the first the
// user has learnt what there is to learn. Every other message, and every
// question, passes through unchanged. Make one per run.
#include "common/toolkit.h"

#include <cstdint>
#include <set>
#include <string>

namespace morvelan {

class OncePerRunConversionMessages : public ForwardingToolkit {
public:
    explicit OncePerRunConversionMessages(Toolkit& inner) : ForwardingToolkit(inner) {}

    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override;
    // A run of one conversion message shows at most its first box.
    void showErrorRepeated(std::string_view text, std::int64_t count) override;

    // How many conversion messages were held back.
    std::int64_t heldBack() const { return heldBack_; }

private:
    std::set<std::string, std::less<>> shown_;
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

// True for the texts the three conversions show.
bool isConversionMessage(std::string_view text);

} // namespace morvelan
