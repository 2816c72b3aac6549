#pragma once
// What the window says about a run once it has ended: the notices on its
// input (bad digits, frames past the data, an LF capture, lines for hex) and
// the leading group of its summary in one line. Also the words the raster
// viewer uses for a group.
#include "analysis/summary.h"
#include "engine/run_state.h"

#include <string>
#include <vector>

namespace morvelan {

// One notice a line, in a fixed order; none for a plain run.
std::vector<std::string> runNotices(const InputAccount& input);

// "最有力候補：インターバル 512　オフセット 36　同期語 B5C27　極性 正常", a
// published word's name after the word; "最有力候補：—" without a group.
std::string leadingGroupText(const std::vector<SummaryGroup>& summary);

// "正常" or "反転".
std::string groupPolarityText(const SummaryGroup& group);
// " ［IRIG 106 16-bit］" for a published word, else nothing.
std::string groupNameText(const SummaryGroup& group);
// "36+20", or "なし" without a fixed region.
std::string groupFixedText(const SummaryGroup& group);

} // namespace morvelan
