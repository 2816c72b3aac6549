// Every way a Chapter 10 input is refused: the kind, the packet's offset and
// the value or channel named.
#include "formats/ch10_reader.h"

#include "formats/ch10_builder.h"
#include "formats/format_test_support.h"

#include <gtest/gtest.h>

using namespace morvelan;
using namespace morvelan::testing;
using Kind = FormatProblem::Kind;

namespace {

const std::uint32_t kThroughput = pcmWord(Mode::Throughput, false, false);

Bytes goodPacket(std::uint16_t channel = 1, Checksum checksum = Checksum::None)
{
    PacketContent content;
    content.channel = channel;
    append32(content.data, kThroughput);
    content.data.insert(content.data.end(), {0x34, 0x12, 0x78, 0x56});
    content.checksum = checksum;
    return packet(content);
}

Bytes edited(Bytes file, std::size_t at, std::uint8_t value, bool reseal = false, std::size_t packetAt = 0)
{
    file[at] = value;
    if (reseal) sealHeader(file, packetAt);
    return file;
}

Bytes pcmWith(std::uint32_t word, Bytes payload, std::uint16_t channel = 1)
{
    PacketContent content;
    content.channel = channel;
    append32(content.data, word);
    content.data.insert(content.data.end(), payload.begin(), payload.end());
    return packet(content);
}

struct RefusalCase {
    const char* name;
    Bytes file;
    Ch10Options options;
    Kind kind;
    std::uint64_t offset = 0;
    std::uint32_t value = 0;
    std::uint32_t channel = 0;
};

Ch10Options channel(std::uint16_t id)
{
    Ch10Options o;
    o.channel = id;
    return o;
}

std::vector<RefusalCase> refusalCases()
{
    const Bytes good = goodPacket();
    const std::size_t second = good.size();
    Bytes secondary = [] {
        PacketContent s;
        append32(s.data, kThroughput);
        s.data.insert(s.data.end(), {0, 0});
        s.secondary = true;
        return packet(s);
    }();
    return {
        {"Empty", {}, {}, Kind::Ch10Empty},
        {"NoSyncAtTheStart", edited(good, 1, 0xEA), {}, Kind::Ch10BadSync, 0, 0xEA25},
        {"NoSyncAtTheSecondPacket", join({good, Bytes{'t', 'a', 'i', 'l'}}), {}, Kind::Ch10BadSync, second, 0x6174},
        {"OneStrayByteAfterAPacket", join({good, Bytes{0x00}}), {}, Kind::Ch10BadSync, second, 0},
        {"HeaderCut", join({good, Bytes(good.begin(), good.begin() + 10)}), {}, Kind::Ch10Truncated, second},
        {"BodyCut", Bytes(good.begin(), good.end() - 2), {}, Kind::Ch10Truncated, 0, 0, 1},
        {"SecondaryHeaderCut", Bytes(secondary.begin(), secondary.begin() + 30), {}, Kind::Ch10Truncated, 0, 0, 1},
        {"HeaderChecksum", edited(good, 17, 0x99), {}, Kind::Ch10HeaderChecksum, 0, static_cast<std::uint32_t>(good[22] | (good[23] << 8))},
        {"SecondaryHeaderChecksum", edited(secondary, 26, 0x00), {}, Kind::Ch10SecondaryHeaderChecksum, 0,
         static_cast<std::uint32_t>(secondary[34] | (secondary[35] << 8)), 1},
        {"DataChecksum8", edited(goodPacket(1, Checksum::Sum8), 29, 0x00), {}, Kind::Ch10DataChecksum, 0, (0x34 + 0x12 + 0x78 + 0x56 + 0x10) & 0xFF, 1},
        {"DataChecksum16", join({good, edited(goodPacket(1, Checksum::Sum16), 28, 0x35)}), {}, Kind::Ch10DataChecksum,
         second, (0x0000 + 0x0010 + 0x1234 + 0x5678) & 0xFFFF, 1},
        {"DataChecksum32", edited(goodPacket(1, Checksum::Sum32), 31, 0x57), {}, Kind::Ch10DataChecksum, 0,
         0x00100000u + 0x56781234u, 1},
        {"PacketLengthNotFourBytes", edited(good, 4, static_cast<std::uint8_t>(good.size() + 2), true), {},
         Kind::Ch10BadLength, 0, static_cast<std::uint32_t>(good.size() + 2), 1},
        {"DataLongerThanThePacket", edited(good, 8, 200, true), {}, Kind::Ch10BadLength, 0,
         static_cast<std::uint32_t>(good.size()), 1},
        {"PacketShorterThanItsHeader", edited(edited(good, 4, 20), 5, 0, true), {}, Kind::Ch10BadLength, 0, 20, 1},
        {"PcmWithoutItsWord", [] {
             PacketContent s;
             s.data = {1, 2};
             return packet(s);
         }(),
         {}, Kind::Ch10BadLength, 0, 28, 1},
        {"TwoModes", pcmWith(kThroughput | 1u << 19, {0, 0}, 5), {}, Kind::Ch10BadPcmMode, 0, kThroughput | 1u << 19, 5},
        {"NoMode", join({good, pcmWith(0, {0, 0}, 2)}), {}, Kind::Ch10BadPcmMode, second, 0, 2},
        {"ThroughputHalfWord", pcmWith(kThroughput, {0, 0, 0}), {}, Kind::Ch10PcmLength, 0, 7, 1},
        {"ThroughputHalfWord32", pcmWith(pcmWord(Mode::Throughput, true, false), {0, 0}), {}, Kind::Ch10PcmLength, 0, 6, 1},
        {"FramesNotWhole", pcmWith(pcmWord(Mode::Packed, false, true), Bytes(10 + 4 + 2, 0)), [] {
             Ch10Options o;
             o.setup = PcmSetup{};
             o.setup->frameBits = 20;
             return o;
         }(),
         Kind::Ch10PcmLength, 0, 20, 1},
        {"FrameSizeUnknown", join({good, pcmWith(pcmWord(Mode::Packed, false, true), Bytes(14, 0))}), {},
         Kind::Ch10FrameSizeUnknown, second, pcmWord(Mode::Packed, false, true), 1},
        {"UnpackedWithoutWordLength", pcmWith(pcmWord(Mode::Unpacked, false, true), Bytes(14, 0)), [] {
             Ch10Options o;
             o.setup = PcmSetup{};
             o.setup->frameBits = 32; // enough for packed frames, not for unpacked ones
             return o;
         }(),
         Kind::Ch10FrameSizeUnknown, 0, pcmWord(Mode::Unpacked, false, true), 1},
        {"NoPcmChannel", tmatsPacket("G\\PN:none;"), {}, Kind::Ch10NoPcmChannel},
        {"ChannelMissing", join({tmatsPacket("G\\PN:x;"), good}), channel(9), Kind::Ch10ChannelMissing, 0, 0, 9},
        {"ChannelNotPcm", join({tmatsPacket("G\\PN:x;"), good}), channel(0), Kind::Ch10ChannelNotPcm, 0, 0x01, 0},
    };
}

} // namespace

TEST(Ch10Refusal, EveryKind)
{
    for (const auto& c : refusalCases())
        for (const std::size_t chunk : kChunks) {
            SCOPED_TRACE(::testing::Message() << c.name << " chunk " << chunk);
            const Bytes& file = c.file;
            auto reader =
                makeCh10Reader([&file, chunk] { return std::make_unique<MemoryByteSource>(file, chunk); }, c.options);
            const ReadResult r = readAll(*reader, 7);
            EXPECT_EQ(r.status, ReadStatus::Refused);
            EXPECT_EQ(r.problem.kind, c.kind);
            EXPECT_EQ(r.problem.offset, c.offset);
            EXPECT_EQ(r.problem.value, c.value);
            EXPECT_EQ(r.problem.channel, c.channel);
        }
}

TEST(Ch10Refusal, ReadFailures)
{
    const Bytes good = goodPacket();
    // The first pass fails in a packet or at one's start, or the second pass
    // does, or no source can be opened at all.
    const Bytes cut(good.begin(), good.begin() + 28);
    int opened = 0;
    auto failsSecond = makeCh10Reader([&] {
        return ++opened == 1 ? std::unique_ptr<ByteSource>(std::make_unique<MemoryByteSource>(good))
                             : std::unique_ptr<ByteSource>(std::make_unique<FailingSource>(0));
    });
    for (auto* reader : {makeCh10Reader([&] { return std::make_unique<FailsAfter>(cut); }).release(),
                         makeCh10Reader([&] { return std::make_unique<FailsAfter>(good); }).release(),
                         failsSecond.release(), makeCh10Reader([] { return nullptr; }).release(),
                         makeCh10Reader({}).release()}) {
        const std::unique_ptr<Ch10Reader> owned(reader);
        const ReadResult r = readAll(*owned, 16);
        EXPECT_EQ(r.status, ReadStatus::Failed);
        EXPECT_EQ(r.problem.kind, Kind::ReadFailed);
        EXPECT_TRUE(r.bits.empty());
    }
}
