#include "analysis/setup_check.h"

#include <string_view>

namespace morvelan {
namespace {

std::string complement(std::string_view bits)
{
    std::string out(bits);
    for (char& c : out) c = c == '1' ? '0' : '1';
    return out;
}

bool holdsEither(std::string_view longer, std::string_view shorter)
{
    return longer.find(shorter) != std::string_view::npos || longer.find(complement(shorter)) != std::string_view::npos;
}

} // namespace

std::optional<bool> setupAgrees(const PcmSetup& setup, const std::vector<SummaryGroup>& groups)
{
    if ((!setup.frameBits && !setup.syncPattern) || groups.empty()) return std::nullopt;
    const SummaryGroup& first = groups.front();
    if (setup.frameBits && std::int64_t{*setup.frameBits} != first.interval) return false;
    if (!setup.syncPattern || first.syncBits.empty()) return true;
    const std::string_view word = first.syncBits, pattern = *setup.syncPattern;
    return word.size() >= pattern.size() ? holdsEither(word, pattern) : holdsEither(pattern, word);
}

} // namespace morvelan
