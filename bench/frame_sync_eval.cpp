// The frame synchroniser on generated telemetry (tests/support/
// telemetry_generator.h), per kind of capture: the share of the truth's
// frames given at their place, the frames given elsewhere (coasted frames
// over a burst land there), and the segments. A program that reports
// figures, not a timed test.
//   morvelan_frame_sync_eval [SEEDS]
#include "analysis/frame_sync.h"
#include "support/telemetry_generator.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

struct Starts : FrameSink {
    std::vector<std::int64_t> bits;
    std::vector<SyncSegment> segments;
    void frame(const SyncedFrame& f, std::span<const std::uint8_t>) override { bits.push_back(f.bit); }
    void segment(const SyncSegment& s) override { segments.push_back(s); }
};

struct Kind {
    const char* name;
    std::function<void(TelemetryOptions&, std::uint32_t)> shape;
};

void evaluate(const Kind& kind, int seeds, bool known)
{
    TruthScore total;
    std::int64_t segments = 0, noSegment = 0, formatsSeen = 0, formats = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        TelemetryOptions o;
        o.seed = static_cast<std::uint32_t>(seed) * 7 + 3;
        kind.shape(o, o.seed);
        const TelemetryCapture c = generateTelemetry(o);
        FrameSyncSettings settings;
        settings.syncBits = static_cast<std::int32_t>(c.formats[0].sync.size());
        Starts sink;
        std::optional<FrameFormat> start;
        if (known) start = FrameFormat{c.formats[0].interval, c.formats[0].sync};
        FrameSynchroniser sync(settings, start, sink);
        sync.push(c.bits);
        sync.finish();
        const TruthScore s = scoreAgainstTruth(c, sink.bits);
        total.truth += s.truth;
        total.found += s.found;
        total.misplaced += s.misplaced;
        segments += static_cast<std::int64_t>(sink.segments.size());
        noSegment += sink.segments.empty();
        for (const TelemetryFormat& f : c.formats) {
            ++formats;
            for (const SyncSegment& seg : sink.segments)
                if (seg.format.interval == f.interval) {
                    ++formatsSeen;
                    break;
                }
        }
    }
    std::printf("%-14s %-8s frames %7lld  found %6.2f %%  elsewhere %5lld  segments %4lld  none %3lld  formats seen %lld/%lld\n",
                kind.name, known ? "given" : "own", static_cast<long long>(total.truth), 100.0 * total.share(),
                static_cast<long long>(total.misplaced), static_cast<long long>(segments), static_cast<long long>(noSegment),
                static_cast<long long>(formatsSeen), static_cast<long long>(formats));
}

} // namespace

int main(int argc, char** argv)
{
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 40;
    const std::vector<Kind> kinds = {
        {"clean", [](TelemetryOptions& o, std::uint32_t s) {
             o.ccsds = s % 4 == 0;
             o.oddLength = s % 3 == 0;
             o.bitErrorRate = (s % 5) * 0.001;
             o.invertFrom = s % 6 == 0 ? 0 : -1;
         }},
        {"slips", [](TelemetryOptions& o, std::uint32_t s) {
             o.bitErrorRate = (s % 3) * 0.001;
             o.slips = {{20, 1}, {45, -1}, {70, 2}, {95, -2}, {120, 1}};
         }},
        {"burst", [](TelemetryOptions& o, std::uint32_t s) {
             o.bitErrorRate = (s % 3) * 0.001;
             o.burstBefore = 60;
             o.burstBits = 500 + (s * 997) % 6000;
         }},
        {"inversion", [](TelemetryOptions& o, std::uint32_t s) {
             o.bitErrorRate = (s % 3) * 0.001;
             o.invertFrom = 75;
         }},
        {"format change", [](TelemetryOptions& o, std::uint32_t s) {
             o.bitErrorRate = (s % 3) * 0.001;
             o.formatChange = true;
             o.ccsds = s % 4 == 0;
         }},
        {"noise", [](TelemetryOptions& o, std::uint32_t) { o.noise = true; }},
    };
    for (const Kind& k : kinds) {
        evaluate(k, seeds, true);
        evaluate(k, seeds, false);
    }
    return 0;
}
