#include "settings/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace morvelan {
namespace {

// Closes the descriptor when the scope ends, whatever way it ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    bool close()
    {
        if (fd_ < 0) return true;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    int fd_;
};

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A file with no write permission bits counts as read-only even for a user
// (such as root) whom the system would let write it.
bool isWritable(const std::string& path, const struct stat& st)
{
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

// Makes the rename itself durable; a failure here loses nothing already done.
void syncFolderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string folder = parent.empty() ? std::string(".") : parent.string();
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok()) ::fsync(dir.get());
}

// The file a path finally names, so that a symbolic link stays a link.
std::optional<std::string> resolveTarget(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    const auto target = std::filesystem::weakly_canonical(path, ec);
    if (ec) return std::nullopt;
    return target.string();
}

void copyExtendedAttributes(const std::string& from, int to)
{
    const ssize_t listSize = ::listxattr(from.c_str(), nullptr, 0);
    if (listSize <= 0) return;
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    if (got <= 0) return;
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.c_str() + at;
        at += std::strlen(name) + 1;
        const ssize_t size = ::getxattr(from.c_str(), name, nullptr, 0);
        if (size < 0) continue;
        std::string value(static_cast<std::size_t>(size), '\0');
        const ssize_t read = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (read >= 0) ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
    }
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (static_cast<std::size_t>(st.st_size) > kMaxWholeFileBytes) return std::nullopt;
    try {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd.get(), buf, sizeof buf);
            if (n < 0) {
                if (errno == EINTR) continue;
                return std::nullopt;
            }
            if (n == 0) break;
            bytes.append(buf, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxWholeFileBytes) return std::nullopt; // it grew while being read
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

FileLock::~FileLock()
{
    if (fd_ >= 0) ::close(fd_);
}

std::optional<FileLock> lockForUpdate(const std::string& path)
{
    const auto target = resolveTarget(path);
    if (!target) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
        FileLock lock;
        lock.fd_ = ::open(target->c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (lock.fd_ < 0) {
            if (errno == ENOENT) return FileLock(); // nothing to guard yet
            return std::nullopt;
        }
        if (::flock(lock.fd_, LOCK_EX | LOCK_NB) == 0) {
            // A save that finished meanwhile put a new file under the name;
            // the lock must be on the file the name leads to now.
            struct stat held {}, named {};
            if (::fstat(lock.fd_, &held) == 0 && ::stat(target->c_str(), &named) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                return lock;
            continue;
        }
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool replaceFileContents(const std::string& path, const std::string& bytes, const ReplaceSteps& steps)
{
    const auto target = resolveTarget(path);
    if (!target) return false;

    struct stat st {};
    const bool exists = ::stat(target->c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists && (!S_ISREG(st.st_mode) || !isWritable(*target, st))) return false;

    // A name of its own for each save: two saves never meet in one file.
    std::string temp = *target + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.ok()) return false;

    const auto fail = [&] {
        fd.close();
        ::unlink(temp.c_str());
        return false;
    };
    if (exists) {
        // Keep the original's owner where allowed, its permissions and its
        // extended attributes (ACLs among them) where the system lets us.
        if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
            // Only a privileged user may give the file away; ours is fine too.
        }
        if (::fchmod(fd.get(), st.st_mode & 07777) != 0) return fail();
        copyExtendedAttributes(*target, fd.get());
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd.get(), 0666 & ~mask) != 0) return fail();
    }
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close()) return fail();
    if (steps.beforeRename && !steps.beforeRename(temp)) return fail();
    if (::rename(temp.c_str(), target->c_str()) != 0) return fail();
    syncFolderOf(*target);
    return true;
}

} // namespace morvelan
