// NullToNumber and the settings number syntax on arbitrary text: never a
// crash, and each gives back the number its own decimal text spells.
#include "common/text.h"
#include "settings/settings_number.h"

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
    const auto settingsNumber = ParseSettingsNumber(text);
    if (settingsNumber && ParseSettingsNumber(std::to_string(*settingsNumber)) != settingsNumber) std::abort();
    return 0;
}
