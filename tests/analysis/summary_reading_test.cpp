// How the summary reads a group: the chance figure of a published word in
// either polarity and at any compared width, the share that makes a bit
// fixed, what reads like a sync word, and the order of groups that tie.
#include "files/parameter_table.h"
#include "analysis/summary.h"

#include "analysis/fixed_region.h"
#include "analysis/known_sync_words.h"
#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace morvelan;

AnalysisParameters resetParams()
{
    AnalysisParameters p;
    ResetParameters(p);
    return p;
}

// A word at `index` of every frame of `interval` bits.
struct Placement {
    std::int64_t interval;
    std::int64_t index;
    std::string word;
};

// Random bits in cells 1 .. lastCell with each placement's word written in
// (index 0 is cell 1).
std::unique_ptr<BitBuffer> capture(const std::vector<Placement>& placements, std::int64_t lastCell = MAX_INPUT_BITS,
                                   unsigned seed = 17)
{
    auto bits = std::make_unique<BitBuffer>();
    std::mt19937 rng(seed);
    for (std::int64_t p = 1; p <= lastCell; ++p) bits->set(p, rng() & 1);
    for (const Placement& w : placements) {
        const auto size = static_cast<std::int64_t>(w.word.size());
        for (std::int64_t at = 1 + w.index; at + size - 1 <= lastCell; at += w.interval)
            for (std::int64_t j = 0; j < size; ++j) bits->set(at + j, w.word[static_cast<std::size_t>(j)] == '1');
    }
    return bits;
}

void invert(BitBuffer& bits, std::int64_t lastCell = MAX_INPUT_BITS)
{
    for (std::int64_t p = 1; p <= lastCell; ++p) bits.set(p, bits.get(p) ^ 1);
}

TEST(SummaryPublishedWord, ChanceIsTinyInEitherPolarityAtAnyComparedWidth)
{
    // The word at index 100 of 600-bit frames: 333 frames hold it. The
    // inverted capture is the same capture with every bit flipped, so its
    // figures must equal the normal ones exactly.
    struct Case {
        std::size_t word; // in knownSyncWords()
        int syncBits;
    };
    const Case cases[] = {
        {4, 20}, // EB90, shorter than the 20 compared bits
        {4, 24}, {4, 16}, {4, 12}, {3, 20}, {1, 20}, {0, 20},
    };
    for (const Case& c : cases) {
        const KnownSyncWord& known = knownSyncWords()[c.word];
        const std::string word = knownWordBits(known);
        AnalysisParameters p = resetParams();
        p.SYNC_BIT_SIZE = c.syncBits;
        const CandidateRecords rows = {{600, 100, 18}};
        auto bits = capture({{600, 100, word}});
        const auto normal = summariseCandidates(rows, *bits, p, MAX_INPUT_BITS);
        invert(*bits);
        const auto inverted = summariseCandidates(rows, *bits, p, MAX_INPUT_BITS);
        const std::string label = std::string(known.hex) + " at " + std::to_string(c.syncBits) + " bits";
        ASSERT_EQ(normal.size(), 1u) << label;
        ASSERT_EQ(inverted.size(), 1u) << label;
        for (const auto& [g, isInverted] : {std::pair{&normal[0], false}, std::pair{&inverted[0], true}}) {
            EXPECT_EQ(g->syncName, known.name) << label;
            EXPECT_EQ(g->inverted, isInverted) << label;
            EXPECT_EQ(g->syncBits, word) << label;
            EXPECT_EQ(g->syncOffset, 100) << label;
        }
        EXPECT_LT(normal[0].chanceLog10, -100) << label << ": " << formatLog10(normal[0].chanceLog10);
        EXPECT_LT(inverted[0].chanceLog10, -100) << label << ": " << formatLog10(inverted[0].chanceLog10);
        EXPECT_EQ(inverted[0].frameChanceLog10, normal[0].frameChanceLog10) << label;
        EXPECT_EQ(inverted[0].chanceLog10, normal[0].chanceLog10)
            << label << ": " << formatLog10(inverted[0].chanceLog10) << " inverted, "
            << formatLog10(normal[0].chanceLog10) << " normal";
    }
}

TEST(FixedShare, NineTenthsOfTheFramesAreEnough)
{
    // 8-bit frames. Offset 0 is 1 in the first `ones` frames and 0 after;
    // offset 1 flips between the first `flips` + 1 frames and then stays.
    struct Case {
        int frames, ones, flips;
        bool fixed, toggling;
    };
    const Case cases[] = {
        {10, 9, 9, true, true},     // exactly 90 % on both
        {10, 8, 8, false, false},
        {20, 18, 17, true, false},
        {20, 17, 16, false, false},
        {30, 27, 27, true, true},
        {11, 10, 9, true, true},    // 10 frame pairs, 9 flips: exactly 90 %
        {11, 9, 8, false, false},
        {21, 19, 18, true, true},   // 20 pairs, 18 flips
        {21, 18, 17, false, false},
    };
    for (const Case& c : cases) {
        BitBuffer bits;
        for (int k = 0; k < c.frames; ++k) {
            bits.set(1 + 8 * k, k < c.ones);
            bits.set(2 + 8 * k, std::min(k, c.flips) % 2);
        }
        const FrameProfile profile = profileFrames(bits, 1, 8 * c.frames, 8);
        const std::string label = std::to_string(c.ones) + "/" + std::to_string(c.flips) + " of " +
                                  std::to_string(c.frames);
        ASSERT_EQ(profile.frames, c.frames) << label;
        EXPECT_EQ(profile.majority[0], '1') << label;
        EXPECT_EQ(profile.fixed[0], c.fixed) << label;
        EXPECT_EQ(profile.toggling[1], c.toggling) << label;
        EXPECT_TRUE(profile.fixed[7]) << label; // never set: 0 in every frame
    }
}

TEST(SummarySyncLike, ThreeToFiveEighthsOnesIncludingTheBounds)
{
    // The word alone fixed at index 200 of 600-bit frames, compared at its
    // own width; all have few repeated neighbours, none is fill.
    struct Case {
        std::string word;
        bool syncLike;
    };
    const Case cases[] = {
        {"0010010111000010", true},  // 6 of 16 ones: 3/8
        {"1101100101101101", true},  // 10 of 16: 5/8
        {"0000101000101100", false}, // 5 of 16
        {"1001011111011110", false}, // 11 of 16
        {"110110000100110001001000", true},  // 9 of 24: 3/8
        {"000110111001111011111010", true},  // 15 of 24: 5/8
        {"010010000011001000111000", false}, // 8 of 24
        {"110011011111011100110110", false}, // 16 of 24
    };
    for (const Case& c : cases) {
        const auto bits = capture({{600, 200, c.word}});
        AnalysisParameters p = resetParams();
        p.SYNC_BIT_SIZE = static_cast<std::int32_t>(c.word.size());
        const auto groups = summariseCandidates({{600, 200, 20}}, *bits, p, MAX_INPUT_BITS);
        ASSERT_EQ(groups.size(), 1u) << c.word;
        EXPECT_EQ(groups[0].fixedLength, static_cast<std::int64_t>(c.word.size())) << c.word;
        EXPECT_EQ(groups[0].syncBits, c.word);
        EXPECT_TRUE(groups[0].syncName.empty()) << c.word;
        EXPECT_EQ(groups[0].syncLike, c.syncLike) << c.word;
    }
}

TEST(SummaryOrder, GroupsThatTieOnChanceGoByIntervalThenCountThenOffset)
{
    // One word, fixed at each placement; 200 whole frames at 1000 and at
    // 1004 bits (200800 cells), and the placements never overlap, so every
    // group has the same chance figure and the later keys decide. Rows are
    // listed against the designed order.
    const std::string word = "10110101110000100111";
    const std::int64_t cells = 200800;
    struct Case {
        const char* what;
        std::vector<Placement> placements;
        CandidateRecords rows;
        std::vector<std::pair<std::int64_t, std::int64_t>> order; // interval, sync offset
    };
    const Case cases[] = {
        {"smaller interval first", {{1000, 100, word}, {1004, 200, word}},
         {{1004, 200, 20}, {1000, 100, 20}}, {{1000, 100}, {1004, 200}}},
        {"smaller offset first", {{1000, 100, word}, {1000, 600, word}},
         {{1000, 600, 20}, {1000, 100, 20}}, {{1000, 100}, {1000, 600}}},
        {"higher count first", {{1000, 100, word}, {1000, 600, word}},
         {{1000, 100, 19}, {1000, 600, 20}}, {{1000, 600}, {1000, 100}}},
    };
    for (const Case& c : cases) {
        const auto bits = capture(c.placements, cells);
        AnalysisParameters p = resetParams();
        p.END_SYNC_INTERVAL = 1100;
        const auto groups = summariseCandidates(c.rows, *bits, p, static_cast<std::int32_t>(cells));
        ASSERT_EQ(groups.size(), 2u) << c.what;
        ASSERT_EQ(groups[0].chanceLog10, groups[1].chanceLog10) << c.what; // the tie the case is about
        ASSERT_LT(groups[0].chanceLog10, -100) << c.what;
        std::vector<std::pair<std::int64_t, std::int64_t>> order;
        for (const SummaryGroup& g : groups) order.emplace_back(g.interval, g.syncOffset);
        EXPECT_EQ(order, c.order) << c.what;
    }
}

} // namespace
