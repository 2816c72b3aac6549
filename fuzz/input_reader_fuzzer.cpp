// The input reader on arbitrary bytes: the first byte picks the options
// (header check, LF conversion), the rest is the input file.
#include "files/session.h"
#include "files/input_reader.h"
#include "files/result_file.h"
#include "support/counting_toolkit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace morvelan;

namespace {

const std::filesystem::path& workDir()
{
    static const std::filesystem::path dir = [] {
        // Every run writes files; on a memory file system that costs nothing.
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        auto d = base / ("morvelan-fuzz-reader-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        std::filesystem::current_path(d); // the LF copy is made in the current folder
        return d;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const auto dir = workDir();
    const std::string input = (dir / "in.txt").string();
    if (std::FILE* f = std::fopen(input.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    static Session session; // one per process, as in the programs
    session.bits.clear();
    session.abortFlag.clear();
    session.inputPath = input;
    session.resultPath = "/dev/null";
    session.options.skipHeaderCheck = (data[0] & 1) != 0;
    session.options.lfInput = (data[0] & 2) != 0;
    testing::CountingToolkit toolkit;
    AnalysisParameters params;
    if (OpenRunFiles(session, params, toolkit) && ReadInputFile(session, toolkit)) {
        // Every cell holds the number 0 or 1. Each input byte yields at most
        // one line of 80 digits, so only that far can have been written.
        const auto& cells = session.bits.cells();
        const std::size_t reach = std::min(cells.size(), size * 320 + 1);
        for (std::size_t p = 0; p < reach; ++p)
            if (cells[p] > 1) std::abort();
    }
    if (session.bits.cells()[0] != 0) std::abort(); // cell 0 is never written
    session.files.closeBoth();
    return 0;
}
