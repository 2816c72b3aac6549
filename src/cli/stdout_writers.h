#pragma once
// The batch program's stdout in each of its formats: one writer per format,
// chosen once, each putting out its rows and its summary.
#include "analysis/summary.h"
#include "engine/reported_candidate.h"
#include "files/frame_extraction.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace morvelan {
struct InputAccount;
struct AnalysisParameters;
} // namespace morvelan

namespace morvelan::cli {

enum class OutputFormat { Text, Csv, Json };

// What the summary shows after the run.
struct SummaryParts {
    const std::vector<SummaryGroup>& groups;
    std::size_t reported; // the run's reported rows
    const AnalysisParameters& params;
    const InputAccount& input;
    const ExtractionResult* frames; // the segments, when frames went out
};

class StdoutWriter {
public:
    using Sink = std::function<void(std::string_view)>;
    virtual ~StdoutWriter() = default;
    // One reported candidate (text rows come from the console view instead).
    virtual void row(const ReportedCandidate& candidate) = 0;
    // After the run: the end of the rows and, when given, the summary.
    virtual void finish(const SummaryParts* summary) = 0;
};

// `rows`: whether rows are printed (false under --quiet).
std::unique_ptr<StdoutWriter> makeStdoutWriter(OutputFormat format, bool rows, StdoutWriter::Sink out);

} // namespace morvelan::cli
