#pragma once
// What a run shows in the window while it works: the progress bar, the
// current interval and index, the result list and the Found count. The
// window repaints each at once; the batch program prints what it needs.
// Every method has a do-nothing default so a view overrides only its part.
#include "engine/candidate_record.h"

#include <cstdint>
#include <string_view>

namespace morvelan {

class RunView {
public:
    virtual ~RunView() = default;
    // Max, then Min, then Value, in that order.
    virtual void setProgressRange(std::int32_t /*min*/, std::int32_t /*max*/) {}
    virtual void setProgressValue(std::int32_t /*value*/) {}
    virtual void showInterval(std::int32_t /*interval*/) {}
    virtual void showIndex(std::int32_t /*index*/) {}
    // Empties the result list.
    virtual void clearResults() {}
    // One window line, ending in CR LF.
    virtual void appendResultLine(std::string_view /*line*/) {}
    virtual void showFoundCount(std::int32_t /*count*/) {}
    // The same report as a compact record, for views that rank or export
    // results; called right after appendResultLine.
    virtual void candidateReported(const CandidateRecord& /*record*/) {}
    // Whether the view reads the window lines and the records at all; a run
    // builds neither for a view that does not.
    virtual bool wantsResultLines() const { return true; }
    virtual bool wantsRecords() const { return true; }
};

} // namespace morvelan
