#pragma once
// Reported candidates and their ranked summary as text: CSV and JSON records
// and the summary table of the batch program.
#include "engine/reported_candidate.h"
#include "analysis/summary.h"

#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

// One CSV field (RFC 4180: quoted when it holds a comma, a quote or a line
// break, quotes doubled) and one JSON string literal (quotes included;
// invalid UTF-8 bytes become U+FFFD).
std::string csvField(std::string_view text);
std::string jsonString(std::string_view text);

inline constexpr std::string_view kCsvHeader = "interval,index,pattern,hex,count";
// One candidate as a CSV line or a JSON object, without line end.
std::string csvRecord(const ReportedCandidate& c);
std::string jsonRecord(const ReportedCandidate& c);

// The ranked summary as an aligned table (after a head line and a line that
// states the chance model), as CSV with a header line, and as a JSON array.
// The first two end with a line end. `reported`: the run's reported rows.
std::string summaryText(const std::vector<SummaryGroup>& groups, std::size_t reported, const AnalysisParameters& params);
std::string summaryCsv(const std::vector<SummaryGroup>& groups);
std::string summaryJsonArray(const std::vector<SummaryGroup>& groups);

// The line that says how the chance figures are reckoned.
std::string chanceModelText(const AnalysisParameters& params);

// "31-41" for a run of indexes, "36" for one, "510-3" for a run that wraps.
std::string indexSpanText(const SummaryGroup& g);

} // namespace morvelan
