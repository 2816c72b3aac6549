#include "files/frame_extraction.h"

#include "files/capture_reader.h"
#include "files/file_messages.h"
#include "files/frame_output.h"
#include "files/input_messages.h"
#include "files/session.h"
#include "platform/file.h"

#include <algorithm>

namespace morvelan {
namespace {

constexpr std::size_t kStreamStep = std::size_t{1} << 16;
constexpr std::string_view kMsgExtractionInterrupted = "処理を中断しました。";

// The synchroniser's frames to the output and the statistics; its segments
// to the result.
class ExtractionSink final : public FrameSink {
public:
    ExtractionSink(FrameOutput* output, FrameWordStatistics& words, ExtractionResult& result)
        : output_(output), words_(words), result_(result)
    {
    }
    void frame(const SyncedFrame& f, std::span<const std::uint8_t> bits) override
    {
        if (output_) output_->frame(f, bits);
        words_.add(f, bits, syncBits_);
        ++result_.frames;
    }
    void segment(const SyncSegment& s) override
    {
        if (output_) output_->segment(s);
        result_.segments.push_back(s);
    }
    // The sync width of the frames to come (a forced word may differ from
    // the run's width).
    void expectSyncBits(std::int64_t bits) { syncBits_ = bits; }

private:
    FrameOutput* output_;
    FrameWordStatistics& words_;
    ExtractionResult& result_;
    std::int64_t syncBits_ = 0;
};

} // namespace

FrameSyncSettings frameSyncSettingsFor(const AnalysisParameters& params)
{
    FrameSyncSettings s;
    s.allowedErrors = std::max(params.ALLOW_ERR_BITS, 0);
    s.minInterval = std::max<std::int64_t>(params.START_SYNC_INTERVAL, 16);
    s.maxInterval = std::max<std::int64_t>(params.END_SYNC_INTERVAL, s.minInterval);
    s.syncBits = std::clamp(params.SYNC_BIT_SIZE, 4, 64);
    return s;
}

std::optional<FrameFormat> startFormat(const ExtractionRequest& request, const std::vector<SummaryGroup>& groups)
{
    if (request.forced) return request.forced;
    if (groups.empty() || groups.front().syncBits.empty()) return std::nullopt;
    return FrameFormat{groups.front().interval, groups.front().syncBits};
}

int extractionWordBits(const ExtractionRequest& request, const Session& session)
{
    if (request.wordBits > 0) return request.wordBits;
    const auto& setup = session.input.setup;
    if (session.input.format == InputFormat::Ch10 && setup.wordBits && *setup.wordBits >= 1 && *setup.wordBits <= 64)
        return static_cast<int>(*setup.wordBits);
    return 8;
}

std::string ExtractFrames(const Session& session, const AnalysisParameters& params, const ExtractionRequest& request,
                          const std::vector<SummaryGroup>& groups, FrameOutput* output, ExtractionResult& result,
                          const std::function<bool()>& keepGoing)
{
    result = {};
    result.wordBits = extractionWordBits(request, session);
    FrameWordStatistics words(result.wordBits);
    ExtractionSink sink(output, words, result);
    const std::optional<FrameFormat> start = startFormat(request, groups);
    const FrameSyncSettings settings = frameSyncSettingsFor(params);
    sink.expectSyncBits(start ? static_cast<std::int64_t>(start->sync.size()) : settings.syncBits);
    FrameSynchroniser synchroniser(settings, start, sink);
    const auto going = [&] { return !keepGoing || keepGoing(); };

    if (session.input.format == InputFormat::Tdm) {
        const std::uint8_t* cells = session.bits.cells().data() + 1;
        const auto total = static_cast<std::size_t>(std::clamp<std::int64_t>(session.decodedBits, 0, session.bits.last()));
        for (std::size_t at = 0; at < total; at += kStreamStep) {
            if (!going()) return std::string(kMsgExtractionInterrupted);
            synchroniser.push({cells + at, std::min(kStreamStep, total - at)});
        }
    } else {
        platform::OpenError error;
        const std::string& name = session.inputOpenName.empty() ? session.inputPath : session.inputOpenName;
        platform::File file = platform::openToRead(name, error, true);
        if (!file.isOpen() || file.identity() != session.inputOpened) return messageCannotOpenInput(session.inputPath);
        auto reader = makeFileReader(file, session.input.format, session.options.bitOrder, session.options.channel);
        std::vector<std::uint8_t> chunk;
        for (ReadStatus status = ReadStatus::More; status == ReadStatus::More;) {
            if (!going()) return std::string(kMsgExtractionInterrupted);
            chunk.clear();
            status = reader->read(chunk, kStreamStep);
            if (status == ReadStatus::Refused || status == ReadStatus::Failed)
                return messageFormatProblem(session.inputPath, session.input, reader->problem());
            synchroniser.push(chunk);
        }
    }
    synchroniser.finish();
    result.words = words.words();
    result.majorFrame = words.majorFrame();
    if (output && !output->finish(result.words, result.majorFrame)) return messageCannotWriteExtraction(request.outputPath);
    return {};
}

} // namespace morvelan
