#include "formats/input_format.h"

#include <array>
#include <utility>

namespace morvelan {

namespace {

constexpr std::array<std::pair<InputFormat, std::string_view>, 7> kFormatNames{{
    {InputFormat::Auto, "auto"},
    {InputFormat::Tdm, "tdm"},
    {InputFormat::Hex, "hex"},
    {InputFormat::Bits, "bits"},
    {InputFormat::U8, "u8"},
    {InputFormat::Bin, "bin"},
    {InputFormat::Ch10, "ch10"},
}};

constexpr std::array<std::pair<BitOrder, std::string_view>, 2> kOrderNames{{
    {BitOrder::Msb, "msb"},
    {BitOrder::Lsb, "lsb"},
}};

template <class Enum, std::size_t N>
std::string_view nameOf(const std::array<std::pair<Enum, std::string_view>, N>& table, Enum value)
{
    for (const auto& [v, name] : table)
        if (v == value) return name;
    return {};
}

template <class Enum, std::size_t N>
std::optional<Enum> valueOf(const std::array<std::pair<Enum, std::string_view>, N>& table, std::string_view name)
{
    for (const auto& [v, n] : table)
        if (n == name) return v;
    return std::nullopt;
}

} // namespace

std::string_view formatName(InputFormat format) { return nameOf(kFormatNames, format); }
std::optional<InputFormat> parseFormatName(std::string_view name) { return valueOf(kFormatNames, name); }
std::string_view bitOrderName(BitOrder order) { return nameOf(kOrderNames, order); }
std::optional<BitOrder> parseBitOrderName(std::string_view name) { return valueOf(kOrderNames, name); }

} // namespace morvelan
