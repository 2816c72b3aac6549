// The conversions on arbitrary text, checked against their contracts.
#include "platform/cp932.h"
#include "common/utf8.h"
#include "engine/hex_convert.h"
#include "files/run_messages.h"
#include "support/counting_toolkit.h"

#include <cstdlib>
#include <string>

using namespace morvelan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    testing::CountingToolkit toolkit;
    ToolkitRunEvents events(toolkit);

    const std::int32_t v = hexconv(events, text);
    if (!((v >= 0 && v <= 15 && toolkit.messages == 0) || (v == kBadHexDigit && toolkit.messages == 1))) std::abort();

    toolkit.messages = 0;
    const std::string hex = HexConvert(events, text);
    const std::size_t n = countCharacters(text);
    if (hex.size() > 16 || hex.size() > n / 4) std::abort();
    for (const char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) std::abort();
    // Without a message every group converted, so the digits are the bits.
    if (toolkit.messages == 0) {
        if (n % 4 != 0 || hex.size() != n / 4) std::abort();
        for (std::size_t i = 0; i < hex.size(); ++i) {
            const int d = hexDigitValue(hex[i]);
            for (int b = 0; b < 4; ++b)
                if (text[4 * i + static_cast<std::size_t>(b)] != ((d >> (3 - b)) & 1 ? '1' : '0')) std::abort();
        }
    }

    // Decoding gives valid UTF-8 whatever the bytes; encoding it back gives
    // CP932 again.
    const std::string utf8 = decodeCp932(text);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); i += utf8SequenceLength(utf8, i)) ++chars;
    if (chars > text.size()) std::abort();
    (void)encodeCp932(utf8);
    (void)encodeCp932(text);
    return 0;
}
