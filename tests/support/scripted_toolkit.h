#pragma once
// A toolkit for tests: records every message box in order and answers from
// a script. A question nobody scripted is recorded and answered OK, and the
// test can assert that the script was used up.
#include "common/toolkit.h"

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace morvelan::testing {

struct RecordedMessage {
    std::string text;
    std::string caption; // as passed: empty means the application title
    Buttons buttons;
    bool operator==(const RecordedMessage&) const = default;
};
// A failing comparison names the text, not 72 bytes of memory.
inline void PrintTo(const RecordedMessage& m, std::ostream* os) { *os << '"' << m.text << '"'; }

class ScriptedToolkit : public Toolkit {
public:
    std::vector<RecordedMessage> messages;
    std::deque<Answer> answers;        // answers to OK/Cancel questions, in order
    std::deque<std::optional<std::string>> fileChoices;
    std::vector<std::string> fileDialogStarts;
    std::deque<std::optional<std::string>> saveChoices;
    std::vector<std::string> saveDialogStarts;
    int yields = 0;
    std::vector<bool> pointerChanges;
    bool busy = false;
    // Runs on every yield, with the yield's number (1-based): lets a test
    // press a button in the middle of a long operation.
    std::function<void(int)> onYield;
    // Runs after each message is recorded (lets a test act while a box is up).
    std::function<void(const RecordedMessage&)> onMessage;

    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override
    {
        messages.push_back({std::string(text), std::string(caption), buttons});
        if (onMessage) onMessage(messages.back());
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) return Answer::Ok;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void yield() override
    {
        ++yields;
        if (onYield) onYield(yields);
    }
    void setBusyPointer(bool b) override
    {
        busy = b;
        pointerChanges.push_back(b);
    }
    std::optional<std::string> chooseOpenFile(std::string_view startName) override
    {
        fileDialogStarts.emplace_back(startName);
        if (fileChoices.empty()) return std::nullopt;
        auto choice = fileChoices.front();
        fileChoices.pop_front();
        return choice;
    }

    std::optional<std::string> chooseSaveFile(std::string_view startName) override
    {
        saveDialogStarts.emplace_back(startName);
        if (saveChoices.empty()) return std::nullopt;
        auto choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text);
        return out;
    }
};

} // namespace morvelan::testing
