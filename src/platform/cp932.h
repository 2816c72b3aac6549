#pragma once
// The one CP932 codec of the system. Input and settings files are decoded,
// the Result file and the settings file are encoded. iconv's name must be
// "CP932": only that table maps U+FF5E (the header's "～") to 0x81 0x60.
#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

// Opens this thread's codec in both directions; nullopt when it is ready,
// else the system's reason. A run checks it first: text that falls back to
// "?" or U+FFFD because the codec is missing would be silently wrong.
std::optional<std::string> cp932Unavailable();
// Each undecodable byte becomes one U+FFFD, so it stays one character position.
std::string decodeCp932(std::string_view bytes);
// A character CP932 cannot hold becomes "?".
std::string encodeCp932(std::string_view utf8);

} // namespace morvelan
