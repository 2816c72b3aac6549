#pragma once
// The segments the frame synchroniser found, as the summary lists them:
// an aligned table (with the major frame), CSV and a JSON array.
#include "analysis/frame_sync.h"
#include "analysis/frame_words.h"

#include <optional>
#include <string>
#include <vector>

namespace morvelan {

std::string segmentsText(const std::vector<SyncSegment>& segments, const std::optional<MajorFrame>& majorFrame);
std::string segmentsCsv(const std::vector<SyncSegment>& segments);
std::string segmentsJsonArray(const std::vector<SyncSegment>& segments);

} // namespace morvelan
