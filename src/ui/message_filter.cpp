#include "ui/message_filter.h"

namespace morvelan {

bool isConversionMessage(std::string_view text)
{
    for (const std::string_view start : {"Error in hexconv(", "Error in HexConvert(", "HexConvert2 Error("})
        if (text.starts_with(start)) return true;
    return false;
}

Answer OncePerRunConversionMessages::showMessage(std::string_view text, std::string_view caption, Buttons buttons)
{
    // The conversions only inform (OK only); a question is never held back.
    if (buttons == Buttons::Ok && isConversionMessage(text)) {
        if (shown_.contains(text)) {
            ++heldBack_;
            return Answer::Ok;
        }
        shown_.emplace(text);
    }
    return ForwardingToolkit::showMessage(text, caption, buttons);
}

void OncePerRunConversionMessages::showErrorRepeated(std::string_view text, std::int64_t count)
{
    if (count <= 0) return;
    if (!isConversionMessage(text)) {
        Toolkit::showErrorRepeated(text, count);
        return;
    }
    showMessage(text, {}, Buttons::Ok);
    heldBack_ += count - 1;
}

} // namespace morvelan
