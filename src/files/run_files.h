#pragma once
// Files 1 and 2 of a run: the input read by lines and the Result file
// written in whole rows. Both close exactly once, whatever path a run takes;
// closing a file that is not open does nothing.
#include "files/lf_copy.h"
#include "platform/file.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Reads `file` from here on, in place of the file open now; the file's
    // name stays `path()`.
    void adopt(platform::File file);
    void close();
    platform::File& file() { return file_; }
    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return path_; }

    // Reads the next line's bytes (without its line end). False at the end.
    bool readLine(std::string& bytes);
    // True when nothing of the file is left.
    bool atEnd();
    bool failed() const { return file_.isOpen() && failed_; }

private:
    // Refills the buffer when it is used up; false at the end or on a failure.
    bool fill();

    platform::File file_;
    bool failed_ = false;
    std::string path_;
    std::unique_ptr<char[]> buffer_; // read(2) in blocks of kFileBufferBytes
    std::size_t begin_ = 0;          // unread bytes: begin_ .. end_
    std::size_t end_ = 0;
};

// Why ResultFile::open failed.
enum class ResultOpenError { None, CannotCreate, NotRegularFile, Locked, IsLink, SameAsInput };

// How the Result file may be opened.
struct ResultOpenRules {
    // A path the user named follows links, as a shell redirect does; the
    // path the program derives itself refuses a link planted there.
    bool followLinks = true;
    // Files the Result file may not be (the input, the LF copy): checked on
    // the opened file, before anything in it is touched.
    std::vector<platform::FileIdentity> forbidden;
};

// The Result file. Every write goes straight to the descriptor, so what is on
// disk is always the header and whole rows: a kill at any instant cuts no
// row. One run per file: an exclusive lock is taken before the file is
// emptied and held until it is closed.
class ResultFile {
public:
    ResultFile() = default;
    ~ResultFile() { close(); }
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // Creates the file or empties it once it is locked. Never blocks: a FIFO
    // or device is refused, and so is a file another run holds.
    bool open(const std::string& path, const ResultOpenRules& rules = {});
    ResultOpenError openError() const { return openError_; }
    // Closes; false when a write failed or the system reports a failure.
    bool close();
    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return path_; }

    // Writes these bytes now (a block of whole rows, or the whole header).
    // A failed write leaves the file as it was before the block.
    bool writeBytes(std::string_view bytes);
    bool writeRows(std::string_view wholeRows) { return writeBytes(wholeRows); }
    // Writes UTF-8 text as CP932 followed by CR LF.
    bool writeLine(std::string_view utf8);
    // Nothing is held back; true while no write has failed.
    bool flush() const { return file_.isOpen() && !failed_; }

private:
    platform::File file_;
    bool failed_ = false;
    std::uint64_t size_ = 0;
    ResultOpenError openError_ = ResultOpenError::None;
    std::string path_;
};

struct RunFiles {
    InputFile input;   // file 1
    ResultFile result; // file 2
    LfCopy lfCopy;     // the private CR LF copy of an LF input
    // What was opened, whatever names lead there now: the Result file may be
    // neither.
    std::optional<platform::FileIdentity> inputIdentity;
    std::optional<platform::FileIdentity> lfCopyIdentity;
    // Closes file 1 and the LF copy, then file 2; false when file 2 lost data.
    bool closeBoth()
    {
        inputIdentity.reset();
        lfCopyIdentity.reset();
        input.close();
        lfCopy.close();
        return result.close();
    }
};

} // namespace morvelan
