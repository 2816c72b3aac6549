#pragma once
// Whether what the summary found agrees with a recording's own description
// of its frames (the Chapter 10 setup record).
#include "analysis/summary.h"
#include "formats/ch10_tmats.h"

#include <optional>
#include <vector>

namespace morvelan {

// The first group against the setup: its interval is the frame length, and
// its sync word and the setup's pattern, the shorter found inside the longer,
// in either polarity. None when the setup gives neither or nothing was found.
std::optional<bool> setupAgrees(const PcmSetup& setup, const std::vector<SummaryGroup>& groups);

} // namespace morvelan
