#include "common/text.h"

#include "common/utf8.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

namespace morvelan {

std::string NullToTrimmedText(OptionalText value)
{
    if (!value) return {};
    std::string_view s = *value;
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::optional<double> ParseDecimal(std::string_view text)
{
    const std::string trimmed = NullToTrimmedText(text);
    if (trimmed.empty()) return 0.0;
    // from_chars takes no leading '+', so the sign is handled here; the
    // first-character test keeps out "inf" and "nan".
    std::string_view s = trimmed;
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '.')) return std::nullopt;
    double number = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), number, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return negative ? -number : number;
}

std::optional<std::int32_t> NullToNumber(OptionalText value)
{
    if (!value) return 0;
    const std::optional<double> number = ParseDecimal(*value);
    if (!number) return std::nullopt;
    return roundToInt32(*number);
}

std::optional<std::int32_t> roundToInt32(double value)
{
    const double rounded = std::nearbyint(value); // the default rounding: half to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::string PadLeft(int width, std::string_view fill, std::string_view value)
{
    if (width <= 0 || fill.empty()) return {};
    const std::string_view fillChar = fill.substr(0, utf8SequenceLength(fill, 0));
    std::string padded;
    padded.reserve(static_cast<std::size_t>(width) * fillChar.size() + value.size());
    for (int i = 0; i < width; ++i) padded += fillChar;
    padded += value;
    return std::string(lastCharacters(padded, static_cast<std::size_t>(width)));
}

std::string PadLeft(int width, std::string_view fill, std::int64_t value)
{
    return PadLeft(width, fill, std::to_string(value));
}

bool FileHasData(OptionalText path)
{
    const std::string trimmed = NullToTrimmedText(path);
    if (trimmed.empty()) return false;
    std::error_code ec;
    const std::filesystem::path p = pathFromUtf8(trimmed);
    if (!std::filesystem::is_regular_file(p, ec) || ec) return false;
    const auto size = std::filesystem::file_size(p, ec);
    return !ec && size > 0;
}

} // namespace morvelan
