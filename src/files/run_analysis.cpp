#include "files/run_analysis.h"

#include "platform/cp932.h"
#include "common/toolkit.h"
#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/session.h"
#include "files/file_messages.h"
#include "files/capture_reader.h"
#include "files/input_reader.h"
#include "files/result_file.h"
#include "files/result_rows.h"
#include "files/run_messages.h"


namespace morvelan {
namespace {

// The events of a run on a capture in another format than the classic one:
// every conversion it meets is of a frame cut by the end of the data.
class CaptureRunEvents : public RunEvents {
public:
    explicit CaptureRunEvents(RunEvents& inner) : inner_(inner) {}
    void conversionFailed(Conversion, std::string_view, std::int64_t) override {}
    bool confirmAbort() override { return inner_.confirmAbort(); }
    void yield() override { inner_.yield(); }
    void inputChosen(const InputAccount& account) override { inner_.inputChosen(account); }

private:
    RunEvents& inner_;
};

} // namespace

bool RunAnalysis(Session& session, Toolkit& toolkit, RunView& view, const SearchSettings& search)
{
    ToolkitRunEvents events(toolkit);
    return RunAnalysis(session, toolkit, events, view, search);
}

bool RunAnalysis(Session& session, Toolkit& toolkit, RunEvents& events, RunView& view, const SearchSettings& search)
{
    view.clearResults();
    const AnalysisParameters params = session.params;
    // A width the conversion cannot take would show one message box per
    // candidate; a negative frame count leaves no reference frame at all.
    // Either run could never be finished, so it does not start.
    if (!isValidSyncBitSize(params.SYNC_BIT_SIZE)) {
        toolkit.showMessage(kMsgSyncBitSize, kConfirmCaption, Buttons::Ok);
        return false;
    }
    if (params.FRAME_ROUNDS < 0) { // 0 runs: frame 1 alone
        showError(toolkit, kMsgFrameRounds);
        return false;
    }

    // Without the codec the header and every CP932 line would silently turn
    // into "?" and U+FFFD.
    if (const auto reason = cp932Unavailable()) {
        showError(toolkit, messageCodecUnavailable(*reason));
        return false;
    }
    if (!OpenInputFile(session, toolkit)) return false;
    if (session.input.format == InputFormat::Tdm) {
        if (session.input.lfAssumed) events.inputChosen(session.input);
        if (!OpenResultFile(session, params, toolkit)) return false;
        if (!ReadInputFile(session, toolkit, events)) return false;
    } else {
        // The capture is read before the Result file is touched: a refused
        // capture leaves an earlier Result file as it was.
        if (!ReadCaptureFile(session, params, toolkit, events)) return false;
        if (!OpenResultFile(session, params, toolkit)) return false;
    }
    session.input.framesPastDataFrom = firstIntervalPast(params, session.decodedBits);
    if (session.input.format == InputFormat::Tdm) {
        if (!SearchIntoResultFile(session, params, toolkit, events, view, search)) return false;
    } else {
        // Reference frames cut by the end of the capture are frames past the
        // data, not text to convert: nothing to show for them.
        CaptureRunEvents captureEvents(events);
        if (!SearchIntoResultFile(session, params, toolkit, captureEvents, view, search)) return false;
    }

    if (!session.files.closeBoth()) {
        showError(toolkit, messageCannotWriteResult(session.resultPath));
        return false;
    }
    return true;
}

} // namespace morvelan
