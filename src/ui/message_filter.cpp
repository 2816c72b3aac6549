#include "ui/message_filter.h"

#include "files/input_reader.h"

namespace morvelan {

void OncePerRunConversionMessages::conversionFailed(Conversion conversion, std::string_view text, std::int64_t times)
{
    if (times <= 0) return;
    if (silenced_ || !shown_.emplace(conversion, std::string(text)).second) {
        heldBack_ += times;
        return;
    }
    if (shown_.size() <= kShownTexts) {
        heldBack_ += times - 1;
        inner_.conversionFailed(conversion, text, 1);
        return;
    }
    // A third text: the bad characters vary, and so would every box after it.
    heldBack_ += times;
    silenced_ = true;
    if (toolkit_.showMessage(kMsgNoMoreConversionErrors, {}, Buttons::OkAbort) != Answer::Ok) {
        // As the Abort button, with its question already answered.
        abortFlag_.request();
        abortChosen_ = true;
    }
}

std::string headerRefusalText(std::string_view optionText)
{
    return std::string(kMsgCannotProcessInput) + "\n1 行目の 3～5 文字目が「TDM」ではありません。" +
           "ヘッダを確かめずに読むには「" + std::string(optionText) + "」をチェックしてください。";
}

std::string lfOptionQuestion(std::string_view optionText)
{
    return "この入力ファイルの改行は LF のみです。「" + std::string(optionText) + "」をチェックして読み込みますか？";
}

Answer ReasonedRefusals::showMessage(std::string_view text, std::string_view caption, Buttons buttons)
{
    if (text == kMsgCannotProcessInput)
        return ForwardingToolkit::showMessage(headerRefusalText(optionText_), caption, buttons);
    return ForwardingToolkit::showMessage(text, caption, buttons);
}

} // namespace morvelan
