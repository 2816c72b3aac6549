#pragma once
// What the engine reads and changes while it searches: the Analysis
// parameters, the Bit buffer, the Abort flag, the Found count and the option
// boxes. The session (files layer) adds the paths and the run files.
#include "common/abort_flag.h"
#include "engine/bit_buffer.h"
#include "engine/parameters.h"
#include "formats/ch10_tmats.h"
#include "formats/input_format.h"

#include <cstdint>
#include <optional>

namespace morvelan {

// The three option check boxes; only their checked state counts.
struct RunOptions {
    bool skipHeaderCheck = false; // the window's "no header check" box
    bool skipExclusions = false;  // the "exclusion patterns off for now" box
    bool lfInput = false;         // the "LF line ends" box
    InputFormat inputFormat = InputFormat::Auto;
    BitOrder bitOrder = BitOrder::Msb;     // bin
    std::optional<std::uint16_t> channel;  // ch10; none: the lowest PCM channel
};

// What the last read learnt about its input.
struct InputAccount {
    InputFormat format = InputFormat::Tdm; // the format read; never Auto
    bool detected = false;                 // chosen by auto detection
    bool lfAssumed = false;   // a tdm file of LF-only lines, read as if LF were given
    int channel = -1;         // ch10: the channel read
    PcmSetup setup;           // ch10: what the setup record says of it
    std::int64_t badDigits = 0;    // tdm: characters read as 1111
    bool irregularLines = false;   // tdm: data lines that are not 80 digits
    bool endOfData = false;        // the read reached the end of the capture
    // The first interval of the run whose compared frames reach past the
    // data read; none when every frame lies inside it.
    std::optional<std::int32_t> framesPastDataFrom;
};

class RunState {
public:
    AnalysisParameters params;
    BitBuffer bits;
    AbortFlag abortFlag;
    std::int32_t foundCount = 0;
    std::int32_t decodedBits = 0; // bits the last read decoded (cells 1 .. decodedBits)
    RunOptions options;
    InputAccount input;
};

} // namespace morvelan
