#pragma once
// The CR LF copy of an input whose lines end in a lone LF: a private file
// (mode 0600, created exclusively, never through a link) under a name unique
// to the run, in the current working folder. The run removes it on every
// way out; a name that no longer leads to the file this run made is left
// alone.
#include "common/file_identity.h"

#include <functional>
#include <optional>
#include <string>

namespace morvelan {

class Toolkit;

// The copy's name: this stem, six characters unique to the run, ".TMP".
inline constexpr std::string_view kLfCopyStem = "$$MORVELAN.";

// Lets tests step into the conversion.
struct LfCopySteps {
    // Runs once the copy exists under its name, before anything is written.
    std::function<void(const std::string& copyPath)> afterCreate;
    // Closes the written copy; ::close unless a test breaks it.
    std::function<int(int fd)> closeCopy;
};

class LfCopy {
public:
    LfCopy() = default;
    ~LfCopy() { remove(); }
    LfCopy(const LfCopy&) = delete;
    LfCopy& operator=(const LfCopy&) = delete;

    // Creates an empty private file in the working folder; -1 when that fails
    // (the message is then for `pattern()`).
    int create();
    // Removes the copy, if this run made one and its name still leads to it.
    void remove();
    bool exists() const { return identity_.has_value(); }
    const std::string& path() const { return path_; }
    // The name the copy would have, with the unique part as "XXXXXX".
    static std::string pattern();
    // True when `other` names the copy itself.
    bool isSameFile(const std::string& other) const;
    LfCopySteps steps;

private:
    std::string path_;
    std::optional<FileIdentity> identity_;
};

// Copies inputPath into `copy` with a CR inserted before every LF, yielding to
// the window about every 20 ms. On a failure it shows one message naming the
// file, removes the copy and returns false; on an abort (the flag set during
// a yield) it removes the copy and returns false without a message.
bool ConvertLfFile(const std::string& inputPath, LfCopy& copy, Toolkit& toolkit, const bool& abortFlag);

} // namespace morvelan
