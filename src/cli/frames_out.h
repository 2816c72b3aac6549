#pragma once
// Frames out in the batch program: after a completed run, the capture is cut
// into frames from the summary's first entry (or the word the user forces)
// and written to the --extract file; the segments go to the summary.
#include "cli/cli_report.h"
#include "files/frame_extraction.h"

#include <optional>

namespace morvelan {
class Session;
}

namespace morvelan::cli {

struct CliOptions;

inline constexpr std::string_view kMsgNoFrames = "同期が見つからないため、抽出するフレームはありません。";

// Runs the synchroniser when the options ask for frames or a summary.
// nullopt when they ask for neither; `ok` false when the extraction file
// could not be written or the pass was interrupted (the message went to
// `errors`).
std::optional<ExtractionResult> framesOut(const Session& session, const CliOptions& options,
                                          const std::vector<SummaryGroup>& groups, const ReportView::Sink& errors,
                                          bool& ok);

} // namespace morvelan::cli
