#include "engine/row_text.h"

#include <charconv>
#include <cstring>

namespace morvelan {
namespace {

// PadLeft(width, " ", value) written at `at`; returns the end. Small
// non-negative numbers, nearly every row's, take the short way.
char* writePadded(char* at, std::int64_t value, int width)
{
    if (value >= 0 && width <= 18) {
        std::int64_t limit = 1;
        for (int i = 0; i < width; ++i) limit *= 10;
        if (value < limit) {
            char* p = at + width;
            std::uint64_t v = static_cast<std::uint64_t>(value);
            do {
                *--p = static_cast<char>('0' + v % 10);
                v /= 10;
            } while (v != 0);
            while (p > at) *--p = ' ';
            return at + width;
        }
    }
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    const auto len = static_cast<int>(end - digits);
    if (len >= width) {
        std::memcpy(at, end - width, static_cast<std::size_t>(width));
    } else {
        std::memset(at, ' ', static_cast<std::size_t>(width - len));
        std::memcpy(at + (width - len), digits, static_cast<std::size_t>(len));
    }
    return at + width;
}

char* writeText(char* at, std::string_view text)
{
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

char* writeSpaces(char* at, std::size_t n)
{
    std::memset(at, ' ', n);
    return at + n;
}

// Bytes up to the end of field 3 of a row.
std::size_t rowFieldsBytes(std::size_t patternBytes, std::size_t hexBytes)
{
    return 2 * kPrintZoneWidth + patternBytes + hexBytes + 2;
}

} // namespace

void appendPadded(std::string& out, std::int64_t value, int width)
{
    char text[32];
    if (width <= 0) return;
    if (width > 24) {
        // Wider than any number: spaces, then the number.
        out.append(static_cast<std::size_t>(width - 24), ' ');
        width = 24;
    }
    out.append(text, static_cast<std::size_t>(writePadded(text, value, width) - text));
}

std::size_t resultRowSize(std::size_t patternBytes, std::size_t hexBytes)
{
    const std::size_t used = rowFieldsBytes(patternBytes, hexBytes);
    const std::size_t zoneEnd = (used + kPrintZoneWidth - 1) / kPrintZoneWidth * kPrintZoneWidth;
    return zoneEnd + 5 + 2;
}

char* writeResultRow(char* at, std::int64_t interval, std::int64_t index, std::string_view pattern,
                     std::string_view hex, std::int64_t count)
{
    char* const start = at;
    at = writePadded(at, interval, 4);
    at = writeSpaces(at, kPrintZoneWidth - 4);
    at = writePadded(at, index, 4);
    at = writeSpaces(at, kPrintZoneWidth - 4);
    at = writeText(at, pattern);
    *at++ = '(';
    at = writeText(at, hex);
    *at++ = ')';
    // Pattern and hex text are ASCII here, so bytes are columns.
    const auto used = static_cast<std::size_t>(at - start);
    const std::size_t zoneEnd = (used + kPrintZoneWidth - 1) / kPrintZoneWidth * kPrintZoneWidth;
    at = writeSpaces(at, zoneEnd - used);
    at = writePadded(at, count, 5);
    *at++ = '\r';
    *at++ = '\n';
    return at;
}

void appendResultRow(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                     std::string_view hex, std::int64_t count)
{
    const std::size_t start = out.size();
    out.resize(start + resultRowSize(pattern.size(), hex.size()));
    writeResultRow(out.data() + start, interval, index, pattern, hex, count);
}

void appendWindowLine(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                      std::string_view hex, std::int64_t count)
{
    const std::size_t start = out.size();
    out.resize(start + 1 + 4 + 1 + 4 + 1 + pattern.size() + 1 + hex.size() + 2 + 5 + 3);
    char* at = out.data() + start;
    *at++ = ' ';
    at = writePadded(at, interval, 4);
    *at++ = ' ';
    at = writePadded(at, index, 4);
    *at++ = ' ';
    at = writeText(at, pattern);
    *at++ = '(';
    at = writeText(at, hex);
    *at++ = ')';
    *at++ = ' ';
    at = writePadded(at, count, 5);
    *at++ = ' ';
    *at++ = '\r';
    *at++ = '\n';
}

} // namespace morvelan
