// Every input reader on arbitrary bytes. The first byte picks the reader
// (and for Chapter 10 the options), the second the step and chunk sizes,
// the rest is the input. Each reader must end, answer within its step, give
// only 0 and 1, and keep the counts its format fixes.
#include "formats/bin_reader.h"
#include "formats/bits_reader.h"
#include "formats/ch10_reader.h"
#include "formats/format_detect.h"
#include "formats/hex_reader.h"
#include "formats/u8_reader.h"

#include <cstdlib>
#include <span>

using namespace morvelan;

namespace {

std::unique_ptr<BitReader> makeReader(unsigned pick, std::span<const std::uint8_t> input, std::size_t chunk)
{
    const auto source = [input, chunk] { return std::make_unique<MemoryByteSource>(input, chunk); };
    switch (pick % 7) {
    case 0: return makeHexReader(source());
    case 1: return makeBitsReader(source());
    case 2: return makeU8Reader(source());
    case 3: return makeBinReader(source(), BitOrder::Msb);
    case 4: return makeBinReader(source(), BitOrder::Lsb);
    case 5: return makeCh10Reader(source);
    default: {
        // A channel and a frame description from the pick byte's high bits.
        Ch10Options options;
        options.channel = static_cast<std::uint16_t>(pick >> 3 & 3);
        PcmSetup setup;
        setup.wordBits = 1 + (pick >> 5);
        setup.frameWords = 2 + (pick & 7);
        setup.syncBits = 8 + (pick >> 4);
        options.setup = setup;
        return makeCh10Reader(source, options);
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const unsigned pick = data[0];
    const std::size_t step = 1 + (std::size_t{data[1]} * 97) % 5000;
    const std::size_t chunk = 1 + (data[1] % 13 == 0 ? SIZE_MAX - 1 : data[1] % 13);
    const std::span<const std::uint8_t> input(data + 2, size - 2);
    (void)detectFormat(input);

    auto reader = makeReader(pick, input, chunk);
    std::vector<std::uint8_t> out;
    std::size_t bits = 0, calls = 0;
    ReadStatus status;
    do {
        out.clear();
        status = reader->read(out, step);
        if (out.size() > step) std::abort();
        for (const std::uint8_t b : out)
            if (b > 1) std::abort();
        bits += out.size();
        // Every call either gives bits or reads on; a reader that neither
        // does would spin here.
        if (++calls > bits / step + input.size() + 16) std::abort();
    } while (status == ReadStatus::More);

    out.clear();
    if (reader->read(out, step) != status || !out.empty()) std::abort();
    if (status == ReadStatus::End) {
        const unsigned kind = pick % 7;
        if (kind == 0 && bits % 4 != 0) std::abort();
        if (kind == 2 && bits != input.size()) std::abort();
        if ((kind == 3 || kind == 4) && bits != 8 * input.size()) std::abort();
        if (kind >= 5 && bits > 8 * input.size()) std::abort();
    }
    if (status == ReadStatus::Refused && reader->problem().kind == FormatProblem::Kind::None) std::abort();
    return 0;
}
