#include "engine/hex_convert.h"

#include "common/utf8.h"
#include "engine/run_events.h"

#include <string>

namespace morvelan {

std::string bitsToHex(std::string_view bits)
{
    std::string hex;
    for (std::size_t g = 0; g < bits.size(); g += 4) {
        int v = 0;
        for (std::size_t j = 0; j < 4; ++j) v = v * 2 + (g + j < bits.size() && bits[g + j] == '1');
        hex += "0123456789ABCDEF"[v];
    }
    return hex;
}

std::int32_t hexconv(RunEvents& events, std::string_view c)
{
    if (c.size() == 1) {
        const int v = hexDigitValue(c.front());
        if (v >= 0) return v;
    }
    events.conversionFailed(Conversion::HexDigit, c);
    return kBadHexDigit;
}

std::string HexConvert2(RunEvents& events, std::string_view group)
{
    if (group.size() == 4) {
        int v = 0;
        bool ok = true;
        for (const char c : group) {
            if (c != '0' && c != '1') {
                ok = false;
                break;
            }
            v = v * 2 + (c - '0');
        }
        if (ok) return std::string(1, "0123456789ABCDEF"[v]);
    }
    events.conversionFailed(Conversion::NibbleGroup, group);
    return {};
}

std::string HexConvert(RunEvents& events, std::string_view bits)
{
    const std::size_t n = countCharacters(bits);
    if (n < 3 || n > 64) {
        events.conversionFailed(Conversion::BitString, bits);
        return {};
    }
    std::string result;
    for (std::size_t k = 1; k <= 16; ++k) {
        result += HexConvert2(events, substrCharacters(bits, 4 * k - 4, 4));
        if (n <= 4 * k) break;
    }
    return result;
}

} // namespace morvelan
