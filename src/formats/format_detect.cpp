#include "formats/format_detect.h"

#include <algorithm>

namespace morvelan {

namespace {

bool isBinaryByte(std::uint8_t b)
{
    if (b == 0x7F) return true; // DEL is a control character, in no text encoding used here
    if (b >= 0x20) return false;
    return b != '\t' && b != '\n' && b != '\v' && b != '\f' && b != '\r';
}

bool isLineEnd(std::uint8_t b) { return b == '\r' || b == '\n'; }

// A TDM file names itself at characters 3-5 of its header line; its later
// lines may hold bytes that look binary, so the name decides before them.
bool namesTdm(std::span<const std::uint8_t> head)
{
    return head.size() >= 5 && !isLineEnd(head[0]) && !isLineEnd(head[1]) && head[2] == 'T' && head[3] == 'D' &&
           head[4] == 'M';
}

} // namespace

InputFormat detectFormat(std::span<const std::uint8_t> head)
{
    head = head.first(std::min(head.size(), kDetectBytes));
    if (namesTdm(head)) return InputFormat::Tdm;
    if (head.size() >= 2 && head[0] == 0x25 && head[1] == 0xEB) return InputFormat::Ch10;
    if (head.empty()) return InputFormat::Tdm;
    if (std::all_of(head.begin(), head.end(), [](std::uint8_t b) { return b <= 1; })) return InputFormat::U8;
    if (std::any_of(head.begin(), head.end(), isBinaryByte)) return InputFormat::Bin;
    return InputFormat::Tdm;
}

} // namespace morvelan
