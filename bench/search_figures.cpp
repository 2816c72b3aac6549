// Prints the search's figures, each against a reference measured in the
// same run (medians of several whole processes; nothing is committed, the
// captures are generated here):
//   wide run   morvelan-cli, intervals 100..2000, reset values otherwise, on a
//              random 200000-bit capture, against the plain compiled search
//   B1         examples/sample.txt with the reset values: whole process, and
//              the search alone in this process (against the one-at-a-time
//              comparison)
//   all-zero   200000 bits of 0, reset values: MB/s of Result file and peak
//              resident size of the process, against copying that file
//   threads    the wide run with --threads 1, 2 and every core
// Usage: morvelan_search_figures [REPEATS]   (default 5)
#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "files/session.h"
#include "files/input_reader.h"
#include "files/result_file.h"
#include "files/result_rows.h"
#include "support/counting_toolkit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace morvelan;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct ProcessRun {
    double seconds = 0;
    double cpuSeconds = 0; // user + system time of the process
    long maxRssKb = 0;
    int status = -1;
};

ProcessRun runProcess(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    const auto begin = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    run.maxRssKb = usage.ru_maxrss;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    run.status = status;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median whole-process time of `args`, run `repeats` times; the peak
// resident size of the largest run goes to `rssKb`.
double timeProcess(const std::vector<std::string>& args, int repeats, long* rssKb = nullptr, double* cpu = nullptr)
{
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int i = 0; i < repeats; ++i) {
        const ProcessRun r = runProcess(args);
        if (r.status != 0) std::fprintf(stderr, "warning: %s ended with status %d\n", args[0].c_str(), r.status);
        times.push_back(r.seconds);
        cpuTimes.push_back(r.cpuSeconds);
        if (rssKb) *rssKb = std::max(*rssKb, r.maxRssKb);
    }
    if (cpu) *cpu = median(cpuTimes);
    return median(times);
}

void writeCapture(const fs::path& path, bool random)
{
    std::mt19937 rng(2024);
    std::ofstream out(path, std::ios::binary);
    out << "xxTDM generated capture\r\n";
    for (int line = 0; line < 626; ++line) { // the last line is never decoded
        for (int c = 0; c < 80; ++c) out << (random ? "0123456789ABCDEF"[rng() & 15] : '0');
        out << "\r\n";
    }
}

// The search alone, in this process, on the sample's Bit buffer.
double timeSearchAlone(SearchKernel kernel, int threads, int repeats, const fs::path& dir)
{
    Session session;
    ResetParameters(session.params);
    session.inputPath = std::string(MORVELAN_EXAMPLES) + "/sample.txt";
    session.resultPath = (dir / "Rsample-read.txt").string();
    testing::CountingToolkit toolkit;
    if (!OpenRunFiles(session, session.params, toolkit) || !ReadInputFile(session, toolkit)) return -1;
    session.files.closeBoth();
    RunView view;
    SearchSettings settings;
    settings.kernel = kernel;
    settings.threads = threads;
    std::vector<double> times;
    for (int i = 0; i < repeats * 4; ++i) {
        session.files.result.open((dir / "Rsample-search.txt").string());
        session.foundCount = 0;
        const auto begin = Clock::now();
        SearchIntoResultFile(session, session.params, toolkit, view, settings);
        times.push_back(std::chrono::duration<double>(Clock::now() - begin).count());
        session.files.result.close();
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path dir = fs::temp_directory_path() / ("morvelan-figures-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string cli = MORVELAN_CLI;
    const std::string plain = MORVELAN_PLAIN_SEARCH;
    const std::string sample = std::string(MORVELAN_EXAMPLES) + "/sample.txt";
    const fs::path randomCapture = dir / "random.txt";
    const fs::path zeroCapture = dir / "zero.txt";
    writeCapture(randomCapture, true);
    writeCapture(zeroCapture, false);
    const std::string out = (dir / "R.txt").string();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

    std::printf("repeats %d, %u cores; medians of whole processes unless noted\n\n", repeats, cores);

    // Wide run.
    const auto wide = [&](const std::string& threads) {
        return timeProcess({cli, randomCapture.string(), "-q", "-o", out, "--start-interval", "100", "--end-interval",
                            "2000", "--threads", threads},
                           repeats);
    };
    const double wideAll = wide(std::to_string(cores));
    const double widePlain = timeProcess(
        {plain, randomCapture.string(), (dir / "Rplain.txt").string(), "100", "2000", "20", "2", "20", "10"}, repeats);
    std::printf("wide run (100..2000, random 200000 bits): morvelan-cli %.1f ms, plain search %.1f ms: %.3fx "
                "(target <= 0.10x)\n",
                wideAll * 1e3, widePlain * 1e3, wideAll / widePlain);

    // B1.
    double b1Cpu = 0;
    const double b1 = timeProcess({cli, sample, "-q", "-o", out}, repeats * 2, nullptr, &b1Cpu);
    const double b1Plain =
        timeProcess({plain, sample, (dir / "Rplain.txt").string(), "300", "700", "20", "2", "20", "10"}, repeats * 2);
    const double b1Search = timeSearchAlone(SearchKernel::Auto, 0, repeats, dir);
    const double b1SearchSingle = timeSearchAlone(SearchKernel::Auto, 1, repeats, dir);
    const double b1SearchOne = timeSearchAlone(SearchKernel::PerCandidate, 1, repeats, dir);
    std::printf("B1 whole process: %.2f ms, CPU time %.2f ms (target <= 5 ms), plain search %.2f ms: %.3fx\n",
                b1 * 1e3, b1Cpu * 1e3, b1Plain * 1e3, b1 / b1Plain);
    std::printf("B1 search alone: %.3f ms every core, %.3f ms one thread (target <= 2 ms); one candidate at a "
                "time, one thread %.3f ms: %.3fx\n",
                b1Search * 1e3, b1SearchSingle * 1e3, b1SearchOne * 1e3, b1SearchSingle / b1SearchOne);

    // All-zero capture.
    long rssKb = 0;
    double zeroCpu = 0;
    const double zero = timeProcess({cli, zeroCapture.string(), "-q", "-o", out}, repeats, &rssKb, &zeroCpu);
    const double bytes = static_cast<double>(fs::file_size(out));
    const double copy = timeProcess({"/bin/cp", out, (dir / "copy.txt").string()}, repeats);
    std::printf("all-zero: %.1f MB Result file in %.1f ms: %.0f MB/s (target >= 300), by CPU time %.0f MB/s; "
                "peak RSS %.1f MB (target <= 16); copying the file %.1f ms: %.2fx the copy\n",
                bytes / 1e6, zero * 1e3, bytes / 1e6 / zero, bytes / 1e6 / zeroCpu,
                static_cast<double>(rssKb) / 1024.0, copy * 1e3, zero / copy);

    // Threads.
    const double one = wide("1");
    const double two = wide("2");
    std::printf("threads (wide run): 1 %.1f ms, 2 %.1f ms (%.2fx), all %u %.1f ms (%.2fx)\n", one * 1e3, two * 1e3,
                one / two, cores, wideAll * 1e3, one / wideAll);

    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
