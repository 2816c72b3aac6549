#pragma once
// Whole-file reading and all-or-nothing replacement of small text files.
#include "platform/file.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace morvelan {

// Larger files are refused rather than read into memory.
inline constexpr std::size_t kMaxWholeFileBytes = std::size_t{256} << 20;

// The bytes of a regular file; nullopt when it is absent, not a regular file,
// unreadable or larger than kMaxWholeFileBytes.
std::optional<std::string> readWholeFile(const std::string& path);

// Lets tests break a replacement between its steps.
struct ReplaceSteps {
    // Runs once the temporary file is written and flushed, just before it is
    // renamed over the original; returning false makes the replacement fail.
    std::function<bool(const std::string& tempPath)> beforeRename;
};

// An exclusive lock on the file a path leads to, held for a whole
// read-modify-write, so that two saves never lose each other's keys.
class FileLock {
public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept = default;
    FileLock& operator=(FileLock&&) = delete;

private:
    friend std::optional<FileLock> lockForUpdate(const std::string& path);
    platform::File file_;
};

// How long a save waits for another one to finish before it gives up.
inline constexpr std::chrono::milliseconds kLockPatience{5000};

// Locks the file `path` leads to (a missing file needs no lock); nullopt
// when it cannot be opened or stays locked longer than kLockPatience.
std::optional<FileLock> lockForUpdate(const std::string& path);

// Writes `bytes` to a new file of its own beside the file (a unique name),
// flushes it to disk and renames it over `path`. Owner (where permitted),
// mode and extended attributes are carried over. On any failure the temporary file is removed, the
// original stays untouched and the result is false. A read-only file is not
// replaced. A symbolic link is followed, so the link itself stays.
bool replaceFileContents(const std::string& path, const std::string& bytes, const ReplaceSteps& steps = {});

} // namespace morvelan
