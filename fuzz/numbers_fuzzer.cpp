// NullToNumber (and, when present, the settings number syntax) on arbitrary
// text: never a crash, and a number only when the text says one.
#include "common/text.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace morvelan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto n = NullToNumber(text);
    if (NullToTrimmedText(text).empty() && n != 0) std::abort();
    if (n) {
        // Round-tripping the result through its decimal text gives it back.
        if (NullToNumber(std::to_string(*n)) != n) std::abort();
    }
    return 0;
}
