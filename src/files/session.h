#pragma once
// The one object that owns what lives for the whole process: the run state
// the engine works on (parameters, Bit buffer, Abort flag, Found count), the
// two file paths and the two run files. The window owns one; each test makes
// its own.
#include "engine/run_state.h"
#include "files/run_files.h"

#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

class Session : public RunState {
public:
    std::string inputPath;  // set only by the input browse command
    std::string resultPath; // derived from inputPath by the browse command
    // The names to open when they differ from the paths shown: a relative
    // name whose absolute form is too long for the system. Empty: the path.
    std::string inputOpenName;
    std::string resultOpenName;
    // True when the program derived the Result path from the input's name
    // rather than the user naming it: a link found there is refused.
    bool resultPathDerived = false;
    // The input the last run opened, whatever names lead there now: a later
    // pass over it (the frames out) reads that file or none.
    std::optional<platform::FileIdentity> inputOpened;
    RunFiles files;
};

} // namespace morvelan
