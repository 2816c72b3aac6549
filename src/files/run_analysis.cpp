#include "files/run_analysis.h"

#include "platform/cp932.h"
#include "common/toolkit.h"
#include "files/parameter_table.h"
#include "engine/run_view.h"
#include "engine/search.h"
#include "files/session.h"
#include "files/file_messages.h"
#include "files/input_reader.h"
#include "files/result_file.h"
#include "files/result_rows.h"
#include "files/run_messages.h"


namespace morvelan {

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
    if (!OpenRunFiles(session, params, toolkit)) return false;
    if (!ReadInputFile(session, toolkit, events)) return false;
    if (!SearchIntoResultFile(session, params, toolkit, events, view, search)) return false;

    if (!session.files.closeBoth()) {
        showError(toolkit, messageCannotWriteResult(session.resultPath));
        return false;
    }
    return true;
}

} // namespace morvelan
