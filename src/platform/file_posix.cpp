// The POSIX side of the file layer.
#include "platform/file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace morvelan::platform {
namespace {

int fdOf(File::Handle h) { return static_cast<int>(h); }

std::optional<FileIdentity> fromStat(int result, const struct stat& st)
{
    if (result != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

OpenError openErrorOf(int err)
{
    switch (err) {
    case ENOENT: return OpenError::NotFound;
    case ENXIO:
    case EISDIR: return OpenError::NotRegularFile;
    default: return OpenError::Other;
    }
}

} // namespace

std::ptrdiff_t File::read(void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fdOf(handle_), buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

bool File::writeAll(const void* data, std::size_t size)
{
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fdOf(handle_), from, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        from += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::seek(std::uint64_t position)
{
    return ::lseek(fdOf(handle_), static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
}

bool File::sync()
{
    return ::fsync(fdOf(handle_)) == 0;
}

bool File::truncate(std::uint64_t size)
{
    return ::ftruncate(fdOf(handle_), static_cast<off_t>(size)) == 0;
}

std::optional<FileIdentity> File::identity() const
{
    struct stat st {};
    return fromStat(::fstat(fdOf(handle_), &st), st);
}

bool File::isRegular() const
{
    struct stat st {};
    return ::fstat(fdOf(handle_), &st) == 0 && S_ISREG(st.st_mode);
}

bool File::lockExclusive(bool& busy)
{
    busy = false;
    if (::flock(fdOf(handle_), LOCK_EX | LOCK_NB) == 0) return true;
    busy = errno == EWOULDBLOCK;
    return false;
}

bool File::close()
{
    if (handle_ == kNone) return true;
    const bool closed = ::close(fdOf(handle_)) == 0; // a lock goes with the descriptor
    handle_ = kNone;
    return closed;
}

File openToRead(const std::string& path, OpenError& error, bool noWait)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (noWait ? O_NONBLOCK : 0));
    error = fd < 0 ? openErrorOf(errno) : OpenError::None;
    return File(fd);
}

File openResult(const std::string& path, bool followLinks, OpenError& error)
{
    const int noFollow = followLinks ? 0 : O_NOFOLLOW;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow, 0666);
    if (fd < 0) {
        error = errno == ELOOP && !followLinks ? OpenError::IsLink : openErrorOf(errno);
        return {};
    }
    File file(fd);
    if (!file.isRegular()) {
        error = OpenError::NotRegularFile;
        return {};
    }
    // Writes wait for the disk as usual; only the open must not wait.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = OpenError::Other;
        return {};
    }
    error = OpenError::None;
    return file;
}

File createUnnamedTemporary(const std::string& folder, const std::string& namePattern, bool forceNamed)
{
    if (!forceNamed) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) return File(fd);
    }
    std::string name = folder + "/" + namePattern;
    const std::size_t x = name.rfind("XXXXXX");
    if (x == std::string::npos) return {};
    // mkostemps: O_CREAT | O_EXCL (so never through a link), mode 0600.
    const int fd = ::mkostemps(name.data(), static_cast<int>(name.size() - x - 6), O_CLOEXEC);
    if (fd < 0) return {};
    File file(fd);
    // The name is removed only while it still leads to the file made here.
    if (identityOf(name) != file.identity() || ::unlink(name.c_str()) != 0) return {};
    return file;
}

File createUniqueBeside(std::string& path)
{
    path += ".XXXXXX";
    return File(::mkostemp(path.data(), O_CLOEXEC));
}

bool carryOverAttributes(const std::string& original, File& copy)
{
    struct stat st {};
    const int fd = fdOf(copy.handle());
    if (::stat(original.c_str(), &st) != 0) return false;
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Only a privileged user may give the file away; ours is fine too.
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0) return false;
    // Extended attributes (ACLs among them), where the system lets us.
    const ssize_t listSize = ::listxattr(original.c_str(), nullptr, 0);
    if (listSize <= 0) return true;
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t got = ::listxattr(original.c_str(), names.data(), names.size());
    if (got <= 0) return true;
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.c_str() + at;
        at += std::strlen(name) + 1;
        const ssize_t size = ::getxattr(original.c_str(), name, nullptr, 0);
        if (size < 0) continue;
        std::string value(static_cast<std::size_t>(size), '\0');
        const ssize_t read = ::getxattr(original.c_str(), name, value.data(), value.size());
        if (read >= 0) ::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(read), 0);
    }
    return true;
}

bool applyDefaultMode(File& file)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(fdOf(file.handle()), 0666 & ~mask) == 0;
}

void syncFolderOf(const std::string& path)
{
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

bool createPrivateFolder(const std::string& path)
{
    if (isExistingFolder(path)) return true;
    const std::string parent = folderOf(path);
    if (parent != path && !isExistingFolder(parent) && !createPrivateFolder(parent)) return false;
    return ::mkdir(path.c_str(), 0700) == 0 || isExistingFolder(path);
}

bool replaceByRename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool linkNew(const std::string& existing, const std::string& newName)
{
    return ::link(existing.c_str(), newName.c_str()) == 0;
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat st {};
    return fromStat(::stat(path.c_str(), &st), st);
}

bool isNonRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

bool isExistingFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isWritableFolder(const std::string& path)
{
    return isExistingFolder(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool isWritableFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

bool isPathSeparator(char c)
{
    return c == '/';
}

} // namespace morvelan::platform
