#pragma once
// First pass over a Chapter 10 file: every packet's headers and checksums
// checked, each channel's packets counted and its data type and PCM mode
// noted, the first TMATS record parsed. Only headers and a few bytes per
// packet are kept, so memory does not depend on the file's length.
#include "formats/bit_reader.h"
#include "formats/ch10_packet.h"
#include "formats/ch10_tmats.h"
#include "formats/chunk_stream.h"

#include <array>
#include <map>
#include <memory>
#include <optional>

namespace morvelan {

// Bytes one scan step reads: callers get control back between steps while
// a large file is read.
inline constexpr std::uint64_t kCh10ScanStep = 8u << 20;

struct Ch10Channel {
    std::uint64_t packets = 0;      // every packet with this channel ID
    std::uint8_t firstType = 0;     // data type of its first packet
    std::optional<PcmWord> pcmMode; // of its first PCM Format 1 packet; empty when it carries none
};

class Ch10Scan {
public:
    enum class Step { More, Done, Refused, Failed };

    explicit Ch10Scan(std::unique_ptr<ByteSource> source);

    // Reads on until about `budget` bytes were consumed or the file ends.
    Step step(std::uint64_t budget);

    const FormatProblem& problem() const { return problem_; }
    const std::map<std::uint16_t, Ch10Channel>& channels() const { return channels_; }
    const TmatsParser& tmats() const { return tmats_; }

private:
    Step startPacket();
    void takeBody(std::span<const std::uint8_t> bytes);
    Step endPacket();
    Step refuse(FormatProblem::Kind kind, std::uint32_t value);
    Step fail();

    ChunkStream stream_;
    FormatProblem problem_;
    Ch10Header header_;
    Ch10DataChecksum checksum_{0};
    std::array<std::uint8_t, 4> channelWord_{}, storedChecksum_{};
    std::uint64_t bodyIndex_ = 0;
    std::uint64_t packets_ = 0;
    bool inBody_ = false;
    bool tmatsPacket_ = false, tmatsSeen_ = false;
    std::map<std::uint16_t, Ch10Channel> channels_;
    TmatsParser tmats_;
};

} // namespace morvelan
