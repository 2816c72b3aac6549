#pragma once
// The Analysis parameters: eight 32-bit numbers, five exclusion patterns and
// four values carried only because the settings file holds them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace morvelan {

struct AnalysisParameters {
    // Initial values are 0 / empty: what stays when the settings file lacks a key.
    std::int32_t START_SYNC_INTERVAL = 0;
    std::int32_t END_SYNC_INTERVAL = 0;
    std::int32_t SYNC_BIT_SIZE = 0;
    std::int32_t ALLOW_ERR_BITS = 0;
    std::int32_t IGNORE_START_BITS = 0;
    std::int32_t FRAME_ROUNDS = 0;
    std::int32_t BUF_SIZE = 0;
    std::int32_t THRESHOLD = 0;

    // EXCLUDE_PAT01 .. EXCLUDE_PAT05, as text from the settings file.
    std::array<std::string, 5> EXCLUDE_PAT{};

    std::string USER_ID;
    std::string PASSWORD;
    std::int32_t PASSWORD_ENC = 0;
    std::string RES_OUT_PATH;

    bool operator==(const AnalysisParameters&) const = default;
};

// The Bit buffer cell where frame 1 of the candidate at `index` starts: the
// search's index 0 is the first cell after the ignored bits.
inline std::int64_t firstCellOf(const AnalysisParameters& params, std::int64_t index)
{
    return std::int64_t{params.IGNORE_START_BITS} + 1 + index;
}

// The last cell the search compares at `interval`: the last bit of the last
// frame of the candidate with the highest index (interval - 1).
inline std::int64_t lastComparedCell(const AnalysisParameters& params, std::int64_t interval)
{
    return std::int64_t{params.IGNORE_START_BITS} + (std::int64_t{params.FRAME_ROUNDS} + 1) * interval +
           params.SYNC_BIT_SIZE - 1;
}

// The first interval of START .. END (those above 0) whose compared frames
// reach past cell `lastDataCell`; none when all of them end inside it.
std::optional<std::int32_t> firstIntervalPast(const AnalysisParameters& params, std::int64_t lastDataCell);

// A sync width the search's conversion to hex can take: 4 to 64 bits, whole
// hex digits.
bool isValidSyncBitSize(std::int64_t value);

} // namespace morvelan
