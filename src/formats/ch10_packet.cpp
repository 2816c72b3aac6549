#include "formats/ch10_packet.h"

namespace morvelan {

namespace {

std::uint16_t wordSum(const std::uint8_t* bytes, std::size_t words)
{
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < words; ++k) sum += le16(bytes + 2 * k);
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t byteSum(const std::uint8_t* bytes, std::size_t count)
{
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < count; ++k) sum += bytes[k];
    return static_cast<std::uint16_t>(sum);
}

HeaderRead refuse(FormatProblem& problem, FormatProblem::Kind kind, std::uint64_t offset, std::uint32_t value,
                  std::uint32_t channel = 0)
{
    problem.kind = kind;
    problem.offset = offset;
    problem.value = value;
    problem.channel = channel;
    return HeaderRead::Refused;
}

bool lengthsFit(const Ch10Header& h)
{
    if (h.packetLength % 4 != 0 || h.packetLength < h.headerBytes()) return false;
    const std::uint64_t needed = std::uint64_t{h.headerBytes()} + h.dataLength + h.checksumBytes();
    return needed <= h.packetLength;
}

} // namespace

HeaderRead readCh10Header(ChunkStream& stream, Ch10Header& header, FormatProblem& problem)
{
    using Kind = FormatProblem::Kind;
    const std::uint64_t offset = stream.offset();
    auto bytes = stream.ensure(kCh10HeaderBytes);
    if (bytes.empty()) return stream.failed() ? HeaderRead::Failed : HeaderRead::End;
    if (bytes.size() >= 2 && (bytes[0] != 0x25 || bytes[1] != 0xEB))
        return refuse(problem, Kind::Ch10BadSync, offset, le16(bytes.data()));
    if (bytes.size() < kCh10HeaderBytes) {
        if (stream.failed()) return HeaderRead::Failed;
        if (bytes[0] != 0x25) return refuse(problem, Kind::Ch10BadSync, offset, bytes[0]);
        return refuse(problem, Kind::Ch10Truncated, offset, 0);
    }
    const std::uint8_t* p = bytes.data();
    const std::uint16_t stored = le16(p + 22);
    if (wordSum(p, 11) != stored) return refuse(problem, Kind::Ch10HeaderChecksum, offset, stored);
    header.offset = offset;
    header.channel = le16(p + 2);
    header.packetLength = le32(p + 4);
    header.dataLength = le32(p + 8);
    header.flags = p[14];
    header.dataType = p[15];
    if (!lengthsFit(header)) return refuse(problem, Kind::Ch10BadLength, offset, header.packetLength, header.channel);
    stream.consume(kCh10HeaderBytes);
    if (!header.secondary()) return HeaderRead::Packet;
    bytes = stream.ensure(kCh10SecondaryBytes);
    if (bytes.size() < kCh10SecondaryBytes)
        return stream.failed() ? HeaderRead::Failed : refuse(problem, Kind::Ch10Truncated, offset, 0, header.channel);
    const std::uint16_t secondary = le16(bytes.data() + 10);
    if (wordSum(bytes.data(), 5) != secondary && byteSum(bytes.data(), 10) != secondary)
        return refuse(problem, Kind::Ch10SecondaryHeaderChecksum, offset, secondary, header.channel);
    stream.consume(kCh10SecondaryBytes);
    return HeaderRead::Packet;
}

void Ch10DataChecksum::add(std::span<const std::uint8_t> bytes)
{
    if (width_ == 0) return;
    std::size_t i = 0;
    const auto addByte = [&] {
        sum_ += static_cast<std::uint32_t>(bytes[i++]) << (8 * (index_++ % width_));
    };
    while (i < bytes.size() && index_ % width_ != 0) addByte();
    // Whole words while the piece lasts; the sum wraps as the field does.
    std::uint32_t sum = sum_;
    const std::size_t words = (bytes.size() - i) / width_;
    const std::uint8_t* p = bytes.data() + i;
    if (width_ == 1) for (std::size_t k = 0; k < words; ++k) sum += p[k];
    if (width_ == 2) for (std::size_t k = 0; k < words; ++k) sum += le16(p + 2 * k);
    if (width_ == 4) for (std::size_t k = 0; k < words; ++k) sum += le32(p + 4 * k);
    sum_ = sum;
    i += words * width_;
    index_ += words * width_;
    while (i < bytes.size()) addByte();
}

std::uint32_t Ch10DataChecksum::value() const
{
    switch (width_) {
    case 1: return sum_ & 0xFFu;
    case 2: return sum_ & 0xFFFFu;
    default: return sum_;
    }
}

bool decodePcmWord(std::uint32_t word, PcmWord& pcm)
{
    const bool unpacked = (word >> 18) & 1u, packed = (word >> 19) & 1u, throughput = (word >> 20) & 1u;
    if (unpacked + packed + throughput != 1) return false;
    pcm.mode = throughput ? PcmWord::Mode::Throughput : packed ? PcmWord::Mode::Packed : PcmWord::Mode::Unpacked;
    pcm.align32 = (word >> 21) & 1u;
    pcm.headers = (word >> 30) & 1u;
    return true;
}

} // namespace morvelan
