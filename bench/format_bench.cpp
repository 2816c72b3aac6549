// Speed of the input readers, in MB/s of input, over 16 MiB held in memory
// and read in steps of 2^20 bits, as the run pipeline reads them.
//   F1 u8, F2 bin (most and least significant bit first), F3 hex text in
//   80-digit lines, F4 bits text, F5 Chapter 10 throughput packets of 64 KiB
//   (both passes: the check of every packet and the decode).
#include "formats/bin_reader.h"
#include "formats/bits_reader.h"
#include "formats/ch10_builder.h"
#include "formats/ch10_reader.h"
#include "formats/hex_reader.h"
#include "formats/u8_reader.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace morvelan;

namespace {

constexpr std::size_t kInputBytes = 16u << 20;
constexpr std::size_t kStep = 1u << 20;

std::vector<std::uint8_t> randomBytes(std::size_t n, unsigned modulus)
{
    std::mt19937 rng(2026);
    std::vector<std::uint8_t> b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng() % modulus);
    return b;
}

std::vector<std::uint8_t> textLines(const char* alphabet, unsigned letters)
{
    std::mt19937 rng(7);
    std::vector<std::uint8_t> b;
    b.reserve(kInputBytes + 100);
    while (b.size() < kInputBytes) {
        for (int k = 0; k < 80; ++k) b.push_back(static_cast<std::uint8_t>(alphabet[rng() % letters]));
        b.push_back('\r');
        b.push_back('\n');
    }
    return b;
}

std::vector<std::uint8_t> ch10File()
{
    const auto payload = randomBytes(64u << 10, 256);
    std::vector<std::uint8_t> file;
    while (file.size() < kInputBytes) {
        testing::PacketContent content;
        testing::append32(content.data, testing::pcmWord(testing::Mode::Throughput, false, false));
        content.data.insert(content.data.end(), payload.begin(), payload.end());
        content.checksum = testing::Checksum::Sum16;
        const auto p = testing::packet(content);
        file.insert(file.end(), p.begin(), p.end());
    }
    return file;
}

template <class Make>
void drain(benchmark::State& state, const std::vector<std::uint8_t>& input, Make make)
{
    std::vector<std::uint8_t> out;
    out.reserve(kStep + 64);
    std::size_t bits = 0;
    for (auto _ : state) {
        auto reader = make();
        bits = 0;
        ReadStatus status;
        do {
            out.clear();
            status = reader->read(out, kStep);
            bits += out.size();
            benchmark::DoNotOptimize(out.data());
        } while (status == ReadStatus::More);
        if (status != ReadStatus::End) state.SkipWithError("the reader did not reach the end");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["Mbit"] = static_cast<double>(bits) / 1e6;
}

void BM_F1_U8(benchmark::State& state)
{
    const auto input = randomBytes(kInputBytes, 2);
    drain(state, input, [&] { return makeU8Reader(std::make_unique<MemoryByteSource>(input)); });
}
BENCHMARK(BM_F1_U8)->Unit(benchmark::kMillisecond);

void BM_F2_Bin(benchmark::State& state)
{
    const auto input = randomBytes(kInputBytes, 256);
    const auto order = state.range(0) ? BitOrder::Lsb : BitOrder::Msb;
    drain(state, input, [&] { return makeBinReader(std::make_unique<MemoryByteSource>(input), order); });
}
BENCHMARK(BM_F2_Bin)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_F3_Hex(benchmark::State& state)
{
    const auto input = textLines("0123456789ABCDEF", 16);
    drain(state, input, [&] { return makeHexReader(std::make_unique<MemoryByteSource>(input)); });
}
BENCHMARK(BM_F3_Hex)->Unit(benchmark::kMillisecond);

void BM_F4_Bits(benchmark::State& state)
{
    const auto input = textLines("01", 2);
    drain(state, input, [&] { return makeBitsReader(std::make_unique<MemoryByteSource>(input)); });
}
BENCHMARK(BM_F4_Bits)->Unit(benchmark::kMillisecond);

void BM_F5_Ch10Throughput(benchmark::State& state)
{
    const auto input = ch10File();
    drain(state, input, [&] {
        return makeCh10Reader([&] { return std::make_unique<MemoryByteSource>(input); });
    });
}
BENCHMARK(BM_F5_Ch10Throughput)->Unit(benchmark::kMillisecond);

} // namespace
