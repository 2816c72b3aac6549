#include "files/result_file.h"

#include "platform/cp932.h"
#include "platform/file.h"
#include "common/text.h"
#include "common/toolkit.h"
#include "files/parameter_table.h"
#include "files/session.h"
#include "files/file_messages.h"
#include "files/input_reader.h"
#include "files/lf_copy.h"

#include <charconv>
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

} // namespace

std::string derivedResultPath(std::string_view inputPath)
{
    // Separators are ASCII, so a byte search cannot land inside a multi-byte
    // character.
    std::size_t name = inputPath.size();
    while (name > 0 && !platform::isPathSeparator(inputPath[name - 1])) --name;
    std::string result(inputPath.substr(0, name));
    result += 'R';
    result += inputPath.substr(name);
    return result;
}

std::vector<std::string> ResultHeaderLines(const std::string& inputPath, const std::string& resultPath,
                                           const AnalysisParameters& p, bool exclusionsOff)
{
    std::vector<std::string> lines{
        "; Tarnwick Version " + std::string(kResultFileVersion) + " Revision " + std::string(kResultFileRevision),
        "; 入力ファイル   : " + oneLine(inputPath),
        "; 出力ファイル   : " + oneLine(resultPath),
    };
    for (std::string& line : parameterHeaderLines(p)) lines.push_back(std::move(line));
    lines.push_back(exclusionsOff ? "; 除外パターン   : 使用しない" : "; 除外パターン   : 使用する");
    for (std::size_t i = 0; i < p.EXCLUDE_PAT.size(); ++i)
        lines.push_back("; 除外パターン0" + std::to_string(i + 1) + " : " + p.EXCLUDE_PAT[i]);
    lines.push_back(";");
    lines.push_back(";Interval,     Idx,         Bit(SYNC), Value(Count)");
    return lines;
}

bool OpenRunFiles(Session& session, const AnalysisParameters& params, Toolkit& toolkit)
{
    const std::string& inputPath = session.inputPath;
    const std::string& inputName = session.inputOpenName.empty() ? inputPath : session.inputOpenName;
    const std::string& resultName = session.resultOpenName.empty() ? session.resultPath : session.resultOpenName;
    if (!FileHasData(inputName)) return false;

    // Opening the Result file empties it: it may not be the input itself.
    if (platform::isSameFile(resultName, inputName)) {
        showError(toolkit, messageSameFile(session.resultPath));
        return false;
    }

    const auto fail = [&](const std::string& message) {
        showError(toolkit, message);
        session.files.closeBoth();
        return false;
    };
    InputFile& input = session.files.input;
    if (!input.open(inputName)) return fail(messageCannotOpenInput(inputName));
    ResultOpenRules rules;
    rules.followLinks = !session.resultPathDerived;
    if (const auto opened = input.file().identity()) rules.forbidden.push_back(*opened);
    if (session.options.lfInput) {
        LfCopy& copy = session.files.lfCopy;
        if (!ConvertLfFile(input.file(), inputName, copy, toolkit, session.abortFlag)) {
            session.files.closeBoth();
            return false;
        }
        if (const auto copied = copy.identity()) rules.forbidden.push_back(*copied);
        if (copy.steps.afterConvert) copy.steps.afterConvert();
        platform::File copied = copy.release();
        if (!copied.isOpen()) return fail(messageCannotReadFile(LfCopy::pattern()));
        input.adopt(std::move(copied));
    }
    if (!session.files.result.open(resultName, rules)) {
        switch (session.files.result.openError()) {
        case ResultOpenError::Locked: return fail(messageResultInUse(session.resultPath));
        case ResultOpenError::NotRegularFile: return fail(messageNotRegularFile(session.resultPath));
        case ResultOpenError::IsLink: return fail(messageResultIsLink(session.resultPath));
        case ResultOpenError::SameAsInput: return fail(messageSameFile(session.resultPath));
        default: return fail(messageCannotCreateResult(session.resultPath));
        }
    }
    // The header goes out as one block, before any row.
    std::string header;
    for (const std::string& line :
         ResultHeaderLines(inputPath, session.resultPath, params, session.options.skipExclusions)) {
        header += encodeCp932(line);
        header += "\r\n";
    }
    if (!session.files.result.writeBytes(header)) return fail(messageCannotWriteResult(session.resultPath));
    return true;
}

} // namespace morvelan
