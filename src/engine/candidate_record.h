#pragma once
// A reported candidate kept compactly: what a summary, a raster list or a
// machine-readable export needs after the run. The pattern and its hex text
// are not stored; they are read back from the Bit buffer, which keeps the
// run's bits until the next run reads its input.
#include "engine/reported_candidate.h"

#include <cstdint>
#include <vector>

namespace morvelan {

class BitBuffer;
struct AnalysisParameters;

struct CandidateRecord {
    std::int32_t interval = 0;
    std::int32_t index = 0;
    std::int64_t count = 0; // recurrence count, reference frame included

    bool operator==(const CandidateRecord&) const = default;
};

using CandidateRecords = std::vector<CandidateRecord>;

// The record with its reference pattern and hex text as the run reported
// them, re-derived from `bits` with the run's parameters. Silent: a pattern
// cut by the buffer's ends gets the hex text the conversion gave it without
// showing its messages again.
ReportedCandidate expandCandidate(const BitBuffer& bits, const AnalysisParameters& params, const CandidateRecord& record);

} // namespace morvelan
