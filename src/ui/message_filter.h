#pragma once
// Shows each distinct conversion message ("Error in hexconv(" and the like)
// once per run. A broken input can raise one such message per digit or per
// candidate, tens of thousands of modal boxes in a row; after the first the
// user has learnt what there is to learn. Every other message, and every
// question, passes through unchanged. Make one per run.
#include "common/toolkit.h"

#include <set>
#include <string>

namespace morvelan {

class OncePerRunConversionMessages : public Toolkit {
public:
    explicit OncePerRunConversionMessages(Toolkit& inner) : inner_(inner) {}

    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override;
    void yield() override { inner_.yield(); }
    void setBusyPointer(bool busy) override { inner_.setBusyPointer(busy); }
    std::optional<std::string> chooseOpenFile(std::string_view startName) override
    {
        return inner_.chooseOpenFile(startName);
    }
    std::optional<std::string> chooseSaveFile(std::string_view startName) override
    {
        return inner_.chooseSaveFile(startName);
    }

    // How many conversion messages were held back.
    long heldBack() const { return heldBack_; }

private:
    Toolkit& inner_;
    std::set<std::string, std::less<>> shown_;
    long heldBack_ = 0;
};

// True for the texts the three conversions show.
bool isConversionMessage(std::string_view text);

} // namespace morvelan
