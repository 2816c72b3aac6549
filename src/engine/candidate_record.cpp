#include "engine/candidate_record.h"

#include "common/toolkit.h"
#include "engine/bit_buffer.h"
#include "engine/hex_convert.h"
#include "engine/parameters.h"

#include <algorithm>

namespace morvelan {
namespace {

// Swallows the conversion's messages: the run has shown them already.
class SilentToolkit : public Toolkit {
public:
    Answer showMessage(std::string_view, std::string_view, Buttons) override { return Answer::Ok; }
    void yield() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override { return std::nullopt; }
};

} // namespace

ReportedCandidate expandCandidate(const BitBuffer& bits, const AnalysisParameters& params, const CandidateRecord& record)
{
    ReportedCandidate c;
    c.interval = record.interval;
    c.index = record.index;
    c.count = record.count;
    const std::int64_t first = std::int64_t{params.IGNORE_START_BITS} + 1 + record.index;
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + params.SYNC_BIT_SIZE - 1, kBitBufferLast);
    for (std::int64_t p = from; p <= to; ++p) c.pattern += static_cast<char>('0' + bits.get(p));
    SilentToolkit silent;
    c.hex = HexConvert(silent, c.pattern);
    return c;
}

} // namespace morvelan
