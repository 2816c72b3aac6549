#include "files/result_rows.h"

#include "common/toolkit.h"
#include "files/run_messages.h"
#include "files/row_text.h"
#include "engine/run_view.h"
#include "files/session.h"
#include "files/file_messages.h"

#include <algorithm>

namespace morvelan {

ResultRowWriter::ResultRowWriter(Session& session, Toolkit& toolkit, RunView& view)
    : session_(session), toolkit_(toolkit), view_(view), wantsLines_(view.wantsResultLines()),
      wantsRecords_(view.wantsRecords())
{
    rows_.resize(kBlockBytes + 256);
}

bool ResultRowWriter::take(const CandidateRecord& record, std::string_view pattern, std::string_view hex)
{
    if (failed_) return false;
    // Rows go straight into the block's buffer, which grows only for a row
    // longer than its spare room.
    const std::size_t size = resultRowSize(pattern.size(), hex.size());
    if (used_ + size > rows_.size()) rows_.resize(std::max(2 * rows_.size(), used_ + size));
    used_ = static_cast<std::size_t>(
        writeResultRow(rows_.data() + used_, record.interval, record.index, pattern, hex, record.count) -
        rows_.data());
    if (wantsLines_) {
        appendWindowLine(lines_, record.interval, record.index, pattern, hex, record.count);
        lineEnds_.push_back(lines_.size());
    }
    if (wantsRecords_) records_.push_back(record);
    ++pending_;
    return used_ < kBlockBytes || flush();
}

bool ResultRowWriter::flush()
{
    if (failed_) return false;
    if (pending_ == 0) return true;
    ResultFile& file = session_.files.result;
    if (!file.writeBytes(std::string_view(rows_.data(), used_)) || !file.flush()) {
        failed_ = true;
        showError(toolkit_, messageCannotWriteResult(file.path()));
        return false;
    }
    std::size_t from = 0;
    for (std::int32_t i = 0; i < pending_; ++i) {
        if (wantsLines_) {
            view_.appendResultLine(std::string_view(lines_).substr(from, lineEnds_[static_cast<std::size_t>(i)] - from));
            from = lineEnds_[static_cast<std::size_t>(i)];
        }
        if (wantsRecords_) view_.candidateReported(records_[static_cast<std::size_t>(i)]);
    }
    session_.foundCount += pending_;
    pending_ = 0;
    used_ = 0;
    lines_.clear();
    lineEnds_.clear();
    records_.clear();
    return true;
}

bool SearchIntoResultFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunEvents& events,
                          RunView& view, const SearchSettings& settings)
{
    ResultRowWriter rows(session, toolkit, view);
    return SearchSync(session, params, events, view, rows, settings);
}

bool SearchIntoResultFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunView& view,
                          const SearchSettings& settings)
{
    ToolkitRunEvents events(toolkit);
    return SearchIntoResultFile(session, params, toolkit, events, view, settings);
}

} // namespace morvelan
