#include "engine/parameters.h"

namespace morvelan {

void ResetParameters(AnalysisParameters& params)
{
    params.START_SYNC_INTERVAL = kResetStartSyncInterval;
    params.END_SYNC_INTERVAL = kResetEndSyncInterval;
    params.SYNC_BIT_SIZE = kResetSyncBitSize;
    params.ALLOW_ERR_BITS = kResetAllowErrBits;
    params.IGNORE_START_BITS = kResetIgnoreStartBits;
    params.FRAME_ROUNDS = kResetFrameRounds;
    params.THRESHOLD = kResetThreshold;
    params.BUF_SIZE = kResetBufSize;
}

bool isValidStartSyncInterval(std::int64_t value) { return value >= 100 && value <= 2000; }
bool isValidSyncBitSize(std::int64_t value) { return value >= 4 && value <= 64 && value % 4 == 0; }
bool isValidAllowErrBits(std::int64_t value) { return value >= 0 && value <= 15; }
bool isValidIgnoreStartBits(std::int64_t value) { return value >= 0 && value <= 100; }
bool isValidFrameRounds(std::int64_t value) { return value >= 5 && value <= 200; }
bool isValidBufSize(std::int64_t value) { return value >= 50000; }

bool isValidEndSyncInterval(std::int32_t end, std::int32_t frameRounds, std::int32_t bufSize)
{
    return static_cast<std::int64_t>(frameRounds) * end <= bufSize;
}

bool isValidThreshold(std::int32_t threshold, std::int32_t frameRounds)
{
    return threshold >= 2 && threshold <= frameRounds;
}

} // namespace morvelan
