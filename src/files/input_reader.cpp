#include "files/input_reader.h"

#include "platform/cp932.h"
#include "common/pacer.h"
#include "common/toolkit.h"
#include "common/utf8.h"
#include "engine/hex_convert.h"
#include "engine/run_events.h"
#include "files/session.h"
#include "files/file_messages.h"
#include "files/run_messages.h"

#include <filesystem>

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


bool isPlainAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// A line whose first 80 characters are all hex digits, when all 80 fit
// below the bit limit, goes into the Bit buffer at once: nothing on it can
// show a message. Other lines take the digit-by-digit way.
bool packWholeLine(Session& session, std::string_view text, std::int64_t& p)
{
    if (text.size() < kDigitsPerLine || p + 4 * std::int64_t{kDigitsPerLine} - 4 > MAX_INPUT_BITS) return false;
    std::uint8_t values[kDigitsPerLine];
    for (std::size_t i = 0; i < kDigitsPerLine; ++i) {
        const int v = hexDigitValue(text[i]);
        if (v < 0) return false;
        values[i] = static_cast<std::uint8_t>(v);
    }
    session.bits.setDigits(p, values, kDigitsPerLine);
    p += 4 * std::int64_t{kDigitsPerLine};
    session.decodedBits = static_cast<std::int32_t>(p - 1);
    return true;
}

} // namespace

bool ReadInputFile(Session& session, Toolkit& toolkit, RunEvents& events)
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
    session.bits.resize(kBitBufferLast);
    session.decodedBits = 0;

    std::int64_t p = 1;
    std::string text;        // the current data line, decoded
    std::size_t offset = 0;  // byte offset of character c in `text`
    std::size_t column = kDigitsPerLine + 1;
    Pacer pacer;
    while (p <= MAX_INPUT_BITS) {
        if (session.abortFlag.requested()) return false;
        if (column > kDigitsPerLine) {
            do {
                // The window gets a turn about every 20 ms, so its Abort
                // button works while a long input (or a long run of comment
                // lines) is read.
                if (pacer.due()) {
                    events.yield();
                    pacer.restart();
                    if (session.abortFlag.requested()) return false;
                }
                input.readLine(line);
                if (input.failed()) return failedToRead(session, toolkit);
                if (input.atEnd()) return true; // the last line is never decoded
            } while (!line.empty() && (line.front() == ';' || line.front() == '#'));
            // Plain ASCII reads as it stands; only other lines need the codec.
            if (isPlainAscii(line)) text.swap(line);
            else text = decodeCp932(line);
            if (!session.input.irregularLines && countCharacters(text) != kDigitsPerLine)
                session.input.irregularLines = true;
            offset = 0;
            column = 1;
            if (packWholeLine(session, text, p)) {
                column = kDigitsPerLine + 1;
                continue;
            }
        }
        std::int32_t v;
        if (offset < text.size()) {
            const std::size_t n = utf8SequenceLength(text, offset);
            const std::string_view ch(text.data() + offset, n);
            const int fast = n == 1 ? hexDigitValue(ch.front()) : -1;
            v = fast >= 0 ? fast : hexconv(events, ch);
            offset += n;
        } else {
            v = hexconv(events, ""); // a missing position is a bad digit
        }
        if (v == kBadHexDigit) ++session.input.badDigits;
        session.bits.setDigit(p, static_cast<std::uint32_t>(v));
        p += 4;
        session.decodedBits = static_cast<std::int32_t>(p - 1);
        ++column;
    }
    return true;
}

bool ReadInputFile(Session& session, Toolkit& toolkit)
{
    ToolkitRunEvents events(toolkit);
    return ReadInputFile(session, toolkit, events);
}

} // namespace morvelan
