#include "ui/file_selection.h"

#include "common/toolkit.h"
#include "files/result_file.h"

namespace morvelan {

std::optional<std::string> ResultPathFor(std::string_view inputPath)
{
    const std::string derived = derivedResultPath(inputPath);
    // Without a folder in the path the browse keeps the Result path it had.
    if (derived.size() == inputPath.size() + 1 && std::string_view(derived).substr(1) == inputPath) return std::nullopt;
    return derived;
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
