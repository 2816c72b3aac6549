#include "settings/settings_number.h"

#include "common/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace morvelan {
namespace {

constexpr std::int64_t kMaxInt32 = 2147483647;
// Exponent digits beyond this cannot change the outcome (overflow or 0).
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

std::string withoutBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n') out += c;
    return out;
}

int digitValue(char c, int base)
{
    int value = -1;
    if (isDecimalDigit(c)) value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The digits after &H or &O; they give a non-negative number.
std::optional<std::int32_t> parsePrefixed(std::string_view digits, int base)
{
    std::int64_t value = 0;
    for (const char c : digits) {
        const int d = digitValue(c, base);
        if (d < 0) break;
        value = value * base + d;
        if (value > kMaxInt32) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::string_view takeDigits(std::string_view s, std::size_t& pos)
{
    const std::size_t begin = pos;
    while (pos < s.size() && isDecimalDigit(s[pos])) ++pos;
    return s.substr(begin, pos - begin);
}

// The exponent after E or D, when digits follow; otherwise nothing is taken.
std::int64_t takeExponent(std::string_view s, std::size_t& pos)
{
    if (pos >= s.size()) return 0;
    const char letter = s[pos];
    if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') return 0;
    std::size_t p = pos + 1;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
    const std::string_view digits = takeDigits(s, p);
    if (digits.empty()) return 0;
    pos = p;
    std::int64_t exponent = 0;
    for (const char c : digits) exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
    return negative ? -exponent : exponent;
}

std::optional<std::int32_t> parseDecimal(std::string_view s)
{
    std::size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    const std::string_view whole = takeDigits(s, pos);
    std::string_view fraction;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        fraction = takeDigits(s, pos);
    }
    if (whole.empty() && fraction.empty()) return 0;
    const std::int64_t exponent = takeExponent(s, pos);

    // The decimal order of the value decides overflow and "rounds to 0"
    // before any conversion, so huge exponents and long digit runs stay exact.
    const std::string digits = std::string(whole) + std::string(fraction);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return 0;
    const std::int64_t order =
        static_cast<std::int64_t>(whole.size()) - static_cast<std::int64_t>(firstNonZero) + exponent;
    if (order > 10) return std::nullopt; // at least 10^10
    if (order < 0) return 0;             // below 0.1

    const std::string normal = std::string(whole.empty() ? "0" : whole) + "." + std::string(fraction) + "e" +
                               std::to_string(exponent);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc()) return std::nullopt;
    return roundToInt32(negative ? -value : value);
}

} // namespace

std::optional<std::int32_t> ParseSettingsNumber(std::string_view text)
{
    const std::string s = withoutBlanks(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return parsePrefixed(std::string_view(s).substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o') return parsePrefixed(std::string_view(s).substr(2), 8);
    }
    return parseDecimal(s);
}

} // namespace morvelan
