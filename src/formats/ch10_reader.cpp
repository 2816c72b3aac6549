#include "formats/ch10_reader.h"

#include "formats/ch10_packet.h"
#include "formats/ch10_pcm.h"
#include "formats/ch10_scan.h"
#include "formats/chunk_stream.h"
#include "formats/pending_bits.h"

namespace morvelan {

namespace {

using Kind = FormatProblem::Kind;

class Ch10FileReader final : public Ch10Reader {
public:
    Ch10FileReader(ByteSourceOpener open, Ch10Options options)
        : open_(std::move(open)), options_(std::move(options))
    {
    }

    ReadStatus read(std::vector<std::uint8_t>& out, std::size_t maxBits) override
    {
        if (status_ != ReadStatus::More) return status_;
        const std::size_t limit = bitLimit(out, maxBits);
        pending_.drain(out, limit);
        if (!pending_.empty()) return ReadStatus::More;
        if (!stream_) return scanStep();
        while (out.size() < limit) {
            const ReadStatus step = decodeStep(out, limit);
            if (step != ReadStatus::More) return status_ = step;
        }
        pending_.holdExcess(out, limit);
        return ReadStatus::More;
    }

    const FormatProblem& problem() const override { return problem_; }
    int channel() const override { return channel_; }
    const PcmSetup& setup() const override { return setup_; }

private:
    enum class State { Header, Data, Skip };

    ReadStatus scanStep();
    ReadStatus chooseChannel();
    ReadStatus decodeStep(std::vector<std::uint8_t>& out, std::size_t limit);
    ReadStatus startPacket();
    ReadStatus cut();

    ReadStatus refuse(Kind kind, std::uint32_t value)
    {
        problem_.kind = kind;
        problem_.offset = header_.offset;
        problem_.channel = header_.channel;
        problem_.value = value;
        return status_ = ReadStatus::Refused;
    }

    ByteSourceOpener open_;
    Ch10Options options_;
    std::unique_ptr<Ch10Scan> scan_;
    std::unique_ptr<ChunkStream> stream_;
    PcmSetup setup_;
    PcmDecoder decoder_;
    PendingBits pending_;
    FormatProblem problem_;
    Ch10Header header_;
    State state_ = State::Header;
    std::uint64_t skipLeft_ = 0;
    int channel_ = -1;
    ReadStatus status_ = ReadStatus::More;
};

std::unique_ptr<ByteSource> openSource(const ByteSourceOpener& open) { return open ? open() : nullptr; }

ReadStatus Ch10FileReader::scanStep()
{
    if (!scan_) scan_ = std::make_unique<Ch10Scan>(openSource(open_));
    switch (scan_->step(kCh10ScanStep)) {
    case Ch10Scan::Step::More: return ReadStatus::More;
    case Ch10Scan::Step::Refused: problem_ = scan_->problem(); return status_ = ReadStatus::Refused;
    case Ch10Scan::Step::Failed: problem_ = scan_->problem(); return status_ = ReadStatus::Failed;
    case Ch10Scan::Step::Done: break;
    }
    return chooseChannel();
}

ReadStatus Ch10FileReader::chooseChannel()
{
    const auto& channels = scan_->channels();
    int chosen = -1;
    if (options_.channel) {
        problem_.channel = *options_.channel;
        const auto found = channels.find(*options_.channel);
        if (found == channels.end()) problem_.kind = Kind::Ch10ChannelMissing;
        else if (!found->second.pcmMode)
            problem_.kind = Kind::Ch10ChannelNotPcm, problem_.value = found->second.firstType;
        else chosen = *options_.channel;
    } else {
        for (const auto& [id, info] : channels)
            if (info.pcmMode) {
                chosen = id;
                break;
            }
        if (chosen < 0) problem_.kind = Kind::Ch10NoPcmChannel;
    }
    if (chosen < 0) return status_ = ReadStatus::Refused;
    channel_ = chosen;
    setup_ = options_.setup ? *options_.setup : scan_->tmats().setupFor(static_cast<std::uint16_t>(chosen));
    scan_.reset();
    stream_ = std::make_unique<ChunkStream>(openSource(open_));
    return ReadStatus::More;
}

ReadStatus Ch10FileReader::decodeStep(std::vector<std::uint8_t>& out, std::size_t limit)
{
    switch (state_) {
    case State::Header:
        switch (readCh10Header(*stream_, header_, problem_)) {
        case HeaderRead::End: return ReadStatus::End;
        case HeaderRead::Refused: return ReadStatus::Refused;
        case HeaderRead::Failed: return cut();
        case HeaderRead::Packet: break;
        }
        if (header_.channel == channel_ && header_.dataType == kCh10PcmFormat1) return startPacket();
        skipLeft_ = header_.bodyBytes();
        state_ = State::Skip;
        return ReadStatus::More;
    case State::Data:
        switch (decoder_.decode(*stream_, out, limit)) {
        case PcmDecoder::Result::OutFull: return ReadStatus::More;
        case PcmDecoder::Result::InputEnded: return cut();
        case PcmDecoder::Result::Done: break;
        }
        skipLeft_ = header_.bodyBytes() - header_.dataLength;
        state_ = State::Skip;
        return ReadStatus::More;
    case State::Skip:
        if (stream_->skip(skipLeft_) < skipLeft_) return cut();
        state_ = State::Header;
        return ReadStatus::More;
    }
    return ReadStatus::More;
}

ReadStatus Ch10FileReader::startPacket()
{
    if (header_.dataLength < 4) return refuse(Kind::Ch10BadLength, header_.packetLength);
    const auto word = stream_->ensure(4);
    if (word.size() < 4) return cut();
    const std::uint32_t value = le32(word.data());
    stream_->consume(4);
    PcmWord pcm;
    if (!decodePcmWord(value, pcm)) return refuse(Kind::Ch10BadPcmMode, value);
    PcmLayout layout;
    const std::uint32_t dataBytes = header_.dataLength - 4;
    const Kind kind = pcmLayout(pcm, setup_, dataBytes, layout);
    if (kind != Kind::None) return refuse(kind, kind == Kind::Ch10PcmLength ? header_.dataLength : value);
    decoder_.start(layout, dataBytes);
    state_ = State::Data;
    return ReadStatus::More;
}

// The input ended inside a packet or could not be read.
ReadStatus Ch10FileReader::cut()
{
    if (!stream_->failed()) return refuse(Kind::Ch10Truncated, 0);
    problem_.kind = Kind::ReadFailed;
    problem_.offset = stream_->offset();
    return status_ = ReadStatus::Failed;
}

} // namespace

std::unique_ptr<Ch10Reader> makeCh10Reader(ByteSourceOpener open, Ch10Options options)
{
    return std::make_unique<Ch10FileReader>(std::move(open), std::move(options));
}

} // namespace morvelan
