#include "engine/parameters.h"

#include <algorithm>

namespace morvelan {

bool isValidSyncBitSize(std::int64_t value) { return value >= 4 && value <= 64 && value % 4 == 0; }

std::optional<std::int32_t> firstIntervalPast(const AnalysisParameters& params, std::int64_t lastDataCell)
{
    const std::int64_t first = std::max<std::int64_t>(params.START_SYNC_INTERVAL, 1);
    const std::int64_t last = params.END_SYNC_INTERVAL;
    if (first > last) return std::nullopt;
    // lastComparedCell(i) = base + perInterval x i: the least i with
    // perInterval x i > room is floor(room / perInterval) + 1.
    const std::int64_t perInterval = std::int64_t{params.FRAME_ROUNDS} + 1;
    const std::int64_t room = lastDataCell - lastComparedCell(params, 0);
    std::int64_t interval = first;
    if (perInterval > 0) {
        const std::int64_t floorDiv = room >= 0 ? room / perInterval : -((-room + perInterval - 1) / perInterval);
        interval = std::max(first, floorDiv + 1);
    } else if (room >= 0) {
        return std::nullopt; // every interval ends at the same cell, inside
    }
    if (interval > last) return std::nullopt;
    return static_cast<std::int32_t>(interval);
}

} // namespace morvelan
