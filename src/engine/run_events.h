#pragma once
// What the engine reports while it works. The engine holds no text for the
// user: the files and window layers word these events as the messages and
// questions the user sees.
#include <cstdint>
#include <string_view>

namespace morvelan {

// The three conversions, each with its own message for text it cannot take.
enum class Conversion {
    HexDigit,    // one hex digit character to its value
    NibbleGroup, // four bit characters to one hex digit
    BitString,   // a bit string of 3 to 64 characters to hex digits
};

struct InputAccount;

class RunEvents {
public:
    virtual ~RunEvents() = default;
    // A conversion met `text` it cannot take, `times` times in a row.
    virtual void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times = 1) = 0;
    // The Abort flag was found set where the run may stop: true to stop,
    // false to go on.
    virtual bool confirmAbort() = 0;
    // Lets the window handle its events (a click on Abort among them).
    virtual void yield() = 0;
    // The run has chosen how to read an input in a format other than the
    // classic one (for Chapter 10, once its channel is known). Before any
    // bit of it is searched.
    virtual void inputChosen(const InputAccount&) {}
};

// Takes every event and reports none; an abort is always confirmed.
class SilentRunEvents : public RunEvents {
public:
    void conversionFailed(Conversion, std::string_view, std::int64_t) override {}
    bool confirmAbort() override { return true; }
    void yield() override {}
};

} // namespace morvelan
