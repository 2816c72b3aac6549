// The ranked summary on what a run could hand it: a small capture built from
// the fuzzer's bytes (a word, published or not, repeated at an interval with
// fill, a counter, bit errors and either polarity; or the raw bytes),
// parameters within and around the window's field ranges, and the candidates
// the real search reports on that capture or records built from the bytes
// (as the search gives them: in interval and index order, each index inside
// its frame). Every group must keep the summary's promises and its text
// forms must build, or the target aborts.
#include "files/parameter_table.h"
#include "engine/candidate_sink.h"
#include "files/candidate_text.h"
#include "analysis/fixed_region.h"
#include "analysis/known_sync_words.h"
#include "engine/parameters.h"
#include "engine/run_state.h"
#include "engine/run_view.h"
#include "engine/run_events.h"
#include "engine/search.h"
#include "analysis/summary.h"
#include "fuzz_input.h"
#include "support/scripted_toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using namespace morvelan;
using fuzzing::FuzzInput;

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

class RecordSink : public CandidateSink {
public:
    CandidateRecords records;
    bool take(const CandidateRecord& record, std::string_view, std::string_view) override
    {
        records.push_back(record);
        return true;
    }
    bool flush() override { return true; }
};

class QuietView : public RunView {
public:
    bool wantsResultLines() const override { return false; }
    bool wantsRecords() const override { return false; }
};

void check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "summary broke its promise: %s\n", what);
    std::abort();
}

struct Capture {
    std::int32_t cells = 0;     // cells 1 .. cells hold it
    std::int64_t interval = 64; // the frame it repeats at (a guess for raw bytes)
};

std::string wordFrom(FuzzInput& in)
{
    if (in.flag()) {
        const auto words = knownSyncWords();
        return knownWordBits(words[static_cast<std::size_t>(in.range(0, static_cast<std::int64_t>(words.size()) - 1))]);
    }
    std::string word;
    const auto size = in.range(4, 64);
    for (std::int64_t j = 0; j < size; ++j) word += static_cast<char>('0' + (in.byte() & 1));
    return word;
}

// Frames of `interval` bits: fill, the word, an 8-bit frame counter, noise.
Capture framedCapture(FuzzInput& in, BitBuffer& bits)
{
    Capture c;
    c.cells = static_cast<std::int32_t>(in.range(64, 8000));
    c.interval = in.range(8, 1500);
    const std::int64_t index = in.range(0, c.interval - 1);
    const std::string word = wordFrom(in);
    const auto fillKind = in.range(0, 3); // none, 0s, 1s, 1010...
    const auto fillBits = in.range(0, 64);
    const bool counter = in.flag();
    const auto errorOdds = in.range(0, 4000); // 1 in this many bits flipped; 0 none
    const bool inverted = in.flag();
    std::uint32_t state = static_cast<std::uint32_t>(in.byte()) * 2654435761u + 7u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (std::int64_t p = 1; p <= c.cells; ++p) bits.set(p, next() & 1);
    for (std::int64_t frame = 0, at = 1 + index; at <= c.cells; ++frame, at += c.interval) {
        std::int64_t p = at;
        for (std::int64_t j = 0; fillKind > 0 && j < fillBits; ++j)
            bits.set(p++, fillKind == 1 ? 0 : fillKind == 2 ? 1 : (j + 1) % 2);
        for (const char b : word) bits.set(p++, b == '1');
        for (int j = 7; counter && j >= 0; --j) bits.set(p++, (frame >> j) & 1);
    }
    for (std::int64_t p = 1; p <= c.cells; ++p) {
        const bool flip = errorOdds > 0 && next() % static_cast<std::uint32_t>(errorOdds) == 0;
        if (inverted != flip) bits.set(p, bits.get(p) ^ 1);
    }
    return c;
}

Capture rawCapture(FuzzInput& in, BitBuffer& bits)
{
    Capture c;
    c.interval = in.range(1, 1500);
    const std::string rest = in.rest();
    c.cells = static_cast<std::int32_t>(std::clamp<std::size_t>(rest.size() * 8, 64, 20000));
    for (std::int32_t i = 0; i < std::min<std::int32_t>(c.cells, static_cast<std::int32_t>(rest.size() * 8)); ++i)
        bits.set(1 + i, (static_cast<unsigned char>(rest[static_cast<std::size_t>(i / 8)]) >> (7 - i % 8)) & 1);
    return c;
}

// Parameters the search can run with in a moment: field ranges and a little
// outside them, intervals round the capture's.
AnalysisParameters searchParameters(FuzzInput& in, const Capture& c)
{
    AnalysisParameters p;
    ResetParameters(p);
    p.SYNC_BIT_SIZE = static_cast<std::int32_t>(in.flag() ? 4 * in.range(1, 16) : in.range(-8, 72));
    // Many tolerated errors are rare: the chance of a word then sums over
    // up to a million neighbouring values.
    p.ALLOW_ERR_BITS = static_cast<std::int32_t>(in.byte() < 240 ? in.range(0, 3) : in.range(-2, 16));
    p.IGNORE_START_BITS = static_cast<std::int32_t>(in.byte() < 220 ? in.range(0, 100) : in.range(-300, 300));
    p.FRAME_ROUNDS = static_cast<std::int32_t>(in.range(0, 60));
    p.THRESHOLD = static_cast<std::int32_t>(in.range(-1, p.FRAME_ROUNDS + 1));
    if (in.flag()) { // the capture's interval and its neighbours
        p.START_SYNC_INTERVAL = static_cast<std::int32_t>(std::max<std::int64_t>(1, c.interval - in.range(0, 8)));
        p.END_SYNC_INTERVAL = p.START_SYNC_INTERVAL + static_cast<std::int32_t>(in.range(0, 12));
    } else { // short intervals and their multiples
        p.START_SYNC_INTERVAL = static_cast<std::int32_t>(in.range(-2, 12));
        p.END_SYNC_INTERVAL = p.START_SYNC_INTERVAL + static_cast<std::int32_t>(in.range(0, 60));
    }
    return p;
}

CandidateRecords searchRecords(RunState& state, const AnalysisParameters& p)
{
    SilentRunEvents events;
    QuietView view;
    RecordSink sink;
    SearchSettings settings;
    settings.threads = 1;
    SearchSync(state, p, events, view, sink, settings);
    // At most the first 300, as a run aborted there leaves them: a low
    // threshold reports every index, and hundreds of groups slow the target
    // without reaching more of the summary.
    if (sink.records.size() > 300) sink.records.resize(300);
    return sink.records;
}

// Records as the search could report them, with parameters that may come
// from anywhere in a settings file.
CandidateRecords builtRecords(FuzzInput& in, AnalysisParameters& p, const Capture& c)
{
    const auto extreme = [&in](std::int64_t usual) {
        return static_cast<std::int32_t>(in.byte() < 230 ? usual : in.pick({kInt32Min, -1, 0, kInt32Max}));
    };
    p.START_SYNC_INTERVAL = extreme(p.START_SYNC_INTERVAL);
    p.END_SYNC_INTERVAL = extreme(p.END_SYNC_INTERVAL);
    p.FRAME_ROUNDS = extreme(p.FRAME_ROUNDS);
    p.IGNORE_START_BITS = extreme(p.IGNORE_START_BITS);
    CandidateRecords records;
    const auto n = in.range(0, 24);
    for (std::int64_t i = 0; i < n; ++i) {
        const auto kind = in.range(0, 3);
        const std::int64_t interval = kind == 0   ? c.interval
                                      : kind == 1 ? c.interval * in.range(2, 4)
                                      : kind == 2 ? in.range(1, 3000)
                                                  : in.range(1, kBitBufferCells + 100);
        const std::int64_t index = in.flag() && !records.empty() && records.back().interval == interval
                                       ? (records.back().index + 1) % interval
                                       : in.range(0, interval - 1);
        const std::int64_t count = in.byte() < 240 ? in.range(0, 64) : in.pick({kInt32Min, -1, kInt32Max});
        records.push_back({static_cast<std::int32_t>(interval), static_cast<std::int32_t>(index), count});
    }
    const auto key = [](const CandidateRecord& r) { return std::pair{r.interval, r.index}; };
    std::sort(records.begin(), records.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    const auto same = [&](const auto& a, const auto& b) { return key(a) == key(b); };
    records.erase(std::unique(records.begin(), records.end(), same), records.end());
    return records;
}

void checkGroups(const std::vector<SummaryGroup>& groups, const CandidateRecords& records)
{
    std::int64_t rows = 0;
    bool named = true;
    for (const SummaryGroup& g : groups) {
        check(g.interval > 0, "interval");
        check(g.syncOffset >= 0 && g.syncOffset < g.interval, "sync offset inside the frame");
        check(g.syncBits.find_first_not_of("01") == std::string::npos, "sync bits are bits");
        check(g.syncHex == bitsToHex(g.syncBits), "hex of the sync bits");
        check(g.fixedLength >= 0 && g.fixedLength <= g.interval, "fixed length");
        check(g.fixedLength == 0 || (g.fixedStart >= 0 && g.fixedStart < g.interval), "fixed start");
        check(g.fixedHex.size() == static_cast<std::size_t>((g.fixedLength + 3) / 4), "fixed hex length");
        check(!std::isnan(g.frameChanceLog10) && g.frameChanceLog10 <= 0, "frame chance");
        check(!std::isnan(g.chanceLog10) && !std::isnan(g.intervalChanceLog10), "chance");
        check(std::is_sorted(g.intervals.begin(), g.intervals.end()) &&
                  std::binary_search(g.intervals.begin(), g.intervals.end(), g.interval),
              "intervals");
        check(g.firstIndex >= 0 && g.firstIndex < g.interval && g.lastIndex >= 0 && g.lastIndex < g.interval,
              "index run");
        check(g.best.interval == g.interval, "best member at the interval");
        if (!g.syncName.empty()) {
            bool known = false;
            for (const KnownSyncWord& w : knownSyncWords())
                known = known || (w.name == g.syncName && knownWordBits(w) == g.syncBits);
            check(known, "a named word is the published one");
        }
        check(named || g.syncName.empty(), "published words lead");
        named = !g.syncName.empty();
        rows += g.rows;
    }
    check(rows == std::count_if(records.begin(), records.end(), [](const CandidateRecord& r) { return r.interval > 0; }),
          "every record in one group");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    static RunState state;
    state.bits.clear();
    state.abortFlag.clear();
    state.foundCount = 0;
    const bool raw = in.byte() < 48;
    const bool search = in.flag();
    AnalysisParameters p;
    Capture c;
    if (raw) {
        // The parameters first: the capture takes the rest of the bytes.
        FuzzInput head(data, std::min<std::size_t>(size, 24));
        p = searchParameters(head, c);
        for (int i = 0; i < 24; ++i) in.byte();
        c = rawCapture(in, state.bits);
    } else {
        c = framedCapture(in, state.bits);
        p = searchParameters(in, c);
    }
    state.decodedBits = c.cells;
    state.params = p;
    const CandidateRecords records = search ? searchRecords(state, p) : builtRecords(in, p, c);
    // Now and then, with a few built records, a length the summary does not
    // know (0 or less: the whole input size) or one past the buffer: both
    // fold 200000 cells or more, slow with the thousands of records a
    // search can report.
    const bool odd = !search && in.byte() == 255;
    const std::int32_t decoded = odd ? static_cast<std::int32_t>(in.range(kInt32Min, kInt32Max)) : c.cells;
    const std::vector<SummaryGroup> groups = summariseCandidates(records, state.bits, p, decoded);
    checkGroups(groups, records);
    // The text forms build; the CSV holds a head line and a line a group.
    const std::string csv = summaryCsv(groups);
    check(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) == groups.size() + 1, "CSV lines");
    summaryText(groups, records.size(), p);
    summaryJsonArray(groups);
    return 0;
}
