#include "formats/ch10_pcm.h"

#include "formats/bit_table.h"

#include <algorithm>
#include <optional>

namespace morvelan {

namespace {

constexpr std::uint32_t kMaxFrameBits = 1u << 27;

bool inRange(const std::optional<std::uint32_t>& v, std::uint32_t low, std::uint32_t high)
{
    return v && *v >= low && *v <= high;
}

std::uint64_t roundUp(std::uint64_t bits, std::uint64_t unit) { return (bits + unit - 1) / unit * unit; }

// Bits of a minor frame, the sync pattern included: MF2, else F1 x (MF1 - 1) + MF4.
std::optional<std::uint64_t> packedFrameBits(const PcmSetup& s)
{
    if (inRange(s.frameBits, 1, kMaxFrameBits)) return *s.frameBits;
    if (inRange(s.wordBits, 1, 64) && inRange(s.frameWords, 1, kMaxFrameBits) && inRange(s.syncBits, 1, 64))
        return std::uint64_t{*s.wordBits} * (*s.frameWords - 1) + *s.syncBits;
    return std::nullopt;
}

// Bits of an unpacked minor frame: the sync pattern and every word each
// rounded up to whole `unit`-bit words.
std::optional<std::uint64_t> unpackedFrameBits(const PcmSetup& s, unsigned unit)
{
    if (!inRange(s.wordBits, 1, 64) || !inRange(s.frameWords, 1, kMaxFrameBits) || !inRange(s.syncBits, 1, 64))
        return std::nullopt;
    return roundUp(*s.syncBits, unit) + (*s.frameWords - 1) * roundUp(*s.wordBits, unit);
}

} // namespace

FormatProblem::Kind pcmLayout(const PcmWord& pcm, const PcmSetup& setup, std::uint32_t dataBytes, PcmLayout& layout)
{
    using Kind = FormatProblem::Kind;
    const unsigned unit = pcm.alignBits();
    layout = {};
    layout.wordBytes = unit / 8;
    const bool framed = pcm.mode != PcmWord::Mode::Throughput;
    std::optional<std::uint64_t> bits;
    if (pcm.mode == PcmWord::Mode::Packed) bits = packedFrameBits(setup);
    if (pcm.mode == PcmWord::Mode::Unpacked) bits = unpackedFrameBits(setup, unit);
    if (framed && bits && *bits <= kMaxFrameBits) {
        layout.frameBits = static_cast<std::uint32_t>(pcm.mode == PcmWord::Mode::Packed ? *bits : roundUp(*bits, unit));
        layout.frameBytes = static_cast<std::uint32_t>(roundUp(*bits, unit) / 8);
    }
    if (framed && pcm.headers) {
        if (layout.frameBytes == 0) return Kind::Ch10FrameSizeUnknown;
        layout.headerBytes = 8 + layout.wordBytes;
    }
    const std::uint64_t step = layout.frameBytes ? layout.headerBytes + layout.frameBytes : layout.wordBytes;
    return dataBytes % step == 0 ? Kind::None : Kind::Ch10PcmLength;
}

void PcmDecoder::start(const PcmLayout& layout, std::uint32_t dataBytes)
{
    layout_ = layout;
    dataLeft_ = dataBytes;
    headerLeft_ = frameLeft_ = bitsLeft_ = 0;
}

PcmDecoder::Result PcmDecoder::decode(ChunkStream& stream, std::vector<std::uint8_t>& out, std::size_t limit)
{
    const unsigned w = layout_.wordBytes;
    while (true) {
        if (headerLeft_ > 0) {
            const std::uint64_t skipped = stream.skip(headerLeft_);
            headerLeft_ -= skipped;
            dataLeft_ -= std::min(dataLeft_, skipped);
            if (headerLeft_ > 0) return Result::InputEnded;
        }
        if (frameLeft_ == 0) {
            if (dataLeft_ == 0) return Result::Done;
            headerLeft_ = layout_.frameBytes ? layout_.headerBytes : 0;
            frameLeft_ = layout_.frameBytes ? layout_.frameBytes : dataLeft_;
            bitsLeft_ = layout_.frameBytes ? layout_.frameBits : dataLeft_ * 8;
            continue;
        }
        if (frameLeft_ < w) { // cannot happen with a checked layout; never loop on it
            const std::uint64_t skipped = stream.skip(frameLeft_);
            frameLeft_ -= skipped;
            dataLeft_ -= std::min(dataLeft_, skipped);
            if (frameLeft_ > 0) return Result::InputEnded;
            continue;
        }
        if (out.size() >= limit) return Result::OutFull;
        const auto bytes = stream.ensure(w);
        if (bytes.size() < w) return Result::InputEnded;
        // Whole words, no more than the frame holds or the caller wants.
        const std::uint64_t room = limit - out.size();
        const std::uint64_t wanted = room / (8 * w) + (room % (8 * w) != 0);
        const std::uint64_t words = std::min({std::uint64_t{bytes.size() / w}, frameLeft_ / w, wanted});
        const auto count = static_cast<std::size_t>(words * w);
        emitWords(bytes.first(count), out);
        stream.consume(count);
        frameLeft_ -= count;
        dataLeft_ -= count;
    }
}

void PcmDecoder::emitWords(std::span<const std::uint8_t> words, std::vector<std::uint8_t>& out)
{
    const unsigned w = layout_.wordBytes;
    for (std::size_t at = 0; at < words.size() && bitsLeft_ > 0; at += w) {
        for (unsigned k = w; k-- > 0 && bitsLeft_ > 0;) {
            const std::uint8_t byte = words[at + k];
            if (bitsLeft_ >= 8) {
                const std::size_t end = out.size();
                out.resize(end + 8);
                expandByte(kMsbFirstBits, byte, out.data() + end);
                bitsLeft_ -= 8;
            } else {
                for (unsigned b = 0; b < bitsLeft_; ++b) out.push_back(kMsbFirstBits[byte][b]);
                bitsLeft_ = 0;
            }
        }
    }
}

} // namespace morvelan
