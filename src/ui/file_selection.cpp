#include "ui/file_selection.h"

#include "common/toolkit.h"

namespace morvelan {

std::optional<std::string> ResultPathFor(std::string_view inputPath)
{
    // The separator is ASCII, so a byte search cannot land inside a
    // multi-byte character.
    const auto last = inputPath.rfind(kPathSeparator);
    if (last == std::string_view::npos) return std::nullopt;
    std::string result(inputPath.substr(0, last + 1));
    result += 'R';
    result += inputPath.substr(last + 1);
    return result;
}

std::optional<InputFileChoice> ChooseInputFile(Toolkit& toolkit, std::string_view startName)
{
    std::optional<std::string> chosen = toolkit.chooseOpenFile(startName);
    if (!chosen) return std::nullopt;
    InputFileChoice choice{std::move(*chosen), std::nullopt};
    choice.resultPath = ResultPathFor(choice.inputPath);
    return choice;
}

} // namespace morvelan
