#include "common/utf8.h"

namespace morvelan {

std::size_t utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t len = 1;
    if (lead >= 0xF0 && lead < 0xF8) len = 4;
    else if (lead >= 0xE0) len = (lead < 0xF0) ? 3 : 1;
    else if (lead >= 0xC0) len = 2;
    if (i + len > s.size()) return 1;
    for (std::size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return len;
}

std::size_t countCharacters(std::string_view s)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += utf8SequenceLength(s, i)) ++n;
    return n;
}

std::string_view substrCharacters(std::string_view s, std::size_t first, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t c = 0; c < first && i < s.size(); ++c) i += utf8SequenceLength(s, i);
    std::size_t end = i;
    for (std::size_t c = 0; c < count && end < s.size(); ++c) end += utf8SequenceLength(s, end);
    return s.substr(i, end - i);
}

std::string_view lastCharacters(std::string_view s, std::size_t count)
{
    const std::size_t total = countCharacters(s);
    if (count >= total) return s;
    return substrCharacters(s, total - count, count);
}

std::filesystem::path pathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace morvelan
