// The frame synchroniser on arbitrary bytes: the first bytes pick the
// settings, a start format (or none) and the chunk sizes; the rest are the
// bits (the low bit of each byte; some inputs repeat a frame built from
// them, so that lock, slips and the flywheel are reached). Frames must come
// in order, whole, inside the capture and inside their segments, with 0/1
// bits; segments must agree with their frames; the output must not depend on
// the chunks; and the work must stay bounded.
#include "analysis/frame_sync.h"
#include "fuzz_input.h"

#include <cstdlib>
#include <vector>

using namespace morvelan;

namespace {

struct Checking : FrameSink {
    std::int64_t captureBits = 0;
    std::int64_t lastBit = -1, lastFrame = -1;
    std::int64_t frames = 0, slips = 0, lost = 0, first = -1, end = -1;
    std::int32_t segmentNumber = 0;
    std::vector<std::int64_t> starts;
    std::vector<SyncSegment> segments;

    void frame(const SyncedFrame& f, std::span<const std::uint8_t> bits) override
    {
        if (f.frame != lastFrame + 1 || f.bit <= lastBit || f.segment != segmentNumber) std::abort();
        if (f.bit < 0 || f.bit + static_cast<std::int64_t>(bits.size()) > captureBits || bits.empty()) std::abort();
        for (const std::uint8_t b : bits)
            if (b > 1) std::abort();
        if (f.coasted && f.slip != 0) std::abort();
        lastFrame = f.frame;
        lastBit = f.bit;
        if (first < 0) first = f.bit;
        end = f.bit + static_cast<std::int64_t>(bits.size());
        ++frames;
        slips += f.slip != 0;
        lost += f.coasted;
        starts.push_back(f.bit);
    }
    void segment(const SyncSegment& s) override
    {
        if (s.frames != frames || s.slips != slips || s.lost != lost || s.startBit != first || s.endBit != end) std::abort();
        if (s.format.interval <= 0 || s.format.sync.empty() || s.format.sync.size() > static_cast<std::size_t>(s.format.interval))
            std::abort();
        segments.push_back(s);
        ++segmentNumber;
        frames = slips = lost = 0;
        first = end = -1;
    }
};

Checking run(const std::vector<std::uint8_t>& bits, const FrameSyncSettings& s, const std::optional<FrameFormat>& start,
             std::size_t chunk)
{
    Checking sink;
    sink.captureBits = static_cast<std::int64_t>(bits.size());
    FrameSynchroniser sync(s, start, sink);
    for (std::size_t at = 0; at < bits.size(); at += chunk) sync.push(std::span(bits).subspan(at, std::min(chunk, bits.size() - at)));
    sync.finish();
    if (sink.frames != 0) std::abort(); // every frame's segment was given
    return sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::FuzzInput in(data, size);
    FrameSyncSettings s;
    s.confirmFrames = static_cast<std::int32_t>(in.range(-1, 5));
    s.allowedErrors = static_cast<std::int32_t>(in.range(-1, 6));
    s.slipWindow = static_cast<std::int32_t>(in.range(-1, 20));
    s.coastFrames = static_cast<std::int32_t>(in.range(-1, 6));
    s.minInterval = in.range(-4, 200);
    s.maxInterval = in.range(-4, 3000);
    s.syncBits = static_cast<std::int32_t>(in.range(-1, 70));
    std::optional<FrameFormat> start;
    if (in.flag()) {
        FrameFormat f;
        f.interval = in.range(-2, 600);
        const auto width = in.range(0, 66);
        for (std::int64_t j = 0; j < width; ++j) f.sync += in.flag() ? (in.flag() ? '1' : 'x') : '0';
        start = f;
    }
    const std::size_t chunk = static_cast<std::size_t>(in.range(1, 5000));
    const bool repeat = in.flag();
    const auto frameBits = static_cast<std::size_t>(in.range(20, 700));
    const int copies = static_cast<int>(in.range(1, 60));
    const std::string rest = in.rest();
    std::vector<std::uint8_t> bits;
    for (const char c : rest) bits.push_back(static_cast<std::uint8_t>(c));
    if (repeat && !bits.empty()) {
        // The same frame again and again, now and then a bit dropped.
        std::vector<std::uint8_t> frame;
        for (std::size_t j = 0; j < frameBits; ++j) frame.push_back(static_cast<std::uint8_t>((bits[j % bits.size()] >> (j / bits.size() % 8)) & 1));
        bits.clear();
        for (int k = 0; k < copies; ++k) bits.insert(bits.end(), frame.begin() + (k % 7 == 6 ? 1 : 0), frame.end());
    }

    const Checking whole = run(bits, s, start, bits.size() + 1);
    const Checking parts = run(bits, s, start, chunk);
    if (whole.starts != parts.starts || whole.segments.size() != parts.segments.size()) std::abort();
    return 0;
}
