#pragma once
// Files compared by what they are (device and inode, links followed), not by
// the names they go by.
#include <optional>
#include <string>
#include <sys/types.h>

namespace morvelan {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file a path names; nullopt when there is none.
std::optional<FileIdentity> identityOf(const std::string& path);
std::optional<FileIdentity> identityOf(int fd);
// True when both paths name one existing file.
bool isSameFile(const std::string& a, const std::string& b);
// True when the path names something that exists and is not a regular file.
bool isNonRegularFile(const std::string& path);

// The folder a file path lies in ("." for a bare name).
std::string folderOf(const std::string& path);
bool isExistingFolder(const std::string& path);
// An existing folder this process may create files in.
bool isWritableFolder(const std::string& path);

// Writes all bytes, going on after partial writes and interruptions.
bool writeAllTo(int fd, const char* data, std::size_t size);

} // namespace morvelan
