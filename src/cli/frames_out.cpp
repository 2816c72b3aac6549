#include "cli/frames_out.h"

#include "cli/cli_options.h"
#include "cli/end_signals.h"
#include "files/file_messages.h"
#include "files/frame_output.h"
#include "files/run_files.h"
#include "files/session.h"
#include "platform/file.h"

namespace morvelan::cli {
namespace {

ExtractionRequest requestOf(const CliOptions& options)
{
    ExtractionRequest request;
    const ExtractOptions& o = options.extract;
    if (o.lockSync && o.lockInterval) request.forced = FrameFormat{*o.lockInterval, *o.lockSync};
    request.wordBits = o.wordBits.value_or(0);
    request.outputPath = o.path.value_or(std::string());
    // Without an extraction file the pass only serves the summary's segments.
    if (!o.path) request.maxBits = kSummarySegmentBits;
    return request;
}

// The files of the run the extraction file may not be, by what they are.
ResultOpenRules extractRules(const Session& session, const CliOptions& options)
{
    ResultOpenRules rules; // a name the user gave follows links
    if (session.inputOpened) rules.forbidden.push_back(*session.inputOpened);
    for (const std::string& path : {session.resultOpenName, options.settingsFile.value_or(std::string())})
        if (const auto id = path.empty() ? std::nullopt : platform::identityOf(path)) rules.forbidden.push_back(*id);
    return rules;
}

} // namespace

std::optional<ExtractionResult> framesOut(const Session& session, const CliOptions& options,
                                          const std::vector<SummaryGroup>& groups, const ReportView::Sink& errors,
                                          bool& ok)
{
    ok = true;
    if (!options.extract.path && !options.report.summary) return std::nullopt;
    const ExtractionRequest request = requestOf(options);
    // The extraction file is written as the Result file is: locked, emptied
    // once locked, in whole records.
    ResultFile file;
    std::unique_ptr<FrameOutput> output;
    if (options.extract.path) {
        const std::string& path = *options.extract.path;
        if (!file.open(path, extractRules(session, options))) {
            errors(file.openError() == ResultOpenError::SameAsInput ? messageSameFile(path)
                                                                     : messageCannotWriteExtraction(path));
            ok = false;
            return std::nullopt;
        }
        const ExtractFormat format = options.extract.format.value_or(extractFormatForPath(path));
        output = FrameOutput::make(format, extractionWordBits(request, session),
                                   [&file](std::string_view bytes) { return file.writeBytes(bytes); });
    }
    ExtractionResult result;
    const std::string message = ExtractFrames(session, session.params, request, groups, output.get(), result,
                                              [] { return endRequested() == 0; });
    const bool closed = file.close() || !options.extract.path;
    if (!message.empty() || !closed) {
        errors(message.empty() ? messageCannotWriteExtraction(*options.extract.path) : message);
        ok = false;
    } else if (options.extract.path && result.segments.empty()) {
        errors(kMsgNoFrames);
    }
    return result;
}

} // namespace morvelan::cli
