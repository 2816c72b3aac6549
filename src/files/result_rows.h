#pragma once
// The files layer's side of the search: reported candidates become rows of
// the Result file, window lines of the result list and records, in order.
//
// Rows are formatted into one buffer and handed to the Result file as blocks
// of whole rows: every 64 KiB, and whenever the search flushes (before every
// message box, every yield to the window and at the end). A row is shown in
// the window, passed on as a record and counted in the Found count only once
// its block has been written. When a block cannot be written none of its
// rows is shown or counted, the message names the Result file, and the run
// stops: the Found count and the window never claim a row the file lacks.
#include "engine/candidate_sink.h"
#include "engine/search.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morvelan {

class RunEvents;
class RunView;
class Session;
class Toolkit;
struct AnalysisParameters;

class ResultRowWriter : public CandidateSink {
public:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

    ResultRowWriter(Session& session, Toolkit& toolkit, RunView& view);
    bool take(const CandidateRecord& record, std::string_view pattern, std::string_view hex) override;
    bool flush() override;

private:
    Session& session_;
    Toolkit& toolkit_;
    RunView& view_;
    bool wantsLines_;
    bool wantsRecords_;
    bool failed_ = false;
    std::string rows_;     // the block being filled: its first used_ bytes
    std::size_t used_ = 0;
    std::string lines_;
    std::vector<std::size_t> lineEnds_;
    CandidateRecords records_;
    std::int32_t pending_ = 0;
};

// The search with its rows written to the open Result file (file 2); a row
// that cannot be written is reported through `toolkit`, the search's events
// go to `events` (or, without them, to `toolkit` as its boxes).
bool SearchIntoResultFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunEvents& events,
                          RunView& view, const SearchSettings& settings = {});
bool SearchIntoResultFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunView& view,
                          const SearchSettings& settings = {});

} // namespace morvelan
