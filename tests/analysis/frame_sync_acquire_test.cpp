// A format found on its own: noise and fill give nothing; generated
// formats give their interval and word (in either polarity); the number of
// recurrences chance requires grows as the word shortens.
#include "analysis/frame_sync.h"
#include "analysis/frame_sync_acquire.h"
#include "analysis/known_sync_words.h"

#include "support/telemetry_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

std::string complement(std::string s)
{
    for (char& c : s) c = c == '0' ? '1' : '0';
    return s;
}

std::vector<std::uint8_t> randomBits(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bits(n);
    for (auto& b : bits) b = static_cast<std::uint8_t>(rng() & 1);
    return bits;
}

TEST(FrameSyncAcquire, NoiseGivesNothing)
{
    for (std::uint32_t seed = 1; seed <= 4; ++seed)
        for (const int width : {8, 16, 24, 32, 64}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", width " + std::to_string(width));
            FrameSyncSettings s;
            s.syncBits = width;
            EXPECT_FALSE(acquireFormat(randomBits(60000, seed), s).has_value());
        }
}

TEST(FrameSyncAcquire, FillAndConstantStreamsGiveNothing)
{
    const std::vector<std::string> patterns = {"0", "1", "01", "0011", "0000000011111111", "1110"};
    for (const std::string& p : patterns) {
        SCOPED_TRACE(p);
        std::vector<std::uint8_t> bits;
        for (int i = 0; i < 40000; ++i) bits.push_back(static_cast<std::uint8_t>(p[static_cast<std::size_t>(i) % p.size()] - '0'));
        for (const int width : {16, 32}) {
            FrameSyncSettings s;
            s.syncBits = width;
            EXPECT_FALSE(acquireFormat(bits, s).has_value()) << "width " << width;
        }
    }
}

TEST(FrameSyncAcquire, PublishedWordsAreNoFillAndFillIs)
{
    for (const KnownSyncWord& w : knownSyncWords()) {
        const std::string bits = knownWordBits(w);
        std::uint64_t packed = 0;
        for (std::size_t j = 0; j < bits.size(); ++j) packed |= std::uint64_t(bits[j] == '1') << j;
        EXPECT_FALSE(framesync::fillLike(packed, static_cast<int>(bits.size()), 2)) << w.name;
    }
    // All 0s, 0101..., a lone flag bit in 0s, half the word of 0101.
    for (const std::uint64_t fill : {0x0ull, 0x5555ull, 0x0100ull, 0xD2AAull})
        EXPECT_TRUE(framesync::fillLike(fill, 16, 2)) << std::hex << fill;
}

// Each generated format from a window of 24 frames that starts anywhere:
// its interval and its word, in one polarity or the other.
TEST(FrameSyncAcquire, GeneratedFormatsGiveTheirIntervalAndWord)
{
    struct Case {
        const char* name;
        int syncBits;
        bool ccsds, odd;
        double errors;
        std::int64_t invert;
    };
    const Case cases[] = {
        {"16-bit", 16, false, false, 0.0, -1},   {"20-bit, errors", 20, false, false, 0.003, -1},
        {"24-bit", 24, false, true, 0.001, 0},   {"27-bit", 27, false, false, 0.0, -1},
        {"32-bit, errors", 32, false, true, 0.004, -1}, {"CCSDS", 32, true, false, 0.002, 0},
    };
    for (const Case& k : cases) {
        for (std::uint32_t seed : {4u, 9u, 77u, 1234u}) {
            SCOPED_TRACE(std::string(k.name) + ", seed " + std::to_string(seed));
            TelemetryOptions o;
            o.seed = seed;
            o.syncBits = k.syncBits;
            o.ccsds = k.ccsds;
            o.oddLength = k.odd;
            o.bitErrorRate = k.errors;
            o.invertFrom = k.invert;
            o.frames = 40;
            const TelemetryCapture c = generateTelemetry(o);
            const TelemetryFormat& truth = c.formats[0];
            const std::size_t from = seed % static_cast<std::size_t>(truth.interval * 8);
            const std::size_t count = static_cast<std::size_t>(truth.interval * 24);
            ASSERT_LE(from + count, c.bits.size());
            FrameSyncSettings s;
            s.syncBits = k.syncBits;
            const auto found = acquireFormat(std::span(c.bits).subspan(from, count), s);
            ASSERT_TRUE(found.has_value()) << truth.layout;
            EXPECT_EQ(found->interval, truth.interval) << truth.layout;
            EXPECT_TRUE(found->sync == truth.sync || found->sync == complement(truth.sync))
                << found->sync << " against " << truth.sync << ": " << truth.layout;
            // A published word is given in its normal polarity.
            if (k.ccsds) {
                EXPECT_EQ(found->sync, truth.sync);
            }
        }
    }
}

// Fewer than the frames chance requires: nothing, even for a real format.
TEST(FrameSyncAcquire, TooFewFramesGiveNothing)
{
    TelemetryOptions o;
    o.seed = 6;
    o.syncBits = 16;
    const TelemetryCapture c = generateTelemetry(o);
    FrameSyncSettings s;
    s.syncBits = 16;
    const auto interval = static_cast<std::size_t>(c.formats[0].interval);
    EXPECT_FALSE(acquireFormat(std::span(c.bits).first(interval * 4), s).has_value());
    EXPECT_TRUE(acquireFormat(std::span(c.bits).first(interval * 24), s).has_value());
}

// The recurrences chance requires: more for a shorter word, more errors or
// a wider slip window, more candidates; never fewer than two.
TEST(FrameSyncAcquire, RecurrencesNeededFollowTheChanceOfAMatch)
{
    const int k32 = framesync::recurrencesNeeded(32, 2, 2, 1e9);
    EXPECT_GE(k32, 2);
    EXPECT_GT(framesync::recurrencesNeeded(16, 2, 2, 1e9), k32);
    EXPECT_GT(framesync::recurrencesNeeded(32, 8, 2, 1e9), k32);
    EXPECT_GE(framesync::recurrencesNeeded(32, 2, 8, 1e9), k32);
    EXPECT_GE(framesync::recurrencesNeeded(32, 2, 2, 1e15), k32);
    EXPECT_EQ(framesync::recurrencesNeeded(4, 1, 2, 1e9), 0); // a word that noise matches at will
    // At that many recurrences, the chance of noise passing anywhere is small.
    const double q = (1 + 16 + 120) / 65536.0;
    const int k16 = framesync::recurrencesNeeded(16, 2, 2, 1e9);
    EXPECT_LT(1e9 * std::pow(5 * q, k16), 1e-6);
}

} // namespace
