#include "settings/profile_text.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace morvelan {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultLineEnd = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// ASCII letters match in either case; the second byte of a double-byte
// character is compared exactly, since it may look like an ASCII letter.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isCp932LeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    }
    return true;
}

// One line of the file: [begin, contentEnd) is its text, [contentEnd, end)
// its line end (CR LF, LF, CR or nothing at the end of the file).
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

class LineCursor {
public:
    explicit LineCursor(std::string_view bytes) : bytes_(bytes)
    {
        // A byte order mark is not part of the first line's text.
        if (bytes_.substr(0, kUtf8Bom.size()) == kUtf8Bom) pos_ = kUtf8Bom.size();
    }
    std::optional<Line> next()
    {
        if (pos_ >= bytes_.size()) return std::nullopt;
        Line line;
        line.begin = pos_;
        line.contentEnd = std::min(nextOf('\r', nextCr_), nextOf('\n', nextLf_));
        line.end = line.contentEnd;
        if (line.end < bytes_.size()) {
            if (bytes_[line.end] == '\r' && line.end + 1 < bytes_.size() && bytes_[line.end + 1] == '\n')
                line.end += 2;
            else
                line.end += 1;
        }
        pos_ = line.end;
        return line;
    }

private:
    // Position of the next `c` at or after pos_ (the size when none), found
    // with memchr and remembered, so large files are scanned at memory speed.
    std::size_t nextOf(char c, std::size_t& cached)
    {
        if (cached == kUnknown || cached < pos_) {
            const void* hit = std::memchr(bytes_.data() + pos_, c, bytes_.size() - pos_);
            cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data()) : bytes_.size();
        }
        return cached;
    }

    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::size_t nextCr_ = kUnknown;
    std::size_t nextLf_ = kUnknown;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, blanks removed
    std::string_view value; // key value, blanks removed
};

ParsedLine parseLine(std::string_view text)
{
    const std::string_view t = trimBlanks(text);
    if (t.empty() || t.front() == ';' || t.front() == '#') return {};
    if (t.front() == '[') {
        std::string_view name = t.substr(1);
        name = name.substr(0, name.find(']'));
        return {LineKind::Section, trimBlanks(name), {}};
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return {};
    return {LineKind::Key, trimBlanks(t.substr(0, eq)), trimBlanks(t.substr(eq + 1))};
}

// Where a section and one of its keys stand in the file.
struct Location {
    std::optional<Line> section; // the first header line of the section
    std::optional<Line> key;     // the first line of the key inside it
    std::optional<Line> lastKey; // the section's last key line
    std::string_view value;
};

Location locate(std::string_view bytes, std::string_view section, std::string_view key)
{
    Location where;
    LineCursor cursor(bytes);
    bool inside = false;
    while (const auto line = cursor.next()) {
        const ParsedLine parsed = parseLine(bytes.substr(line->begin, line->contentEnd - line->begin));
        if (parsed.kind == LineKind::Section) {
            if (inside) break; // the first matching section is the only one that counts
            inside = sameName(parsed.name, section);
            if (inside) where.section = line;
        } else if (inside && parsed.kind == LineKind::Key) {
            where.lastKey = line;
            if (!where.key && sameName(parsed.name, key)) {
                where.key = line;
                where.value = parsed.value;
            }
        }
    }
    return where;
}

// The line end of the nearest line that ends before `pos`; CR LF when none does.
std::string_view lineEndBefore(std::string_view bytes, std::size_t pos)
{
    const std::size_t i = pos == 0 ? std::string_view::npos : bytes.find_last_of("\r\n", pos - 1);
    if (i == std::string_view::npos) return kDefaultLineEnd;
    if (bytes[i] == '\r') return "\r";
    return (i > 0 && bytes[i - 1] == '\r') ? "\r\n" : "\n";
}

bool holdsLineBreakOrNul(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

} // namespace

std::string_view cutCp932(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit) return text;
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t width = isCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return text.substr(0, i);
}

std::string ProfileText::read(std::string_view section, std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize) const
{
    const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1; // one place is the terminating NUL
    const Location where = locate(bytes_, section, key);
    const std::string_view value = where.key ? where.value : trimBlanks(defaultValue);
    return std::string(cutCp932(value, limit));
}

bool ProfileText::hasSection(std::string_view section) const
{
    return locate(bytes_, trimBlanks(section), {}).section.has_value();
}

bool ProfileText::write(std::string_view section, std::string_view key, std::string_view value)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty() || holdsLineBreakOrNul(section) || holdsLineBreakOrNul(key) ||
        holdsLineBreakOrNul(value) || section.find(']') != section.npos || key.find('=') != key.npos)
        return false;

    const std::string keyLine = std::string(key) + "=" + std::string(value);
    const Location where = locate(bytes_, section, key);

    if (where.key) {
        bytes_.replace(where.key->begin, where.key->contentEnd - where.key->begin, keyLine);
        return true;
    }

    // A new line goes after the section's last key line, or after its header,
    // or (with a new header) at the end of the file, with the line end of the
    // line it follows.
    const std::optional<Line> after = where.lastKey ? where.lastKey : where.section;
    const std::size_t insertAt = after ? after->end : bytes_.size();
    const std::string lineEnd(lineEndBefore(bytes_, insertAt));
    std::string added;
    // A last line without a line end gets one, so the new line stands on its own.
    const bool atEnd = insertAt == bytes_.size();
    if (atEnd && !bytes_.empty() && bytes_.back() != '\r' && bytes_.back() != '\n') added += lineEnd;
    if (!after) {
        added += "[";
        added += section;
        added += "]";
        added += lineEnd;
    }
    added += keyLine;
    added += lineEnd;
    bytes_.insert(insertAt, added);
    return true;
}

} // namespace morvelan
