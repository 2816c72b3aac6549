#pragma once
// The window's filters on what a run shows. A broken input can raise one
// conversion failure per digit or per candidate, tens of thousands of modal
// boxes in a row, each text its own when the bad characters vary; after a
// few the user has learnt what there is to learn.
#include "common/abort_flag.h"
#include "common/toolkit.h"
#include "engine/run_events.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace morvelan {

inline constexpr std::string_view kMsgNoMoreConversionErrors = "以降の変換エラーは表示しません。";

// At most three boxes of conversion failures per run: the first failure of
// each of the first two conversion-and-text pairs goes on as it is; the
// third pair asks once whether to go on without such boxes (OK) or to stop
// (中止: the run ends as after a confirmed Abort, without asking again).
// Everything else is counted. The abort question and yields pass through.
// Make one per run.
class OncePerRunConversionMessages : public RunEvents {
public:
    OncePerRunConversionMessages(RunEvents& inner, Toolkit& toolkit, AbortFlag& abortFlag)
        : inner_(inner), toolkit_(toolkit), abortFlag_(abortFlag)
    {
    }

    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times = 1) override;
    bool confirmAbort() override { return abortChosen_ || inner_.confirmAbort(); }
    void yield() override { inner_.yield(); }
    void inputChosen(const InputAccount& account) override { inner_.inputChosen(account); }

    // How many conversion failures were held back.
    std::int64_t heldBack() const { return heldBack_; }

private:
    static constexpr std::size_t kShownTexts = 2;

    RunEvents& inner_;
    Toolkit& toolkit_;
    AbortFlag& abortFlag_;
    std::set<std::pair<Conversion, std::string>> shown_;
    bool silenced_ = false;    // the third box was answered
    bool abortChosen_ = false; // ... with 中止
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

// The run's refusal of a classic capture whose header lacks "TDM" gains its
// reason and the option that reads it anyway (`optionText`, the check box as
// the window shows it) below the refusal's own line.
class ReasonedRefusals : public ForwardingToolkit {
public:
    ReasonedRefusals(Toolkit& inner, std::string optionText)
        : ForwardingToolkit(inner), optionText_(std::move(optionText))
    {
    }
    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override;

private:
    std::string optionText_;
};

// The header refusal with its reason, naming the option `optionText`.
std::string headerRefusalText(std::string_view optionText);
// Asked before a run reads a capture of LF-only lines as tdm without the LF
// option (`optionText`), which would find no data in it.
std::string lfOptionQuestion(std::string_view optionText);

} // namespace morvelan
