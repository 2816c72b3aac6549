#pragma once
// IRIG 106 Chapter 10 packet framing: the 24-byte header, the optional
// 12-byte secondary header, the data checksum of the trailer and the PCM
// Format 1 channel-specific data word. Every field is little-endian.
//
// Header: 0 sync EB25 (bytes 25 EB) | 2 channel ID | 4 packet length (whole
// packet, a multiple of 4) | 8 data length (channel-specific word and data)
// | 12 data type version | 13 sequence | 14 packet flags | 15 data type |
// 16 relative time (48 bits) | 22 header checksum: the 16-bit sum of the
// eleven 16-bit words before it.
// Flags: bit 7 secondary header present; bits 1-0 data checksum: none, 8-,
// 16-, 32-bit sum of the packet body and filler (everything between the
// headers and the checksum, in words of that width), stored in the last
// bytes of the packet.
#include "formats/bit_reader.h"
#include "formats/chunk_stream.h"

#include <cstdint>
#include <span>

namespace morvelan {

inline constexpr std::size_t kCh10HeaderBytes = 24;
inline constexpr std::size_t kCh10SecondaryBytes = 12;
inline constexpr std::uint8_t kCh10Tmats = 0x01;
inline constexpr std::uint8_t kCh10PcmFormat1 = 0x09;

struct Ch10Header {
    std::uint64_t offset = 0; // of the packet's first byte in the file
    std::uint16_t channel = 0;
    std::uint32_t packetLength = 0, dataLength = 0;
    std::uint8_t flags = 0, dataType = 0;

    bool secondary() const { return (flags & 0x80) != 0; }
    unsigned checksumBytes() const { return (flags & 3) == 3 ? 4 : (flags & 3); }
    std::uint32_t headerBytes() const
    {
        return static_cast<std::uint32_t>(kCh10HeaderBytes + (secondary() ? kCh10SecondaryBytes : 0));
    }
    // Bytes after the headers: data, filler and checksum.
    std::uint32_t bodyBytes() const { return packetLength - headerBytes(); }
};

inline std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

enum class HeaderRead { Packet, End, Refused, Failed };

// Reads and checks the headers of the packet at the stream's position and
// consumes them. End when the stream ends before the packet's first byte;
// Refused with `problem` (at the packet's offset) for a wrong sync, a
// checksum that does not match, lengths that do not fit, or a cut header.
// The secondary header checksum is taken as the 16-bit sum of its first five
// 16-bit words; the sum of its first ten bytes, which some recorders and
// readers write, is accepted too.
HeaderRead readCh10Header(ChunkStream& stream, Ch10Header& header, FormatProblem& problem);

// The data checksum of a packet, fed the body in pieces of any size.
class Ch10DataChecksum {
public:
    explicit Ch10DataChecksum(unsigned width) : width_(width) {}
    void add(std::span<const std::uint8_t> bytes);
    std::uint32_t value() const;

private:
    unsigned width_;
    std::uint64_t index_ = 0;
    std::uint32_t sum_ = 0;
};

// PCM Format 1 channel-specific data word: bits 17-0 sync offset, 18
// unpacked, 19 packed, 20 throughput, 21 32-bit alignment, 27-24 lock
// status, 28 minor and 29 major frame indicator, 30 intra-packet headers.
struct PcmWord {
    enum class Mode { Throughput, Packed, Unpacked };
    Mode mode = Mode::Throughput;
    bool align32 = false;
    bool headers = false; // an intra-packet header before each minor frame

    unsigned alignBits() const { return align32 ? 32 : 16; }
    bool operator==(const PcmWord&) const = default;
};

// False when not exactly one of the three mode bits is set.
bool decodePcmWord(std::uint32_t word, PcmWord& pcm);

} // namespace morvelan
