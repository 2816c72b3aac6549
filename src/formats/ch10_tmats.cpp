#include "formats/ch10_tmats.h"

#include <charconv>
#include <string_view>

namespace morvelan {

namespace {

constexpr std::size_t kMaxCode = 64, kMaxValue = 128, kMaxRecords = 1024;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<std::uint32_t> number(std::string_view s)
{
    s = trim(s);
    std::uint32_t v = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || error != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// Splits "G-x\NAME" into x and NAME.
bool splitGroup(std::string_view code, char group, std::uint32_t& x, std::string_view& name)
{
    if (code.size() < 4 || code[0] != group || code[1] != '-') return false;
    const auto slash = code.find('\\');
    if (slash == std::string_view::npos) return false;
    const auto index = number(code.substr(2, slash - 2));
    if (!index) return false;
    x = *index;
    name = code.substr(slash + 1);
    return true;
}

std::optional<std::string> syncPattern(std::string_view s)
{
    if (s.empty() || s.size() > 64 || s.find_first_not_of("01") != std::string_view::npos) return std::nullopt;
    return std::string(s);
}

} // namespace

void TmatsParser::feed(std::span<const std::uint8_t> text)
{
    for (const std::uint8_t byte : text) {
        const char c = static_cast<char>(byte);
        if (c == ';') {
            if (!tooLong_ && inValue_) attribute();
            code_.clear();
            value_.clear();
            inValue_ = tooLong_ = false;
        } else if (!inValue_ && c == ':') {
            inValue_ = true;
        } else if (!tooLong_) {
            auto& field = inValue_ ? value_ : code_;
            if (!inValue_ && field.empty() && isSpace(c)) continue;
            if (field.size() >= (inValue_ ? kMaxValue : kMaxCode)) tooLong_ = true;
            else field.push_back(c);
        }
    }
}

void TmatsParser::attribute()
{
    const std::string_view code = trim(code_);
    const std::string value(trim(value_));
    if (!code.empty() && code[0] == 'R') recorderAttribute(code, value);
    if (!code.empty() && code[0] == 'P') pcmAttribute(code, value);
}

void TmatsParser::recorderAttribute(std::string_view code, const std::string& value)
{
    std::uint32_t x = 0;
    std::string_view name;
    if (!splitGroup(code, 'R', x, name)) return;
    const auto dash = name.rfind('-');
    if (dash == std::string_view::npos) return;
    const auto n = number(name.substr(dash + 1));
    name = name.substr(0, dash);
    if (!n || (name != "TK1" && name != "CDLN" && name != "PDLN")) return;
    const auto key = std::make_pair(x, *n);
    if (!sources_.contains(key) && sources_.size() >= kMaxRecords) return;
    Source& source = sources_[key];
    if (name == "TK1") source.track = number(value);
    else source.link = value;
}

void TmatsParser::pcmAttribute(std::string_view code, const std::string& value)
{
    std::uint32_t d = 0;
    std::string_view name;
    if (!splitGroup(code, 'P', d, name)) return;
    std::optional<std::uint32_t> PcmSetup::*field = nullptr;
    if (name == "F1") field = &PcmSetup::wordBits;
    else if (name == "MF1") field = &PcmSetup::frameWords;
    else if (name == "MF2") field = &PcmSetup::frameBits;
    else if (name == "MF4") field = &PcmSetup::syncBits;
    else if (name != "DLN" && name != "MF5") return;
    if (!formats_.contains(d) && formats_.size() >= kMaxRecords) return;
    Format& format = formats_[d];
    if (field) format.setup.*field = number(value);
    else if (name == "MF5") format.setup.syncPattern = syncPattern(value);
    else format.link = value;
}

PcmSetup TmatsParser::setupFor(std::uint16_t channel) const
{
    for (const auto& [key, source] : sources_) {
        if (source.track != channel || source.link.empty()) continue;
        for (const auto& [d, format] : formats_)
            if (format.link == source.link) return format.setup;
    }
    if (formats_.size() == 1) return formats_.begin()->second.setup;
    return {};
}

} // namespace morvelan
