#pragma once
// The bits of one PCM Format 1 packet of Chapter 10.
//
// The data after the channel-specific word is stored in 16-bit words (32-bit
// with the alignment bit), each little-endian, the first received bit in the
// word's most significant bit: a word's bytes are taken last to first, each
// byte most significant bit first.
//   throughput: the data is one run of such words; an intra-packet header
//               flag is ignored, since the data has no frame boundaries.
//   packed:     minor frames packed bit after bit, each padded at its end to
//               the next word; the padding is dropped when the frame length
//               is known.
//   unpacked:   every PCM word (and the sync pattern) starts a new word;
//               whole words are kept, filler included, since the frame stays
//               periodic either way.
// With intra-packet headers, each minor frame follows an 8-byte time stamp
// and a data header of 2 bytes (16-bit alignment) or 4 bytes (32-bit); their
// lengths come from the frame description (TMATS or the caller).
#include "formats/bit_reader.h"
#include "formats/ch10_packet.h"
#include "formats/ch10_tmats.h"
#include "formats/chunk_stream.h"

#include <cstdint>
#include <vector>

namespace morvelan {

struct PcmLayout {
    unsigned wordBytes = 2;         // 2 or 4
    std::uint32_t headerBytes = 0;  // intra-packet header before each frame: 0, 10 or 12
    std::uint32_t frameBytes = 0;   // 0: the data is one run of words
    std::uint32_t frameBits = 0;    // bits kept of each frame (the rest is padding)
};

// The layout of a packet whose data after the channel-specific word is
// `dataBytes` long: None, or FrameSizeUnknown (intra-packet headers but no
// frame length), or PcmLength (the data is not whole words or frames).
FormatProblem::Kind pcmLayout(const PcmWord& pcm, const PcmSetup& setup, std::uint32_t dataBytes, PcmLayout& layout);

class PcmDecoder {
public:
    enum class Result { Done, OutFull, InputEnded };

    void start(const PcmLayout& layout, std::uint32_t dataBytes);
    // Appends the packet's bits until `out` holds `limit` bits (a word may
    // overshoot) or the packet's data is used up.
    Result decode(ChunkStream& stream, std::vector<std::uint8_t>& out, std::size_t limit);

private:
    void emitWords(std::span<const std::uint8_t> words, std::vector<std::uint8_t>& out);

    PcmLayout layout_;
    std::uint64_t dataLeft_ = 0;   // bytes of the packet's data not consumed
    std::uint64_t headerLeft_ = 0; // of the current intra-packet header
    std::uint64_t frameLeft_ = 0;  // bytes of the current frame (or run)
    std::uint64_t bitsLeft_ = 0;   // bits of the current frame still to emit
};

} // namespace morvelan
