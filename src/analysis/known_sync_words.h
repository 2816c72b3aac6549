#pragma once
// Published frame sync patterns, to name the word a capture's frames carry.
// A word is looked for in its normal form and in its complement: a capture
// whose bits are all inverted (a swapped line polarity) holds the complement.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace morvelan {

struct KnownSyncWord {
    std::string_view name;
    std::string_view hex; // the word, most significant bit sent first
};

// The table, longest words first.
std::span<const KnownSyncWord> knownSyncWords();

// The word as "0"/"1" text, four bits a hex digit.
std::string knownWordBits(const KnownSyncWord& word);

struct KnownSyncMatch {
    const KnownSyncWord* word = nullptr;
    std::size_t at = 0;     // where the word starts in the searched bits
    bool inverted = false;  // the complement matched
    int mismatches = 0;
};

// The known word (or complement) that lies in `bits` ("0"/"1" text) with at
// most errorsPer64 x (word length) / 64 differing bits, rounded down: `bits`
// are the majority of many frames, where bit errors have mostly gone, and a
// short word let off a few bits would turn up in constant words by chance.
// Fewest differences first, then the longer word, then the earlier start;
// nullopt when none lies there.
std::optional<KnownSyncMatch> findKnownSyncWord(std::string_view bits, int errorsPer64);

// The name of the published word that `bits` ("0"/"1") hold exactly, in
// either polarity; empty when none.
std::string syncWordName(std::string_view bits);

} // namespace morvelan
