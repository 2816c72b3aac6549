#pragma once
// The run pipeline shared by the window and the batch program.
namespace morvelan {

class RunView;
class Session;
class Toolkit;

// Open the run files, read the input, search, close both files and remove
// the LF copy. False at the first failing step; the failing step has shown
// its own message. Parameters are copied at the start: edits made while the
// run goes on apply to the next run.
bool RunAnalysis(Session& session, Toolkit& toolkit, RunView& view);

} // namespace morvelan
