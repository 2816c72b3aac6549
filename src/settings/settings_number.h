#pragma once
// The number syntax of settings values.
#include <cstdint>
#include <optional>
#include <string_view>

namespace morvelan {

// Reads the number at the start of `text`: blanks, tabs and line feeds are
// ignored anywhere; an optional sign, digits, an optional fraction and an
// optional E or D exponent (either case); or an &H / &O integer. Reading
// stops at the first character that cannot continue the number, and no
// number at all gives 0. The result is rounded half to even. nullopt reports
// an overflow: a result outside the 32-bit signed range.
std::optional<std::int32_t> ParseSettingsNumber(std::string_view text);

} // namespace morvelan
