// Speed of the folded-stream picture and of what goes with it.
//   R1: a 200000-bit stream at a 512-bit interval, whole picture, by cell size.
//   R2: the same stream at a 2000-bit interval, whole picture.
//   R3: one screenful (1600 x 1000 pixels) at a 2000-bit interval, 16 pixels
//       a bit, as the viewer draws it at high zoom.
//   R4: the PNG bytes of the R1 picture at the default cell size.
//   R5: the summary of 200500 reported candidates (an all-zero stream with
//       the reset values reports every one).
#include "common/png_writer.h"
#include "files/parameter_table.h"
#include "analysis/raster.h"
#include "analysis/summary.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

using namespace morvelan;

namespace {

std::unique_ptr<BitBuffer> randomStream()
{
    auto bits = std::make_unique<BitBuffer>();
    std::mt19937 rng(2026);
    for (std::int32_t p = 1; p <= MAX_INPUT_BITS; ++p) bits->set(p, rng() & 1);
    return bits;
}

RasterRequest requestFor(std::int64_t interval, int cellSize)
{
    RasterRequest r;
    r.interval = interval;
    r.offset = 36;
    r.cellSize = cellSize;
    r.decodedBits = MAX_INPUT_BITS;
    return r;
}

void BM_R1_WholePicture512(benchmark::State& state)
{
    const auto bits = randomStream();
    AnalysisParameters params;
    ResetParameters(params);
    const auto request = requestFor(512, static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const Raster raster(*bits, params, request);
        const RasterImage image = raster.render();
        bytes = image.rgb.size();
        benchmark::DoNotOptimize(image.rgb.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_R1_WholePicture512)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_R2_WholePicture2000(benchmark::State& state)
{
    const auto bits = randomStream();
    AnalysisParameters params;
    ResetParameters(params);
    const auto request = requestFor(2000, kDefaultRasterCellSize);
    for (auto _ : state) {
        const Raster raster(*bits, params, request);
        benchmark::DoNotOptimize(raster.render().rgb.data());
    }
}
BENCHMARK(BM_R2_WholePicture2000)->Unit(benchmark::kMillisecond);

void BM_R3_ScreenfulAtHighZoom(benchmark::State& state)
{
    const auto bits = randomStream();
    AnalysisParameters params;
    ResetParameters(params);
    const Raster raster(*bits, params, requestFor(2000, 16));
    for (auto _ : state) benchmark::DoNotOptimize(raster.render(raster.width() / 2, raster.height() / 2, 1600, 1000).rgb.data());
}
BENCHMARK(BM_R3_ScreenfulAtHighZoom)->Unit(benchmark::kMillisecond);

void BM_R4_PngOfThePicture(benchmark::State& state)
{
    const auto bits = randomStream();
    AnalysisParameters params;
    ResetParameters(params);
    const RasterImage image = Raster(*bits, params, requestFor(512, kDefaultRasterCellSize)).render();
    for (auto _ : state) benchmark::DoNotOptimize(encodePng(image.width, image.height, image.rgb.data()).size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(image.rgb.size()));
}
BENCHMARK(BM_R4_PngOfThePicture)->Unit(benchmark::kMillisecond);

void BM_R5_SummaryOfEveryCandidate(benchmark::State& state)
{
    AnalysisParameters params;
    ResetParameters(params);
    const auto bits = randomStream();
    CandidateRecords rows;
    for (std::int32_t i = params.START_SYNC_INTERVAL; i <= params.END_SYNC_INTERVAL; ++i)
        for (std::int32_t x = 0; x < i; ++x) rows.push_back({i, x, 21});
    for (auto _ : state) benchmark::DoNotOptimize(summariseCandidates(rows, *bits, params, MAX_INPUT_BITS).size());
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_R5_SummaryOfEveryCandidate)->Unit(benchmark::kMillisecond);

} // namespace
