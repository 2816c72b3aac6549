// The channel listing: each channel's data type, packet count, PCM mode and
// TMATS frame description, and the line that words an entry.
#include "formats/ch10_channels.h"

#include "formats/ch10_builder.h"
#include "formats/format_test_support.h"

#include <gtest/gtest.h>

using namespace morvelan;
using namespace morvelan::testing;
using Kind = FormatProblem::Kind;

namespace morvelan {
// Failures show an entry as its line.
void PrintTo(const Ch10ChannelListing& entry, std::ostream* os) { *os << ch10ChannelLine(entry); }
} // namespace morvelan

namespace {

Bytes typed(std::uint16_t channel, std::uint8_t dataType, Bytes data = {0, 0, 0, 0})
{
    PacketContent content;
    content.channel = channel;
    content.dataType = dataType;
    content.data = std::move(data);
    return packet(content);
}

Bytes pcm(std::uint16_t channel, std::uint32_t word, std::size_t payload = 4)
{
    Bytes data;
    append32(data, word);
    data.resize(4 + payload, 0x5A);
    return typed(channel, 0x09, data);
}

PcmWord modeOf(PcmWord::Mode mode, bool align32, bool headers) { return {mode, align32, headers}; }

PcmSetup setupOf(std::optional<std::uint32_t> f1, std::optional<std::uint32_t> mf1, std::optional<std::uint32_t> mf2,
                 std::optional<std::uint32_t> mf4, std::optional<std::string> mf5)
{
    return {f1, mf1, mf2, mf4, std::move(mf5)};
}

using M = PcmWord::Mode;
const std::string kSync32 = "11111110011010110010100001000000";

// Channel 3 linked to P-1, channel 8 to P-2 (no sync pattern).
const std::string kLinked = "R-1\\TK1-1:3;R-1\\CDLN-1:A;R-1\\TK1-2:8;R-1\\CDLN-2:B;"
                            "P-1\\DLN:A;P-1\\F1:16;P-1\\MF1:14;P-1\\MF2:224;P-1\\MF4:32;P-1\\MF5:" +
                            kSync32 + ";P-2\\DLN:B;P-2\\F1:10;P-2\\MF4:20;";

struct ListCase {
    const char* name;
    Bytes file;
    std::vector<Ch10ChannelListing> expected;
};

std::vector<ListCase> listCases()
{
    const auto th16 = pcmWord(Mode::Throughput, false, false);
    const auto pk16 = pcmWord(Mode::Packed, false, false);
    const PcmSetup p1 = setupOf(16, 14, 224, 32, kSync32), p2 = setupOf(10, {}, {}, 20, {});
    const Bytes time = typed(1, 0x11), bus = typed(7, 0x19);
    return {
        {"TypesAndCountsInIdOrder",
         join({tmatsPacket(kLinked), pcm(8, th16), time, pcm(3, pk16), bus, pcm(8, th16), time, pcm(3, pk16),
               pcm(8, th16), tmatsPacket("P-1\\F1:99;")}),
         {{0, 0x01, 2, {}, {}},
          {1, 0x11, 2, {}, {}},
          {3, 0x09, 2, modeOf(M::Packed, false, false), p1},
          {7, 0x19, 1, {}, {}},
          {8, 0x09, 3, modeOf(M::Throughput, false, false), p2}}},
        {"EachPcmMode",
         join({pcm(10, pcmWord(Mode::Throughput, false, false)), pcm(11, pcmWord(Mode::Throughput, true, false)),
               pcm(12, pcmWord(Mode::Packed, false, false)), pcm(13, pcmWord(Mode::Packed, true, true)),
               pcm(14, pcmWord(Mode::Unpacked, false, true)), pcm(15, pcmWord(Mode::Unpacked, true, false))}),
         {{10, 0x09, 1, modeOf(M::Throughput, false, false), {}},
          {11, 0x09, 1, modeOf(M::Throughput, true, false), {}},
          {12, 0x09, 1, modeOf(M::Packed, false, false), {}},
          {13, 0x09, 1, modeOf(M::Packed, true, true), {}},
          {14, 0x09, 1, modeOf(M::Unpacked, false, true), {}},
          {15, 0x09, 1, modeOf(M::Unpacked, true, false), {}}}},
        {"FirstPacketGivesTheTypeFirstPcmPacketTheMode",
         join({typed(4, 0x11), pcm(4, pcmWord(Mode::Unpacked, true, true)), typed(4, 0x11), pcm(4, th16)}),
         {{4, 0x11, 4, modeOf(M::Unpacked, true, true), {}}}},
        {"SingleFormatOnlyAgainstPcmChannels",
         join({tmatsPacket("P-1\\DLN:ONLY;P-1\\F1:12;P-1\\MF5:10111;"), typed(2, 0x21), pcm(6, pk16)}),
         {{0, 0x01, 1, {}, {}},
          {2, 0x21, 1, {}, {}},
          {6, 0x09, 1, modeOf(M::Packed, false, false), setupOf(12, {}, {}, {}, "10111")}}},
    };
}

struct Listed {
    ReadStatus status = ReadStatus::More;
    std::vector<Ch10ChannelListing> channels;
    FormatProblem problem;
};

Listed list(std::unique_ptr<ByteSource> source, const std::function<bool()>& keepGoing = {})
{
    Listed r;
    r.channels.push_back({}); // whatever `out` held before goes
    r.status = listCh10Channels(std::move(source), r.channels, r.problem, keepGoing);
    return r;
}

} // namespace

TEST(Ch10Channels, ListsEveryChannel)
{
    for (const auto& c : listCases())
        for (const std::size_t chunk : kChunks) {
            SCOPED_TRACE(::testing::Message() << c.name << " chunk " << chunk);
            const Listed r = list(std::make_unique<MemoryByteSource>(c.file, chunk));
            EXPECT_EQ(r.status, ReadStatus::End);
            EXPECT_EQ(r.problem.kind, Kind::None);
            EXPECT_EQ(r.channels, c.expected);
        }
}

TEST(Ch10Channels, NothingListedFromAFileTheReaderRefuses)
{
    const Bytes good = pcm(1, pcmWord(Mode::Throughput, false, false));
    Bytes badChecksum = good;
    badChecksum[17] ^= 1;
    enum class Source { Memory, FailsAfter, None };
    const struct {
        const char* name;
        Source source;
        Bytes file;
        ReadStatus status;
        Kind kind;
        std::uint64_t offset;
    } cases[] = {
        {"Empty", Source::Memory, {}, ReadStatus::Refused, Kind::Ch10Empty, 0},
        {"HeaderChecksumOfTheSecondPacket", Source::Memory, join({good, badChecksum}), ReadStatus::Refused,
         Kind::Ch10HeaderChecksum, good.size()},
        {"PcmWithoutAMode", Source::Memory, join({good, pcm(2, 0)}), ReadStatus::Refused, Kind::Ch10BadPcmMode,
         good.size()},
        {"ReadFailsAfterAPacket", Source::FailsAfter, good, ReadStatus::Failed, Kind::ReadFailed, good.size()},
        {"NoSource", Source::None, {}, ReadStatus::Failed, Kind::ReadFailed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ByteSource> source;
        if (c.source == Source::Memory) source = std::make_unique<MemoryByteSource>(c.file);
        if (c.source == Source::FailsAfter) source = std::make_unique<FailsAfter>(c.file);
        const Listed r = list(std::move(source));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.problem.kind, c.kind);
        EXPECT_EQ(r.problem.offset, c.offset);
        EXPECT_TRUE(r.channels.empty());
    }
}

TEST(Ch10Channels, CallerStopsBetweenSteps)
{
    // One packet longer than a step, so the file takes two steps at least.
    const Bytes file = join({pcm(5, pcmWord(Mode::Throughput, false, false), kCh10ScanStep), typed(9, 0x11)});
    const std::vector<Ch10ChannelListing> all = {{5, 0x09, 1, modeOf(M::Throughput, false, false), {}},
                                                 {9, 0x11, 1, {}, {}}};
    for (const int stopAt : {0, 1, 2}) {
        SCOPED_TRACE(stopAt);
        int asked = 0;
        const Listed r = list(std::make_unique<MemoryByteSource>(file), [&] { return ++asked != stopAt; });
        if (stopAt == 0) {
            EXPECT_EQ(r.status, ReadStatus::End);
            EXPECT_GE(asked, 2);
            EXPECT_EQ(r.channels, all);
        } else {
            EXPECT_EQ(r.status, ReadStatus::More);
            EXPECT_EQ(asked, stopAt);
            EXPECT_TRUE(r.channels.empty());
        }
    }
}

namespace {

struct LineCase {
    const char* name;
    Ch10ChannelListing entry;
    std::string line;
};

std::vector<LineCase> lineCases()
{
    std::vector<LineCase> cases;
    // One by one: a braced list of these trips a false GCC 12 warning.
    const auto add = [&cases](const char* name, Ch10ChannelListing entry, std::string line) {
        cases.push_back({name, std::move(entry), std::move(line)});
    };
    add("PcmWithEveryTmatsItem",
        {52, 0x09, 1234, modeOf(M::Unpacked, false, true), setupOf(16, 14, 224, 32, kSync32)},
        "52  0x09 PCM  1234 packets  mode=unpacked align=16 iph=yes  frame=224 bits words=14 sync=0xFE6B2840 (32 bits)"
        " word=16 bits");
    add("PcmWithoutTmats", {3, 0x09, 1, modeOf(M::Throughput, true, false), {}},
        "3  0x09 PCM  1 packets  mode=throughput align=32 iph=no");
    add("PatternPaddedToWholeDigits", {7, 0x09, 2, modeOf(M::Packed, true, true), setupOf({}, {}, {}, 5, "10111")},
        "7  0x09 PCM  2 packets  mode=packed align=32 iph=yes  sync=0xB8 (5 bits)");
    add("PatternOfOneBit", {7, 0x09, 2, modeOf(M::Packed, false, false), setupOf({}, {}, {}, {}, "1")},
        "7  0x09 PCM  2 packets  mode=packed align=16 iph=no  sync=0x8 (1 bits)");
    add("SyncLengthWithoutPattern", {8, 0x09, 9, modeOf(M::Throughput, false, false), setupOf(10, {}, {}, 20, {})},
        "8  0x09 PCM  9 packets  mode=throughput align=16 iph=no  sync=20 bits word=10 bits");
    add("FrameBitsAlone", {8, 0x09, 9, modeOf(M::Throughput, false, false), setupOf({}, {}, 40, {}, {})},
        "8  0x09 PCM  9 packets  mode=throughput align=16 iph=no  frame=40 bits");
    add("Tmats", {0, 0x01, 1, {}, {}}, "0  0x01 TMATS  1 packets");
    add("Time", {1, 0x11, 20, {}, {}}, "1  0x11 TIME  20 packets");
    add("PcmFormatZero", {2, 0x08, 1, {}, {}}, "2  0x08 PCM  1 packets");
    add("UserDefined", {2, 0x00, 1, {}, {}}, "2  0x00 COMPUTER  1 packets");
    add("Bus", {65535, 0x1A, UINT64_MAX, {}, {}}, "65535  0x1A 1553  18446744073709551615 packets");
    add("GroupBetween", {4, 0x4A, 3, {}, {}}, "4  0x4A IMAGE  3 packets");
    add("LastGroupNamed", {4, 0x6F, 3, {}, {}}, "4  0x6F ETHERNET  3 packets");
    add("PastTheNamedGroups", {4, 0x70, 3, {}, {}}, "4  0x70 OTHER  3 packets");
    add("HighestType", {4, 0xFF, 3, {}, {}}, "4  0xFF OTHER  3 packets");
    return cases;
}

} // namespace

TEST(Ch10Channels, OneLinePerEntry)
{
    for (const auto& c : lineCases()) EXPECT_EQ(ch10ChannelLine(c.entry), c.line) << c.name;
}
