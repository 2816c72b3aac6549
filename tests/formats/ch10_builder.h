#pragma once
// Builds Chapter 10 packets for the tests, written from the packet layout
// alone (not from the reader's code): 24-byte little-endian header with its
// 16-bit word-sum checksum, optional 12-byte secondary header, the data,
// filler to a multiple of four bytes and the data checksum of the
// chosen width over data and filler, in the packet's last bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

inline void append32(Bytes& b, std::uint32_t v)
{
    b.resize(b.size() + 4);
    put32(b, b.size() - 4, v);
}

enum class Checksum : std::uint8_t { None = 0, Sum8 = 1, Sum16 = 2, Sum32 = 3 };

struct PacketContent {
    std::uint16_t channel = 1;
    std::uint8_t dataType = 0x09;
    Bytes data; // channel-specific word and data
    Checksum checksum = Checksum::None;
    bool secondary = false;
    bool secondaryByteSum = false; // checksum the secondary header as bytes
    std::uint8_t filler = 0;
};

// Rewrites the header checksum of the packet at `at` after an edit.
inline void sealHeader(Bytes& file, std::size_t at)
{
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < 22; k += 2) sum += file[at + k] | (file[at + k + 1] << 8);
    put16(file, at + 22, sum & 0xFFFF);
}

inline Bytes packet(const PacketContent& content)
{
    const unsigned width[] = {0, 1, 2, 4};
    const std::size_t cks = width[static_cast<unsigned>(content.checksum)];
    const std::size_t head = 24 + (content.secondary ? 12 : 0);
    const std::size_t length = (head + content.data.size() + cks + 3) / 4 * 4;
    Bytes p(length, 0);
    p[0] = 0x25;
    p[1] = 0xEB;
    put16(p, 2, content.channel);
    put32(p, 4, static_cast<std::uint32_t>(length));
    put32(p, 8, static_cast<std::uint32_t>(content.data.size()));
    p[12] = 0x07;
    p[13] = 0x2A;
    p[14] = static_cast<std::uint8_t>((content.secondary ? 0x80 : 0) | static_cast<unsigned>(content.checksum));
    p[15] = content.dataType;
    for (int k = 0; k < 6; ++k) p[16 + k] = static_cast<std::uint8_t>(0x11 * (k + 1));
    sealHeader(p, 0);
    if (content.secondary) {
        for (int k = 0; k < 8; ++k) p[24 + k] = static_cast<std::uint8_t>(0xA0 + k);
        std::uint32_t sum = 0;
        for (int k = 0; k < 10; k += content.secondaryByteSum ? 1 : 2)
            sum += content.secondaryByteSum ? p[24 + k] : (p[24 + k] | (p[25 + k] << 8));
        put16(p, 34, sum & 0xFFFF);
    }
    std::copy(content.data.begin(), content.data.end(), p.begin() + static_cast<std::ptrdiff_t>(head));
    std::fill(p.begin() + static_cast<std::ptrdiff_t>(head + content.data.size()),
              p.end() - static_cast<std::ptrdiff_t>(cks), content.filler);
    if (cks > 0) {
        std::uint64_t sum = 0;
        for (std::size_t at = head; at < length - cks; at += cks) {
            std::uint64_t word = 0;
            for (std::size_t k = 0; k < cks; ++k) word |= std::uint64_t{p[at + k]} << (8 * k);
            sum += word;
        }
        for (std::size_t k = 0; k < cks; ++k) p[length - cks + k] = static_cast<std::uint8_t>(sum >> (8 * k));
    }
    return p;
}

// PCM Format 1 channel-specific word.
enum class Mode { Unpacked = 18, Packed = 19, Throughput = 20 };
inline std::uint32_t pcmWord(Mode mode, bool align32, bool headers)
{
    return (1u << static_cast<unsigned>(mode)) | (align32 ? 1u << 21 : 0) | (headers ? 1u << 30 : 0);
}

// Stores a stream of '0'/'1' as the packet does: words of `wordBytes`
// bytes, the first bit in the word's most significant bit, each word
// little-endian. The stream must fill whole words.
inline Bytes storeBits(std::string_view bits, unsigned wordBytes)
{
    Bytes out;
    const std::size_t wordBits = 8 * wordBytes;
    for (std::size_t at = 0; at + wordBits <= bits.size(); at += wordBits) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < wordBits; ++k) word = (word << 1) | (bits[at + k] == '1' ? 1u : 0u);
        for (unsigned k = 0; k < wordBytes; ++k) out.push_back(static_cast<std::uint8_t>(word >> (8 * k)));
    }
    return out;
}

// An intra-packet header: 8-byte time stamp and a 2- or 4-byte data header.
inline Bytes intraHeader(std::uint64_t time, unsigned wordBytes)
{
    Bytes h;
    for (int k = 0; k < 8; ++k) h.push_back(static_cast<std::uint8_t>(time >> (8 * k)));
    h.push_back(0x00);
    h.push_back(0x30); // lock status bits 13-12
    if (wordBytes == 4) h.insert(h.end(), {0, 0});
    return h;
}

inline Bytes tmatsPacket(std::string_view text, std::uint16_t channel = 0)
{
    PacketContent content;
    content.channel = channel;
    content.dataType = 0x01;
    append32(content.data, 0x07);
    content.data.insert(content.data.end(), text.begin(), text.end());
    return packet(content);
}

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace morvelan::testing
