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
    c.pattern = framePatternAt(bits, firstCellOf(params, record.index), params.SYNC_BIT_SIZE);
    SilentRunEvents silent; // the run has reported the conversion's failures already
    c.hex = HexConvert(silent, c.pattern);
    return c;
}

} // namespace morvelan
