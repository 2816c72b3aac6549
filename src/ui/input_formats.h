#pragma once
// The input formats the window offers: the combo box beside the input file
// and the open dialog's filters, one per format and one for every file. A
// filter chosen in the dialog sets the combo; every file stands for auto
// detection.
#include "formats/input_format.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

struct InputFormatItem {
    InputFormat format;
    std::string_view comboText;
    // The dialog's entry: the text shown, then the patterns used (hidden).
    std::string_view filter;
};

// Auto first (the combo's first item, the dialog's last entry), then tdm to ch10.
const std::array<InputFormatItem, 7>& inputFormatItems();

// The dialog entry of `format`; Auto's is every file.
std::string_view inputFilterOf(InputFormat format);
// The format a dialog entry stands for; nothing for an unknown entry.
std::optional<InputFormat> formatOfInputFilter(std::string_view filter);

// An open dialog that tells which entry was chosen as well as the file.
class InputFileDialog {
public:
    struct Choice {
        std::string path;
        InputFormat format = InputFormat::Auto;
    };
    virtual ~InputFileDialog() = default;
    // Opens on the entry of `format` at startName (a file or a folder);
    // nothing when cancelled.
    virtual std::optional<Choice> chooseInputFile(std::string_view startName, InputFormat format) = 0;
};

} // namespace morvelan
