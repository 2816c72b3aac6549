#include "files/result_file.h"

#include "common/text.h"
#include "common/toolkit.h"
#include "engine/parameters.h"
#include "engine/session.h"
#include "files/file_messages.h"
#include "files/input_reader.h"

#include <filesystem>

namespace morvelan {

namespace {

// A line end inside a path would split its header line in two; the header
// keeps its 18 lines.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n') c = '?';
    return text;
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

std::vector<std::string> ResultHeaderLines(const std::string& inputPath, const std::string& resultPath,
                                           const AnalysisParameters& p, bool exclusionsOff)
{
    using std::to_string;
    return {
        "; Tarnwick Version " + std::string(kVersion) + " Revision " + std::string(kRevision),
        "; 入力ファイル   : " + oneLine(inputPath),
        "; 出力ファイル   : " + oneLine(resultPath),
        "; 同期間隔       : " + to_string(p.START_SYNC_INTERVAL) + "～" + to_string(p.END_SYNC_INTERVAL),
        "; 同期Bitサイズ  : " + to_string(p.SYNC_BIT_SIZE),
        "; エラー許容Bit数: " + to_string(p.ALLOW_ERR_BITS),
        "; フレーム数     : " + to_string(p.FRAME_ROUNDS),
        "; 判定しきい値   : " + to_string(p.THRESHOLD),
        "; 初期無視Bit数  : " + to_string(p.IGNORE_START_BITS),
        "; バッファサイズ : " + to_string(p.BUF_SIZE),
        exclusionsOff ? "; 除外パターン   : 使用しない" : "; 除外パターン   : 使用する",
        "; 除外パターン01 : " + p.EXCLUDE_PAT[0],
        "; 除外パターン02 : " + p.EXCLUDE_PAT[1],
        "; 除外パターン03 : " + p.EXCLUDE_PAT[2],
        "; 除外パターン04 : " + p.EXCLUDE_PAT[3],
        "; 除外パターン05 : " + p.EXCLUDE_PAT[4],
        ";",
        ";Interval,     Idx,         Bit(SYNC), Value(Count)",
    };
}

bool OpenRunFiles(Session& session, const AnalysisParameters& params, Toolkit& toolkit)
{
    const std::string inputPath = session.inputPath;
    if (!FileHasData(inputPath)) return false;

    // Opening the Result file empties it, and the LF copy replaces the
    // temporary file: neither may be the input itself, or it is lost.
    if (sameFile(session.resultPath, inputPath) ||
        (session.options.lfInput && (sameFile(kTempFileName, inputPath) || sameFile(kTempFileName, session.resultPath)))) {
        showError(toolkit, messageSameFile(session.resultPath));
        return false;
    }

    std::string readPath = inputPath;
    if (session.options.lfInput) {
        if (!ConvertLfFile(inputPath, kTempFileName, toolkit)) return false;
        readPath = kTempFileName;
    }
    if (!session.files.input.open(readPath)) {
        showError(toolkit, messageCannotOpenInput(readPath));
        return false;
    }
    if (!session.files.result.open(session.resultPath)) {
        showError(toolkit, messageCannotCreateResult(session.resultPath));
        session.files.closeBoth();
        return false;
    }
    for (const std::string& line :
         ResultHeaderLines(inputPath, session.resultPath, params, session.options.skipExclusions)) {
        if (!session.files.result.writeLine(line)) {
            showError(toolkit, messageCannotWriteResult(session.resultPath));
            session.files.closeBoth();
            return false;
        }
    }
    // A full device shows up here, before any row, not at the end of the run.
    if (!session.files.result.flush()) {
        showError(toolkit, messageCannotWriteResult(session.resultPath));
        session.files.closeBoth();
        return false;
    }
    return true;
}

} // namespace morvelan
