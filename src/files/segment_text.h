#pragma once
// The segments the frame synchroniser found, as the summary lists them:
// an aligned table (with the major frame), CSV and a JSON array.
#include "analysis/frame_sync.h"
#include "analysis/frame_words.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvelan {

// `bitsLooked`: the bits of the capture the segments come from when they do
// not cover all of it (0: all).
std::string segmentsText(const std::vector<SyncSegment>& segments, const std::optional<MajorFrame>& majorFrame,
                         std::int64_t bitsLooked = 0);
std::string segmentsCsv(const std::vector<SyncSegment>& segments);
std::string segmentsJsonArray(const std::vector<SyncSegment>& segments);

} // namespace morvelan
