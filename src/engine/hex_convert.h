#pragma once
// Conversions between hexadecimal text and bit strings. None fails towards
// its caller: bad input is reported as an event and a fixed fallback value
// comes back (255, or the empty text).
#include <cstdint>
#include <string>
#include <string_view>

namespace morvelan {

class RunEvents;

inline constexpr std::int32_t kBadHexDigit = 255;

// One hex digit character to 0..15, or 255 after a HexDigit event.
std::int32_t hexconv(RunEvents& events, std::string_view c);
// Exactly four bit characters to one upper-case digit; a NibbleGroup event
// and "" otherwise.
std::string HexConvert2(RunEvents& events, std::string_view group);
// A bit string of 3 to 64 characters to upper-case hexadecimal text; a
// BitString event and "" otherwise.
std::string HexConvert(RunEvents& events, std::string_view bits);

// "0"/"1" text as upper-case hex digits, four bits a digit, the last digit
// padded with zero bits; never fails (any character but '1' counts as 0).
std::string bitsToHex(std::string_view bits);

// Value of a valid hex digit character, or -1: the silent fast path for
// callers that report bad characters through hexconv itself.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace morvelan
