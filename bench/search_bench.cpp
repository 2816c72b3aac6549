// Speed of the sync search and of the whole run pipeline.
//   B1: examples/sample.txt with the reset values, whole pipeline.
//   B2: 200000 random bits, intervals 100..2000, 64-bit words, 2 errors,
//       150 frames, threshold 150.
//   B3: an all-zero stream with the reset values: every candidate is
//       reported, so this measures how fast rows reach the Result file.
//   B4: examples/sample.txt with the reset values but intervals
//       2147483000..2147483647: some 1.4e12 candidates, nearly all with every
//       frame past the Bit buffer, each showing one conversion message.
#include "common/toolkit.h"
#include "support/counting_toolkit.h"
#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/session.h"
#include "files/run_analysis.h"

#include <benchmark/benchmark.h>

#include "files/input_reader.h"
#include "files/result_file.h"
#include "files/result_rows.h"
#ifdef MORVELAN_HAVE_REFERENCE
#include "engine/reference_search.h"
#endif

#include <filesystem>
#include <memory>
#include <random>
#include <string>

using namespace morvelan;

namespace {

std::string scratchFile(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_B1_SamplePipeline(benchmark::State& state)
{
    Session session;
    ResetParameters(session.params);
    session.inputPath = std::string(MORVELAN_EXAMPLES) + "/sample.txt";
    session.resultPath = scratchFile("morvelan-bench-b1.txt");
    testing::CountingToolkit toolkit;
    RunView view;
    for (auto _ : state) {
        session.foundCount = 0;
        if (!RunAnalysis(session, toolkit, view)) state.SkipWithError("run failed");
    }
    state.counters["found"] = session.foundCount;
}
BENCHMARK(BM_B1_SamplePipeline)->Unit(benchmark::kMillisecond);

// The sample's Bit buffer, read once, for the search-only comparisons.
Session& sampleSession()
{
    static const std::unique_ptr<Session> session = [] {
        auto owned = std::make_unique<Session>();
        Session& s = *owned;
        ResetParameters(s.params);
        s.inputPath = std::string(MORVELAN_EXAMPLES) + "/sample.txt";
        s.resultPath = scratchFile("morvelan-bench-b1-read.txt");
        testing::CountingToolkit toolkit;
        if (!OpenRunFiles(s, s.params, toolkit) || !ReadInputFile(s, toolkit)) std::abort();
        s.files.closeBoth();
        return owned;
    }();
    return *session;
}

void BM_B1_SampleSearchOnly(benchmark::State& state)
{
    Session& session = sampleSession();
    testing::CountingToolkit toolkit;
    RunView view;
    for (auto _ : state) {
        session.files.result.open(scratchFile("morvelan-bench-b1-search.txt"));
        session.foundCount = 0;
        if (!SearchIntoResultFile(session, session.params, toolkit, view)) state.SkipWithError("search failed");
        session.files.result.close();
    }
    state.counters["found"] = session.foundCount;
}
BENCHMARK(BM_B1_SampleSearchOnly)->Unit(benchmark::kMillisecond);

#ifdef MORVELAN_HAVE_REFERENCE
// The literal string-by-string search on the same case, for the speed-up.
void BM_B1_SampleSearchReference(benchmark::State& state)
{
    Session& session = sampleSession();
    testing::CountingToolkit toolkit;
    std::int32_t found = 0;
    for (auto _ : state) {
        found = testing::ReferenceSearchSync(session.bits, session.params, false, toolkit).found;
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_B1_SampleSearchReference)->Unit(benchmark::kMillisecond)->Iterations(1);
#endif

void BM_B2_RandomWideSearch(benchmark::State& state)
{
    Session session;
    std::mt19937 rng(12345);
    for (std::int32_t p = 1; p <= MAX_INPUT_BITS; ++p) session.bits.set(p, rng() & 1);
    AnalysisParameters params;
    params.START_SYNC_INTERVAL = 100;
    params.END_SYNC_INTERVAL = 2000;
    params.SYNC_BIT_SIZE = 64;
    params.ALLOW_ERR_BITS = 2;
    params.FRAME_ROUNDS = 150;
    params.THRESHOLD = 150;
    params.BUF_SIZE = 300000;
    testing::CountingToolkit toolkit;
    RunView view;
    for (auto _ : state) {
        session.files.result.open(scratchFile("morvelan-bench-b2.txt"));
        session.foundCount = 0;
        if (!SearchIntoResultFile(session, params, toolkit, view)) state.SkipWithError("search failed");
        session.files.result.close();
    }
    state.counters["found"] = session.foundCount;
}
BENCHMARK(BM_B2_RandomWideSearch)->Unit(benchmark::kMillisecond);

void BM_B3_AllZeroEveryRowWritten(benchmark::State& state)
{
    Session session; // the Bit buffer starts all zero
    AnalysisParameters params;
    ResetParameters(params);
    testing::CountingToolkit toolkit;
    RunView view;
    const std::string path = scratchFile("morvelan-bench-b3.txt");
    std::int64_t bytes = 0;
    for (auto _ : state) {
        session.files.result.open(path);
        session.foundCount = 0;
        if (!SearchIntoResultFile(session, params, toolkit, view)) state.SkipWithError("search failed");
        session.files.result.close();
        bytes += static_cast<std::int64_t>(std::filesystem::file_size(path));
    }
    state.SetBytesProcessed(bytes);
    state.counters["rows"] = session.foundCount;
}
BENCHMARK(BM_B3_AllZeroEveryRowWritten)->Unit(benchmark::kMillisecond);

void BM_B4_IntervalsPastTheBuffer(benchmark::State& state)
{
    Session& session = sampleSession();
    AnalysisParameters params = session.params;
    params.START_SYNC_INTERVAL = 2147483000;
    params.END_SYNC_INTERVAL = 2147483647;
    testing::CountingToolkit toolkit;
    RunView view;
    for (auto _ : state) {
        session.files.result.open(scratchFile("morvelan-bench-b4.txt"));
        session.foundCount = 0;
        toolkit.messages = 0;
        if (!SearchIntoResultFile(session, params, toolkit, view)) state.SkipWithError("search failed");
        session.files.result.close();
    }
    state.counters["found"] = session.foundCount;
    state.counters["messages"] = static_cast<double>(toolkit.messages);
}
BENCHMARK(BM_B4_IntervalsPastTheBuffer)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
