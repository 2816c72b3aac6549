#include "formats/ch10_scan.h"

#include <algorithm>

namespace morvelan {

Ch10Scan::Ch10Scan(std::unique_ptr<ByteSource> source) : stream_(std::move(source)) {}

Ch10Scan::Step Ch10Scan::step(std::uint64_t budget)
{
    const std::uint64_t stop = stream_.offset() + budget;
    while (stream_.offset() < stop) {
        if (!inBody_) {
            const Step started = startPacket();
            if (started != Step::More) return started;
            continue;
        }
        const std::uint64_t left = header_.bodyBytes() - bodyIndex_;
        if (left == 0) {
            const Step ended = endPacket();
            if (ended != Step::More) return ended;
            continue;
        }
        const auto bytes = stream_.peek();
        if (bytes.empty()) return stream_.failed() ? fail() : refuse(FormatProblem::Kind::Ch10Truncated, 0);
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), left));
        takeBody(bytes.first(count));
        stream_.consume(count);
    }
    return Step::More;
}

Ch10Scan::Step Ch10Scan::startPacket()
{
    switch (readCh10Header(stream_, header_, problem_)) {
    case HeaderRead::End:
        if (packets_ == 0) return refuse(FormatProblem::Kind::Ch10Empty, 0);
        return Step::Done;
    case HeaderRead::Refused: return Step::Refused;
    case HeaderRead::Failed: return fail();
    case HeaderRead::Packet: break;
    }
    ++packets_;
    inBody_ = true;
    bodyIndex_ = 0;
    checksum_ = Ch10DataChecksum(header_.checksumBytes());
    channelWord_ = {};
    storedChecksum_ = {};
    tmatsPacket_ = header_.dataType == kCh10Tmats && !tmatsSeen_;
    tmatsSeen_ = tmatsSeen_ || tmatsPacket_;
    return Step::More;
}

// Body bytes at [bodyIndex_, bodyIndex_ + size): the channel-specific word,
// the checksummed span, the stored checksum and the TMATS text are picked
// out by where they fall.
void Ch10Scan::takeBody(std::span<const std::uint8_t> bytes)
{
    const std::uint64_t start = bodyIndex_, end = start + bytes.size();
    const std::uint64_t summed = header_.bodyBytes() - header_.checksumBytes();
    for (std::uint64_t i = start; i < std::min<std::uint64_t>(end, 4); ++i) channelWord_[i] = bytes[i - start];
    if (start < summed) checksum_.add(bytes.first(static_cast<std::size_t>(std::min(end, summed) - start)));
    for (std::uint64_t i = std::max(start, summed); i < end; ++i) storedChecksum_[i - summed] = bytes[i - start];
    if (tmatsPacket_) {
        const std::uint64_t from = std::max<std::uint64_t>(start, 4), to = std::min<std::uint64_t>(end, header_.dataLength);
        if (from < to) tmats_.feed(bytes.subspan(from - start, to - from));
    }
    bodyIndex_ = end;
}

Ch10Scan::Step Ch10Scan::endPacket()
{
    using Kind = FormatProblem::Kind;
    inBody_ = false;
    const unsigned width = header_.checksumBytes();
    if (width > 0) {
        std::uint32_t stored = 0;
        for (unsigned k = width; k-- > 0;) stored = (stored << 8) | storedChecksum_[k];
        if (stored != checksum_.value()) return refuse(Kind::Ch10DataChecksum, stored);
    }
    const auto [entry, added] = channels_.try_emplace(header_.channel);
    Ch10Channel& channel = entry->second;
    if (added) channel.firstType = header_.dataType;
    ++channel.packets;
    if (header_.dataType != kCh10PcmFormat1) return Step::More;
    if (header_.dataLength < 4) return refuse(Kind::Ch10BadLength, header_.packetLength);
    PcmWord pcm;
    const std::uint32_t word = le32(channelWord_.data());
    if (!decodePcmWord(word, pcm)) return refuse(Kind::Ch10BadPcmMode, word);
    if (!channel.pcmMode) channel.pcmMode = pcm;
    return Step::More;
}

Ch10Scan::Step Ch10Scan::refuse(FormatProblem::Kind kind, std::uint32_t value)
{
    problem_.kind = kind;
    const bool inPacket = kind != FormatProblem::Kind::Ch10Empty;
    problem_.offset = inPacket ? header_.offset : 0;
    problem_.channel = inPacket ? header_.channel : 0;
    problem_.value = value;
    return Step::Refused;
}

Ch10Scan::Step Ch10Scan::fail()
{
    problem_.kind = FormatProblem::Kind::ReadFailed;
    problem_.offset = stream_.offset();
    return Step::Failed;
}

} // namespace morvelan
