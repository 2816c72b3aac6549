#pragma once
// The run pipeline shared by the window and the batch program.
#include "engine/search.h"

#include <string_view>

namespace morvelan {

// How a run ends, as the Run command reports it, and its refusal of an input
// that is missing or empty.
inline constexpr std::string_view kMsgRunFinished = "処理を終了しました。";
inline constexpr std::string_view kMsgRunInterrupted = "処理を中断しました。";
inline constexpr std::string_view kMsgCannotOpenInputFile = "入力ファイルを開けません。";

class Session;
class RunEvents;
class Toolkit;

// Open the run files, read the input, search, close both files and remove
// the LF copy. False at the first failing step; the failing step has shown
// its own message. Parameters are copied at the start: edits made while the
// run goes on apply to the next run.
// `search` chooses the threads and the comparison kind (default: every core).
// The engine's events go to `toolkit` as its boxes.
bool RunAnalysis(Session& session, Toolkit& toolkit, RunView& view, const SearchSettings& search = {});
// The engine's events go to `events` (the window holds back repeated ones).
bool RunAnalysis(Session& session, Toolkit& toolkit, RunEvents& events, RunView& view,
                 const SearchSettings& search = {});

} // namespace morvelan
