#pragma once
// The run's events in the batch program: boxes as stderr lines (as the
// toolkit prints them), and the input the run chose, said once on stderr.
#include "files/run_messages.h"
#include "formats/input_format.h"

namespace morvelan::cli {

class ConsoleRunEvents : public ToolkitRunEvents {
public:
    ConsoleRunEvents(Toolkit& toolkit, BitOrder order) : ToolkitRunEvents(toolkit), order_(order) {}
    // "入力形式：u8（自動判別）" for formats other than tdm; for a tdm file of
    // LF-only lines, that it is read as if LF were given.
    void inputChosen(const InputAccount& account) override;

private:
    BitOrder order_;
};

} // namespace morvelan::cli
