#pragma once
// Frames out after the search: the run's capture streamed once more through
// the frame synchroniser, from the summary's first entry (or a format the
// user forces, or one it acquires on its own), into the extraction file and
// the word statistics.
#include "analysis/frame_sync.h"
#include "analysis/frame_words.h"
#include "analysis/summary.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvelan {

class Session;
class FrameOutput;
struct AnalysisParameters;

struct ExtractionRequest {
    std::optional<FrameFormat> forced; // the user's word and interval
    int wordBits = 0;                  // 0: the setup record's word length, else 8
    std::string outputPath;            // the extraction file, for its messages
    // The bits of the capture the pass reads at most (0: all of it): the
    // summary's segments of a very long capture come from its beginning.
    std::int64_t maxBits = 0;
};

// What the summary's segments look at when no frames are written out.
inline constexpr std::int64_t kSummarySegmentBits = std::int64_t{1} << 24;

struct ExtractionResult {
    std::vector<SyncSegment> segments;
    std::vector<WordStatistic> words;
    std::optional<MajorFrame> majorFrame;
    std::int64_t frames = 0;
    int wordBits = 8;
    std::int64_t bitsRead = 0;
    bool wholeCapture = true; // false: the pass stopped at maxBits
};

// The settings a run's parameters give the synchroniser: their tolerated
// errors, intervals and sync width.
FrameSyncSettings frameSyncSettingsFor(const AnalysisParameters& params);
// The format to lock on first: the forced one, else the first group's
// interval and word, else none.
std::optional<FrameFormat> startFormat(const ExtractionRequest& request, const std::vector<SummaryGroup>& groups);
// The word size in force: the request's, the setup record's, else 8.
int extractionWordBits(const ExtractionRequest& request, const Session& session);

// Streams the session's capture (the classic one from its Bit buffer, the
// others read again from the file the run opened, checked to be that file)
// through the synchroniser; each frame goes to `output` when given.
// `keepGoing` is asked between blocks. Empty text on success, else the
// message to show (naming the file).
std::string ExtractFrames(const Session& session, const AnalysisParameters& params, const ExtractionRequest& request,
                          const std::vector<SummaryGroup>& groups, FrameOutput* output, ExtractionResult& result,
                          const std::function<bool()>& keepGoing = {});

} // namespace morvelan
