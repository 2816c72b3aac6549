// A soak of the batch program's pipeline in one process, over generated
// captures of the kinds users bring: published and unknown sync words,
// inverted polarity, bit errors, stray characters, LF line ends, frames
// longer than the data. Every report is asked for. Run under the
// sanitizers in CI, it covers the summary, the raster and the reports.
#include "cli/batch_setup.h"
#include "cli/cli_report.h"
#include "cli/console.h"
#include "files/run_analysis.h"
#include "files/session.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

struct Shape {
    std::uint64_t word;
    int wordBits;
    int frameBits;
    int frames;
    int offset;
    bool inverted;
    double bitErrors;
    bool strayCharacters;
    bool lfOnly;
};

Shape randomShape(std::mt19937& rng)
{
    static constexpr std::pair<std::uint64_t, int> kWords[] = {
        {0xEB90, 16}, {0xFAF320, 24}, {0xFE6B2840, 32}, {0x1ACFFC1D, 32}, {0xB5C27, 20}, {0x5A3, 12}};
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto [word, bits] = kWords[pick(0, 5)];
    Shape s{word, bits, pick(100, 900), pick(3, 60), 0, pick(0, 3) == 0, pick(0, 2) * 0.002, pick(0, 5) == 0,
            pick(0, 3) == 0};
    s.offset = pick(0, s.frameBits - 1);
    return s;
}

std::string capture(const Shape& s, std::mt19937& rng)
{
    std::vector<int> bits(static_cast<std::size_t>(s.frameBits) * static_cast<std::size_t>(s.frames));
    for (int& b : bits) b = static_cast<int>(rng() & 1u);
    for (int f = 0; f < s.frames; ++f)
        for (int j = 0; j < s.wordBits; ++j) {
            const std::size_t at = static_cast<std::size_t>(f * s.frameBits + s.offset + j) % bits.size();
            bits[at] = static_cast<int>((s.word >> (s.wordBits - 1 - j)) & 1u);
        }
    std::bernoulli_distribution flip(s.bitErrors);
    for (int& b : bits) b ^= (s.inverted ? 1 : 0) ^ (flip(rng) ? 1 : 0);
    while (bits.size() % 4 != 0) bits.push_back(0);
    const std::string eol = s.lfOnly ? "\n" : "\r\n";
    std::string out = "; TDM soak" + eol;
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        const bool stray = s.strayCharacters && rng() % 500 == 0;
        out += stray ? "xG#\xE3\x81\x82"[rng() % 4] : "0123456789ABCDEF"[bits[i] * 8 + bits[i + 1] * 4 + bits[i + 2] * 2 + bits[i + 3]];
        if ((i / 4) % 80 == 79 || i + 4 >= bits.size()) out += eol;
    }
    return out + "; end" + eol;
}

bool wholeRows(const std::string& bytes)
{
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') {
            if (i == 0 || bytes[i - 1] != '\r') return false;
            ++lines;
        }
    return lines >= 18 && bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n";
}

TEST(BatchSoakTest, GeneratedCapturesRunWithEveryReport)
{
    TempDir dir;
    std::mt19937 rng(20261207u);
    int withRows = 0;
    for (int run = 0; run < 60; ++run) {
        const Shape shape = randomShape(rng);
        SCOPED_TRACE("run " + std::to_string(run) + " frame " + std::to_string(shape.frameBits));
        const std::string input = dir.write("in" + std::to_string(run) + ".txt", capture(shape, rng));
        const int span = std::uniform_int_distribution<int>(0, 40)(rng);
        std::vector<std::string> args = {"morvelan-cli", "-q", "--summary", "--format", "json",
            "--sync-bits", std::to_string((shape.wordBits + 3) / 4 * 4), "--allow-errors", std::to_string(run % 4),
            "--start-interval", std::to_string(std::max(16, shape.frameBits - span)),
            "--end-interval", std::to_string(shape.frameBits + span), "--frames", std::to_string(2 + run % 30),
            "--threshold", std::to_string(1 + run % 10), "--ignore-bits", std::to_string(run % 3 == 0 ? -run : run),
            "--raster", std::to_string(shape.frameBits) + ":" + std::to_string(shape.offset - 5),
            "--raster-out", dir.file("r.png"), "--threads", run % 2 ? "1" : "2", input};
        if (shape.lfOnly) args.insert(args.begin() + 1, "--lf");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        Session session;
        volatile std::sig_atomic_t interrupted = 0;
        ConsoleToolkit toolkit(session, interrupted);
        cli::CliOptions options;
        ::testing::internal::CaptureStderr();
        const auto refused = cli::prepareRun(static_cast<int>(argv.size()), argv.data(), session, toolkit, options);
        ASSERT_FALSE(refused) << ::testing::internal::GetCapturedStderr();
        ConsoleView console(false, false);
        std::string out;
        cli::ReportView report(console, options.report, true, [&](std::string_view t) { out += t; }, session);
        SearchSettings search;
        search.threads = options.threads;
        const bool ok = RunAnalysis(session, toolkit, report, search);
        session.files.closeBoth();
        std::string errors;
        report.finish(ok, [&](std::string_view t) { errors += t; });
        ::testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ok) << errors;
        const std::string result = readBytes(session.resultPath);
        EXPECT_TRUE(wholeRows(result));
        EXPECT_EQ(out.front(), '{');
        EXPECT_EQ(out.substr(out.size() - 2), "}\n");
        withRows += result.find("\r\n", result.find(";Interval")) + 2 < result.size();
    }
    EXPECT_GT(withRows, 20) << "the captures hold frames the search finds";
}

} // namespace
