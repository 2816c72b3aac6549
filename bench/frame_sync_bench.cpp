// Speed of the frame synchroniser in lock, in Mbit/s of capture: a
// generated capture of about 32 Mbit (IRIG-like frames with a 32-bit word,
// bit errors, a few slips) pushed in steps of 2^20 bits as a reader hands
// them over, every frame given to a sink that only looks at it. The
// acquisition on its own is timed too, on a window of 24 frames.
#include "analysis/frame_sync.h"
#include "support/telemetry_generator.h"

#include <benchmark/benchmark.h>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

struct Counting : FrameSink {
    std::int64_t frames = 0, segments = 0;
    std::uint64_t seen = 0;
    void frame(const SyncedFrame& f, std::span<const std::uint8_t> bits) override
    {
        ++frames;
        seen += bits.front() + static_cast<std::uint64_t>(f.bit);
    }
    void segment(const SyncSegment&) override { ++segments; }
};

const TelemetryCapture& capture()
{
    static const TelemetryCapture c = [] {
        TelemetryOptions o;
        o.seed = 2026;
        o.syncBits = 32;
        o.bitErrorRate = 0.001;
        o.frames = 20000;
        o.slips = {{5000, 1}, {12000, -2}};
        return generateTelemetry(o);
    }();
    return c;
}

void BM_FrameSyncLock(benchmark::State& state)
{
    const TelemetryCapture& c = capture();
    const FrameFormat start{c.formats[0].interval, c.formats[0].sync};
    constexpr std::size_t kStep = 1u << 20;
    std::int64_t frames = 0;
    for (auto _ : state) {
        Counting sink;
        FrameSynchroniser sync(FrameSyncSettings{}, start, sink);
        for (std::size_t at = 0; at < c.bits.size(); at += kStep)
            sync.push(std::span(c.bits).subspan(at, std::min(kStep, c.bits.size() - at)));
        sync.finish();
        benchmark::DoNotOptimize(sink.seen);
        frames = sink.frames;
    }
    const auto bits = static_cast<double>(c.bits.size());
    state.counters["Mbit/s"] = benchmark::Counter(bits / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["found"] = static_cast<double>(frames) / static_cast<double>(c.frames.size());
}
BENCHMARK(BM_FrameSyncLock)->Unit(benchmark::kMillisecond);

void BM_FrameSyncAcquire(benchmark::State& state)
{
    const TelemetryCapture& c = capture();
    const auto window = std::span(c.bits).first(static_cast<std::size_t>(c.formats[0].interval * 24));
    FrameSyncSettings settings;
    settings.syncBits = 32;
    settings.maxInterval = 4096;
    bool found = false;
    for (auto _ : state) {
        const auto f = acquireFormat(window, settings);
        found = f.has_value() && f->interval == c.formats[0].interval;
        benchmark::DoNotOptimize(f);
    }
    state.counters["found"] = found ? 1 : 0;
    state.counters["kbit"] = static_cast<double>(window.size()) / 1e3;
}
BENCHMARK(BM_FrameSyncAcquire)->Unit(benchmark::kMillisecond);

} // namespace
