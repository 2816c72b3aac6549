#include "ui/run_report.h"

#include "files/input_messages.h"

namespace morvelan {

std::vector<std::string> runNotices(const InputAccount& input)
{
    std::vector<std::string> lines;
    if (input.badDigits > 0) lines.push_back(messageBadDigits(input.badDigits));
    if (input.framesPastDataFrom) lines.push_back(messageFramesPastData(*input.framesPastDataFrom));
    if (input.lfAssumed) lines.emplace_back(kMsgLfAssumed);
    // Lines of another length read as the classic 80 digits lose or invent bits.
    if (input.format == InputFormat::Tdm && input.irregularLines) lines.emplace_back(kMsgSuggestHex);
    return lines;
}

std::string leadingGroupText(const std::vector<SummaryGroup>& summary)
{
    const std::string head = "最有力候補：";
    if (summary.empty()) return head + "—";
    const SummaryGroup& g = summary.front();
    return head + "インターバル " + std::to_string(g.interval) + "　オフセット " + std::to_string(g.syncOffset) +
           "　同期語 " + g.syncHex + groupNameText(g) + "　極性 " + groupPolarityText(g);
}

std::string groupPolarityText(const SummaryGroup& group)
{
    return group.inverted ? "反転" : "正常";
}

std::string groupNameText(const SummaryGroup& group)
{
    return group.syncName.empty() ? std::string() : " ［" + group.syncName + "］";
}

std::string groupFixedText(const SummaryGroup& group)
{
    if (group.fixedLength == 0) return "なし";
    return std::to_string(group.fixedStart) + "+" + std::to_string(group.fixedLength);
}

} // namespace morvelan
