#include "platform/cp932_table.h"

#include "common/utf8.h"

#include <array>
#include <cstdint>
#include <memory>

namespace morvelan::platform {
namespace {

struct CodePair {
    std::uint32_t from, to;
};
struct LeadRow {
    std::uint32_t lead, firstTrail;
    const char* points; // 4 hex digits a trail byte
};

#include "platform/cp932_table.inc"

struct Tables {
    std::array<std::uint16_t, 256> single{};   // byte -> code point (0: none)
    std::array<std::uint16_t, 65536> pair{};   // lead * 256 + trail -> code point
    std::array<std::uint16_t, 65536> encode{}; // code point -> code (0: none)
    std::array<bool, 256> lead{};
};

int hexValue(char c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

std::unique_ptr<Tables> buildTables()
{
    auto t = std::make_unique<Tables>();
    for (std::uint32_t b = 0; b < 0x80; ++b) t->single[b] = static_cast<std::uint16_t>(b);
    for (const CodePair& s : kCp932Singles) t->single[s.from] = static_cast<std::uint16_t>(s.to);
    for (const LeadRow& row : kCp932Rows) {
        t->lead[row.lead] = true;
        std::uint32_t trail = row.firstTrail;
        for (const char* p = row.points; *p != '\0'; p += 4, ++trail) {
            const auto point = static_cast<std::uint16_t>(hexValue(p[0]) << 12 | hexValue(p[1]) << 8 |
                                                          hexValue(p[2]) << 4 | hexValue(p[3]));
            if (point == 0) continue;
            const std::uint32_t code = row.lead * 256 + trail;
            t->pair[code] = point;
            if (t->encode[point] == 0) t->encode[point] = static_cast<std::uint16_t>(code);
        }
    }
    for (std::uint32_t b = 0x80; b < 0x100; ++b)
        if (t->single[b] != 0 && t->encode[t->single[b]] == 0) t->encode[t->single[b]] = static_cast<std::uint16_t>(b);
    for (const CodePair& c : kCp932EncodeChoices) t->encode[c.from] = static_cast<std::uint16_t>(c.to);
    return t;
}

const Tables& tables()
{
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

void appendUtf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of a well-formed UTF-8 sequence of `n` bytes at s[i], as a
// strict decoder reads it: no overlong forms, no surrogates; -1 otherwise.
long codePointAt(std::string_view s, std::size_t i, std::size_t n)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    if (i + n > s.size()) return -1;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(k) & 0xC0) != 0x80) return -1;
    long c = 0;
    if (n == 1) c = byte(0);
    else if (n == 2) c = (byte(0) & 0x1FL) << 6 | (byte(1) & 0x3F);
    else if (n == 3) c = (byte(0) & 0x0FL) << 12 | (byte(1) & 0x3FL) << 6 | (byte(2) & 0x3F);
    else c = (byte(0) & 0x07L) << 18 | (byte(1) & 0x3FL) << 12 | (byte(2) & 0x3FL) << 6 | (byte(3) & 0x3F);
    constexpr long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (n < 1 || n > 4 || c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return -1;
    return c;
}

} // namespace

std::string decodeCp932ByTable(std::string_view bytes)
{
    const Tables& t = tables();
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (t.lead[b] && i + 1 < bytes.size()) {
            const std::uint16_t point = t.pair[b * 256u + static_cast<unsigned char>(bytes[i + 1])];
            if (point != 0) {
                appendUtf8(out, point);
                i += 2;
                continue;
            }
        }
        // One U+FFFD per undecodable byte keeps each byte one character.
        if (b == 0 || t.single[b] != 0) appendUtf8(out, t.single[b]);
        else out += "\xEF\xBF\xBD";
        ++i;
    }
    return out;
}

std::string encodeCp932ByTable(std::string_view utf8)
{
    const Tables& t = tables();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = utf8SequenceLength(utf8, i);
        const long c = codePointAt(utf8, i, n);
        const std::uint16_t code = c < 0 ? 0 : c < 0x80 ? static_cast<std::uint16_t>(c) : c < 0x10000 ? t.encode[static_cast<std::size_t>(c)] : 0;
        if (c == 0) out += '\0';
        else if (code == 0) out += '?';
        else if (code < 0x100) out += static_cast<char>(code);
        else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
        i += n;
    }
    return out;
}

} // namespace morvelan::platform
