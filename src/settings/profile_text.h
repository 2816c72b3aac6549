#pragma once
// The bytes of an INI file (CP932 text), with look-ups and edits that work
// line by line. An edit rewrites or adds exactly one line; every other byte
// stays as it was, line ends included. Names match without regard to ASCII
// case, and only the first of duplicate sections or keys counts.
#include <cstddef>
#include <string>
#include <string_view>

namespace morvelan {

class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(std::string bytes) : bytes_(std::move(bytes)) {}

    // The key's value with surrounding blanks removed, or `defaultValue`
    // when the section or key is absent; at most bufferSize - 1 bytes, never
    // ending in half a double-byte character.
    std::string read(std::string_view section, std::string_view key, std::string_view defaultValue,
                     std::size_t bufferSize = 1024) const;

    // True when the file holds a header line of this section.
    bool hasSection(std::string_view section) const;

    // Replaces the key's line, or adds it after the section's last key line,
    // or adds the section at the end. False, with nothing changed, for names
    // or values that cannot stand on one INI line.
    bool write(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Cuts CP932 text to at most `limit` bytes without splitting a double-byte
// character.
std::string_view cutCp932(std::string_view text, std::size_t limit);

} // namespace morvelan
