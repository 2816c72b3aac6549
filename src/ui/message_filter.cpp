#include "ui/message_filter.h"

namespace morvelan {

void OncePerRunConversionMessages::conversionFailed(Conversion conversion, std::string_view text, std::int64_t times)
{
    if (times <= 0) return;
    if (!shown_.emplace(conversion, std::string(text)).second) {
        heldBack_ += times;
        return;
    }
    heldBack_ += times - 1;
    inner_.conversionFailed(conversion, text, 1);
}

} // namespace morvelan
