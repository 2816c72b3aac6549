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
#include "files/capture_reader.h"
#include "files/input_messages.h"
#include "formats/format_detect.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <vector>
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
                                           const AnalysisParameters& p, bool exclusionsOff,
                                           std::string_view inputSuffix)
{
    std::vector<std::string> lines{
        "; Tarnwick Version " + std::string(kResultFileVersion) + " Revision " + std::string(kResultFileRevision),
        "; 入力ファイル   : " + oneLine(inputPath) + std::string(inputSuffix),
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

namespace {

// A text file whose first block holds line feeds and no carriage return.
bool hasLfOnlyLines(std::span<const std::uint8_t> head)
{
    const auto has = [&](std::uint8_t c) { return std::find(head.begin(), head.end(), c) != head.end(); };
    return has('\n') && !has('\r');
}

// Settles the format of the opened file 1: the one asked for, or the one
// its first bytes show. The file is left at its first byte.
bool settleFormat(Session& session)
{
    InputAccount& account = session.input;
    account = {};
    account.format = session.options.inputFormat;
    if (account.format != InputFormat::Auto) return true;
    const auto head = readDetectionHead(session.files.input.file());
    if (!head) return false;
    account.format = detectFormat(*head);
    account.detected = true;
    account.lfAssumed = account.format == InputFormat::Tdm && !session.options.lfInput && hasLfOnlyLines(*head);
    return true;
}

} // namespace

bool OpenInputFile(Session& session, Toolkit& toolkit)
{
    const std::string& inputName = session.inputOpenName.empty() ? session.inputPath : session.inputOpenName;
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
    session.files.inputIdentity = input.file().identity();
    session.inputOpened = session.files.inputIdentity;
    if (!settleFormat(session)) return fail(messageCannotReadInput(inputName));
    const InputAccount& account = session.input;
    if (account.format == InputFormat::Tdm && (session.options.lfInput || account.lfAssumed)) {
        LfCopy& copy = session.files.lfCopy;
        if (!ConvertLfFile(input.file(), inputName, copy, toolkit, session.abortFlag)) {
            session.files.closeBoth();
            return false;
        }
        if (copy.steps.afterConvert) copy.steps.afterConvert();
        const auto copied = copy.identity();
        platform::File file = copy.release();
        if (!file.isOpen()) return fail(messageCannotReadFile(LfCopy::pattern()));
        session.files.lfCopyIdentity = copied;
        input.adopt(std::move(file));
    }
    return true;
}

bool OpenResultFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit)
{
    const std::string& resultName = session.resultOpenName.empty() ? session.resultPath : session.resultOpenName;
    const auto fail = [&](const std::string& message) {
        showError(toolkit, message);
        session.files.closeBoth();
        return false;
    };
    ResultOpenRules rules;
    rules.followLinks = !session.resultPathDerived;
    if (const auto opened = session.files.inputIdentity) rules.forbidden.push_back(*opened);
    if (const auto copied = session.files.lfCopyIdentity) rules.forbidden.push_back(*copied);
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
    const std::string suffix = headerFormatSuffix(session.input, session.options.bitOrder);
    for (const std::string& line : ResultHeaderLines(session.inputPath, session.resultPath, params,
                                                     session.options.skipExclusions, suffix)) {
        header += encodeCp932(line);
        header += "\r\n";
    }
    if (!session.files.result.writeBytes(header)) return fail(messageCannotWriteResult(session.resultPath));
    return true;
}

bool OpenRunFiles(Session& session, const AnalysisParameters& params, Toolkit& toolkit)
{
    return OpenInputFile(session, toolkit) && OpenResultFile(session, params, toolkit);
}

} // namespace morvelan
