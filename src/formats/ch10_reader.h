#pragma once
// IRIG 106 Chapter 10 files: the bits of the PCM Format 1 packets (data
// type 0x09) of one channel, minor frames joined in file order.
//
// The file is read twice, through `open`, which must give the same bytes
// each time: a first pass checks every packet (sync, header, secondary
// header and data checksums, lengths, PCM mode bits), notes the channels
// and reads the TMATS record; the second pass emits the chosen channel's
// bits. The first pass runs in bounded steps: read() may answer More
// without appending a bit while it lasts.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"
#include "formats/ch10_tmats.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace morvelan {

struct Ch10Options {
    // The channel ID to read; without it, the lowest ID that carries PCM.
    std::optional<std::uint16_t> channel;
    // The frame description; without it, the one TMATS gives the channel.
    std::optional<PcmSetup> setup;
};

class Ch10Reader : public BitReader {
public:
    // The channel read: -1 until the first pass is over (the first call that
    // appends a bit or answers End).
    virtual int channel() const = 0;
    // The frame description in use (empty fields where nothing said).
    virtual const PcmSetup& setup() const = 0;
};

std::unique_ptr<Ch10Reader> makeCh10Reader(ByteSourceOpener open, Ch10Options options = {});

} // namespace morvelan
