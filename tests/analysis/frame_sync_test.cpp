// The frame synchroniser on generated telemetry with the truth of every
// frame: clean captures, slips, bursts, inversions, format changes, noise,
// the flywheel, and the same output whatever the chunks.
#include "analysis/frame_sync.h"

#include "frame_sync_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

FrameSyncSettings settingsFor(const TelemetryCapture& c)
{
    FrameSyncSettings s;
    s.syncBits = static_cast<std::int32_t>(c.formats[0].sync.size());
    return s;
}

// Every frame given outside the flywheel lies at a truth frame's place with
// that frame's polarity, and its polarity-corrected bits open with the word.
void expectFramesAtTruth(const KeepAll& run, const TelemetryCapture& c, int allowedErrors)
{
    for (const KeptFrame& k : run.frames) {
        if (k.frame.coasted) continue;
        const auto t = std::find_if(c.frames.begin(), c.frames.end(), [&](const TruthFrame& f) { return f.bit == k.frame.bit; });
        ASSERT_NE(t, c.frames.end()) << "frame " << k.frame.frame << " at bit " << k.frame.bit << " is no frame's start";
        const std::string& sync = c.formats[static_cast<std::size_t>(t->format)].sync;
        EXPECT_EQ(k.frame.inverted, t->inverted) << "frame " << k.frame.frame;
        int differ = 0;
        for (std::size_t j = 0; j < sync.size(); ++j) differ += k.bits[j] != sync[j] - '0';
        EXPECT_LE(differ, allowedErrors) << "frame " << k.frame.frame;
    }
}

struct Kind {
    const char* name;
    TelemetryOptions options;
    double share; // of the truth's frames found at their place
};

std::vector<Kind> cleanKinds()
{
    std::vector<Kind> kinds;
    const auto add = [&](const char* name, auto shape) {
        TelemetryOptions o;
        shape(o);
        kinds.push_back({name, o, 0.97});
    };
    add("IRIG 16-bit", [](TelemetryOptions& o) { o.syncBits = 16; });
    add("IRIG 24-bit, errors", [](TelemetryOptions& o) { o.syncBits = 24, o.bitErrorRate = 0.003; });
    add("IRIG 32-bit", [](TelemetryOptions& o) { o.syncBits = 32; });
    add("IRIG any width, odd length", [](TelemetryOptions& o) { o.oddLength = true; });
    add("CCSDS, errors", [](TelemetryOptions& o) { o.ccsds = true, o.bitErrorRate = 0.002; });
    add("inverted throughout", [](TelemetryOptions& o) { o.invertFrom = 0; });
    return kinds;
}

TEST(FrameSync, CleanCapturesGiveEveryFrameAtItsPlace)
{
    for (const Kind& kind : cleanKinds()) {
        for (std::uint32_t seed : {3u, 11u, 29u}) {
            TelemetryOptions o = kind.options;
            o.seed = seed;
            const TelemetryCapture c = generateTelemetry(o);
            for (const bool given : {true, false}) {
                SCOPED_TRACE(std::string(kind.name) + (given ? ", format given" : ", format of its own") + ", seed " + std::to_string(seed));
                std::optional<FrameFormat> start;
                if (given) start = formatOf(c.formats[0]);
                const KeepAll run = synchronise(c.bits, settingsFor(c), start);
                expectConsistent(run, static_cast<std::int64_t>(c.bits.size()));
                const TruthScore score = scoreAgainstTruth(c, run.starts());
                EXPECT_GE(score.share(), kind.share);
                EXPECT_EQ(score.misplaced, 0);
                ASSERT_EQ(run.segments.size(), 1u);
                EXPECT_EQ(run.segments[0].format.interval, c.formats[0].interval);
                if (given) expectFramesAtTruth(run, c, 2);
            }
        }
    }
}

TEST(FrameSync, SlipsAreFollowedAndCounted)
{
    for (std::uint32_t seed : {5u, 17u, 40u}) {
        for (const bool given : {true, false}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (given ? ", format given" : ", format of its own"));
            TelemetryOptions o;
            o.seed = seed;
            o.bitErrorRate = 0.001;
            o.slips = {{20, 1}, {45, -1}, {70, 2}, {95, -2}, {120, 1}};
            const TelemetryCapture c = generateTelemetry(o);
            std::optional<FrameFormat> start;
            if (given) start = formatOf(c.formats[0]);
            const KeepAll run = synchronise(c.bits, settingsFor(c), start);
            expectConsistent(run, static_cast<std::int64_t>(c.bits.size()));
            const TruthScore score = scoreAgainstTruth(c, run.starts());
            EXPECT_GE(score.share(), 0.95);
            EXPECT_EQ(score.misplaced, 0);
            if (given) expectFramesAtTruth(run, c, 2);
            ASSERT_EQ(run.segments.size(), 1u);
            EXPECT_EQ(run.segments[0].slips, static_cast<std::int64_t>(o.slips.size()));
            // The frame after each slipped one carries the bits moved.
            std::vector<int> moved;
            for (const KeptFrame& k : run.frames)
                if (k.frame.slip != 0) moved.push_back(k.frame.slip);
            EXPECT_EQ(moved, (std::vector<int>{1, -1, 2, -2, 1}));
        }
    }
}

TEST(FrameSync, BurstsInversionsAndFormatChangesStartNewSegments)
{
    struct Case {
        const char* name;
        void (*shape)(TelemetryOptions&);
        double share;
        std::size_t formats;
    };
    const Case cases[] = {
        {"burst", [](TelemetryOptions& o) { o.burstBefore = 70, o.burstBits = 3001; }, 0.85, 1},
        {"long burst", [](TelemetryOptions& o) { o.burstBefore = 40, o.burstBits = 20000; }, 0.85, 1},
        {"inversion half-way", [](TelemetryOptions& o) { o.invertFrom = 75; }, 0.95, 1},
        {"format change", [](TelemetryOptions& o) { o.formatChange = true; }, 0.85, 2},
        {"format change from CCSDS", [](TelemetryOptions& o) { o.formatChange = true, o.ccsds = true; }, 0.85, 2},
    };
    for (const Case& k : cases) {
        for (std::uint32_t seed : {2u, 23u}) {
            for (const bool given : {true, false}) {
                SCOPED_TRACE(std::string(k.name) + ", seed " + std::to_string(seed) + (given ? ", format given" : ", format of its own"));
                TelemetryOptions o;
                o.seed = seed;
                o.bitErrorRate = 0.001;
                k.shape(o);
                const TelemetryCapture c = generateTelemetry(o);
                std::optional<FrameFormat> start;
                if (given) start = formatOf(c.formats[0]);
                const KeepAll run = synchronise(c.bits, settingsFor(c), start);
                expectConsistent(run, static_cast<std::int64_t>(c.bits.size()));
                EXPECT_GE(scoreAgainstTruth(c, run.starts()).share(), k.share);
                EXPECT_GE(run.segments.size(), 2u);
                for (std::size_t f = 0; f < k.formats; ++f) {
                    const auto seen = std::count_if(run.segments.begin(), run.segments.end(), [&](const SyncSegment& s) {
                        return s.format.interval == c.formats[f].interval && s.frames >= 10;
                    });
                    EXPECT_GE(seen, 1) << "format " << f << " never locked";
                }
            }
        }
    }
}

TEST(FrameSync, PolarityFollowsTheCapture)
{
    TelemetryOptions o;
    o.seed = 8;
    o.invertFrom = 75;
    const TelemetryCapture c = generateTelemetry(o);
    const KeepAll run = synchronise(c.bits, settingsFor(c), formatOf(c.formats[0]));
    ASSERT_EQ(run.segments.size(), 2u);
    EXPECT_FALSE(run.segments[0].inverted);
    EXPECT_TRUE(run.segments[1].inverted);
    expectFramesAtTruth(run, c, 0);
}

TEST(FrameSync, NoiseGivesNoSegment)
{
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        TelemetryOptions o;
        o.seed = seed;
        o.noise = true;
        const TelemetryCapture c = generateTelemetry(o);
        for (const int width : {16, 24, 32}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", width " + std::to_string(width));
            FrameSyncSettings s;
            s.syncBits = width;
            const TelemetryFormat f = makeTelemetryFormat(seed, width, false, false);
            for (const auto& start : {std::optional<FrameFormat>{}, std::optional<FrameFormat>{formatOf(f)}}) {
                const KeepAll run = synchronise(c.bits, s, start);
                EXPECT_TRUE(run.frames.empty());
                EXPECT_TRUE(run.segments.empty());
            }
        }
    }
}

// The flywheel: up to coastFrames missing syncs in a row are coasted over
// in one segment; one more ends it.
TEST(FrameSync, MissingSyncsAreCoastedUpToTheSetting)
{
    TelemetryOptions o;
    o.seed = 14;
    o.syncBits = 32;
    const TelemetryCapture clean = generateTelemetry(o);
    const FrameSyncSettings s = settingsFor(clean);
    for (int missing = 1; missing <= s.coastFrames + 1; ++missing) {
        SCOPED_TRACE("missing " + std::to_string(missing));
        TelemetryCapture c = clean;
        for (int m = 0; m < missing; ++m) // wipe out the word: complement half its bits
            for (int j = 0; j < 16; ++j) c.bits[static_cast<std::size_t>(c.frames[static_cast<std::size_t>(60 + m)].bit + j)] ^= 1;
        const KeepAll run = synchronise(c.bits, s, formatOf(c.formats[0]));
        expectConsistent(run, static_cast<std::int64_t>(c.bits.size()));
        if (missing <= s.coastFrames) {
            ASSERT_EQ(run.segments.size(), 1u);
            EXPECT_EQ(run.segments[0].lost, missing);
            EXPECT_EQ(scoreAgainstTruth(c, run.starts()).found, static_cast<std::int64_t>(c.frames.size()));
        } else {
            ASSERT_EQ(run.segments.size(), 2u);
            EXPECT_EQ(run.segments[0].lost, s.coastFrames);
        }
    }
}

TEST(FrameSync, ChunksOfAnySizeGiveTheSameOutput)
{
    TelemetryOptions o;
    o.seed = 31;
    o.bitErrorRate = 0.002;
    o.slips = {{30, 1}};
    o.burstBefore = 60;
    o.burstBits = 2500;
    o.formatChange = true;
    const TelemetryCapture c = generateTelemetry(o);
    for (const bool given : {true, false}) {
        std::optional<FrameFormat> start;
        if (given) start = formatOf(c.formats[0]);
        const KeepAll whole = synchronise(c.bits, settingsFor(c), start);
        ASSERT_FALSE(whole.frames.empty());
        for (const std::size_t chunk : {1u, 7u, 64u, 1000u, 65537u}) {
            SCOPED_TRACE("chunk " + std::to_string(chunk) + (given ? ", format given" : ", format of its own"));
            const KeepAll parts = synchronise(c.bits, settingsFor(c), start, chunk);
            ASSERT_EQ(parts.frames.size(), whole.frames.size());
            for (std::size_t i = 0; i < whole.frames.size(); ++i) {
                EXPECT_EQ(parts.frames[i].frame.bit, whole.frames[i].frame.bit);
                EXPECT_EQ(parts.frames[i].frame.slip, whole.frames[i].frame.slip);
                EXPECT_EQ(parts.frames[i].bits, whole.frames[i].bits);
            }
            ASSERT_EQ(parts.segments.size(), whole.segments.size());
            for (std::size_t i = 0; i < whole.segments.size(); ++i) EXPECT_EQ(parts.segments[i].format, whole.segments[i].format);
        }
    }
}

} // namespace
