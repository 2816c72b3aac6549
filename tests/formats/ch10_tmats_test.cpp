// The TMATS setup record: the PCM frame description linked to a channel.
#include "formats/ch10_reader.h"
#include "formats/ch10_tmats.h"

#include "formats/ch10_builder.h"
#include "formats/format_test_support.h"

#include <gtest/gtest.h>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

PcmSetup setupOf(std::optional<std::uint32_t> f1, std::optional<std::uint32_t> mf1, std::optional<std::uint32_t> mf2,
                 std::optional<std::uint32_t> mf4, std::optional<std::string> mf5 = {})
{
    return {f1, mf1, mf2, mf4, mf5};
}

const std::string kSync32 = "11111110011010110010100001000000";
const std::string kSync64 = kSync32 + "00011010110011111100101101000111";

// Two recorder data sources (channels 3 and 5) linked by name to two PCM
// formats listed in the other order; attributes split over lines, with
// spaces, a comment and codes of no interest.
const std::string kTwoFormats =
    "G\\PN:FLIGHT 12;\r\nG\\106:07;\r\n"
    "R-1\\ID:REC;\r\nR-1\\N:2;\r\n"
    "R-1\\DSI-1:PCM-A;\r\nR-1\\TK1-1:3;\r\nR-1\\CDT-1:PCMIN;\r\nR-1\\CDLN-1:LINK-A;\r\n"
    "R-1\\DSI-2:PCM-B;\r\nR-1\\TK1-2: 5 ;\r\nR-1\\CDT-2:PCMIN;\r\nR-1\\CDLN-2:LINK-B;\r\n"
    "COMMENT:frames: see below;\r\n"
    "P-1\\DLN:LINK-B;\r\nP-1\\F1:16;\r\nP-1\\MF1:64;\r\nP-1\\MF2:1024;\r\nP-1\\MF4:32;\r\n"
    "P-1\\MF5:" + kSync32 + ";\r\nP-1\\MF\\N:4;\r\n"
    "P-2\\DLN:LINK-A;\nP-2\\F1:12;\nP-2\\MF1:3;\nP-2\\MF2:\n  40;\nP-2\\MF4:16;\n";

struct LinkCase {
    const char* name;
    std::string text;
    std::uint16_t channel;
    PcmSetup expected;
};

const LinkCase kLinks[] = {
    {"ByLinkName", kTwoFormats, 3, setupOf(12, 3, 40, 16)},
    {"OtherChannel", kTwoFormats, 5, setupOf(16, 64, 1024, 32, kSync32)},
    {"UnknownChannelOfTwoFormats", kTwoFormats, 4, {}},
    {"OlderLinkCode", "R-1\\TK1-1:8;R-1\\PDLN-1:OLD;P-1\\DLN:NEW;P-1\\F1:10;P-2\\DLN:OLD;P-2\\F1:8;", 8,
     setupOf(8, {}, {}, {})},
    {"SingleFormatWithoutLink", "P-1\\DLN:ONLY;P-1\\F1:14;P-1\\MF2:300;", 9, setupOf(14, {}, 300, {})},
    {"NotANumber", "P-1\\F1:twelve;P-1\\MF1:-3;P-1\\MF2:12x;P-1\\MF4:99999999999;", 1, {}},
    {"OverlongValueIgnored", "P-1\\F1:" + std::string(500, '1') + ";P-1\\MF1:7;", 1, setupOf({}, 7, {}, {})},
    {"SyncPatternAlone", "P-1\\MF5: 101 ;", 1, setupOf({}, {}, {}, {}, "101")},
    {"SyncPatternOf64Bits", "P-1\\MF4:64;P-1\\MF5:" + kSync64 + ";", 1, setupOf({}, {}, {}, 64, kSync64)},
    {"SyncPatternOver64BitsIgnored", "P-1\\MF4:65;P-1\\MF5:" + kSync64 + "1;", 1, setupOf({}, {}, {}, 65)},
    {"SyncPatternWithFreeBitsIgnored", "P-1\\MF4:8;P-1\\MF5:1110XX01;", 1, setupOf({}, {}, {}, 8)},
    {"SyncPatternWithSpacesIgnored", "P-1\\MF5:1110 0101;", 1, {}},
    {"SyncPatternEmptyIgnored", "P-1\\MF5:;P-1\\F1:8;", 1, setupOf(8, {}, {}, {})},
    {"Empty", "", 1, {}},
};

} // namespace

TEST(Tmats, SetupLinkedToAChannel)
{
    for (const auto& c : kLinks)
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, c.text.size() + 1}) {
            SCOPED_TRACE(::testing::Message() << c.name << " piece " << piece);
            TmatsParser parser;
            const auto bytes = bytesOf(c.text);
            for (std::size_t at = 0; at < bytes.size(); at += piece)
                parser.feed(std::span(bytes).subspan(at, std::min(piece, bytes.size() - at)));
            EXPECT_EQ(parser.setupFor(c.channel), c.expected);
        }
}

TEST(Tmats, ReaderUsesTheRecordForItsChannelAndExposesIt)
{
    // Channel 3 is packed with intra-packet headers: only the 40-bit frame
    // length of its own format (LINK-A) separates its frames right.
    // Three 16-bit words: 1234 5678 9A00, the last byte padding.
    const Bytes frame = {0x34, 0x12, 0x78, 0x56, 0x00, 0x9A};
    const std::string bits = bitsOf(0x12345678, 32) + bitsOf(0x9A, 8);
    PacketContent pcm;
    pcm.channel = 3;
    append32(pcm.data, pcmWord(Mode::Packed, false, true));
    for (int k = 0; k < 2; ++k) {
        const Bytes h = intraHeader(k, 2);
        pcm.data.insert(pcm.data.end(), h.begin(), h.end());
        pcm.data.insert(pcm.data.end(), frame.begin(), frame.end());
    }
    const Bytes file = join({tmatsPacket(kTwoFormats), packet(pcm)});
    auto reader = makeCh10Reader([&file] { return std::make_unique<MemoryByteSource>(file, 3); });
    const ReadResult r = readAll(*reader, 9);
    EXPECT_EQ(r.status, ReadStatus::End);
    EXPECT_EQ(r.bits, bits + bits);
    EXPECT_EQ(reader->setup(), setupOf(12, 3, 40, 16));

    // The caller's description wins over the record.
    Ch10Options options;
    options.setup = setupOf({}, {}, 48, {});
    auto told = makeCh10Reader([&file] { return std::make_unique<MemoryByteSource>(file); }, options);
    const ReadResult t = readAll(*told, 64);
    EXPECT_EQ(t.status, ReadStatus::End);
    EXPECT_EQ(t.bits, bits + "00000000" + bits + "00000000");
    EXPECT_EQ(told->setup(), *options.setup);
}

TEST(Tmats, OnlyTheFirstRecordCounts)
{
    PacketContent pcm;
    pcm.channel = 2;
    append32(pcm.data, pcmWord(Mode::Throughput, false, false));
    pcm.data.insert(pcm.data.end(), {0, 0});
    const Bytes file =
        join({tmatsPacket("P-1\\F1:10;"), packet(pcm), tmatsPacket("P-1\\F1:11;P-1\\MF1:5;"), packet(pcm)});
    auto reader = makeCh10Reader([&file] { return std::make_unique<MemoryByteSource>(file); });
    EXPECT_EQ(readAll(*reader, 64).status, ReadStatus::End);
    EXPECT_EQ(reader->setup(), setupOf(10, {}, {}, {}));
}
