#include "analysis/known_sync_words.h"

#include "engine/hex_convert.h"

#include <array>
#include <cstdint>
#include <tuple>

namespace morvelan {
namespace {

// Sources:
// - IRIG 106 (Telemetry Standards, Range Commanders Council), Chapter 4 and
//   Appendix C, the table of optimum frame synchronisation patterns for PCM:
//   the 16-, 24- and 32-bit patterns, 1110 1011 1001 0000,
//   1111 1010 1111 0011 0010 0000 and 1111 1110 0110 1011 0010 1000 0100 0000.
//   The patterns of the other lengths (17 to 23, 25 to 31 and 33 bits) are
//   left out: their values could not be checked against a source here.
// - CCSDS 131.0-B (TM Synchronization and Channel Coding): the 32-bit attached
//   sync marker 1ACFFC1D and the 64-bit marker 034776C7272895B0 of turbo
//   (rate 1/2) and LDPC coded frames.
// EB90 is also the start sequence of CCSDS telecommand CLTUs (CCSDS 231.0-B).
constexpr std::array kWords = {
    KnownSyncWord{"CCSDS ASM 64 (turbo/LDPC)", "034776C7272895B0"},
    KnownSyncWord{"IRIG 106 32-bit", "FE6B2840"},
    KnownSyncWord{"CCSDS ASM", "1ACFFC1D"},
    KnownSyncWord{"IRIG 106 24-bit", "FAF320"},
    KnownSyncWord{"IRIG 106 16-bit", "EB90"},
};

} // namespace

std::span<const KnownSyncWord> knownSyncWords()
{
    return kWords;
}

std::string knownWordBits(const KnownSyncWord& word)
{
    std::string bits;
    for (const char c : word.hex) {
        const int v = hexDigitValue(c);
        for (int b = 3; b >= 0; --b) bits += static_cast<char>('0' + ((v >> b) & 1));
    }
    return bits;
}

std::optional<KnownSyncMatch> findKnownSyncWord(std::string_view bits, int errorsPer64)
{
    std::optional<KnownSyncMatch> best;
    const auto better = [](const KnownSyncMatch& a, const KnownSyncMatch& b) {
        const auto key = [](const KnownSyncMatch& m) {
            return std::make_tuple(m.mismatches, -static_cast<int>(m.word->hex.size()), m.at);
        };
        return key(a) < key(b);
    };
    for (const KnownSyncWord& word : kWords) {
        const std::string pattern = knownWordBits(word);
        if (pattern.size() > bits.size()) continue;
        const auto allowed = static_cast<int>(static_cast<std::int64_t>(errorsPer64) * static_cast<std::int64_t>(pattern.size()) / 64);
        for (std::size_t at = 0; at + pattern.size() <= bits.size(); ++at) {
            int differ = 0;
            for (std::size_t j = 0; j < pattern.size(); ++j) differ += bits[at + j] != pattern[j];
            const int complementDiffer = static_cast<int>(pattern.size()) - differ;
            for (const auto& [count, inverted] : {std::pair{differ, false}, std::pair{complementDiffer, true}}) {
                if (count > allowed) continue;
                const KnownSyncMatch m{&word, at, inverted, count};
                if (!best || better(m, *best)) best = m;
            }
        }
    }
    return best;
}

std::string syncWordName(std::string_view bits)
{
    const auto match = findKnownSyncWord(bits, 0);
    return match ? std::string(match->word->name) : std::string();
}

} // namespace morvelan
