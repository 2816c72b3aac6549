#include "settings/atomic_file.h"

#include <cerrno>
#include <filesystem>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
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

bool replaceFileContents(const std::string& path, const std::string& bytes, const ReplaceSteps& steps)
{
    const auto target = resolveTarget(path);
    if (!target) return false;

    struct stat st {};
    const bool exists = ::stat(target->c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists && (!S_ISREG(st.st_mode) || !isWritable(*target, st))) return false;

    // A temporary file left by an interrupted earlier save is stale; anything
    // else under that name (a folder, say) is not ours to remove.
    const std::string temp = *target + ".tmp";
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) return false;
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.ok()) return false;

    const auto fail = [&] {
        fd.close();
        ::unlink(temp.c_str());
        return false;
    };
    if (exists) {
        // Keep the original's permissions and, where allowed, its owner.
        if (::fchmod(fd.get(), st.st_mode & 07777) != 0) return fail();
        if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
            // Only a privileged user may give the file away; ours is fine too.
        }
    }
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close()) return fail();
    if (steps.beforeRename && !steps.beforeRename(temp)) return fail();
    if (::rename(temp.c_str(), target->c_str()) != 0) return fail();
    syncFolderOf(*target);
    return true;
}

} // namespace morvelan
