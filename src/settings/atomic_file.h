#pragma once
// Whole-file reading and all-or-nothing replacement of small text files.
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

// Writes `bytes` to "<path>.tmp" beside the file, flushes it to disk and
// renames it over `path`. On any failure the temporary file is removed, the
// original stays untouched and the result is false. A read-only file is not
// replaced. A symbolic link is followed, so the link itself stays.
bool replaceFileContents(const std::string& path, const std::string& bytes, const ReplaceSteps& steps = {});

} // namespace morvelan
