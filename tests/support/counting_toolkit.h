#pragma once
// A toolkit that counts messages, answers OK and never blocks: for fuzz
// targets, benchmarks and the soak run, where nobody reads the messages.
#include "common/toolkit.h"

#include <cstdint>

namespace morvelan::testing {

class CountingToolkit : public Toolkit {
public:
    std::int64_t messages = 0;
    Answer showMessage(std::string_view, std::string_view, Buttons) override
    {
        ++messages;
        return Answer::Ok;
    }
    void showErrorRepeated(std::string_view, std::int64_t count) override { messages += count; }
    void yield() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override { return std::nullopt; }
};

} // namespace morvelan::testing
