#include "files/input_reader.h"

#include "common/cp932.h"
#include "common/toolkit.h"
#include "common/utf8.h"
#include "engine/hex_convert.h"
#include "engine/session.h"
#include "files/file_messages.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace morvelan {
namespace {

bool refuse(Session& session, Toolkit& toolkit, std::string_view message)
{
    showError(toolkit, message);
    session.files.closeBoth();
    return false;
}

bool failedToRead(Session& session, Toolkit& toolkit)
{
    showError(toolkit, messageCannotReadInput(session.files.input.path()));
    return false;
}

constexpr auto kReaderYieldPeriod = std::chrono::milliseconds(20);

bool isPlainAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

bool ReadInputFile(Session& session, Toolkit& toolkit)
{
    InputFile& input = session.files.input;
    std::string line;
    input.readLine(line); // the header line: always consumed, never decoded
    if (input.failed()) return failedToRead(session, toolkit);
    if (input.atEnd()) return refuse(session, toolkit, kMsgNoInputData);

    if (!session.options.skipHeaderCheck) {
        const std::string header = decodeCp932(line);
        if (substrCharacters(header, 2, 3) != "TDM") return refuse(session, toolkit, kMsgCannotProcessInput);
    }

    // Bits of an earlier, unrelated input must not leak into this analysis.
    session.bits.clear();
    session.decodedBits = 0;

    std::int64_t p = 1;
    std::string text;        // the current data line, decoded
    std::size_t offset = 0;  // byte offset of character c in `text`
    std::size_t column = kDigitsPerLine + 1;
    auto nextYield = std::chrono::steady_clock::now() + kReaderYieldPeriod;
    while (p <= MAX_INPUT_BITS) {
        if (session.abortFlag) return false;
        if (column > kDigitsPerLine) {
            do {
                input.readLine(line);
                if (input.failed()) return failedToRead(session, toolkit);
                if (input.atEnd()) return true; // the last line is never decoded
            } while (!line.empty() && (line.front() == ';' || line.front() == '#'));
            // Plain ASCII reads as it stands; only other lines need the codec.
            if (isPlainAscii(line)) text.swap(line);
            else text = decodeCp932(line);
            offset = 0;
            column = 1;
            // The window gets a turn about every 20 ms, so its Abort button
            // works while a long input is read; the check above sees a press.
            if (std::chrono::steady_clock::now() >= nextYield) {
                toolkit.yield();
                nextYield = std::chrono::steady_clock::now() + kReaderYieldPeriod;
                if (session.abortFlag) return false;
            }
        }
        std::int32_t v;
        if (offset < text.size()) {
            const std::size_t n = utf8SequenceLength(text, offset);
            const std::string_view ch(text.data() + offset, n);
            const int fast = n == 1 ? hexDigitValue(ch.front()) : -1;
            v = fast >= 0 ? fast : hexconv(toolkit, ch);
            offset += n;
        } else {
            v = hexconv(toolkit, ""); // a missing position is a bad digit
        }
        session.bits.setDigit(p, static_cast<std::uint32_t>(v));
        p += 4;
        session.decodedBits = static_cast<std::int32_t>(p - 1);
        ++column;
    }
    return true;
}

bool ConvertLfFile(const std::string& inputPath, const std::string& tempPath, Toolkit& toolkit)
{
    FilePtr in(std::fopen(inputPath.c_str(), "rb"));
    if (!in) {
        showError(toolkit, messageCannotOpenInput(inputPath));
        return false;
    }
    FilePtr out(std::fopen(tempPath.c_str(), "wb"));
    if (!out) {
        showError(toolkit, messageCannotCreateTemp(tempPath));
        return false;
    }
    char inBuf[1 << 15];
    char outBuf[2 << 15];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(inBuf, 1, sizeof inBuf, in.get());
        std::size_t m = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (inBuf[i] == '\n') outBuf[m++] = '\r';
            outBuf[m++] = inBuf[i];
        }
        if (std::fwrite(outBuf, 1, m, out.get()) != m) {
            ok = false;
            break;
        }
        if (n < sizeof inBuf) break;
    }
    const bool readFailed = std::ferror(in.get()) != 0;
    const bool flushed = std::fflush(out.get()) == 0;
    const bool closed = std::fclose(out.release()) == 0;
    if (readFailed) {
        showError(toolkit, messageCannotReadFile(inputPath));
    } else if (!ok || !flushed || !closed) {
        showError(toolkit, messageCannotWriteTemp(tempPath));
    }
    if (readFailed || !ok || !flushed || !closed) {
        std::error_code ec;
        std::filesystem::remove(tempPath, ec); // leave no half-written copy
        return false;
    }
    return true;
}

} // namespace morvelan
