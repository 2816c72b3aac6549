// The fast search against the literal reference on small streams and
// parameters chosen by the fuzzer: identical rows, window lines, Found count
// and messages, or the target aborts.
#include "common/toolkit.h"
#include "engine/reference_search.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/session.h"
#include "files/result_rows.h"
#include "support/scripted_toolkit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using namespace morvelan;

namespace {

class LineCollector : public RunView {
public:
    std::vector<std::string> lines;
    void appendResultLine(std::string_view line) override { lines.emplace_back(line); }
};

// Consumes the fuzzer's bytes as small numbers, zero once they run out.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int range(int lo, int hi) { return lo + byte() % (hi - lo + 1); }
    std::string rest() { return pos_ < size_ ? std::string(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_) : ""; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

std::string resultPath()
{
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    return (base / ("morvelan-fuzz-search-" + std::to_string(getpid()) + ".txt")).string();
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

// The literal reference compares every frame of every candidate bit by bit,
// so the sizes stay small: a few short intervals, and only now and then one
// wide enough for a full vector of 256 indexes and a partial one. Workers
// are started rarely; one thread reaches the same comparisons.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    static Session session;
    // Only the cells the last input wrote need clearing.
    static std::int64_t dirtyFrom = 0;
    static std::int64_t dirtyTo = kBitBufferLast;
    for (std::int64_t cell = dirtyFrom; cell <= dirtyTo; ++cell) session.bits.set(cell, 0);
    dirtyTo = -1;
    session.foundCount = 0;
    session.abortFlag.clear();

    AnalysisParameters p;
    const bool wide = in.byte() < 8;
    p.START_SYNC_INTERVAL = wide ? in.range(60, 330) : in.range(-2, 28);
    p.END_SYNC_INTERVAL = p.START_SYNC_INTERVAL + (wide ? in.range(-1, 0) : in.range(-1, 2));
    // Words of 4 to 24 bits for three inputs in four, 24 to 64 for the rest:
    // the reference builds and converts every frame bit by bit.
    const int width = in.byte();
    p.SYNC_BIT_SIZE = 4 * (width < 64 ? 6 + width % 11 : 1 + width % 6);
    p.ALLOW_ERR_BITS = in.range(-1, 22);
    p.FRAME_ROUNDS = in.range(0, 12);
    p.THRESHOLD = in.range(-1, 15);
    // Near the start, or with frames running past the last cell.
    const int where = in.byte();
    p.IGNORE_START_BITS = (where & 1) ? kBitBufferLast - in.range(0, 400) : in.range(-70, 60);
    session.options.skipExclusions = (where & 2) != 0;
    // Every comparison kind; workers for one input in sixteen.
    SearchSettings settings;
    settings.threads = (where >> 4) == 5 ? 3 : 1;
    const SearchKernel kernels[] = {SearchKernel::PerCandidate, SearchKernel::Words64, SearchKernel::Avx2};
    settings.kernel = kernels[(where >> 2) % 3];
    if (!isKernelAvailable(settings.kernel)) settings.kernel = SearchKernel::Words64;
    const int patterns = in.range(0, 5);
    for (int i = 0; i < patterns; ++i) {
        const int kind = in.byte();
        std::string text;
        const int len = in.range(0, 24);
        for (int k = 0; k < len; ++k) {
            const int c = in.byte();
            text += (kind & 1) ? "01xA"[c & 3] : ((c & 1) ? '1' : '0');
        }
        if (kind & 2) text += "同";
        p.EXCLUDE_PAT[static_cast<std::size_t>(i)] = text;
    }
    // The stream: the remaining bytes, bit by bit, placed where the frames are.
    const std::string stream = in.rest();
    const std::int64_t origin = std::max<std::int64_t>(1, std::int64_t{p.IGNORE_START_BITS} + 1);
    for (std::size_t i = 0; i < stream.size() * 8; ++i)
        session.bits.set(origin + static_cast<std::int64_t>(i), (static_cast<unsigned char>(stream[i / 8]) >> (7 - i % 8)) & 1);
    dirtyFrom = origin;
    dirtyTo = std::min<std::int64_t>(kBitBufferLast, origin + static_cast<std::int64_t>(stream.size()) * 8 - 1);

    testing::ScriptedToolkit engineToolkit;
    LineCollector view;
    const std::string path = resultPath();
    if (!session.files.result.open(path)) return 0;
    const bool ok = SearchIntoResultFile(session, p, engineToolkit, view, settings);
    session.files.result.close();

    testing::ScriptedToolkit referenceToolkit;
    const auto expected = testing::ReferenceSearchSync(session.bits, p, session.options.skipExclusions, referenceToolkit);
    std::string expectedRows;
    for (const auto& row : expected.rows) expectedRows += row;

    if (!ok || view.lines != expected.windowLines || session.foundCount != expected.found ||
        readAll(path) != expectedRows || engineToolkit.messages != referenceToolkit.messages) {
        std::fprintf(stderr, "difference: START %d END %d S %d A %d IGN %d F %d T %d excl %d\n", p.START_SYNC_INTERVAL,
                     p.END_SYNC_INTERVAL, p.SYNC_BIT_SIZE, p.ALLOW_ERR_BITS, p.IGNORE_START_BITS, p.FRAME_ROUNDS,
                     p.THRESHOLD, session.options.skipExclusions ? 0 : 1);
        std::abort();
    }
    return 0;
}
