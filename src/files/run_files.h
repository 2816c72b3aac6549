#pragma once
// Files 1 and 2 of a run: the input read by lines and the Result file
// written by lines. Both close exactly once, whatever path a run takes;
// closing a file that is not open does nothing.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace morvelan {

// Lines end at CR; one LF directly after the CR belongs to the line end. A
// lone LF is an ordinary character. Only the first kMaxKeptBytes bytes of a
// line are kept: no reader looks past character 80, and a file of lone-LF
// lines must not be pulled into memory whole.
inline constexpr std::size_t kFileBufferBytes = std::size_t{1} << 16;

class InputFile {
public:
    static constexpr std::size_t kMaxKeptBytes = 4096;

    InputFile() = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Reads the next line's bytes (without its line end). False at the end.
    bool readLine(std::string& bytes);
    // True when nothing of the file is left.
    bool atEnd();
    bool failed() const { return file_ != nullptr && std::ferror(file_) != 0; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::unique_ptr<char[]> buffer_; // glibc ignores the size without a buffer of our own
};

class ResultFile {
public:
    ResultFile() = default;
    ~ResultFile() { close(); }
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // Creates the file or empties it.
    bool open(const std::string& path);
    // Flushes and closes; false when the last data could not be written.
    bool close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Writes bytes as they are; false on a write failure.
    bool writeBytes(std::string_view bytes);
    // Writes UTF-8 text as CP932 followed by CR LF.
    bool writeLine(std::string_view utf8);
    // Hands buffered data to the system; false when it could not be written.
    bool flush();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::unique_ptr<char[]> buffer_;
};

struct RunFiles {
    InputFile input;   // file 1
    ResultFile result; // file 2
    // Closes file 1, then file 2; false when file 2 lost data on closing.
    bool closeBoth()
    {
        input.close();
        return result.close();
    }
};

} // namespace morvelan
