// Soak test: 1000 consecutive runs of the pipeline in one process over
// generated inputs of every size up to 200000 bits. Checks that every
// Result file is complete and that memory stays flat; prints the largest
// resident set size seen over the first and over the last hundred runs.
#include "common/toolkit.h"
#include "support/counting_toolkit.h"
#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "files/session.h"
#include "files/run_analysis.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <unistd.h>

using namespace morvelan;

namespace {

class LineCounter : public RunView {
public:
    long lines = 0;
    void appendResultLine(std::string_view) override { ++lines; }
};

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A capture of `bits` bits (whole lines) with a 20-bit word every 512.
std::string makeInput(std::int64_t bits, std::mt19937& rng)
{
    std::string text = "; TDM soak input\r\n";
    const std::int64_t digits = bits / 4;
    for (std::int64_t d = 0; d < digits; ++d) {
        const std::int64_t pos = d * 4 % 512;
        text += pos < 20 ? "B5C27"[pos / 4] : "0123456789ABCDEF"[rng() & 15];
        if (d % 80 == 79) text += "\r\n";
    }
    text += "; end\r\n"; // the last line is never decoded
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::stoi(argv[1]) : 1000;
    const auto dir = std::filesystem::temp_directory_path() / ("morvelan-soak-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::mt19937 rng(99);
    Session session;
    long firstPeak = 0, lastPeak = 0;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        // Whole lines of 80 digits (320 bits): a short line would be decoded
        // with its missing positions as bad digits.
        const std::int64_t bits = std::max<std::int64_t>(320, (static_cast<std::int64_t>(i) + 1) * MAX_INPUT_BITS / runs / 320 * 320);
        const std::string input = (dir / "in.txt").string();
        std::ofstream(input, std::ios::binary) << makeInput(bits, rng);
        ResetParameters(session.params);
        session.inputPath = input;
        session.resultPath = (dir / "Rin.txt").string();
        session.foundCount = 0;
        testing::CountingToolkit toolkit;
        LineCounter view;
        const bool ok = RunAnalysis(session, toolkit, view);

        // Read in chunks: the check must not be what makes memory grow.
        std::ifstream in(session.resultPath, std::ios::binary);
        long lines = 0;
        char previous = 0;
        char chunk[1 << 16];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            for (std::streamsize k = 0; k < in.gcount(); ++k) {
                if (chunk[k] == '\n' && previous == '\r') ++lines;
                previous = chunk[k];
            }
        }
        const bool complete = previous == '\n' && lines == 18 + session.foundCount && view.lines == session.foundCount;
        if (!ok || !complete || toolkit.messages != 0) {
            std::cerr << "run " << i << " (" << bits << " bits): ok=" << ok << " complete=" << complete
                      << " messages=" << toolkit.messages << '\n';
            ++failures;
        }
        const long rss = residentKiB();
        if (i < 100) firstPeak = std::max(firstPeak, rss);
        if (i >= runs - 100) lastPeak = std::max(lastPeak, rss);
    }
    std::filesystem::remove_all(dir);
    std::cout << runs << " runs, " << failures << " failures; peak RSS first 100 runs " << firstPeak
              << " KiB, last 100 runs " << lastPeak << " KiB\n";
    // Memory is flat when the late runs need no more than the early ones
    // (within a page-rounding margin).
    const bool flat = lastPeak <= firstPeak + 256;
    if (!flat) std::cerr << "resident memory grew\n";
    return failures == 0 && flat ? 0 : 1;
}
