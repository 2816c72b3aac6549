// Frames out the way the batch program makes them, on generated telemetry
// written as u8 captures: the run's search with the options a user would
// give (a wide interval range that holds the frame: 100-2000 or 2000-4000, the sync width rounded
// down to whole hex digits, 20 frames), its summary, then the frame
// synchroniser from the summary's first entry. Per kind: whether the first
// segment has the true frame length and starts at a true frame, the share
// of true frames given, the share of given frames that start at a true
// frame, the major frame length found, and captures with no segment.
// A program that reports figures, not a timed test.
//   morvelan_frames_out_eval [SEEDS]
#include "analysis/summary.h"
#include "engine/run_view.h"
#include "files/frame_extraction.h"
#include "files/frame_output.h"
#include "files/parameter_table.h"
#include "files/run_analysis.h"
#include "files/session.h"
#include "support/counting_toolkit.h"
#include "support/telemetry_generator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

struct Records : RunView {
    CandidateRecords records;
    bool wantsRecords() const override { return true; }
    bool wantsResultLines() const override { return false; }
    void candidateReported(const CandidateRecord& r) override { records.push_back(r); }
};

struct Starts : FrameOutput {
    std::vector<std::int64_t> bits;
    void frame(const SyncedFrame& f, std::span<const std::uint8_t>) override { bits.push_back(f.bit); }
    void segment(const SyncSegment&) override {}
    bool finish(const std::vector<WordStatistic>&, const std::optional<MajorFrame>&) override { return true; }
};

struct Tally {
    int captures = 0, firstRight = 0, noSegment = 0, majorRight = 0, majorCases = 0;
    std::int64_t truth = 0, found = 0, given = 0, misplaced = 0;
};

void runOne(const TelemetryOptions& o, const std::string& folder, Tally& t)
{
    const TelemetryCapture c = generateTelemetry(o);
    const std::string path = folder + "/capture.u8";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.bits.data()),
                                                 static_cast<std::streamsize>(c.bits.size()));
    auto session = std::make_unique<Session>();
    ResetParameters(session->params);
    AnalysisParameters& p = session->params;
    const std::int64_t interval = c.formats[0].interval;
    p.SYNC_BIT_SIZE = static_cast<std::int32_t>(c.formats[0].sync.size() / 4 * 4);
    p.START_SYNC_INTERVAL = interval <= 2000 ? 100 : 2000;
    p.END_SYNC_INTERVAL = interval <= 2000 ? 2000 : 4000;
    p.FRAME_ROUNDS = 20, p.THRESHOLD = 15, p.ALLOW_ERR_BITS = 2;
    session->inputPath = path;
    session->resultPath = folder + "/R.txt";
    CountingToolkit toolkit;
    Records view;
    SearchSettings search;
    search.threads = 1;
    ++t.captures;
    if (!RunAnalysis(*session, toolkit, view, search)) return;
    const auto groups = summariseCandidates(view.records, session->bits, p, session->decodedBits);
    Starts starts;
    ExtractionResult result;
    ExtractFrames(*session, p, {}, groups, &starts, result);
    const TruthScore s = scoreAgainstTruth(c, starts.bits);
    t.truth += s.truth, t.found += s.found, t.given += static_cast<std::int64_t>(starts.bits.size());
    t.misplaced += s.misplaced;
    if (result.segments.empty()) {
        if (std::getenv("MORVELAN_EVAL_VERBOSE") && !o.noise)
            std::printf("  seed %u: no segment (interval %lld, %zu groups)\n", o.seed,
                        static_cast<long long>(interval), groups.size());
        ++t.noSegment;
        return;
    }
    const SyncSegment& first = result.segments.front();
    if (std::getenv("MORVELAN_EVAL_VERBOSE"))
        std::printf("  seed %u: truth %lld %s at %lld; summary %s; first segment %lld %s at %lld (%s)\n", o.seed,
                    static_cast<long long>(interval), c.formats[0].sync.c_str(),
                    static_cast<long long>(c.frames.empty() ? -1 : c.frames[0].bit),
                    groups.empty() ? "none" : (std::to_string(groups[0].interval) + " " + groups[0].syncBits + " at " +
                                               std::to_string(groups[0].syncOffset)).c_str(),
                    static_cast<long long>(first.format.interval), first.format.sync.c_str(),
                    static_cast<long long>(first.startBit), c.formats[0].layout.c_str());
    bool atTruth = false;
    for (const TruthFrame& f : c.frames) atTruth = atTruth || f.bit == first.startBit;
    t.firstRight += first.format.interval == interval && atTruth;
    if (!c.formats[0].ccsds && c.formats[0].minorFrames > 1 && !o.noise) {
        ++t.majorCases;
        t.majorRight += result.majorFrame && result.majorFrame->length == c.formats[0].minorFrames;
        if (std::getenv("MORVELAN_EVAL_VERBOSE"))
            std::printf("  seed %u: major frame %d, found %lld\n", o.seed, c.formats[0].minorFrames,
                        static_cast<long long>(result.majorFrame ? result.majorFrame->length : 0));
    }
}

void report(const char* name, const Tally& t)
{
    const auto pc = [](std::int64_t a, std::int64_t b) { return b > 0 ? 100.0 * static_cast<double>(a) / static_cast<double>(b) : 100.0; };
    std::printf("%-14s captures %3d  first segment right %3d  no segment %3d  frames found %6.2f %%  "
                "given frames at a true frame %6.2f %%  major frame right %d/%d\n",
                name, t.captures, t.firstRight, t.noSegment, pc(t.found, t.truth), pc(t.given - t.misplaced, t.given),
                t.majorRight, t.majorCases);
}

} // namespace

int main(int argc, char** argv)
{
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::string folder = (std::filesystem::temp_directory_path() / "morvelan-frames-out-eval").string();
    std::filesystem::create_directories(folder);
    struct Kind {
        const char* name;
        void (*shape)(TelemetryOptions&, std::uint32_t);
    };
    const Kind kinds[] = {
        {"irig", [](TelemetryOptions& o, std::uint32_t s) { o.bitErrorRate = (s % 4) * 0.001; o.invertFrom = s % 3 == 0 ? 0 : -1; }},
        {"ccsds", [](TelemetryOptions& o, std::uint32_t s) { o.ccsds = true; o.oddLength = s % 2 == 0; o.bitErrorRate = (s % 3) * 0.001; }},
        {"slips", [](TelemetryOptions& o, std::uint32_t s) { o.ccsds = s % 2 == 0; o.slips = {{25, 1}, {50, -2}, {80, 2}, {110, -1}}; }},
        {"burst", [](TelemetryOptions& o, std::uint32_t s) { o.burstBefore = 70; o.burstBits = 700 + (s * 1013) % 5000; }},
        {"format change", [](TelemetryOptions& o, std::uint32_t) { o.formatChange = true; }},
        {"noise", [](TelemetryOptions& o, std::uint32_t) { o.noise = true; }},
    };
    for (const Kind& k : kinds) {
        Tally t;
        for (int seed = 1; seed <= seeds; ++seed) {
            TelemetryOptions o;
            o.seed = static_cast<std::uint32_t>(seed) * 11 + 5;
            k.shape(o, o.seed);
            runOne(o, folder, t);
        }
        report(k.name, t);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
