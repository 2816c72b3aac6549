// What the word statistics make of frames whose words are known.
#include "analysis/frame_words.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace morvelan;

namespace {

void putWord(std::vector<std::uint8_t>& bits, std::size_t word, std::uint64_t value, int wordBits)
{
    for (int k = 0; k < wordBits; ++k)
        bits[word * static_cast<std::size_t>(wordBits) + static_cast<std::size_t>(k)] = (value >> (wordBits - 1 - k)) & 1;
}

// Frames of twelve 8-bit words: a 32-bit sync, a counter 0..`period`-1, a
// constant, random data, a slow sine, a word that toggles between 00 and FF,
// and four more random words.
std::vector<std::uint8_t> frameBits(std::int64_t k, std::mt19937& rng, std::uint64_t period)
{
    std::vector<std::uint8_t> bits(96, 0);
    const std::uint64_t sync[] = {0x1A, 0xCF, 0xFC, 0x1D};
    for (std::size_t w = 0; w < 4; ++w) putWord(bits, w, sync[w], 8);
    putWord(bits, 4, static_cast<std::uint64_t>(k) % period, 8);
    putWord(bits, 5, 0x5A, 8);
    putWord(bits, 6, rng() & 0xFF, 8);
    putWord(bits, 7, static_cast<std::uint64_t>(128 + std::lround(40 * std::sin(static_cast<double>(k) / 16))), 8);
    putWord(bits, 8, k % 2 ? 0xFF : 0x00, 8);
    for (std::size_t w = 9; w < 12; ++w) putWord(bits, w, rng() & 0xFF, 8);
    return bits;
}

TEST(FrameWords, EachKindOfWordIsToldApartAndTheCounterGivesTheMajorFrame)
{
    for (const std::uint64_t period : {4u, 16u, 64u}) {
        SCOPED_TRACE(period);
        FrameWordStatistics stats(8);
        std::mt19937 rng(static_cast<unsigned>(period));
        for (std::int64_t k = 0; k < 400; ++k) {
            SyncedFrame f;
            f.frame = k;
            stats.add(f, frameBits(k, rng, period), 32);
        }
        const auto words = stats.words();
        ASSERT_EQ(words.size(), 12u);
        const WordKind expected[] = {WordKind::Sync,     WordKind::Sync,   WordKind::Sync,  WordKind::Sync,
                                     WordKind::Counter,  WordKind::Constant, WordKind::Random, WordKind::Slow,
                                     WordKind::Other,    WordKind::Random, WordKind::Random, WordKind::Random};
        for (std::size_t w = 0; w < words.size(); ++w) EXPECT_EQ(words[w].kind, expected[w]) << "word " << w;
        EXPECT_EQ(words[0].value, 0x1Au);
        EXPECT_EQ(words[3].value, 0x1Du);
        EXPECT_EQ(words[5].value, 0x5Au);
        EXPECT_FALSE(words[6].value);
        EXPECT_EQ(words[4].modulus, period);
        const auto major = stats.majorFrame();
        ASSERT_TRUE(major);
        EXPECT_EQ(major->length, static_cast<std::int64_t>(period));
        EXPECT_EQ(major->counterWord, 4);
        EXPECT_EQ(major->wordBits, 8);
    }
}

// Coasted frames are left out, and a pair across a gap says nothing about
// counting by one: a counter seen every other frame stays a counter.
TEST(FrameWords, CoastedFramesAndGapsDoNotBreakACounter)
{
    FrameWordStatistics stats(8);
    std::mt19937 rng(9);
    for (std::int64_t k = 0; k < 300; ++k) {
        SyncedFrame f;
        f.frame = k;
        f.coasted = k % 7 == 3;
        std::vector<std::uint8_t> bits = frameBits(k, rng, 8);
        if (f.coasted) putWord(bits, 4, 0xEE, 8); // a coasted frame's words are not to be trusted
        if (k % 10 == 5) continue;                // frames the synchroniser never gave
        stats.add(f, bits, 32);
    }
    const auto words = stats.words();
    ASSERT_EQ(words.size(), 12u);
    EXPECT_EQ(words[4].kind, WordKind::Counter);
    EXPECT_EQ(words[4].modulus, 8u);
}

TEST(FrameWords, TheSegmentWithTheMostFramesIsReported)
{
    FrameWordStatistics stats(16);
    std::mt19937 rng(3);
    const auto add = [&](std::int32_t segment, std::int64_t from, std::int64_t count, std::size_t bits, std::uint64_t constant) {
        for (std::int64_t k = from; k < from + count; ++k) {
            SyncedFrame f;
            f.frame = k;
            f.segment = segment;
            std::vector<std::uint8_t> frame(bits);
            for (auto& b : frame) b = rng() & 1;
            putWord(frame, 1, constant, 16);
            stats.add(f, frame, 16);
        }
    };
    add(0, 0, 30, 160, 0xAAAA);  // ten words
    add(1, 30, 80, 200, 0x1234); // thirteen words, the most frames
    add(2, 110, 20, 96, 0x5555);
    const auto words = stats.words();
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[1].kind, WordKind::Constant);
    EXPECT_EQ(words[1].value, 0x1234u);
    EXPECT_FALSE(stats.majorFrame());
}

TEST(FrameWords, WordsAreReadMostSignificantBitFirstAndTheLastIsPadded)
{
    const std::vector<std::uint8_t> bits{1, 0, 1, 1, 0, 0, 1, 1, 1, 1};
    struct Case {
        int wordBits;
        std::int64_t word;
        std::uint64_t value;
    };
    for (const Case c : {Case{4, 0, 0xB}, Case{4, 1, 0x3}, Case{4, 2, 0xC}, Case{3, 3, 0x4}, Case{10, 0, 0x2CF}}) {
        EXPECT_EQ(frameWord(bits, c.word, c.wordBits), c.value) << c.wordBits << ":" << c.word;
    }
    EXPECT_EQ(wordsPerFrame(10, 4), 3);
    EXPECT_EQ(wordsPerFrame(1056, 8), 132);
}

} // namespace
