// Differential test of SearchSync against the literal reference search: many
// seeded, reproducible cases of streams and parameters, comparing the window
// lines, the Result file bytes, the Found count and every message.
//
// A failing case prints its seed. Run just that case again with
//   MORVELAN_SEARCH_SEED=<seed> tests/test_engine --gtest_filter='SearchDifferential.*'
#include "reference_search.h"

#include "engine/run_view.h"
#include "engine/search.h"
#include "files/session.h"
#include "files/result_rows.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace morvelan;
using namespace morvelan::testing;

// The kind of a case is the upper half of its seed, its number the lower.
enum class Kind : std::uint64_t { Random = 1, Structured, PastEnd, NegativeIgnore, OffGrid, Targeted, Wide, Beyond };

constexpr std::int64_t kLastCell = kBitBufferLast;

class CapturingView : public RunView {
public:
    std::vector<std::string> lines;
    std::vector<std::int32_t> foundCounts;
    void appendResultLine(std::string_view line) override { lines.emplace_back(line); }
    void showFoundCount(std::int32_t count) override { foundCounts.push_back(count); }
};

// Plain modulo arithmetic on mt19937_64 so a seed gives the same case with
// every standard library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : engine_(mix(seed)) {}
    std::int64_t between(std::int64_t lo, std::int64_t hi)
    {
        return lo + static_cast<std::int64_t>(engine_() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool chance(double p) { return static_cast<double>(engine_() >> 11) * 0x1.0p-53 < p; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(between(0, static_cast<std::int64_t>(items.size()) - 1))];
    }

private:
    static std::uint64_t mix(std::uint64_t x)
    {
        x += 0x9E3779B97F4A7C15ULL;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
        return x ^ (x >> 31);
    }
    std::mt19937_64 engine_;
};

struct StreamPlan {
    double density = 0.5;      // chance of a 1 in the background
    int zeroOneRuns = 0;       // constant runs laid over the background
    bool embedSync = false;    // periodic sync word with bit errors
    std::int64_t period = 0;
    std::int64_t offset = 0;
    std::string syncWord;      // "0"/"1"
    double flipChance = 0.0;
    int copies = 0;
};

struct DiffCase {
    std::uint64_t seed = 0;
    AnalysisParameters params;
    bool skipExclusions = false;
    StreamPlan stream;
};

std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '"') out += "\\\"";
        else out += c;
    }
    return out;
}

// The seed and the parameters; the seed alone rebuilds the case.
std::string describe(const DiffCase& c)
{
    const AnalysisParameters& p = c.params;
    std::ostringstream s;
    s << "seed 0x" << std::hex << c.seed << std::dec << ": START " << p.START_SYNC_INTERVAL << " END "
      << p.END_SYNC_INTERVAL << " SYNC_BIT_SIZE " << p.SYNC_BIT_SIZE << " ALLOW_ERR_BITS " << p.ALLOW_ERR_BITS
      << " IGNORE_START_BITS " << p.IGNORE_START_BITS << " FRAME_ROUNDS " << p.FRAME_ROUNDS << " THRESHOLD "
      << p.THRESHOLD << (c.skipExclusions ? " exclusions off" : " exclusions on");
    for (const std::string& e : p.EXCLUDE_PAT) s << " \"" << escaped(e) << "\"";
    return s.str();
}

std::string randomBits(Rng& rng, std::int64_t length)
{
    std::string bits;
    for (std::int64_t i = 0; i < length; ++i) bits += rng.chance(0.5) ? '1' : '0';
    return bits;
}

// Exclusion patterns of every kind: empty, bit texts shorter and longer than
// 20, parts of the embedded sync word, hex digits, Japanese and mixed text.
std::string makeExclusion(Rng& rng, const std::string& syncWord)
{
    static const std::vector<std::string> japanese = {"同", "期", "除", "外", "パ", "タ", "ー", "ン", "あ", "０", "１"};
    static const std::vector<std::string> mixed = {"0", "1", "0", "1", "あ", "Ａ", "x", "😀", "é", " ", "F"};
    static const std::vector<std::string> hexDigits = {"0", "1", "2", "7", "9", "A", "B", "F", "a", "c", "f"};
    std::string out;
    switch (rng.between(0, 9)) {
    case 0: return {};
    case 1: return randomBits(rng, rng.between(1, 19));
    case 2: return randomBits(rng, rng.between(20, 30));
    case 3: return std::string(static_cast<std::size_t>(rng.between(1, 24)), rng.chance(0.5) ? '0' : '1');
    case 4:
        if (syncWord.empty()) return randomBits(rng, 20);
        return syncWord.substr(0, static_cast<std::size_t>(rng.between(1, static_cast<std::int64_t>(syncWord.size()))));
    case 5:
        for (std::int64_t i = rng.between(1, 24); i > 0; --i) out += rng.pick(hexDigits);
        return out;
    case 6:
        for (std::int64_t i = rng.between(1, 22); i > 0; --i) out += rng.pick(japanese);
        return out;
    case 7:
        for (std::int64_t i = rng.between(1, 25); i > 0; --i) out += rng.pick(mixed);
        return out;
    case 8: {
        // A bit text with one odd character somewhere in its first 20 positions.
        out = randomBits(rng, rng.between(4, 24));
        const auto at = static_cast<std::size_t>(rng.between(0, static_cast<std::int64_t>(out.size()) - 1));
        return out.substr(0, at) + rng.pick(mixed) + out.substr(at + 1);
    }
    default: return syncWord.empty() ? randomBits(rng, 16) : syncWord;
    }
}

std::int32_t gridSize(Rng& rng) { return static_cast<std::int32_t>(4 * rng.between(1, 16)); }

std::int32_t allowErrBits(Rng& rng)
{
    if (rng.chance(0.7)) return static_cast<std::int32_t>(rng.between(0, 6));
    if (rng.chance(0.7)) return static_cast<std::int32_t>(rng.between(7, 25));
    return static_cast<std::int32_t>(rng.between(-3, -1));
}

void drawIntervals(Rng& rng, AnalysisParameters& p, std::int64_t lo, std::int64_t hi, std::int64_t span)
{
    p.START_SYNC_INTERVAL = static_cast<std::int32_t>(rng.between(lo, hi));
    p.END_SYNC_INTERVAL = static_cast<std::int32_t>(p.START_SYNC_INTERVAL + rng.between(-1, span));
}

void drawExclusions(Rng& rng, DiffCase& c)
{
    for (auto& pattern : c.params.EXCLUDE_PAT) pattern = rng.chance(0.5) ? std::string() : makeExclusion(rng, c.stream.syncWord);
    c.skipExclusions = rng.chance(0.5);
}

void planSync(Rng& rng, DiffCase& c)
{
    const AnalysisParameters& p = c.params;
    StreamPlan& s = c.stream;
    s.embedSync = true;
    const std::int64_t lo = std::max<std::int64_t>(1, p.START_SYNC_INTERVAL);
    const std::int64_t hi = std::max<std::int64_t>(lo, p.END_SYNC_INTERVAL);
    s.period = rng.between(lo, hi);
    s.offset = rng.between(0, s.period - 1);
    const std::int64_t width = (p.SYNC_BIT_SIZE >= 1 && p.SYNC_BIT_SIZE <= 64) ? p.SYNC_BIT_SIZE : 20;
    s.syncWord = rng.chance(0.15) ? std::string(static_cast<std::size_t>(width), '1') : randomBits(rng, width);
    s.flipChance = rng.pick(std::vector<double>{0.0, 0.0, 0.02, 0.05, 0.15});
    s.copies = static_cast<int>(std::max<std::int64_t>(0, p.FRAME_ROUNDS) + rng.between(0, 3));
}

// The cells a case can read, clamped to the buffer.
std::pair<std::int64_t, std::int64_t> touchedCells(const AnalysisParameters& p)
{
    const std::int64_t first = std::int64_t{p.IGNORE_START_BITS} + 1;
    const std::int64_t end = std::max<std::int64_t>(1, p.END_SYNC_INTERVAL);
    const std::int64_t last = first + end + std::max<std::int64_t>(0, p.FRAME_ROUNDS) * end +
                              std::max<std::int64_t>(0, p.SYNC_BIT_SIZE) + 64;
    return {std::clamp<std::int64_t>(first, 0, kLastCell), std::clamp<std::int64_t>(last, 0, kLastCell)};
}

void fillStream(Rng& rng, const DiffCase& c, BitBuffer& bits)
{
    const StreamPlan& s = c.stream;
    const auto [lo, hi] = touchedCells(c.params);
    for (std::int64_t cell = lo; cell <= hi; ++cell) bits.set(cell, rng.chance(s.density) ? 1 : 0);
    for (int r = 0; r < s.zeroOneRuns; ++r) {
        const std::int64_t start = rng.between(lo, hi);
        const std::int64_t length = rng.between(5, 120);
        const std::uint8_t value = rng.chance(0.5) ? 1 : 0;
        for (std::int64_t cell = start; cell < start + length; ++cell) bits.set(cell, value);
    }
    if (!s.embedSync) return;
    const std::int64_t first = std::int64_t{c.params.IGNORE_START_BITS} + 1 + s.offset;
    for (int k = 0; k < s.copies; ++k) {
        for (std::size_t j = 0; j < s.syncWord.size(); ++j) {
            std::uint8_t bit = s.syncWord[j] == '1' ? 1 : 0;
            if (rng.chance(s.flipChance)) bit ^= 1;
            bits.set(first + k * s.period + static_cast<std::int64_t>(j), bit); // cells outside are ignored
        }
    }
}

void drawCommon(Rng& rng, DiffCase& c)
{
    AnalysisParameters& p = c.params;
    p.SYNC_BIT_SIZE = gridSize(rng);
    p.ALLOW_ERR_BITS = allowErrBits(rng);
    p.IGNORE_START_BITS = static_cast<std::int32_t>(rng.between(0, 100));
    p.FRAME_ROUNDS = static_cast<std::int32_t>(rng.between(0, 30));
    p.THRESHOLD = static_cast<std::int32_t>(rng.between(0, p.FRAME_ROUNDS + 2));
    c.stream.density = rng.pick(std::vector<double>{0.5, 0.5, 0.5, 0.1, 0.9, 0.02});
    p.BUF_SIZE = 300000;
}

// Hand-picked corners, each on top of a random case.
void applyTarget(Rng& rng, DiffCase& c, std::uint64_t number)
{
    AnalysisParameters& p = c.params;
    switch (number % 15) {
    case 0: p.THRESHOLD = INT32_MIN; break;
    case 1: p.THRESHOLD = INT32_MAX; break;
    case 2: // more frames than the original tables held
        p.START_SYNC_INTERVAL = 1; p.END_SYNC_INTERVAL = 6; p.FRAME_ROUNDS = 600; p.SYNC_BIT_SIZE = 8;
        p.ALLOW_ERR_BITS = 1; p.THRESHOLD = 540; c.stream.density = 0.5;
        planSync(rng, c); c.stream.flipChance = 0.01;
        break;
    case 3:
        p.START_SYNC_INTERVAL = 3; p.END_SYNC_INTERVAL = 5; p.FRAME_ROUNDS = 520; p.SYNC_BIT_SIZE = 4;
        p.ALLOW_ERR_BITS = 0; p.THRESHOLD = 515; c.stream.density = 0.97;
        break;
    case 4: // one long interval whose last frames lie past the last cell
        p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = 20011; p.FRAME_ROUNDS = 16; p.SYNC_BIT_SIZE = 20;
        p.ALLOW_ERR_BITS = 2; p.IGNORE_START_BITS = 0; p.THRESHOLD = 13;
        planSync(rng, c); c.stream.flipChance = 0.02;
        break;
    case 5:
        p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = 30000; p.FRAME_ROUNDS = 11; p.SYNC_BIT_SIZE = 24;
        p.ALLOW_ERR_BITS = 3; p.IGNORE_START_BITS = 50; p.THRESHOLD = 9;
        planSync(rng, c);
        break;
    case 6: // every frame lies before cell 0: all patterns are empty
        p.IGNORE_START_BITS = INT32_MIN; p.START_SYNC_INTERVAL = 1; p.END_SYNC_INTERVAL = 5; p.FRAME_ROUNDS = 3;
        p.THRESHOLD = 2;
        break;
    case 7: p.IGNORE_START_BITS = -1000000; p.START_SYNC_INTERVAL = 2; p.END_SYNC_INTERVAL = 4; break;
    case 8: p.START_SYNC_INTERVAL = 50; p.END_SYNC_INTERVAL = 10; break;
    case 9: p.START_SYNC_INTERVAL = -5; p.END_SYNC_INTERVAL = 3; break;
    case 10: // a 64-bit word whose first 20 bits are excluded
        p.START_SYNC_INTERVAL = 40; p.END_SYNC_INTERVAL = 44; p.SYNC_BIT_SIZE = 64; p.ALLOW_ERR_BITS = 0;
        p.FRAME_ROUNDS = 12; p.THRESHOLD = 5; planSync(rng, c); c.stream.flipChance = 0.0;
        p.EXCLUDE_PAT = {"", "", c.stream.syncWord.substr(0, 20), "", ""};
        c.skipExclusions = false;
        break;
    case 11: // everything matches the empty exclusion pattern
        p.ALLOW_ERR_BITS = 25; p.EXCLUDE_PAT = {"同期", "", "", "", ""}; c.skipExclusions = false;
        break;
    case 12: p.FRAME_ROUNDS = 0; p.THRESHOLD = 0; break;
    case 13: // frames inside the buffer but a 64-bit reference cut by its end
        p.START_SYNC_INTERVAL = p.END_SYNC_INTERVAL = 40; p.SYNC_BIT_SIZE = 64; p.FRAME_ROUNDS = 1;
        p.IGNORE_START_BITS = kBitBufferLast - 100; p.THRESHOLD = 2;
        break;
    default:
        p.START_SYNC_INTERVAL = 200; p.END_SYNC_INTERVAL = 203; p.SYNC_BIT_SIZE = 64; p.FRAME_ROUNDS = 30;
        p.ALLOW_ERR_BITS = 4; p.THRESHOLD = 20; planSync(rng, c);
        break;
    }
}

DiffCase makeCase(std::uint64_t seed, BitBuffer& bits)
{
    Rng rng(seed);
    DiffCase c;
    c.seed = seed;
    AnalysisParameters& p = c.params;
    drawCommon(rng, c);
    const auto kind = static_cast<Kind>(seed >> 32);
    switch (kind) {
    case Kind::Random:
        drawIntervals(rng, p, -3, 30, 12);
        break;
    case Kind::Structured:
        drawIntervals(rng, p, 1, 30, 10);
        p.ALLOW_ERR_BITS = static_cast<std::int32_t>(rng.between(0, 4));
        p.THRESHOLD = static_cast<std::int32_t>(rng.between(p.FRAME_ROUNDS / 2, p.FRAME_ROUNDS + 2));
        c.stream.zeroOneRuns = static_cast<int>(rng.between(0, 5));
        planSync(rng, c);
        break;
    case Kind::PastEnd:
        drawIntervals(rng, p, 1, 40, 10);
        p.IGNORE_START_BITS = static_cast<std::int32_t>(rng.between(299700, 300150));
        if (rng.chance(0.5)) planSync(rng, c);
        break;
    case Kind::NegativeIgnore:
        drawIntervals(rng, p, 1, 30, 10);
        p.IGNORE_START_BITS = static_cast<std::int32_t>(rng.between(-400, -1));
        if (rng.chance(0.5)) planSync(rng, c);
        break;
    case Kind::OffGrid:
        drawIntervals(rng, p, 1, 12, 4);
        p.SYNC_BIT_SIZE = rng.pick(std::vector<std::int32_t>{7, 21, 65, 3, 0, 1, 2, 5, 6, 9, 63, 66, -1, -8});
        if (rng.chance(0.5)) planSync(rng, c);
        break;
    case Kind::Targeted:
        drawIntervals(rng, p, 1, 20, 6);
        break;
    case Kind::Beyond: // intervals longer than the buffer: frame 1 of every index lies past it
        drawIntervals(rng, p, kLastCell - 30, kLastCell + 90, 1);
        p.FRAME_ROUNDS = static_cast<std::int32_t>(rng.between(0, 3));
        p.THRESHOLD = static_cast<std::int32_t>(rng.between(0, 4));
        p.SYNC_BIT_SIZE = 4 * static_cast<std::int32_t>(rng.between(1, 6));
        // A reference of this width just matches the empty frames past the buffer.
        if (rng.chance(0.4)) p.ALLOW_ERR_BITS = std::min(p.SYNC_BIT_SIZE, 20);
        // Every other case starts before cell 0, so frame 0 of the first
        // indexes lies before the buffer while frame 1 lies past it.
        if (seed & 1) p.IGNORE_START_BITS = -static_cast<std::int32_t>(rng.between(50, 400));
        break;
    case Kind::Wide: // several blocks of indexes per interval, the last one partial
        drawIntervals(rng, p, 60, 700, 1);
        p.IGNORE_START_BITS = static_cast<std::int32_t>(rng.between(0, 10)) * (rng.chance(0.2) ? 29000 : 1);
        if (rng.chance(0.7)) planSync(rng, c);
        break;
    }
    drawExclusions(rng, c);
    if (kind == Kind::Targeted) applyTarget(rng, c, seed & 0xFFFFFFFFULL);
    fillStream(rng, c, bits);
    return c;
}

std::vector<std::string> splitRows(const std::string& bytes)
{
    std::vector<std::string> rows;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            rows.push_back(bytes.substr(at));
            break;
        }
        rows.push_back(bytes.substr(at, end + 2 - at));
        at = end + 2;
    }
    return rows;
}

std::string messageText(const RecordedMessage& m)
{
    return "\"" + escaped(m.text) + "\" caption \"" + m.caption + "\"" +
           (m.buttons == Buttons::Ok ? " OK" : " OK/Cancel");
}

template <typename T, typename Show>
std::optional<std::string> firstDifference(const char* what, const std::vector<T>& expected,
                                           const std::vector<T>& actual, Show show)
{
    if (expected == actual) return std::nullopt;
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
    std::ostringstream s;
    s << what << " differ (expected " << expected.size() << ", got " << actual.size() << ") at #" << i
      << ":\n    expected " << (i < expected.size() ? show(expected[i]) : std::string("<nothing>"))
      << "\n    actual   " << (i < actual.size() ? show(actual[i]) : std::string("<nothing>"));
    return s.str();
}

// Every way the search can compare candidates, with and without workers.
struct SearchPath {
    const char* name;
    SearchSettings settings;
};

std::vector<SearchPath> searchPaths()
{
    std::vector<SearchPath> paths = {{"per-candidate", {1, SearchKernel::PerCandidate}},
                                     {"words64", {1, SearchKernel::Words64}},
                                     {"words64 3 threads", {3, SearchKernel::Words64}}};
    if (isKernelAvailable(SearchKernel::Avx2)) {
        paths.push_back({"avx2", {1, SearchKernel::Avx2}});
        paths.push_back({"avx2 3 threads", {3, SearchKernel::Avx2}});
    }
    return paths;
}

// Runs one case through the reference and through every search path; the
// text of every difference, or empty.
std::string runCase(std::uint64_t seed, const std::string& resultPath)
{
    auto session = std::make_unique<Session>();
    const DiffCase c = makeCase(seed, session->bits);

    ScriptedToolkit referenceKit;
    const ReferenceResult expected = ReferenceSearchSync(session->bits, c.params, c.skipExclusions, referenceKit);
    session->params = c.params;
    session->options.skipExclusions = c.skipExclusions;

    std::vector<std::string> problems;
    for (const SearchPath& path : searchPaths()) {
        session->foundCount = 0;
        if (!session->files.result.open(resultPath)) return "cannot open " + resultPath;
        ScriptedToolkit kit;
        CapturingView view;
        const bool completed = SearchIntoResultFile(*session, c.params, kit, view, path.settings);
        session->files.result.close();

        const std::string on = std::string(" (") + path.name + ")";
        const auto showText = [](const std::string& t) { return "\"" + escaped(t) + "\""; };
        if (!completed) problems.push_back("SearchSync returned false" + on);
        if (auto d = firstDifference("result file rows", expected.rows, splitRows(readBytes(resultPath)), showText))
            problems.push_back(*d + on);
        if (auto d = firstDifference("window lines", expected.windowLines, view.lines, showText))
            problems.push_back(*d + on);
        if (auto d = firstDifference("messages", referenceKit.messages, kit.messages, messageText))
            problems.push_back(*d + on);
        if (session->foundCount != expected.found)
            problems.push_back("Found count " + std::to_string(session->foundCount) + ", expected " +
                               std::to_string(expected.found) + on);
        // The window repaints only while the search yields, so the count may be
        // shown in steps; it never goes down and ends at the Found count.
        if (view.foundCounts.empty() || view.foundCounts.back() != expected.found ||
            !std::is_sorted(view.foundCounts.begin(), view.foundCounts.end()))
            problems.push_back("shown Found counts do not rise to " + std::to_string(expected.found) + on);
        if (!problems.empty()) break;
    }

    if (problems.empty()) return {};
    std::string report = describe(c);
    for (const auto& problem : problems) report += "\n  " + problem;
    return report;
}

// The seeds of one kind, or only the one named by MORVELAN_SEARCH_SEED.
std::vector<std::uint64_t> seedsOf(Kind kind, std::uint64_t count)
{
    const auto base = static_cast<std::uint64_t>(kind) << 32;
    if (const char* chosen = std::getenv("MORVELAN_SEARCH_SEED")) {
        const std::uint64_t seed = std::strtoull(chosen, nullptr, 0);
        if ((seed >> 32) == static_cast<std::uint64_t>(kind)) return {seed};
        return {};
    }
    std::vector<std::uint64_t> seeds;
    for (std::uint64_t i = 0; i < count; ++i) seeds.push_back(base | i);
    return seeds;
}

void runKind(Kind kind, std::uint64_t count)
{
    TempDir dir;
    const std::string path = dir.file("result.txt");
    int failures = 0;
    for (const std::uint64_t seed : seedsOf(kind, count)) {
        const std::string problem = runCase(seed, path);
        if (problem.empty()) continue;
        ADD_FAILURE() << problem;
        if (++failures == 3) {
            ADD_FAILURE() << "stopping after 3 failing cases";
            return;
        }
    }
}

TEST(SearchDifferential, RandomStreams) { runKind(Kind::Random, 1000); }
TEST(SearchDifferential, StructuredStreams) { runKind(Kind::Structured, 700); }
TEST(SearchDifferential, FramesPastTheLastCell) { runKind(Kind::PastEnd, 160); }
TEST(SearchDifferential, NegativeIgnoreStartBits) { runKind(Kind::NegativeIgnore, 160); }
TEST(SearchDifferential, SyncBitSizesOffTheGrid) { runKind(Kind::OffGrid, 60); }
TEST(SearchDifferential, TargetedCorners) { runKind(Kind::Targeted, 30); }
TEST(SearchDifferential, WideIntervals) { runKind(Kind::Wide, 40); }
TEST(SearchDifferential, IntervalsBeyondTheBuffer) { runKind(Kind::Beyond, 24); }

} // namespace
