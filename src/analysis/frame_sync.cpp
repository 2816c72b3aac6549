#include "analysis/frame_sync.h"

#include "analysis/frame_sync_acquire.h"
#include "analysis/frame_sync_bits.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace morvelan {
namespace {

using framesync::PackedBits;
using framesync::PackedWord;
using framesync::popcount;

// Bits taken in at a time: the pass runs between slices, so what is held
// stays bounded whatever the caller hands over at once.
constexpr std::int64_t kSlice = std::int64_t{1} << 16;
// Searching with the known word this many frames without a find starts a
// search for another format (the format may have changed).
constexpr std::int64_t kFramesBeforeAcquiring = 4;
// The first window searched for a format of its own; it doubles after each
// fruitless try up to the longest (then slides on by half of it).
constexpr std::int64_t kFirstWindow = 4096;
constexpr std::int64_t kLongestFormat = std::int64_t{1} << 22;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max() / 4;

struct Format {
    FrameFormat text;
    PackedWord word;
    int errors = 0;
    int slip = 0;
};

// The format as the pass uses it; none when it cannot be used (a word of
// other than 1 to 64 bits of 0/1, a frame shorter than its word).
std::optional<Format> usable(const std::optional<FrameFormat>& f, const FrameSyncSettings& s)
{
    if (!f || f->sync.empty() || f->sync.size() > 64) return std::nullopt;
    const auto width = static_cast<int>(f->sync.size());
    if (f->interval < width || f->interval > kLongestFormat) return std::nullopt;
    Format out{*f, {0, width}, std::min(s.allowedErrors, (width - 1) / 2),
               static_cast<int>(std::min<std::int64_t>(s.slipWindow, (f->interval - 1) / 2))};
    for (int j = 0; j < width; ++j) {
        const char c = f->sync[static_cast<std::size_t>(j)];
        if (c != '0' && c != '1') return std::nullopt;
        if (c == '1') out.word.bits |= std::uint64_t{1} << j;
    }
    return out;
}

bool sameFormat(const FrameFormat& a, const FrameFormat& b)
{
    if (a.interval != b.interval || a.sync.size() != b.sync.size()) return false;
    std::string complement = b.sync;
    for (char& c : complement) c = c == '0' ? '1' : '0';
    return a.sync == b.sync || a.sync == complement;
}

} // namespace

class FrameSynchroniser::State {
public:
    State(const FrameSyncSettings& settings, std::optional<FrameFormat> start, FrameSink& sink)
        : s_(framesync::clampSettings(settings)), sink_(sink), format_(usable(start, s_))
    {
        // Acquisition needs some twenty frames of the longest interval in its
        // window to try that interval at all.
        longestWindow_ = std::clamp<std::int64_t>(24 * s_.maxInterval, 4 * kFirstWindow, std::int64_t{1} << 23);
        startSearch(0);
    }

    void push(std::span<const std::uint8_t> bits)
    {
        if (finished_) return;
        while (!bits.empty()) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(kSlice, static_cast<std::int64_t>(bits.size())));
            bits_.append(bits.first(n));
            bits = bits.subspan(n);
            run(false);
        }
    }

    void finish()
    {
        if (finished_) return;
        run(true);
        endSegment();
        finished_ = true;
    }

private:
    enum class Mode { Acquire, Search, Lock };

    std::int64_t interval() const { return format_->text.interval; }
    int width() const { return format_->word.width; }
    // The bits a find needs to be confirmed.
    std::int64_t checkSpan() const { return s_.confirmFrames * interval() + width(); }

    void run(bool final)
    {
        for (;;) {
            bool moved = false;
            switch (mode_) {
            case Mode::Acquire: moved = stepAcquire(final); break;
            case Mode::Search: moved = stepSearch(final); break;
            case Mode::Lock: moved = stepLock(final); break;
            }
            if (!moved) break;
        }
        std::int64_t keep = windowStart_;
        if (mode_ == Mode::Search) keep = std::min(searchPos_, windowStart_);
        if (mode_ == Mode::Lock) keep = current_.bit;
        bits_.dropBefore(keep);
    }

    // Search from `at` on; the window for another format starts there too.
    void startSearch(std::int64_t at)
    {
        mode_ = format_ ? Mode::Search : Mode::Acquire;
        searchPos_ = at;
        windowStart_ = at;
        windowSize_ = kFirstWindow;
        if (format_) windowSize_ = std::max(windowSize_, kFramesBeforeAcquiring * interval() + checkSpan());
        windowSize_ = std::min(windowSize_, longest());
        finalTried_ = false;
    }

    // The longest window searched for a format: it holds a few frames of the
    // format looked for, beyond which the scan waits for it.
    std::int64_t longest() const
    {
        if (!format_) return longestWindow_;
        return std::max(longestWindow_, 2 * (kFramesBeforeAcquiring * interval() + checkSpan()));
    }

    // Where the scan waits for the next try at another format: the try sees
    // exactly the window [windowStart_, windowStart_ + windowSize_), so the
    // outcome never depends on how the bits were handed over.
    std::int64_t gate() const { return finalTried_ ? kNever : windowStart_ + windowSize_ - checkSpan(); }

    // A try at a format of its own over `count` bits from windowStart_. True
    // when another format than the one looked for was found: the scan starts
    // over at the window's start with it.
    bool tryAcquire(std::int64_t count)
    {
        const std::int64_t start = windowStart_;
        if (start == lastTried_.first && count == lastTried_.second) return false;
        lastTried_ = {start, count};
        const auto found = usable(framesync::acquire(bits_, start, count, s_), s_);
        if (windowSize_ * 2 <= longest()) {
            windowSize_ *= 2;
        } else {
            windowStart_ += longest() / 2;
            windowSize_ = longest();
        }
        if (!found || (format_ && sameFormat(found->text, format_->text))) return false;
        const std::int64_t size = windowSize_;
        const bool tried = finalTried_;
        format_ = found;
        startSearch(start);
        windowSize_ = std::clamp(size, windowSize_, longest());
        finalTried_ = tried;
        return true;
    }

    bool stepAcquire(bool final)
    {
        const std::int64_t end = bits_.end();
        if (end - windowStart_ >= windowSize_) {
            tryAcquire(windowSize_);
            return true;
        }
        if (final && !finalTried_ && end > windowStart_) {
            finalTried_ = true;
            tryAcquire(end - windowStart_);
            return mode_ != Mode::Acquire;
        }
        return false;
    }

    bool stepSearch(bool final);
    int checked(std::int64_t at, bool inverted) const;
    bool stepLock(bool final);
    void confirm(std::int64_t at, bool inverted);
    void give(SyncedFrame frame);
    void endSegment();

    int errorsAt(std::int64_t pos, bool inverted) const
    {
        const int e = popcount(bits_.window(pos, width()) ^ format_->word.bits);
        return inverted ? width() - e : e;
    }

    FrameSyncSettings s_;
    FrameSink& sink_;
    PackedBits bits_;
    std::optional<Format> format_;
    Mode mode_ = Mode::Acquire;
    std::int64_t longestWindow_ = 0;

    std::int64_t searchPos_ = 0;
    std::int64_t windowStart_ = 0;
    std::int64_t windowSize_ = 0;
    bool finalTried_ = false;
    std::pair<std::int64_t, std::int64_t> lastTried_{-1, -1};

    SyncedFrame current_;
    bool currentGiven_ = false;
    bool inverted_ = false;
    std::int32_t misses_ = 0;
    std::int64_t nextFrame_ = 0;
    std::int32_t nextSegment_ = 0;
    SyncSegment segment_;
    bool segmentOpen_ = false;
    bool finished_ = false;
    std::vector<std::uint8_t> frameBits_;
};

// The errors of the find at `at` and of its confirming syncs, exactly one
// interval apart; -1 when one of them is off by more than allowed.
int FrameSynchroniser::State::checked(std::int64_t at, bool inverted) const
{
    int total = 0;
    for (std::int64_t k = 0; k <= s_.confirmFrames; ++k) {
        const int e = errorsAt(at + k * interval(), inverted);
        if (e > format_->errors) return -1;
        total += e;
    }
    return total;
}

// The scan for the word in either polarity, bit by bit. The first confirmed
// find is weighed against every other within one interval after it, and
// the one with the fewest errors wins: a short word lies within a few bits
// of some constant word of the frame, which recurs as well as the sync.
bool FrameSynchroniser::State::stepSearch(bool final)
{
    const std::int64_t end = bits_.end();
    const int w = width();
    const std::int64_t stop = gate();
    std::int64_t p = searchPos_;
    for (; p < stop && p + w <= end; ++p) {
        const int e = popcount(bits_.window(p, w) ^ format_->word.bits);
        const bool inverted = w - e <= format_->errors;
        if (e > format_->errors && !inverted) continue;
        if (p + interval() - 1 + checkSpan() > end && !final) {
            searchPos_ = p; // a find: its checks and its rivals need more bits
            return false;
        }
        if (p + checkSpan() > end || checked(p, inverted) < 0) continue;
        std::int64_t best = p;
        bool bestInverted = inverted;
        int fewest = checked(p, inverted);
        for (std::int64_t q = p + 1; q < p + interval() && q + checkSpan() <= end; ++q) {
            for (const bool inv : {false, true}) {
                const int total = checked(q, inv);
                if (total >= 0 && total < fewest) best = q, bestInverted = inv, fewest = total;
            }
        }
        searchPos_ = best;
        confirm(best, bestInverted);
        return true;
    }
    searchPos_ = p;
    if (p >= stop && end - windowStart_ >= windowSize_) {
        tryAcquire(windowSize_);
        return true;
    }
    if (final && !finalTried_) {
        finalTried_ = true;
        tryAcquire(end - windowStart_);
        return true;
    }
    return false;
}

void FrameSynchroniser::State::confirm(std::int64_t at, bool inverted)
{
    inverted_ = inverted;
    segment_ = SyncSegment{at, at, format_->text, inverted, 0, 0, 0};
    segmentOpen_ = true;
    for (std::int64_t k = 0; k < s_.confirmFrames; ++k) {
        SyncedFrame f;
        f.bit = at + k * interval();
        f.errors = errorsAt(f.bit, inverted);
        give(f);
    }
    current_ = SyncedFrame{};
    current_.bit = at + s_.confirmFrames * interval();
    current_.errors = errorsAt(current_.bit, inverted);
    currentGiven_ = false;
    misses_ = 0;
    mode_ = Mode::Lock;
}

// In lock: give the frame held once it is whole, then look for the next
// sync one interval on, within +-slip bits (the fewest errors wins, the
// expected place on a tie); coast over a missing one, up to coastFrames.
bool FrameSynchroniser::State::stepLock(bool final)
{
    const std::int64_t end = bits_.end(), step = interval();
    if (!currentGiven_) {
        if (current_.bit + step <= end) {
            give(current_);
            currentGiven_ = true;
            return true;
        }
        if (!final) return false;
        endSegment(); // the capture ends inside this frame
        startSearch(current_.bit + step);
        return true;
    }
    const std::int64_t expected = current_.bit + step;
    const int slip = format_->slip;
    if (expected + slip + width() > end && !final) return false;
    if (final && expected + step > end) { // no whole frame follows
        endSegment();
        startSearch(expected);
        return true;
    }
    int best = width() + 1, moved = 0;
    for (const int d : {0, 1, -1, 2, -2}) {
        if (std::abs(d) > slip || expected + d + width() > end) continue;
        const int e = errorsAt(expected + d, inverted_);
        if (e < best) best = e, moved = d;
    }
    for (int d = 3; d <= slip; ++d) {
        for (const int signedD : {d, -d}) {
            if (expected + signedD + width() > end) continue;
            const int e = errorsAt(expected + signedD, inverted_);
            if (e < best) best = e, moved = signedD;
        }
    }
    SyncedFrame next;
    if (best <= format_->errors) {
        next.bit = expected + moved;
        next.errors = best;
        next.slip = moved;
        misses_ = 0;
    } else if (++misses_ > s_.coastFrames) {
        endSegment();
        startSearch(expected);
        return true;
    } else {
        next.bit = expected;
        next.errors = errorsAt(expected, inverted_);
        next.coasted = true;
    }
    current_ = next;
    currentGiven_ = false;
    return true;
}

void FrameSynchroniser::State::give(SyncedFrame f)
{
    f.frame = nextFrame_++;
    f.segment = nextSegment_;
    f.inverted = inverted_;
    bits_.unpack(f.bit, interval(), inverted_, frameBits_);
    sink_.frame(f, frameBits_);
    ++segment_.frames;
    segment_.endBit = f.bit + interval();
    if (f.slip != 0) ++segment_.slips;
    if (f.coasted) ++segment_.lost;
}

void FrameSynchroniser::State::endSegment()
{
    if (!segmentOpen_) return;
    segmentOpen_ = false;
    if (segment_.frames == 0) return;
    sink_.segment(segment_);
    ++nextSegment_;
}

FrameSynchroniser::FrameSynchroniser(const FrameSyncSettings& settings, std::optional<FrameFormat> start, FrameSink& sink)
    : state_(std::make_unique<State>(settings, std::move(start), sink))
{
}

FrameSynchroniser::~FrameSynchroniser() = default;

void FrameSynchroniser::push(std::span<const std::uint8_t> bits)
{
    state_->push(bits);
}

void FrameSynchroniser::finish()
{
    state_->finish();
}

std::optional<FrameFormat> acquireFormat(std::span<const std::uint8_t> bits, const FrameSyncSettings& settings)
{
    framesync::PackedBits packed;
    packed.append(bits);
    return framesync::acquire(packed, 0, static_cast<std::int64_t>(bits.size()), framesync::clampSettings(settings));
}

} // namespace morvelan
