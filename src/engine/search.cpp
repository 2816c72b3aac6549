#include "engine/search.h"

#include "common/pacer.h"
#include "common/utf8.h"
#include "engine/candidate_sink.h"
#include "engine/hex_convert.h"
#include "engine/parameters.h"
#include "engine/run_events.h"
#include "engine/run_view.h"
#include "engine/run_state.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace morvelan {

bool PatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits)
{
    std::int32_t mismatches = 0;
    std::size_t ia = 0;
    std::size_t ib = 0;
    for (int i = 0; i < kMatchPositions; ++i) {
        const std::size_t na = ia < a.size() ? utf8SequenceLength(a, ia) : 0;
        const std::size_t nb = ib < b.size() ? utf8SequenceLength(b, ib) : 0;
        if (a.substr(ia, na) != b.substr(ib, nb)) ++mismatches;
        ia += na;
        ib += nb;
    }
    return mismatches <= allowErrBits;
}

namespace {

using Clock = std::chrono::steady_clock;
// Candidates times frames below which every core is not worth its start.
// Most comparisons stop after a few frames, so a search this size takes some
// 15 ms on one core, about what starting and feeding the workers costs
// (intervals 100 to 2000 with the reset values: 14 ms on one thread, 17 ms
// with two, on a 2-core machine).
constexpr double kSmallSearchWork = 1e8;

// A run of indexes of one interval, and what comparing them gave.
struct Piece {
    std::int64_t interval = 0;
    std::int64_t x0 = 0;
    std::int64_t x1 = 0;
    std::vector<CandidateEntry> entries;
    bool done = false;
};

// Cuts the intervals START .. last (those above 0) into pieces, in order. A
// run of candidates that the plan settles at once is one piece, however long:
// an interval of two thousand million indexes is mostly such runs.
class PieceCursor {
public:
    PieceCursor(const SearchPlan& plan, std::int64_t start, std::int64_t last)
        : plan_(plan), interval_(std::max<std::int64_t>(start, 1)), last_(last)
    {
    }
    bool next(Piece& p)
    {
        if (interval_ > last_) return false;
        p.interval = interval_;
        p.x0 = x_;
        const std::int64_t quietEnd = plan_.quietRunEnd(interval_, x_);
        p.x1 = std::min(interval_, quietEnd > x_ ? quietEnd : x_ + kIndexesPerPiece);
        x_ = p.x1;
        if (x_ == interval_) {
            ++interval_;
            x_ = 0;
        }
        return true;
    }

private:
    static constexpr std::int64_t kIndexesPerPiece = 4096;
    const SearchPlan& plan_;
    std::int64_t interval_;
    std::int64_t last_;
    std::int64_t x_ = 0;
};

// Pieces in order. Worker threads compare pieces ahead of the consumer (a
// bounded number); without workers the consumer compares each piece itself
// when it asks for it.
class PieceQueue {
public:
    PieceQueue(const SearchPlan& plan, PieceCursor cursor, int workers)
        : plan_(plan), cursor_(cursor), ahead_(static_cast<std::size_t>(4 * workers + 2))
    {
        for (int i = 0; i < workers; ++i) {
            try {
                threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break; // fewer threads, or none: the consumer compares what is left
            }
        }
    }
    ~PieceQueue()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        space_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    PieceQueue(const PieceQueue&) = delete;
    PieceQueue& operator=(const PieceQueue&) = delete;

    // The next piece, compared; nullptr at the end, or with `late` set when
    // it was not ready by `deadline`.
    Piece* front(Clock::time_point deadline, bool& late)
    {
        late = false;
        std::unique_lock lock(mutex_);
        if (threads_.empty()) {
            if (pieces_.empty()) {
                Piece& p = pieces_.emplace_back();
                if (!cursor_.next(p)) {
                    pieces_.pop_back();
                    return nullptr;
                }
                plan_.examine(p.interval, p.x0, p.x1, p.entries);
                p.done = true;
            }
            return &pieces_.front();
        }
        const bool ready = ready_.wait_until(lock, deadline, [this] {
            return (!pieces_.empty() && pieces_.front().done) || (pieces_.empty() && exhausted_);
        });
        if (!ready) {
            late = true;
            return nullptr;
        }
        return pieces_.empty() ? nullptr : &pieces_.front();
    }

    void pop()
    {
        {
            const std::lock_guard lock(mutex_);
            pieces_.pop_front();
        }
        space_.notify_one();
    }

private:
    void work()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            space_.wait(lock, [this] { return stop_ || exhausted_ || pieces_.size() < ahead_; });
            if (stop_ || exhausted_) return;
            Piece& p = pieces_.emplace_back(); // later pushes leave this element in place
            if (!cursor_.next(p)) {
                pieces_.pop_back();
                exhausted_ = true;
                ready_.notify_all();
                space_.notify_all();
                return;
            }
            lock.unlock();
            plan_.examine(p.interval, p.x0, p.x1, p.entries);
            lock.lock();
            p.done = true;
            ready_.notify_all();
        }
    }

    const SearchPlan& plan_;
    PieceCursor cursor_;
    std::size_t ahead_;
    std::mutex mutex_;
    std::condition_variable ready_; // a piece is compared, or there are no more
    std::condition_variable space_; // a piece was consumed, or stop
    std::deque<Piece> pieces_;
    bool exhausted_ = false;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

// The events as the conversion reports them: the rows reported so far
// reach the Result file and the window before any message shows.
class FlushingEvents : public RunEvents {
public:
    FlushingEvents(RunEvents& events, CandidateSink& sink) : events_(events), sink_(sink) {}
    bool failed = false;
    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times) override
    {
        // Nothing is reported between the messages of a run: one flush serves all.
        if (times <= 0) return;
        if (failed || !sink_.flush()) {
            failed = true;
            return;
        }
        events_.conversionFailed(conversion, text, times);
    }
    bool confirmAbort() override { return events_.confirmAbort(); }
    void yield() override { events_.yield(); }

private:
    RunEvents& events_;
    CandidateSink& sink_;
};

// Keeps the failures a conversion reports, to report them again for equal
// patterns.
class RecordingEvents : public SilentRunEvents {
public:
    struct Failure {
        Conversion conversion;
        std::string text;
    };
    std::vector<Failure> failures;
    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times) override
    {
        for (std::int64_t i = 0; i < times; ++i) failures.push_back({conversion, std::string(text)});
    }
};

// Worker threads for a search: none when asked for one thread, and none for
// a small search (a few milliseconds), where handing pieces over costs more
// than it saves.
int workerCount(int threads, const AnalysisParameters& p)
{
    if (threads == 0) {
        threads = static_cast<int>(std::thread::hardware_concurrency());
        const std::int64_t lo = std::max<std::int64_t>(1, p.START_SYNC_INTERVAL);
        const std::int64_t hi = p.END_SYNC_INTERVAL;
        const double candidates = hi < lo ? 0.0 : (static_cast<double>(lo) + static_cast<double>(hi)) / 2.0 *
                                                      static_cast<double>(hi - lo + 1);
        if (candidates * (static_cast<double>(std::max(0, p.FRAME_ROUNDS)) + 1.0) < kSmallSearchWork) return 0;
    }
    return threads <= 1 ? 0 : std::min(threads, 256);
}

class Search {
public:
    Search(RunState& session, const AnalysisParameters& params, RunEvents& events, RunView& view, CandidateSink& sink,
           const SearchSettings& settings)
        : session_(session), p_(params), events_(events), view_(view), sink_(sink), conversionEvents_(events, sink),
          plan_(session.bits, params, session.options.skipExclusions, settings.kernel),
          workers_(workerCount(settings.threads, params))
    {
        pattern_.reserve(64);
        hex_.reserve(16);
    }

    bool run()
    {
        view_.setProgressRange(p_.START_SYNC_INTERVAL, p_.END_SYNC_INTERVAL);
        view_.setProgressValue(p_.START_SYNC_INTERVAL);
        const std::int64_t last = p_.END_SYNC_INTERVAL;
        PieceQueue queue(plan_, PieceCursor(plan_, p_.START_SYNC_INTERVAL, last), workers_);
        for (std::int64_t interval = p_.START_SYNC_INTERVAL; interval <= last; ++interval) {
            if (abortConfirmed()) return false;
            shownInterval_ = interval;
            if (interval <= 0) {
                // No index: nothing to examine up to interval 0.
                interval = std::min<std::int64_t>(0, last);
                shownInterval_ = interval;
                continue;
            }
            for (bool more = true; more;) {
                Piece* piece = nextPiece(queue);
                if (piece == nullptr) return false;
                for (const CandidateEntry& e : piece->entries)
                    if (!consume(interval, e)) return false;
                more = piece->x1 < interval;
                shownIndex_ = piece->x1 - 1;
                queue.pop();
                if (pacer_.due() && !yieldToWindow()) return false;
            }
        }
        if (!sink_.flush()) {
            showPosition();
            return false;
        }
        showPosition();
        view_.setProgressValue(p_.END_SYNC_INTERVAL);
        return true;
    }

private:
    // The next piece of the current interval; the window gets its turns
    // while the workers are behind. nullptr when the run ends here.
    Piece* nextPiece(PieceQueue& queue)
    {
        for (;;) {
            bool late = false;
            Piece* piece = queue.front(pacer_.next(), late);
            if (!late) return piece; // never nullptr here: the interval has pieces left
            if (!yieldToWindow()) return nullptr;
        }
    }

    // True when the user confirmed an abort, or the rows could not be
    // handed on before the question.
    bool abortConfirmed()
    {
        if (!session_.abortFlag.requested()) return false;
        if (!sink_.flush()) {
            showPosition();
            return true;
        }
        if (events_.confirmAbort()) return true;
        session_.abortFlag.clear();
        return false;
    }

    void showPosition()
    {
        if (shownInterval_) {
            view_.setProgressValue(static_cast<std::int32_t>(*shownInterval_));
            view_.showInterval(static_cast<std::int32_t>(*shownInterval_));
        }
        if (shownIndex_) view_.showIndex(static_cast<std::int32_t>(*shownIndex_));
        view_.showFoundCount(session_.foundCount);
    }

    // False when the run ends here (abort confirmed, or rows not written).
    bool yieldToWindow()
    {
        pacer_.restart();
        if (!sink_.flush()) {
            showPosition();
            return false;
        }
        showPosition();
        events_.yield();
        return !abortConfirmed();
    }

    // The reference pattern as text: one "0"/"1" per cell of frame 1 that
    // lies inside the Bit buffer.
    void buildReferenceText(std::int64_t first) { cutFramePattern(session_.bits, first, p_.SYNC_BIT_SIZE, pattern_); }

    // Hex digits of a full-length pattern: it always converts without a message.
    void buildHexOfFullPattern()
    {
        if (hex_.size() != pattern_.size() / 4) hex_.resize(pattern_.size() / 4);
        for (std::size_t g = 0; g < hex_.size(); ++g) {
            // Four "0"/"1" bytes to their value with one multiplication: the
            // top byte of the product gathers them, the first the highest.
            static_assert(std::endian::native == std::endian::little);
            std::uint32_t bits;
            std::memcpy(&bits, pattern_.data() + 4 * g, sizeof bits);
            bits -= 0x30303030u;
            hex_[g] = "0123456789ABCDEF"[((bits * 0x08040201u) >> 24) & 15u];
        }
    }

    // The conversions of e.repeat candidates from e.index on, none reported,
    // whose patterns all equal pattern_: the same failures that many times
    // over. They go in slices, so the window gets its turns and the Abort
    // flag is seen even from a toolkit that shows every box.
    bool convertRepeatedly(const CandidateEntry& e)
    {
        static constexpr std::int64_t kSlice = std::int64_t{1} << 18;
        RecordingEvents recorder;
        hex_ = HexConvert(recorder, pattern_);
        const std::vector<RecordingEvents::Failure>& failures = recorder.failures;
        for (std::int64_t done = 0; done < e.repeat;) {
            const std::int64_t n = std::min(kSlice, e.repeat - done);
            if (failures.size() == 1) {
                conversionEvents_.conversionFailed(failures.front().conversion, failures.front().text, n);
            } else {
                for (std::int64_t i = 0; i < n && !conversionEvents_.failed; ++i)
                    for (const RecordingEvents::Failure& f : failures)
                        conversionEvents_.conversionFailed(f.conversion, f.text, 1);
            }
            if (conversionEvents_.failed) {
                showPosition();
                return false;
            }
            done += n;
            shownIndex_ = e.index + done - 1;
            if (pacer_.due() && !yieldToWindow()) return false;
        }
        return true;
    }

    bool consume(std::int64_t interval, const CandidateEntry& e)
    {
        buildReferenceText(firstCellOf(p_, e.index));
        if (e.repeat > 1) return convertRepeatedly(e);
        if (e.needsConversion) {
            hex_ = HexConvert(conversionEvents_, pattern_);
            if (conversionEvents_.failed) {
                showPosition();
                return false;
            }
        } else {
            buildHexOfFullPattern();
        }
        if (!e.reported) return true;
        const CandidateRecord record{static_cast<std::int32_t>(interval), static_cast<std::int32_t>(e.index),
                                     e.matches + 1};
        if (sink_.take(record, pattern_, hex_)) return true;
        showPosition();
        return false;
    }

    RunState& session_;
    const AnalysisParameters& p_;
    RunEvents& events_;
    RunView& view_;
    CandidateSink& sink_;
    FlushingEvents conversionEvents_;
    SearchPlan plan_;
    int workers_;
    Pacer pacer_;
    std::optional<std::int64_t> shownInterval_;
    std::optional<std::int64_t> shownIndex_;
    std::string pattern_;
    std::string hex_;
};

} // namespace

bool SearchSync(RunState& session, const AnalysisParameters& params, RunEvents& events, RunView& view,
                CandidateSink& sink, const SearchSettings& settings)
{
    Search search(session, params, events, view, sink, settings);
    return search.run();
}

} // namespace morvelan
