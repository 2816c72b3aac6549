#pragma once
// The one object that owns what lives for the whole process: the Analysis
// parameters, the Bit buffer, the Abort flag, the Found count, the two file
// paths and the two run files. The window owns one; each test makes its own.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"
#include "files/run_files.h"

#include <cstdint>
#include <string>

namespace morvelan {

// The three option check boxes; only their checked state counts.
struct RunOptions {
    bool skipHeaderCheck = false; // chk入力ファイルのヘッダチェックをしない
    bool skipExclusions = false;  // chk除外パターンを一時的に使用しない
    bool lfInput = false;         // chkUNIX系LFファイルを対象とする
};

inline constexpr std::string_view kVersion = "1.00";
inline constexpr std::string_view kRevision = "1.00.0043";

class Session {
public:
    AnalysisParameters params;
    BitBuffer bits;
    bool abortFlag = false;
    std::int32_t foundCount = 0;
    std::int32_t decodedBits = 0; // bits the last read decoded (cells 1 .. decodedBits)
    std::string inputPath;  // set only by the input browse command
    std::string resultPath; // derived from inputPath by the browse command
    // The names to open when they differ from the paths shown: a relative
    // name whose absolute form is too long for the system. Empty: the path.
    std::string inputOpenName;
    std::string resultOpenName;
    RunOptions options;
    RunFiles files;
};

} // namespace morvelan
