#pragma once
// Files as the system gives them: every open, lock, temporary file and
// identity check of the program goes through here, with one implementation
// per system (POSIX, Win32). Paths are UTF-8 everywhere.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace morvelan::platform {

// What a file is, whatever name leads to it: device and inode on POSIX,
// volume serial and file index on Windows.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

enum class OpenError { None, NotFound, NotRegularFile, IsLink, Locked, Other };

// An open file; closes itself. Move-only.
class File {
public:
    File() = default;
    ~File() { close(); }
    File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return handle_ != kNone; }
    // Bytes read; 0 at the end, -1 on a failure. Interruptions are retried.
    std::ptrdiff_t read(void* buffer, std::size_t size);
    // Every byte, going on after partial writes and interruptions.
    bool writeAll(const void* data, std::size_t size);
    bool seek(std::uint64_t position);
    // Flushes the file's data to the disk.
    bool sync();
    bool truncate(std::uint64_t size);
    std::optional<FileIdentity> identity() const;
    bool isRegular() const;
    // An exclusive lock held until the file is closed; false at once when
    // another holder has it (`busy`) or the system refuses.
    bool lockExclusive(bool& busy);
    // False when the system reports a failure on closing.
    bool close();

    // The native descriptor or handle, for the platform layer only.
    using Handle = std::intptr_t;
    static constexpr Handle kNone = -1;
    explicit File(Handle handle) : handle_(handle) {}
    Handle handle() const { return handle_; }

private:
    Handle handle_ = kNone;
};

// Opens a file to read. `noWait`: a FIFO without a writer does not block.
File openToRead(const std::string& path, OpenError& error, bool noWait = false);

// Opens the Result file to write: created when missing, never emptied here,
// never waiting for a FIFO's reader. `followLinks` false refuses a link at
// `path` (IsLink). A FIFO, device or folder gives NotRegularFile.
File openResult(const std::string& path, bool followLinks, OpenError& error);

// A temporary file in `folder` that no name leads to, gone when it is closed
// or the process ends in any way; where the file system cannot make one, a
// private file unlinked the moment it exists. `namePattern` (its "XXXXXX"
// made unique) names it for that moment.
File createUnnamedTemporary(const std::string& folder, const std::string& namePattern, bool forceNamed = false);

// A new private file (mode 0600) under a unique name made from `path` +
// ".XXXXXX"; `path` receives the name.
File createUniqueBeside(std::string& path);

// Gives `copy` the owner (where permitted), mode and extended attributes of
// the file at `original`; false when the mode cannot be set.
bool carryOverAttributes(const std::string& original, File& copy);
// Gives a new file the mode new files get (0666 less the umask).
bool applyDefaultMode(File& file);
// Makes a rename in the folder of `path` durable.
void syncFolderOf(const std::string& path);
// Creates a folder (and its parents) that only this user may enter.
bool createPrivateFolder(const std::string& path);

// Renames `from` over `to` in one step.
bool replaceByRename(const std::string& from, const std::string& to);
// Links an existing file under a new name that must not exist yet.
bool linkNew(const std::string& existing, const std::string& newName);
bool removeFile(const std::string& path);

std::optional<FileIdentity> identityOf(const std::string& path);
// True when both paths name one existing file.
bool isSameFile(const std::string& a, const std::string& b);
// True when the path names something that exists and is not a regular file.
bool isNonRegularFile(const std::string& path);
bool isExistingFolder(const std::string& path);
// An existing folder this process may create files in.
bool isWritableFolder(const std::string& path);
// Whether this process may write the file (a file with no write bits counts
// as read-only even for an administrator).
bool isWritableFile(const std::string& path);
// The folder a file path lies in ("." for a bare name).
std::string folderOf(const std::string& path);
bool isPathSeparator(char c);

} // namespace morvelan::platform
