#pragma once
// Small helpers shared by the data-file tests.
#include "engine/bit_buffer.h"
#include "files/session.h"
#include "files/input_reader.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

namespace morvelan::testing {

inline std::string repeat(std::string_view s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

// Cells first..last of the Bit buffer as "0"/"1" text.
inline std::string cellText(const BitBuffer& bits, std::int64_t first, std::int64_t last)
{
    std::string out;
    for (std::int64_t p = first; p <= last; ++p) out += static_cast<char>('0' + bits.get(p));
    return out;
}

// True when no cell from `first` to the end of the buffer holds a 1.
inline bool zeroFrom(const BitBuffer& bits, std::int64_t first)
{
    for (std::int64_t p = first; p <= kBitBufferLast; ++p)
        if (bits.get(p) != 0) return false;
    return true;
}

// Bytes written as hexadecimal pairs, spaces ignored: hx("93FC 97CD").
inline std::string hx(std::string_view pairs)
{
    std::string out;
    int high = -1;
    for (const char c : pairs) {
        int v = -1;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            out += static_cast<char>(high * 16 + v);
            high = -1;
        }
    }
    return out;
}

// An OK box under the application title, as every file and reader message is.
inline RecordedMessage errorBox(const std::string& text) { return {text, "", Buttons::Ok}; }

inline std::vector<RecordedMessage> hexconvBoxes(const std::string& argument, std::size_t count)
{
    return std::vector<RecordedMessage>(count, errorBox("Error in hexconv(" + argument + ")"));
}

// Lowers the size a file of this process may reach, so that writes past it
// fail with EFBIG (the signal that would end the process is ignored). Works
// for root too, unlike permission tricks.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// Reads bytes as an input file through ReadInputFile, with a fresh session
// and a scripted toolkit per test.
class ReaderTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    ScriptedToolkit tk;

    // Opens the bytes as file 1 and a fresh output as file 2, then reads.
    bool read(const std::string& bytes)
    {
        tk.messages.clear();
        const std::string in = dir.write("in.txt", bytes);
        EXPECT_TRUE(session->files.input.open(in));
        EXPECT_TRUE(session->files.result.open(dir.file("out.txt")));
        return ReadInputFile(*session, tk);
    }
    std::string cells(std::int64_t first, std::int64_t last) const { return cellText(session->bits, first, last); }
};

} // namespace morvelan::testing
