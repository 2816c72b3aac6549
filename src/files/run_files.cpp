#include "files/run_files.h"

#include "common/cp932.h"

namespace morvelan {

bool InputFile::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return false;
    path_ = path;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kFileBufferBytes);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kFileBufferBytes);
    return true;
}

void InputFile::close()
{
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

bool InputFile::readLine(std::string& bytes)
{
    bytes.clear();
    if (file_ == nullptr) return false;
    int c = std::getc(file_);
    if (c == EOF) return false;
    while (c != EOF && c != '\r') {
        if (bytes.size() < kMaxKeptBytes) bytes.push_back(static_cast<char>(c));
        c = std::getc(file_);
    }
    if (c == '\r') {
        const int next = std::getc(file_);
        if (next != '\n' && next != EOF) std::ungetc(next, file_);
    }
    return true;
}

bool InputFile::atEnd()
{
    if (file_ == nullptr) return true;
    const int c = std::getc(file_);
    if (c == EOF) return true;
    std::ungetc(c, file_);
    return false;
}

bool ResultFile::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return false;
    path_ = path;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kFileBufferBytes);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kFileBufferBytes);
    return true;
}

bool ResultFile::close()
{
    if (file_ == nullptr) return true;
    const bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok && closed;
}

bool ResultFile::writeBytes(std::string_view bytes)
{
    if (file_ == nullptr) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

bool ResultFile::flush()
{
    return file_ != nullptr && std::fflush(file_) == 0;
}

bool ResultFile::writeLine(std::string_view utf8)
{
    std::string bytes = encodeCp932(utf8);
    bytes += "\r\n";
    return writeBytes(bytes);
}

} // namespace morvelan
