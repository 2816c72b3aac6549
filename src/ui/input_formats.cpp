#include "ui/input_formats.h"

namespace morvelan {
namespace {

// "*.*" would miss names without a dot: every file is "*".
constexpr std::array<InputFormatItem, 7> kItems{{
    {InputFormat::Auto, "自動", "すべてのファイル(*.*)(*)"},
    {InputFormat::Tdm, "tdm", "tdm ﾃｷｽﾄ(*.txt)(*.txt)"},
    {InputFormat::Hex, "hex", "hex 16進ﾃｷｽﾄ(*.hex;*.txt)(*.hex *.txt)"},
    {InputFormat::Bits, "bits", "bits 0/1ﾃｷｽﾄ(*.bits;*.txt)(*.bits *.txt)"},
    {InputFormat::U8, "u8", "u8 1ﾋﾞｯﾄ1ﾊﾞｲﾄ(*.u8;*.bin)(*.u8 *.bin)"},
    {InputFormat::Bin, "bin", "bin ﾊﾞｲﾅﾘ(*.bin;*.dat)(*.bin *.dat)"},
    {InputFormat::Ch10, "ch10", "ch10 Chapter 10(*.ch10;*.c10)(*.ch10 *.c10)"},
}};

} // namespace

const std::array<InputFormatItem, 7>& inputFormatItems()
{
    return kItems;
}

std::string_view inputFilterOf(InputFormat format)
{
    for (const InputFormatItem& item : kItems)
        if (item.format == format) return item.filter;
    return kItems.front().filter;
}

std::optional<InputFormat> formatOfInputFilter(std::string_view filter)
{
    // The dialog may give the entry whole or only the part it shows.
    for (const InputFormatItem& item : kItems)
        if (item.filter == filter || item.filter.substr(0, item.filter.rfind('(')) == filter) return item.format;
    return std::nullopt;
}

} // namespace morvelan
