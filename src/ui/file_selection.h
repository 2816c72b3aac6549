#pragma once
// The input browse command without its widgets: ask for the input file and
// derive the Result file path from it.
#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

class Toolkit;

// The chosen file's folder (separator kept), "R", then its name; nullopt
// when the path holds no separator, so the Result file path stays as it was.
std::optional<std::string> ResultPathFor(std::string_view inputPath);

struct InputFileChoice {
    std::string inputPath;
    std::optional<std::string> resultPath; // nullopt: keep the previous one
};

// Shows the file-open dialog starting at startName; nullopt on cancel.
std::optional<InputFileChoice> ChooseInputFile(Toolkit& toolkit, std::string_view startName);

} // namespace morvelan
