#pragma once
// The CR LF copy of an input whose lines end in a lone LF: a temporary file
// that has no name at all (O_TMPFILE) in the current working folder, or,
// where the file system cannot make one, a private file (mode 0600, created
// exclusively, never through a link) unlinked the moment it exists. Either
// way the run reads it back through its descriptor and a kill at any instant
// leaves nothing behind.
#include "common/abort_flag.h"
#include "platform/file.h"

#include <functional>
#include <optional>
#include <string>

namespace morvelan {

class Toolkit;

// The name a fallback copy has for an instant: this stem, six characters
// unique to the run, ".TMP".
inline constexpr std::string_view kLfCopyStem = "$$MORVELAN.";

// Lets tests step into the conversion.
struct LfCopySteps {
    // Runs once the copy exists, before anything is written.
    std::function<void()> afterCreate;
    // Runs after the copy is written and before the Result file is opened.
    std::function<void()> afterConvert;
    // Forces the named fallback, as on a file system without O_TMPFILE.
    bool namedFallback = false;
};

class LfCopy {
public:
    LfCopy() = default;
    ~LfCopy() { close(); }
    LfCopy(const LfCopy&) = delete;
    LfCopy& operator=(const LfCopy&) = delete;

    // Creates the empty copy; false when that fails (the message is then for
    // `pattern()`).
    bool create();
    void close();
    bool exists() const { return file_.isOpen(); }
    platform::File& file() { return file_; }
    // The copy's identity, to refuse a Result file that is the copy itself.
    std::optional<platform::FileIdentity> identity() const { return identity_; }
    // Hands the copy over, from its start, to the reader; a closed file when
    // it cannot be rewound.
    platform::File release();
    // The name a fallback copy would have, with the unique part as "XXXXXX".
    static std::string pattern();
    LfCopySteps steps;

private:
    platform::File file_;
    std::optional<platform::FileIdentity> identity_;
};

// Copies the open input (read from its start) into `copy` with a
// CR inserted before every LF, yielding to the window about every 20 ms. On a
// failure it shows one message naming the file and returns false; on an
// abort (the flag set during a yield) it returns false without a message.
// The copy is closed in both cases.
bool ConvertLfFile(platform::File& input, const std::string& inputPath, LfCopy& copy, Toolkit& toolkit,
                   const AbortFlag& abortFlag);

} // namespace morvelan
