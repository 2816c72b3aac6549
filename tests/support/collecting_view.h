#pragma once
// A run view that keeps every reported candidate in full, its pattern and hex
// text read back from the Bit buffer with the run's parameters.
#include "engine/candidate_record.h"
#include "engine/run_view.h"
#include "engine/bit_buffer.h"
#include "engine/parameters.h"

#include <vector>

namespace morvelan::testing {

class CollectingView : public RunView {
public:
    CollectingView(const BitBuffer& bits, const AnalysisParameters& params) : bits_(bits), params_(params) {}
    std::vector<ReportedCandidate> results;
    void candidateReported(const CandidateRecord& record) override
    {
        results.push_back(expandCandidate(bits_, params_, record));
    }

private:
    const BitBuffer& bits_;
    const AnalysisParameters& params_;
};

} // namespace morvelan::testing
