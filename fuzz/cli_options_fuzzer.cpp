// The batch program's command line from the fuzzer: the bytes split at NUL
// into arguments, run in-process up to the point where the search would
// start. Never a crash; a run allowed to start has values the run can take;
// a refusal is exit 0 (help) or 2 (usage), or 1 without a codec.
#include "cli/batch_setup.h"
#include "cli/console.h"
#include "engine/parameters.h"
#include "files/session.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace morvelan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args{"morvelan-cli"};
    std::string current;
    for (std::size_t i = 0; i < size && args.size() < 64; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());

    // The program's messages are not the fuzzer's output.
    std::ostringstream sink;
    auto* out = std::cout.rdbuf(sink.rdbuf());
    auto* err = std::cerr.rdbuf(sink.rdbuf());
    Session session;
    volatile std::sig_atomic_t interrupted = 0;
    ConsoleToolkit toolkit(session, interrupted);
    cli::CliOptions options;
    const auto refused = cli::prepareRun(static_cast<int>(argv.size()), argv.data(), session, toolkit, options);
    std::cout.rdbuf(out);
    std::cerr.rdbuf(err);

    if (refused) {
        if (*refused != 0 && *refused != 1 && *refused != 2) std::abort();
        return 0;
    }
    // What may start: a width the conversion takes, frames, a Result path,
    // threads in range, and a PNG only together with its target.
    if (!isValidSyncBitSize(session.params.SYNC_BIT_SIZE) || session.params.FRAME_ROUNDS < 0) std::abort();
    if (session.resultOpenName.empty() || session.inputOpenName.empty()) std::abort();
    if (options.threads < 0 || options.threads > cli::kMaxThreads) std::abort();
    if (options.report.raster.has_value() != !options.report.rasterOut.empty()) std::abort();
    return 0;
}
