#include "files/frame_extraction.h"

#include "files/capture_reader.h"
#include "files/file_messages.h"
#include "files/frame_output.h"
#include "files/input_messages.h"
#include "files/session.h"
#include "platform/file.h"

#include <algorithm>
#include <cstdint>

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

namespace {

// Whether `a` is `b` moved by up to 16 bits either way: the two agree
// wherever they overlap, over at least half the word.
bool isShiftOf(std::string_view a, std::string_view b)
{
    const auto n = static_cast<std::int64_t>(std::min(a.size(), b.size()));
    for (std::int64_t d = -16; d <= 16; ++d) {
        const std::int64_t from = std::max<std::int64_t>(0, -d), to = std::min<std::int64_t>(n, n - d);
        if (to - from < n / 2) continue;
        bool agree = true;
        for (std::int64_t i = from; i < to && agree; ++i)
            agree = a[static_cast<std::size_t>(i + d)] == b[static_cast<std::size_t>(i)];
        if (agree) return true;
    }
    return false;
}

// Runs of one bit (at most two changes) or alternation: fill, whose
// frames a constant region of the summary may be, never a sync word.
bool isFillLike(std::string_view word)
{
    std::size_t changes = 0, alternations = 0;
    for (std::size_t i = 1; i < word.size(); ++i) changes += word[i] != word[i - 1];
    for (std::size_t i = 2; i < word.size(); ++i) alternations += word[i] != word[i - 2];
    return changes <= 2 || alternations <= 1;
}

// Where an unnamed word of the summary starts is read from frames compared
// at one offset, which slips blur; acquisition at the group's interval reads
// it from blocks of frames that each keep their own phase. A published word
// is placed by its name already.
std::optional<FrameFormat> placedStart(const ExtractionRequest& request, const std::vector<SummaryGroup>& groups,
                                       FrameSyncSettings settings, std::span<const std::uint8_t> head)
{
    std::optional<FrameFormat> start = startFormat(request, groups);
    if (!start || request.forced || !groups.front().syncName.empty()) return start;
    settings.minInterval = settings.maxInterval = start->interval;
    settings.syncBits = static_cast<std::int32_t>(start->sync.size());
    // Only a placement of the same word is taken: the same bits a few
    // positions on, not another constant word of the frame. A word that is
    // fill (a run or two, or 0101...) is no sync at all: then whatever word
    // acquisition finds at that interval, or one it finds on its own.
    const bool fill = isFillLike(start->sync);
    auto placed = acquireFormat(head, settings);
    if (placed && (fill || isShiftOf(placed->sync, start->sync))) return placed;
    return fill ? std::nullopt : start;
}

// The first bits of the capture acquisition looks at: some twenty frames.
std::size_t headBits(const std::vector<SummaryGroup>& groups)
{
    const std::int64_t interval = groups.empty() ? 0 : groups.front().interval;
    return static_cast<std::size_t>(std::clamp<std::int64_t>(24 * interval + 64, 0, std::int64_t{1} << 23));
}

// The capture in blocks: the classic one from its Bit buffer, the others
// read again from the file the run opened. Empty text at its end, else the
// message to show.
class CaptureStream {
public:
    explicit CaptureStream(const Session& session) : session_(session) {}
    std::string open()
    {
        if (session_.input.format == InputFormat::Tdm) return {};
        platform::OpenError error;
        const std::string& name = session_.inputOpenName.empty() ? session_.inputPath : session_.inputOpenName;
        file_ = platform::openToRead(name, error, true);
        if (!file_.isOpen() || file_.identity() != session_.inputOpened) return messageCannotOpenInput(session_.inputPath);
        reader_ = makeFileReader(file_, session_.input.format, session_.options.bitOrder, session_.options.channel);
        return {};
    }
    // Appends the next block to `out`; false at the end or on a failure (`problem`).
    bool next(std::vector<std::uint8_t>& out, std::string& problem)
    {
        if (!reader_) {
            const std::uint8_t* cells = session_.bits.cells().data() + 1;
            const auto total =
                static_cast<std::size_t>(std::clamp<std::int64_t>(session_.decodedBits, 0, session_.bits.last()));
            const std::size_t n = std::min(kStreamStep, total - std::min(total, at_));
            out.insert(out.end(), cells + at_, cells + at_ + n);
            at_ += n;
            return n > 0;
        }
        if (ended_) return false;
        const ReadStatus status = reader_->read(out, kStreamStep);
        if (status == ReadStatus::Refused || status == ReadStatus::Failed) {
            problem = messageFormatProblem(session_.inputPath, session_.input, reader_->problem());
            return false;
        }
        ended_ = status == ReadStatus::End;
        return true;
    }

private:
    const Session& session_;
    platform::File file_;
    std::unique_ptr<BitReader> reader_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

} // namespace

std::string ExtractFrames(const Session& session, const AnalysisParameters& params, const ExtractionRequest& request,
                          const std::vector<SummaryGroup>& groups, FrameOutput* output, ExtractionResult& result,
                          const std::function<bool()>& keepGoing)
{
    result = {};
    result.wordBits = extractionWordBits(request, session);
    const auto going = [&] { return !keepGoing || keepGoing(); };
    CaptureStream stream(session);
    if (std::string failed = stream.open(); !failed.empty()) return failed;

    // The head of the capture, held until the word to lock on is placed.
    std::vector<std::uint8_t> block;
    std::string problem;
    const std::size_t head = headBits(groups);
    bool more = true;
    while (more && block.size() < head) {
        if (!going()) return std::string(kMsgExtractionInterrupted);
        more = stream.next(block, problem);
    }
    if (!problem.empty()) return problem;

    const FrameSyncSettings settings = frameSyncSettingsFor(params);
    const std::optional<FrameFormat> start = placedStart(request, groups, settings, block);
    FrameWordStatistics words(result.wordBits);
    ExtractionSink sink(output, words, result);
    sink.expectSyncBits(start ? static_cast<std::int64_t>(start->sync.size()) : settings.syncBits);
    FrameSynchroniser synchroniser(settings, start, sink);
    const auto limit = request.maxBits > 0 ? static_cast<std::size_t>(request.maxBits) : SIZE_MAX;
    const auto push = [&](std::span<const std::uint8_t> bits) {
        const std::size_t n = std::min(bits.size(), limit - std::min(limit, static_cast<std::size_t>(result.bitsRead)));
        synchroniser.push(bits.first(n));
        result.bitsRead += static_cast<std::int64_t>(n);
        if (n < bits.size()) result.wholeCapture = false;
        return n == bits.size();
    };
    more = push(block) && more;
    while (more) {
        if (!going()) return std::string(kMsgExtractionInterrupted);
        block.clear();
        more = stream.next(block, problem);
        if (!problem.empty()) return problem;
        more = push(block) && more;
    }
    synchroniser.finish();
    result.words = words.words();
    result.majorFrame = words.majorFrame();
    if (output && !output->finish(result.words, result.majorFrame)) return messageCannotWriteExtraction(request.outputPath);
    return {};
}

} // namespace morvelan
