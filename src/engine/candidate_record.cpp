#include "engine/candidate_record.h"

#include "engine/bit_buffer.h"
#include "engine/hex_convert.h"
#include "engine/parameters.h"
#include "engine/run_events.h"

#include <algorithm>

namespace morvelan {
ReportedCandidate expandCandidate(const BitBuffer& bits, const AnalysisParameters& params, const CandidateRecord& record)
{
    ReportedCandidate c;
    c.interval = record.interval;
    c.index = record.index;
    c.count = record.count;
    const std::int64_t first = firstCellOf(params, record.index);
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + params.SYNC_BIT_SIZE - 1, kBitBufferLast);
    for (std::int64_t p = from; p <= to; ++p) c.pattern += static_cast<char>('0' + bits.get(p));
    SilentRunEvents silent; // the run has reported the conversion's failures already
    c.hex = HexConvert(silent, c.pattern);
    return c;
}

} // namespace morvelan
