#pragma once
// The toolkit for windows that run with nobody in front of them (the
// screenshot tools, the window benchmark): every message goes to stderr and
// is answered OK, the file dialog picks the given input, yields process Qt's
// events.
#include "common/toolkit.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

class UnattendedToolkit : public morvelan::Toolkit {
public:
    explicit UnattendedToolkit(std::string input = {}) : input_(std::move(input)) {}

    morvelan::Answer showMessage(std::string_view text, std::string_view, morvelan::Buttons) override
    {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        return morvelan::Answer::Ok;
    }
    void yield() override { QCoreApplication::processEvents(); }
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override
    {
        if (input_.empty()) return std::nullopt;
        return input_;
    }

private:
    std::string input_;
};
