#include "files/run_files.h"

#include "common/cp932.h"
#include "common/file_identity.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvelan {

bool InputFile::open(const std::string& path)
{
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    path_ = path;
    failed_ = false;
    begin_ = end_ = 0;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kFileBufferBytes);
    return true;
}

void InputFile::adopt(int fd)
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    failed_ = false;
    begin_ = end_ = 0;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kFileBufferBytes);
}

void InputFile::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool InputFile::fill()
{
    if (begin_ < end_) return true;
    if (fd_ < 0 || failed_) return false;
    begin_ = end_ = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.get(), kFileBufferBytes);
        if (n > 0) {
            end_ = static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) return false;
        if (errno != EINTR) {
            failed_ = true;
            return false;
        }
    }
}

bool InputFile::readLine(std::string& bytes)
{
    bytes.clear();
    if (!fill()) return false;
    for (;;) {
        const char* from = buffer_.get() + begin_;
        const std::size_t left = end_ - begin_;
        const void* cr = std::memchr(from, '\r', left);
        const std::size_t take = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : left;
        if (bytes.size() < kMaxKeptBytes) bytes.append(from, std::min(take, kMaxKeptBytes - bytes.size()));
        begin_ += take;
        if (cr) {
            ++begin_; // the CR
            // One LF directly after it belongs to the line end.
            if (fill() && buffer_[begin_] == '\n') ++begin_;
            return true;
        }
        if (!fill()) return true; // the last line has no line end
    }
}

bool InputFile::atEnd()
{
    return !fill();
}

bool ResultFile::open(const std::string& path, const ResultOpenRules& rules)
{
    close();
    openError_ = ResultOpenError::None;
    // No O_TRUNC: the file is emptied only once this run holds its lock and
    // knows it is none of the files the run reads. The open never waits for
    // a FIFO's reader.
    const int noFollow = rules.followLinks ? 0 : O_NOFOLLOW;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow, 0666);
    if (fd < 0) {
        if (errno == ELOOP && !rules.followLinks) openError_ = ResultOpenError::IsLink;
        else if (errno == ENXIO || errno == EISDIR) openError_ = ResultOpenError::NotRegularFile;
        else openError_ = ResultOpenError::CannotCreate;
        return false;
    }
    const auto refuse = [&](ResultOpenError why) {
        ::close(fd);
        openError_ = why;
        return false;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return refuse(ResultOpenError::CannotCreate);
    if (!S_ISREG(st.st_mode)) return refuse(ResultOpenError::NotRegularFile);
    // Compared by what was opened: a name that turned into a link to the
    // input since it was last looked at is caught here, before emptying.
    const FileIdentity opened{st.st_dev, st.st_ino};
    for (const FileIdentity& other : rules.forbidden)
        if (opened == other) return refuse(ResultOpenError::SameAsInput);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse(errno == EWOULDBLOCK ? ResultOpenError::Locked : ResultOpenError::CannotCreate);
    if (::ftruncate(fd, 0) != 0) return refuse(ResultOpenError::CannotCreate);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return refuse(ResultOpenError::CannotCreate);
    fd_ = fd;
    failed_ = false;
    size_ = 0;
    path_ = path;
    return true;
}

bool ResultFile::close()
{
    if (fd_ < 0) return true;
    const bool closed = ::close(fd_) == 0; // the lock goes with the descriptor
    fd_ = -1;
    return closed && !failed_;
}

bool ResultFile::writeBytes(std::string_view bytes)
{
    if (fd_ < 0 || failed_) return false;
    // Callers hand whole rows, so the file ends on a whole row after every
    // write. (A kill -9 can still stop the kernel's copy of a many-page write
    // between two pages; nothing a program does can prevent that.)
    if (writeAllTo(fd_, bytes.data(), bytes.size())) {
        size_ += bytes.size();
        return true;
    }
    // A block cut short by a full disk or a size limit is taken back, so the
    // file still ends with a whole row.
    failed_ = true;
    if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) ::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
    return false;
}

bool ResultFile::writeLine(std::string_view utf8)
{
    std::string bytes = encodeCp932(utf8);
    bytes += "\r\n";
    return writeBytes(bytes);
}

bool ResultFile::sameFileAs(const std::string& path) const
{
    const auto mine = fd_ >= 0 ? identityOf(fd_) : std::nullopt;
    return mine && mine == identityOf(path);
}

} // namespace morvelan
