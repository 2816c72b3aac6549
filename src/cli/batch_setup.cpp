#include "cli/batch_setup.h"
#include "common/utf8.h"

#include "platform/cp932.h"
#include "platform/file.h"
#include "files/capture_reader.h"
#include "files/parameter_table.h"
#include "files/file_messages.h"
#include "files/result_file.h"
#include "files/session.h"
#include "settings/settings.h"

#include <filesystem>
#include <iostream>

namespace morvelan::cli {
namespace {

constexpr std::string_view kMsgOutputIsSettings = "出力ファイルが設定ファイルと同じため処理できません：";
constexpr std::string_view kMsgRasterOutIsUsed =
    "ラスター画像の出力先が入力・出力・設定ファイルと同じため書き出せません：";
constexpr std::string_view kMsgRasterOutNotWritable = "ラスター画像の出力先に書き込めません：";
constexpr std::string_view kMsgExtractIsUsed = "抽出ファイルの出力先が入力・出力・設定ファイルと同じため書き出せません：";
constexpr std::string_view kMsgExtractNotWritable = "抽出ファイルの出力先に書き込めません：";

int usageError(std::string_view message, std::string_view path = {})
{
    std::cerr << message << path << '\n';
    return 2;
}

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    const auto abs = std::filesystem::absolute(pathFromUtf8(path), ec);
    return ec ? path : utf8FromPath(abs.lexically_normal());
}

// Values outside the window's field ranges run as given, as settings-file
// values do in the window, after one warning line each. The sync width is
// refused before this.
void warnOutOfRange(const AnalysisParameters& p, RangeSet ranges)
{
    for (const ParameterEntry& entry : parameterTable())
        if (entry.field != ParameterField::SyncBitSize && !isInRange(entry.field, p.*entry.member, p, ranges))
            std::cerr << rangeMessage(entry.field, ranges) << '\n';
}

// The format whose ranges the warnings use: the one asked for, or the one
// the file's first bytes show (the run looks again at the file it opens).
InputFormat expectedFormat(const CliOptions& options)
{
    if (options.inputFormat != InputFormat::Auto) return options.inputFormat;
    return detectFileFormat(options.input);
}

// The Result file must be creatable where it is named, and none of the files
// the run reads. Found here, before the run, these are usage errors.
std::optional<int> checkResultPath(const Session& session, const std::string& settingsFile)
{
    const std::string& result = session.resultOpenName;
    if (!settingsFile.empty() && platform::isSameFile(result, settingsFile)) return usageError(kMsgOutputIsSettings, result);
    if (platform::isSameFile(result, session.inputOpenName)) return usageError(messageSameFile(session.resultPath));
    // A name ending in a separator, or in a folder that does not exist,
    // cannot be created.
    if (platform::isPathSeparator(result.back()) || !platform::isExistingFolder(platform::folderOf(result)))
        return usageError(messageCannotCreateResult(session.resultPath));
    return std::nullopt;
}

// A further output (the PNG, the extraction file) goes beside the files of
// the run, never onto them, into a folder that exists and can be written.
std::optional<int> checkOutputPath(const Session& session, const std::string& path, const std::string& settingsFile,
                                   std::string_view isUsed, std::string_view notWritable)
{
    if (path.empty()) return std::nullopt;
    if (platform::isNonRegularFile(path)) return usageError(messageNotRegularFile(path));
    for (const std::string& other : {session.inputOpenName, session.resultOpenName, settingsFile})
        if (!other.empty() && (platform::isSameFile(path, other) || absolutePath(path) == absolutePath(other)))
            return usageError(isUsed, path);
    if (platform::isPathSeparator(path.back()) || !platform::isWritableFolder(platform::folderOf(path)))
        return usageError(notWritable, path);
    return std::nullopt;
}

} // namespace

std::optional<int> prepareRun(int argc, char** argv, Session& session, Toolkit& toolkit, CliOptions& options)
{
    int exitCode = 0;
    auto parsed = parseCommandLine(argc, argv, exitCode);
    if (!parsed) return exitCode;
    options = std::move(*parsed);

    // Settings files and the Result header are CP932: without the codec a run
    // would silently write "?" for every Japanese character.
    if (const auto reason = cp932Unavailable()) {
        std::cerr << messageCodecUnavailable(*reason) << '\n';
        return 1;
    }
    // A listing reads the input alone: no parameter or destination counts.
    if (options.listChannels) return std::nullopt;
    if (options.settingsFile && !IsUsableSettingsFile(*options.settingsFile))
        return usageError(kMsgSettingsNotRead, *options.settingsFile);

    ResetParameters(session.params);
    // Settings-file values over the reset values; an overflow is reported and
    // the keys read before it stay.
    if (options.settingsFile) ReadSettings(session.params, *options.settingsFile, toolkit);
    applyOptions(options, session.params);

    if (!isValidSyncBitSize(session.params.SYNC_BIT_SIZE)) return usageError(kMsgSyncBitSize);
    if (session.params.FRAME_ROUNDS < 0) return usageError(kMsgFrameRounds);
    warnOutOfRange(session.params, rangesFor(expectedFormat(options)));

    // Paths are opened as given; the header shows their absolute form.
    session.inputOpenName = options.input;
    session.resultPathDerived = !options.output;
    session.resultOpenName = options.output ? *options.output : derivedResultPath(options.input);
    session.inputPath = absolutePath(session.inputOpenName);
    session.resultPath = absolutePath(session.resultOpenName);
    session.options.skipHeaderCheck = options.noHeaderCheck;
    session.options.skipExclusions = options.noExclusions;
    session.options.lfInput = options.lf;
    session.options.inputFormat = options.inputFormat;
    session.options.bitOrder = options.bitOrder;
    session.options.channel = options.channel;

    const std::string settingsFile = options.settingsFile.value_or(std::string());
    if (auto refused = checkResultPath(session, settingsFile)) return refused;
    if (auto refused = checkOutputPath(session, options.report.rasterOut, settingsFile, kMsgRasterOutIsUsed,
                                       kMsgRasterOutNotWritable))
        return refused;
    const std::string extract = options.extract.path.value_or(std::string());
    if (auto refused = checkOutputPath(session, extract, settingsFile, kMsgExtractIsUsed, kMsgExtractNotWritable))
        return refused;
    if (!extract.empty() && absolutePath(extract) == absolutePath(options.report.rasterOut))
        return usageError(kMsgExtractIsUsed, extract);
    return std::nullopt;
}

} // namespace morvelan::cli
