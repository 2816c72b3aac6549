#pragma once
// Reads the input data file (open as file 1) into the Bit buffer.
#include <string>
#include <string_view>

namespace morvelan {

class Session;
class RunEvents;
class Toolkit;

inline constexpr std::string_view kMsgNoInputData = "入力データがありません。";
inline constexpr std::string_view kMsgCannotProcessInput = "この入力ファイルは処理できません。";
inline constexpr std::size_t kDigitsPerLine = 80;

// True when reading ended normally (end of file or bit limit). On the two
// refusals it shows its message and closes files 1 and 2; on an abort it
// returns false silently with both files left open. Bad digits and yields
// go to `events`.
bool ReadInputFile(Session& session, Toolkit& toolkit, RunEvents& events);
// The same with the events as `toolkit`'s boxes.
bool ReadInputFile(Session& session, Toolkit& toolkit);

} // namespace morvelan
