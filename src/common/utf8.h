#pragma once
// Text inside the system is UTF-8; a "character" is one Unicode code point.
// These helpers count and cut by code point, never by byte.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace morvelan {

// Byte length of the UTF-8 sequence starting at s[i] (1 for stray bytes).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i);
std::size_t countCharacters(std::string_view s);
// Characters [first, first + count) by code point (0-based); shorter at the end.
std::string_view substrCharacters(std::string_view s, std::size_t first, std::size_t count);
// The last `count` characters (the whole text when it is shorter).
std::string_view lastCharacters(std::string_view s, std::size_t count);

// Paths are UTF-8 text inside the system, whatever the system's own
// narrow encoding (on Windows a code page).
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string utf8FromPath(const std::filesystem::path& path);

} // namespace morvelan
