// The bits of each PCM mode, against expectations written from the
// standard's layout (literal bytes, or words stored by the test builder).
#include "formats/ch10_reader.h"

#include "formats/ch10_builder.h"
#include "formats/format_test_support.h"

#include <gtest/gtest.h>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

Bytes pcmPacket(std::uint16_t channel, std::uint32_t word, const Bytes& payload, Checksum checksum = Checksum::None,
                bool secondary = false)
{
    PacketContent content;
    content.channel = channel;
    append32(content.data, word);
    content.data.insert(content.data.end(), payload.begin(), payload.end());
    content.checksum = checksum;
    content.secondary = secondary;
    return packet(content);
}

Bytes framesWithHeaders(std::initializer_list<Bytes> frames, unsigned wordBytes, std::uint64_t firstTime = 100)
{
    Bytes out;
    std::uint64_t time = firstTime;
    for (const auto& f : frames) {
        const Bytes h = intraHeader(time++, wordBytes);
        out.insert(out.end(), h.begin(), h.end());
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

PcmSetup frameBits(std::uint32_t bits)
{
    PcmSetup s;
    s.frameBits = bits;
    return s;
}

PcmSetup wordsOf(std::uint32_t wordBits, std::uint32_t words, std::uint32_t syncBits)
{
    PcmSetup s;
    s.wordBits = wordBits;
    s.frameWords = words;
    s.syncBits = syncBits;
    return s;
}

Ch10Options with(PcmSetup setup)
{
    Ch10Options o;
    o.setup = setup;
    return o;
}

struct Read {
    ReadResult result;
    int channel = -1;
    PcmSetup setup;
};

Read readCh10(const Bytes& file, const Ch10Options& options, std::size_t step, std::size_t chunk = SIZE_MAX)
{
    auto reader = makeCh10Reader([&file, chunk] { return std::make_unique<MemoryByteSource>(file, chunk); }, options);
    Read r;
    r.result = readAll(*reader, step);
    r.channel = reader->channel();
    r.setup = reader->setup();
    return r;
}

struct ModeCase {
    const char* name;
    Bytes file;
    Ch10Options options;
    std::string bits;
};

// Two 20-bit minor frames, and each stored as a packed frame: two 16-bit
// words, padded at the end.
const std::string kFrameA = "11110000101001011100", kFrameB = "00110011001100110011";
const std::string kPad12(12, '0');

std::vector<ModeCase> modeCases()
{
    const auto th16 = pcmWord(Mode::Throughput, false, false), th32 = pcmWord(Mode::Throughput, true, false);
    const auto pk16 = pcmWord(Mode::Packed, false, false), pk16h = pcmWord(Mode::Packed, false, true);
    const auto pk32h = pcmWord(Mode::Packed, true, true);
    const auto up16 = pcmWord(Mode::Unpacked, false, false), up16h = pcmWord(Mode::Unpacked, false, true);
    const auto up32h = pcmWord(Mode::Unpacked, true, true);
    const Bytes frameA = storeBits(kFrameA + kPad12, 2), frameB = storeBits(kFrameB + kPad12, 2);
    // 40-bit frames in 32-bit words: 0x12345678 then 0x9A and 24 bits of padding.
    const Bytes frame40 = {0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x9A};
    const std::string bits40 = bitsOf(0x12345678, 32) + bitsOf(0x9A, 8);
    // Unpacked 12-bit words and a 24-bit sync: every piece in its own word.
    const std::string slots16 = bitsOf(0x00FA, 16) + bitsOf(0xF320, 16) + bitsOf(0x0ABC, 16) + bitsOf(0x0123, 16);
    const std::string slots32 = bitsOf(0x00FAF320, 32) + bitsOf(0x00000ABC, 32) + bitsOf(0x00000123, 32);
    const std::string run = bitsOf(0x0A0B, 16) + bitsOf(0x0C0D, 16);
    return {
        {"Throughput16", pcmPacket(1, th16, {0x34, 0x12, 0xCD, 0xAB}), {}, bitsOf(0x1234, 16) + bitsOf(0xABCD, 16)},
        {"Throughput32", pcmPacket(1, th32, {0x78, 0x56, 0x34, 0x12}), {}, bitsOf(0x12345678, 32)},
        {"ThroughputIgnoresHeaderFlag", pcmPacket(1, th16 | 1u << 30, {0x34, 0x12}), {}, bitsOf(0x1234, 16)},
        {"PackedDropsPadding", pcmPacket(1, pk16, {0xA5, 0xF0, 0x00, 0xC0}), with(frameBits(20)), kFrameA},
        {"PackedFrameFromWords", join({pcmPacket(1, pk16, join({frameA, frameB}))}), with(wordsOf(4, 5, 4)),
         kFrameA + kFrameB},
        {"PackedWithoutSetupKeepsPadding", pcmPacket(1, pk16, frameA), {}, kFrameA + kPad12},
        {"PackedHeaders16", pcmPacket(1, pk16h, framesWithHeaders({frameA, frameB}, 2)), with(frameBits(20)),
         kFrameA + kFrameB},
        {"PackedHeaders32", pcmPacket(1, pk32h, framesWithHeaders({frame40, frame40}, 4)), with(frameBits(40)),
         bits40 + bits40},
        {"UnpackedHeaders16", pcmPacket(1, up16h, framesWithHeaders({storeBits(slots16, 2)}, 2)),
         with(wordsOf(12, 3, 24)), slots16},
        {"UnpackedHeaders32", pcmPacket(1, up32h, framesWithHeaders({storeBits(slots32, 4)}, 4)),
         with(wordsOf(12, 3, 24)), slots32},
        {"UnpackedWithoutHeaders", pcmPacket(1, up16, {0x0B, 0x0A, 0x0D, 0x0C}), {}, run},
        {"EveryChecksumWidth",
         join({pcmPacket(1, th16, {0x34, 0x12}, Checksum::Sum8), pcmPacket(1, th16, {0x78, 0x56}, Checksum::Sum16),
               pcmPacket(1, th16, {0xBC, 0x9A}, Checksum::Sum32)}),
         {}, bitsOf(0x12345678, 32) + bitsOf(0x9ABC, 16)},
        {"FillerIsSummed", [&] {
             PacketContent s;
             s.channel = 1;
             append32(s.data, th16);
             s.data.insert(s.data.end(), {0x34, 0x12});
             s.checksum = Checksum::Sum32; // two bytes of filler before it
             s.filler = 0xFF;
             return packet(s);
         }(),
         {}, bitsOf(0x1234, 16)},
        {"SecondaryHeaders",
         join({pcmPacket(1, th16, {0x34, 0x12}, Checksum::Sum16, true), [&] {
                   PacketContent s;
                   s.channel = 1;
                   append32(s.data, th16);
                   s.data.insert(s.data.end(), {0x78, 0x56});
                   s.secondary = s.secondaryByteSum = true;
                   return packet(s);
               }()}),
         {}, bitsOf(0x12345678, 32)},
    };
}

} // namespace

TEST(Ch10Reader, EveryPcmMode)
{
    for (const auto& c : modeCases())
        for (const std::size_t chunk : kChunks)
            for (const std::size_t step : kSteps) {
                SCOPED_TRACE(::testing::Message() << c.name << " chunk " << chunk << " step " << step);
                const Read r = readCh10(c.file, c.options, step, chunk);
                EXPECT_EQ(r.result.status, ReadStatus::End);
                EXPECT_EQ(r.result.bits, c.bits);
                EXPECT_EQ(r.channel, 1);
            }
}

TEST(Ch10Reader, MinorFramesJoinedInFileOrderAcrossChannels)
{
    const auto th = pcmWord(Mode::Throughput, false, false);
    const auto pk = pcmWord(Mode::Packed, false, true);
    const Bytes frameA = storeBits(kFrameA + kPad12, 2), frameB = storeBits(kFrameB + kPad12, 2);
    // Channel 7 interleaved with channel 3; the time stamps of channel 7 run
    // backwards, which changes nothing: packets are taken as they come.
    const Bytes file = join({
        pcmPacket(7, pk, framesWithHeaders({frameB}, 2, 900)),
        pcmPacket(3, th, {0x01, 0x00}),
        pcmPacket(7, pk, framesWithHeaders({frameA, frameB}, 2, 500)),
        pcmPacket(3, th, {0x02, 0x00}),
        pcmPacket(7, pk, framesWithHeaders({frameA}, 2, 100)),
    });
    const Read lowest = readCh10(file, with(frameBits(20)), 5);
    EXPECT_EQ(lowest.result.status, ReadStatus::End);
    EXPECT_EQ(lowest.channel, 3);
    EXPECT_EQ(lowest.result.bits, bitsOf(1, 16) + bitsOf(2, 16));
    Ch10Options seven = with(frameBits(20));
    seven.channel = 7;
    const Read chosen = readCh10(file, seven, 5);
    EXPECT_EQ(chosen.result.status, ReadStatus::End);
    EXPECT_EQ(chosen.channel, 7);
    EXPECT_EQ(chosen.result.bits, kFrameB + kFrameA + kFrameB + kFrameA);
}

TEST(Ch10Reader, OtherDataTypesAreSkipped)
{
    PacketContent time;
    time.channel = 1;
    time.dataType = 0x11;
    time.data = Bytes(16, 0xEE);
    const Bytes file = join({tmatsPacket("G\\PN:x;"), packet(time), pcmPacket(2, pcmWord(Mode::Throughput, false, false),
                                                                              {0xFF, 0x00})});
    const Read r = readCh10(file, {}, 100);
    EXPECT_EQ(r.result.status, ReadStatus::End);
    EXPECT_EQ(r.channel, 2);
    EXPECT_EQ(r.result.bits, bitsOf(0x00FF, 16));
}

TEST(Ch10Reader, ChannelUnknownBeforeTheFirstPass)
{
    const Bytes file = pcmPacket(4, pcmWord(Mode::Throughput, false, false), {0x34, 0x12});
    auto reader = makeCh10Reader([&file] { return std::make_unique<MemoryByteSource>(file); });
    EXPECT_EQ(reader->channel(), -1);
    std::vector<std::uint8_t> out;
    while (reader->read(out, 4) == ReadStatus::More && out.empty()) {
    }
    EXPECT_EQ(reader->channel(), 4);
}
