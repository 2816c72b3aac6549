#pragma once
// The pure part of the search: for one interval and a range of indexes, the
// matching frames of each candidate. It reads only the Bit buffer and the
// parameters, shows nothing and may run on any thread. Candidates whose
// frames all lie inside the buffer are compared many at once (one offset per
// bit of a machine word); the rest, one at a time.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace morvelan {

// How candidates are compared. Auto takes the widest kind this processor
// runs; the others force one kind (tests run the search on each).
enum class SearchKernel {
    Auto,
    PerCandidate, // one candidate at a time
    Words64,      // 64 indexes per 64-bit word, any x86-64
    Avx2,         // 256 indexes per vector register
};

// False when this processor cannot run the kernel (Avx2 without AVX2).
bool isKernelAvailable(SearchKernel kernel);
// The kernel that Auto stands for on this processor.
SearchKernel resolveKernel(SearchKernel kernel);

// One candidate the consumer has to look at: reported ones, and those whose
// reference pattern is cut by the buffer's ends (their conversion shows
// messages whether reported or not). An entry with repeat > 1 stands for
// that many candidates from `index` on, none reported, each with every frame
// outside the buffer: their patterns are all empty and convert alike.
struct CandidateEntry {
    std::int64_t index = 0;
    std::int64_t matches = 0; // exact when reported
    bool reported = false;
    bool needsConversion = false;
    std::int64_t repeat = 1;
};

class SearchPlan {
public:
    static constexpr int kMatchPositions = 20; // only these decide a match

    SearchPlan(const BitBuffer& bits, const AnalysisParameters& params, bool skipExclusions, SearchKernel kernel);

    // Appends the entries of candidates (interval, x), x0 <= x < x1, in
    // ascending x.
    void examine(std::int64_t interval, std::int64_t x0, std::int64_t x1, std::vector<CandidateEntry>& out) const;

    // The end (exclusive) of the run of candidates from x that examine()
    // settles at once, none of them reported: those with every frame outside
    // the buffer, and those whose silent reference lies inside but whose
    // other frames all lie past it. x when candidate x starts no such run.
    // The run may reach past the interval's last index.
    std::int64_t quietRunEnd(std::int64_t interval, std::int64_t x) const;

    // An exclusion pattern reduced to what a comparison with a frame needs.
    struct Exclusion {
        int length = 0;            // E = min(20, characters)
        std::uint32_t binary = 0;  // positions holding "0" or "1" (bit i = position i + 1)
        std::uint32_t value = 0;   // their bits
        std::array<int, kMatchPositions + 1> otherChars{}; // other characters among the first w
    };
    // An exclusion pattern specialised for frames of the full width.
    struct FixedExclusion {
        std::uint32_t value;
        std::uint32_t mask;
        int constant; // differences that do not depend on the frame's bits
    };

    const std::uint64_t* words() const { return words_; }
    std::int64_t lastCell() const { return last_; }
    std::int64_t firstCell() const { return first_; }
    std::int64_t frames() const { return frames_; }
    std::int32_t allowed() const { return allowed_; }
    int width() const { return width_; }
    std::int64_t needed() const { return needed_; }
    const std::vector<FixedExclusion>& fixedExclusions() const { return fixed_; }

private:
    struct Window {
        std::uint32_t bits;
        int width;
    };
    void addExclusions(const AnalysisParameters& params);
    Window frameAt(std::int64_t pos) const;
    int exclusionMismatches(const Exclusion& e, Window f) const;
    bool excludedFrame(Window f) const;
    std::int64_t countFixedWidth(std::int64_t first, std::int64_t interval) const;
    std::int64_t countGeneral(std::int64_t first, std::int64_t interval) const;
    void examineOne(std::int64_t interval, std::int64_t x, std::vector<CandidateEntry>& out) const;
    void examineEach(std::int64_t interval, std::int64_t x0, std::int64_t x1, std::vector<CandidateEntry>& out) const;
    std::int64_t outsideRunEnd(std::int64_t interval, std::int64_t x) const;
    bool needsConversion(std::int64_t x) const;

    const std::uint64_t* words_;
    std::int64_t last_;    // the Bit buffer's last cell
    std::int64_t first_;   // IGNORE_START_BITS + 1
    std::int64_t frames_;  // FRAME_ROUNDS
    std::int32_t allowed_; // ALLOW_ERR_BITS
    std::int32_t syncBits_;
    int width_;            // min(20, SYNC_BIT_SIZE), at least 0
    std::int64_t needed_;  // least matches reported
    bool silentConversion_;
    // Whether a candidate is reported whose frames after the first all lie
    // outside the buffer, with an empty first frame / a full one.
    bool emptyReferenceReported_ = false;
    bool fullReferenceReported_ = false;
    SearchKernel kernel_;
    std::vector<Exclusion> exclusions_;
    std::vector<FixedExclusion> fixed_;
};

} // namespace morvelan
