#include "files/row_text.h"

#include <charconv>
#include <cstring>

namespace morvelan {
namespace {

// PadLeft(width, " ", value) written at `at`; returns the end.
[[gnu::noinline]] char* writePaddedSlow(char* at, std::int64_t value, int width)
{
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

// The same for the fixed widths of a row; the numbers that fit, nearly
// every row's, are written in place without a call.
template <int Width> [[gnu::always_inline]] inline char* writePadded(char* at, std::int64_t value)
{
    static_assert(Width >= 1 && Width <= 8);
    constexpr std::int64_t limit = [] {
        std::int64_t l = 1;
        for (int i = 0; i < Width; ++i) l *= 10;
        return l;
    }();
    if (value < 0 || value >= limit) return writePaddedSlow(at, value, Width);
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                     "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    std::memcpy(at, "        ", Width);
    char* p = at + Width;
    auto v = static_cast<std::uint32_t>(value);
    // Two digits per division.
    while (v >= 100) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * v, 2);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    return at + Width;
}

char* writeText(char* at, std::string_view text)
{
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// n spaces; the short runs of a row (up to 16) by two overlapping stores.
char* writeSpaces(char* at, std::size_t n)
{
    static constexpr char kSpaces[] = "                ";
    if (n >= 8 && n <= 16) {
        std::memcpy(at, kSpaces, 8);
        std::memcpy(at + n - 8, kSpaces, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(at, kSpaces, 4);
        std::memcpy(at + n - 4, kSpaces, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < 3; ++i)
            if (i < n) at[i] = ' ';
    } else {
        std::memset(at, ' ', n);
    }
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
    out.append(text, static_cast<std::size_t>(writePaddedSlow(text, value, width) - text));
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
    at = writePadded<4>(at, interval);
    at = writeSpaces(at, kPrintZoneWidth - 4);
    at = writePadded<4>(at, index);
    at = writeSpaces(at, kPrintZoneWidth - 4);
    at = writeText(at, pattern);
    *at++ = '(';
    at = writeText(at, hex);
    *at++ = ')';
    // Pattern and hex text are ASCII here, so bytes are columns.
    const auto used = static_cast<std::size_t>(at - start);
    const std::size_t zoneEnd = (used + kPrintZoneWidth - 1) / kPrintZoneWidth * kPrintZoneWidth;
    at = writeSpaces(at, zoneEnd - used);
    at = writePadded<5>(at, count);
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
    at = writePadded<4>(at, interval);
    *at++ = ' ';
    at = writePadded<4>(at, index);
    *at++ = ' ';
    at = writeText(at, pattern);
    *at++ = '(';
    at = writeText(at, hex);
    *at++ = ')';
    *at++ = ' ';
    at = writePadded<5>(at, count);
    *at++ = ' ';
    *at++ = '\r';
    *at++ = '\n';
}

} // namespace morvelan
