#pragma once
// What the frame synchroniser's tests share: a sink that keeps everything,
// a run over a capture in chunks, and the invariants every run keeps.
#include "analysis/frame_sync.h"
#include "support/telemetry_generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace morvelan::testing {

struct KeptFrame {
    SyncedFrame frame;
    std::vector<std::uint8_t> bits;
};

struct KeepAll : FrameSink {
    std::vector<KeptFrame> frames;
    std::vector<SyncSegment> segments;
    void frame(const SyncedFrame& f, std::span<const std::uint8_t> bits) override
    {
        frames.push_back({f, {bits.begin(), bits.end()}});
    }
    void segment(const SyncSegment& s) override { segments.push_back(s); }

    std::vector<std::int64_t> starts() const
    {
        std::vector<std::int64_t> out;
        for (const KeptFrame& k : frames) out.push_back(k.frame.bit);
        return out;
    }
};

// The capture pushed in chunks of `chunk` bits (0: all at once).
inline KeepAll synchronise(std::span<const std::uint8_t> bits, const FrameSyncSettings& settings,
                           std::optional<FrameFormat> start, std::size_t chunk = 0)
{
    KeepAll sink;
    FrameSynchroniser sync(settings, start, sink);
    if (chunk == 0) chunk = bits.size() + 1;
    for (std::size_t at = 0; at < bits.size(); at += chunk) sync.push(bits.subspan(at, std::min(chunk, bits.size() - at)));
    sync.finish();
    return sink;
}

inline FrameFormat formatOf(const TelemetryFormat& f)
{
    return FrameFormat{f.interval, f.sync};
}

// Frames in order, whole and inside the capture, each in the segment that
// follows it, and every segment's counts and bounds those of its frames.
inline void expectConsistent(const KeepAll& run, std::int64_t captureBits)
{
    std::size_t next = 0;
    std::int64_t lastBit = -1;
    for (std::size_t s = 0; s < run.segments.size(); ++s) {
        const SyncSegment& seg = run.segments[s];
        std::int64_t frames = 0, slips = 0, lost = 0, first = -1, end = -1;
        for (; next < run.frames.size() && run.frames[next].frame.segment == static_cast<std::int32_t>(s); ++next) {
            const KeptFrame& k = run.frames[next];
            EXPECT_EQ(k.frame.frame, static_cast<std::int64_t>(next));
            EXPECT_GT(k.frame.bit, lastBit);
            EXPECT_EQ(static_cast<std::int64_t>(k.bits.size()), seg.format.interval);
            EXPECT_LE(k.frame.bit + seg.format.interval, captureBits);
            EXPECT_EQ(k.frame.inverted, seg.inverted);
            lastBit = k.frame.bit;
            if (first < 0) first = k.frame.bit;
            end = k.frame.bit + seg.format.interval;
            ++frames;
            slips += k.frame.slip != 0;
            lost += k.frame.coasted;
        }
        EXPECT_EQ(seg.frames, frames) << "segment " << s;
        EXPECT_EQ(seg.slips, slips);
        EXPECT_EQ(seg.lost, lost);
        EXPECT_EQ(seg.startBit, first);
        EXPECT_EQ(seg.endBit, end);
    }
    EXPECT_EQ(next, run.frames.size()) << "frames outside any segment";
}

} // namespace morvelan::testing
