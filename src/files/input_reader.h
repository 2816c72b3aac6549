#pragma once
// Reads the input data file (open as file 1) into the Bit buffer, and makes
// the CR LF copy of an input whose lines end in a lone LF.
#include <string>
#include <string_view>

namespace morvelan {

class Session;
class Toolkit;

inline constexpr std::string_view kMsgNoInputData = "入力データがありません。";
inline constexpr std::string_view kMsgCannotProcessInput = "この入力ファイルは処理できません。";
inline constexpr std::size_t kDigitsPerLine = 80;

// True when reading ended normally (end of file or bit limit). On the two
// refusals it shows its message and closes files 1 and 2; on an abort it
// returns false silently with both files left open.
bool ReadInputFile(Session& session, Toolkit& toolkit);

// Copies inputPath to tempPath with a CR inserted before every LF. On a
// failure it shows one message naming the file, removes the partial copy and
// returns false.
bool ConvertLfFile(const std::string& inputPath, const std::string& tempPath, Toolkit& toolkit);

} // namespace morvelan
