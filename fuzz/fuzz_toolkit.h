#pragma once
// A toolkit for fuzz targets: counts messages, answers OK, never blocks.
#include "common/toolkit.h"

namespace morvelan::fuzzing {

class CountingToolkit : public Toolkit {
public:
    long messages = 0;
    Answer showMessage(std::string_view, std::string_view, Buttons) override
    {
        ++messages;
        return Answer::Ok;
    }
    void yield() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override { return std::nullopt; }
};

} // namespace morvelan::fuzzing
