#pragma once
// Reading and writing single values of an INI file by path, in the way of
// the Windows profile functions: the file is opened for each call, nothing is
// held between calls. Values are the file's raw bytes (CP932 text).
#include "files/atomic_file.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace morvelan {

// The key's value, blanks around it removed; `defaultValue` when the file,
// the section or the key is absent. A value of bufferSize bytes or more
// arrives cut to at most bufferSize - 1 bytes (a double-byte character takes
// two and is never split).
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize = 1024);

// Sets one key; the rest of the file keeps its exact bytes. A missing file
// is created. The file is replaced all at once, so a failure (false) leaves
// the old file as it was.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, const ReplaceSteps& steps = {});

struct ProfileEntry {
    std::string_view key;
    std::string value;
};

// Sets several keys of one section, in order, as one replacement of the file:
// either every key is written or the file stays as it was.
bool WriteProfileStrings(const std::string& path, std::string_view section, std::span<const ProfileEntry> entries,
                         const ReplaceSteps& steps = {});

} // namespace morvelan
