#include "common/file_identity.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace morvelan {
namespace {

std::optional<FileIdentity> fromStat(int result, const struct stat& st)
{
    if (result != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

} // namespace

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat st {};
    return fromStat(::stat(path.c_str(), &st), st);
}

std::optional<FileIdentity> identityOf(int fd)
{
    struct stat st {};
    return fromStat(::fstat(fd, &st), st);
}

bool isSameFile(const std::string& a, const std::string& b)
{
    const auto ia = identityOf(a);
    return ia && ia == identityOf(b);
}

bool isNonRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

bool writeAllTo(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace morvelan
