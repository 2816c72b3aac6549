// The parts of the file layer that need no system call of their own.
#include "platform/file.h"

namespace morvelan::platform {

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = kNone;
    }
    return *this;
}

bool isSameFile(const std::string& a, const std::string& b)
{
    const auto ia = identityOf(a);
    return ia && ia == identityOf(b);
}

std::string folderOf(const std::string& path)
{
    std::size_t at = path.size();
    while (at > 0 && !isPathSeparator(path[at - 1])) --at;
    if (at == 0) return ".";
    // A root ("/", "C:\\") keeps its separator; other folders lose it.
    const bool root = at == 1 || (at >= 2 && path[at - 2] == ':');
    return root ? path.substr(0, at) : path.substr(0, at - 1);
}

} // namespace morvelan::platform
