#pragma once
// The extraction file: the frames the synchroniser cut, as CSV, JSON or
// packed binary. Records are written whole, in blocks, through `write`, so
// a run cut short leaves whole records.
#include "analysis/frame_sync.h"
#include "analysis/frame_words.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

enum class ExtractFormat { Csv, Json, Bin };
std::optional<ExtractFormat> parseExtractFormat(std::string_view name); // "csv", "json", "bin"
// By the file's extension: ".json" and ".bin" choose those, anything else CSV.
ExtractFormat extractFormatForPath(std::string_view path);

inline constexpr std::string_view kFramesCsvHeader = "frame,bit,segment,errors,slip,polarity,data";

class FrameOutput : public FrameSink {
public:
    using Write = std::function<bool(std::string_view)>;
    static std::unique_ptr<FrameOutput> make(ExtractFormat format, int wordBits, Write write);
    ~FrameOutput() override = default;

    // Writes what is still held and the end of the file (JSON: segments,
    // major frame and words). False when any write failed.
    virtual bool finish(const std::vector<WordStatistic>& words, const std::optional<MajorFrame>& majorFrame) = 0;
};

// JSON texts shared with the summary: one segment object, the sync word in
// hex, "normal" / "inverted".
std::string segmentJson(const SyncSegment& segment, std::string_view name);
std::string polarityName(bool inverted);

} // namespace morvelan
