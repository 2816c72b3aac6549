#include "files/run_files.h"

#include "platform/cp932.h"

#include <algorithm>
#include <cstring>

namespace morvelan {

bool InputFile::open(const std::string& path)
{
    close();
    platform::OpenError error;
    file_ = platform::openToRead(path, error);
    if (!file_.isOpen()) return false;
    path_ = path;
    failed_ = false;
    begin_ = end_ = 0;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kFileBufferBytes);
    return true;
}

void InputFile::adopt(platform::File file)
{
    file_ = std::move(file);
    failed_ = false;
    begin_ = end_ = 0;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kFileBufferBytes);
}

void InputFile::close()
{
    file_.close();
}

bool InputFile::fill()
{
    if (begin_ < end_) return true;
    if (!file_.isOpen() || failed_) return false;
    begin_ = end_ = 0;
    const std::ptrdiff_t n = file_.read(buffer_.get(), kFileBufferBytes);
    if (n > 0) {
        end_ = static_cast<std::size_t>(n);
        return true;
    }
    failed_ = n < 0;
    return false;
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
    // Not emptied yet: first this run must hold the lock and know the file
    // is none of the files the run reads.
    platform::OpenError error;
    platform::File file = platform::openResult(path, rules.followLinks, error);
    const auto refuse = [&](ResultOpenError why) {
        openError_ = why;
        return false;
    };
    switch (error) {
    case platform::OpenError::None: break;
    case platform::OpenError::NotRegularFile: return refuse(ResultOpenError::NotRegularFile);
    case platform::OpenError::IsLink: return refuse(ResultOpenError::IsLink);
    default: return refuse(ResultOpenError::CannotCreate);
    }
    // Compared by what was opened: a name that turned into a link to the
    // input since it was last looked at is caught here, before emptying.
    const auto opened = file.identity();
    if (!opened) return refuse(ResultOpenError::CannotCreate);
    for (const platform::FileIdentity& other : rules.forbidden)
        if (*opened == other) return refuse(ResultOpenError::SameAsInput);
    bool busy = false;
    if (!file.lockExclusive(busy)) return refuse(busy ? ResultOpenError::Locked : ResultOpenError::CannotCreate);
    if (!file.truncate(0)) return refuse(ResultOpenError::CannotCreate);
    file_ = std::move(file);
    openError_ = ResultOpenError::None;
    failed_ = false;
    size_ = 0;
    path_ = path;
    return true;
}

bool ResultFile::close()
{
    if (!file_.isOpen()) return true;
    const bool closed = file_.close(); // the lock goes with the file
    return closed && !failed_;
}

bool ResultFile::writeBytes(std::string_view bytes)
{
    if (!file_.isOpen() || failed_) return false;
    // Callers hand whole rows, so the file ends on a whole row after every
    // write. (A kill -9 can still stop the kernel's copy of a many-page write
    // between two pages; nothing a program does can prevent that.)
    if (file_.writeAll(bytes.data(), bytes.size())) {
        size_ += bytes.size();
        return true;
    }
    // A block cut short by a full disk or a size limit is taken back, so the
    // file still ends with a whole row.
    failed_ = true;
    if (file_.truncate(size_)) file_.seek(size_);
    return false;
}

bool ResultFile::writeLine(std::string_view utf8)
{
    std::string bytes = encodeCp932(utf8);
    bytes += "\r\n";
    return writeBytes(bytes);
}

} // namespace morvelan
