// The extraction file's three formats, written from known frames.
#include "files/frame_output.h"

#include <gtest/gtest.h>

using namespace morvelan;

namespace {

struct Written {
    std::string bytes;
    std::vector<std::size_t> blocks; // size of each write
};

std::vector<std::uint8_t> bitsOf(std::string_view text)
{
    std::vector<std::uint8_t> bits;
    for (const char c : text) bits.push_back(c == '1');
    return bits;
}

// Two frames of 20 bits (sync 1010 1100) in one segment, the second
// inverted in the capture and slipped by -1.
Written writeFrames(ExtractFormat format, int wordBits)
{
    Written w;
    auto out = FrameOutput::make(format, wordBits, [&w](std::string_view b) {
        w.bytes += b;
        w.blocks.push_back(b.size());
        return true;
    });
    SyncedFrame f;
    f.bit = 7;
    out->frame(f, bitsOf("10101100111100001111"));
    f.frame = 1, f.bit = 26, f.errors = 1, f.slip = -1, f.inverted = true;
    out->frame(f, bitsOf("10101100000000000001"));
    SyncSegment s;
    s.startBit = 7, s.endBit = 46, s.format = {20, "10101100"}, s.frames = 2, s.slips = 1;
    out->segment(s);
    std::vector<WordStatistic> words{{0, WordKind::Sync, 0xAC, 0}, {1, WordKind::Other, std::nullopt, 0},
                                     {2, WordKind::Counter, std::nullopt, 4}};
    EXPECT_TRUE(out->finish(words, MajorFrame{4, 2, wordBits}));
    return w;
}

TEST(FrameOutput, CsvHasOneRowPerFrameWithItsWordsInHex)
{
    EXPECT_EQ(writeFrames(ExtractFormat::Csv, 8).bytes, "frame,bit,segment,errors,slip,polarity,data\n"
                                                        "0,7,0,0,0,normal,AC F0 F0\n"
                                                        "1,26,0,1,-1,inverted,AC 00 10\n");
    // Words of 6 bits: two hex digits each, the last word padded with zero bits.
    EXPECT_EQ(writeFrames(ExtractFormat::Csv, 6).bytes, "frame,bit,segment,errors,slip,polarity,data\n"
                                                        "0,7,0,0,0,normal,2B 0F 03 30\n"
                                                        "1,26,0,1,-1,inverted,2B 00 00 10\n");
}

TEST(FrameOutput, BinPutsTheFramesBackToBackEachPaddedToWholeBytes)
{
    EXPECT_EQ(writeFrames(ExtractFormat::Bin, 8).bytes, std::string("\xAC\xF0\xF0\xAC\x00\x10", 6));
}

TEST(FrameOutput, JsonHoldsFramesSegmentsMajorFrameAndWords)
{
    EXPECT_EQ(writeFrames(ExtractFormat::Json, 8).bytes,
              "{\"frames\": [\n"
              "{\"frame\": 0, \"bit\": 7, \"segment\": 0, \"errors\": 0, \"slip\": 0, \"polarity\": \"normal\", \"data\": \"ACF0F\"},\n"
              "{\"frame\": 1, \"bit\": 26, \"segment\": 0, \"errors\": 1, \"slip\": -1, \"polarity\": \"inverted\", \"data\": \"AC001\"}\n"
              "],\n\"segments\": [\n"
              "{\"startBit\": 7, \"endBit\": 46, \"interval\": 20, \"sync\": \"AC\", \"name\": null, \"polarity\": \"normal\", "
              "\"frames\": 2, \"slips\": 1, \"lost\": 0}\n"
              "],\n\"majorFrame\": {\"length\": 4, \"counterWord\": 2, \"wordBits\": 8},\n\"words\": [\n"
              "{\"word\": 0, \"kind\": \"sync\", \"value\": \"AC\"},\n{\"word\": 1, \"kind\": \"other\"},\n"
              "{\"word\": 2, \"kind\": \"counter\"}\n]}\n");
}

TEST(FrameOutput, NoFrameGivesEmptyListsAndNoMajorFrame)
{
    std::string json;
    auto out = FrameOutput::make(ExtractFormat::Json, 8, [&json](std::string_view b) { json += b; return true; });
    EXPECT_TRUE(out->finish({}, std::nullopt));
    EXPECT_EQ(json, "{\"frames\": [],\n\"segments\": [],\n\"majorFrame\": null,\n\"words\": []}\n");
}

// Many frames go out in blocks of whole records, never a record cut in two.
TEST(FrameOutput, RecordsAreWrittenWholeInBlocks)
{
    Written w;
    auto out = FrameOutput::make(ExtractFormat::Csv, 8, [&w](std::string_view b) {
        w.bytes += b;
        w.blocks.push_back(b.size());
        return true;
    });
    const std::vector<std::uint8_t> bits(1024, 1);
    SyncedFrame f;
    for (f.frame = 0; f.frame < 500; ++f.frame) out->frame(f, bits);
    ASSERT_TRUE(out->finish({}, std::nullopt));
    ASSERT_GT(w.blocks.size(), 2u);
    std::size_t at = 0;
    for (const std::size_t size : w.blocks) {
        at += size;
        EXPECT_EQ(w.bytes[at - 1], '\n');
    }
}

TEST(FrameOutput, AFailedWriteIsReportedAtTheEnd)
{
    auto out = FrameOutput::make(ExtractFormat::Bin, 8, [](std::string_view) { return false; });
    out->frame({}, bitsOf("1111"));
    EXPECT_FALSE(out->finish({}, std::nullopt));
}

TEST(FrameOutput, TheFormatFollowsTheExtensionUnlessNamed)
{
    struct Case {
        std::string_view path;
        ExtractFormat format;
    };
    for (const Case c : {Case{"f.json", ExtractFormat::Json}, Case{"F.JSON", ExtractFormat::Json},
                         Case{"f.bin", ExtractFormat::Bin}, Case{"f.csv", ExtractFormat::Csv},
                         Case{"f.txt", ExtractFormat::Csv}, Case{"json", ExtractFormat::Csv}})
        EXPECT_EQ(extractFormatForPath(c.path), c.format) << c.path;
    EXPECT_EQ(parseExtractFormat("bin"), ExtractFormat::Bin);
    EXPECT_FALSE(parseExtractFormat("xml"));
}

} // namespace
