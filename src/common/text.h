#pragma once
// Blank-safe reading of user-entered and file-read values, fixed-width
// padding and the "is this file worth opening" test.
// A value may be absent (std::nullopt) or a text, possibly empty.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

using OptionalText = std::optional<std::string_view>;

// Removes leading and trailing U+0020 only; inner spaces stay.
std::string NullToTrimmedText(OptionalText value);
// The decimal number a trimmed text spells: optional sign, digits with an
// optional fraction, optional exponent; blank gives 0. nullopt when the
// text is anything else.
std::optional<double> ParseDecimal(std::string_view text);
// Absent or blank gives 0; otherwise the number rounded half to even.
// nullopt reports a conversion failure: not a number, or outside 32 bits.
std::optional<std::int32_t> NullToNumber(OptionalText value);
// The rightmost `width` characters of `width` fill characters + value.
std::string PadLeft(int width, std::string_view fill, std::string_view value);
std::string PadLeft(int width, std::string_view fill, std::int64_t value);
// True only when a regular file exists at the trimmed path with size > 0.
bool FileHasData(OptionalText path);

// Rounds half to even (the default rounding mode) into 32 bits; nullopt
// when the result does not fit.
std::optional<std::int32_t> roundToInt32(double value);

} // namespace morvelan
