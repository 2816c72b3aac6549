#include "files/run_messages.h"

namespace morvelan {

std::string conversionMessage(Conversion conversion, std::string_view text)
{
    switch (conversion) {
    case Conversion::HexDigit: return "Error in hexconv(" + std::string(text) + ")";
    case Conversion::NibbleGroup: return "HexConvert2 Error(" + std::string(text) + ")";
    case Conversion::BitString: return "Error in HexConvert(" + std::string(text) + ")";
    }
    return std::string(text);
}

void ToolkitRunEvents::conversionFailed(Conversion conversion, std::string_view text, std::int64_t times)
{
    if (times <= 0) return;
    const std::string message = conversionMessage(conversion, text);
    if (times == 1) showError(toolkit_, message);
    else toolkit_.showErrorRepeated(message, times);
}

bool ToolkitRunEvents::confirmAbort()
{
    return toolkit_.showMessage(kMsgAbortQuestion, kConfirmCaption, Buttons::OkCancel) == Answer::Ok;
}

} // namespace morvelan
