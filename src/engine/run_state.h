#pragma once
// What the engine reads and changes while it searches: the Analysis
// parameters, the Bit buffer, the Abort flag, the Found count and the option
// boxes. The session (files layer) adds the paths and the run files.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"

#include <cstdint>

namespace morvelan {

// The three option check boxes; only their checked state counts.
struct RunOptions {
    bool skipHeaderCheck = false; // the window's "no header check" box
    bool skipExclusions = false;  // the "exclusion patterns off for now" box
    bool lfInput = false;         // the "LF line ends" box
};

class RunState {
public:
    AnalysisParameters params;
    BitBuffer bits;
    bool abortFlag = false;
    std::int32_t foundCount = 0;
    std::int32_t decodedBits = 0; // bits the last read decoded (cells 1 .. decodedBits)
    RunOptions options;
};

} // namespace morvelan
