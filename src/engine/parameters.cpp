#include "engine/parameters.h"

#include <algorithm>

namespace morvelan {

bool isValidSyncBitSize(std::int64_t value) { return value >= 4 && value <= 64 && value % 4 == 0; }

std::optional<std::int32_t> firstIntervalPast(const AnalysisParameters& params, std::int64_t lastDataCell)
{
    const std::int64_t first = std::max<std::int64_t>(params.START_SYNC_INTERVAL, 1);
    const std::int64_t last = params.END_SYNC_INTERVAL;
    if (first > last) return std::nullopt;
    const std::int64_t perInterval = std::int64_t{params.FRAME_ROUNDS} + 1;
    if (perInterval <= 0) return lastComparedCell(params, first) > lastDataCell ? std::optional<std::int32_t>(static_cast<std::int32_t>(first)) : std::nullopt;
    // lastComparedCell grows with the interval: the answer is the least
    // interval past (lastDataCell - the rest) / perInterval.
    const std::int64_t room = lastDataCell - (lastComparedCell(params, 0));
    const std::int64_t floorDiv = room >= 0 ? room / perInterval : -((-room + perInterval - 1) / perInterval);
    const std::int64_t interval = std::max(first, floorDiv + 1);
    if (interval > last) return std::nullopt;
    return static_cast<std::int32_t>(interval);
}

} // namespace morvelan
