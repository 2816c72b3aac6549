#include "cli/list_channels.h"

#include "cli/cli_options.h"
#include "cli/end_signals.h"
#include "common/text.h"
#include "files/capture_reader.h"
#include "files/file_messages.h"
#include "files/input_messages.h"

#include <iostream>

namespace morvelan::cli {
namespace {

constexpr std::string_view kMsgNotCh10 = "Chapter 10 のファイルではありません：";

} // namespace

int listChannels(const CliOptions& options)
{
    const std::string& path = options.input;
    if (!FileHasData(path)) {
        std::cerr << messageCannotOpenInput(path) << '\n';
        return 1;
    }
    const InputFormat format = options.inputFormat == InputFormat::Auto ? detectFileFormat(path) : options.inputFormat;
    if (format != InputFormat::Ch10) {
        std::cerr << kMsgNotCh10 << path << '\n';
        return 1;
    }
    catchEndSignals();
    std::vector<Ch10ChannelListing> channels;
    FormatProblem problem;
    const ReadStatus status = listChannelsOf(path, channels, problem, [] { return endRequested() == 0; });
    if (status != ReadStatus::End) {
        InputAccount account;
        account.format = InputFormat::Ch10;
        if (status == ReadStatus::More) std::cerr << "処理を中断しました。" << '\n';
        else std::cerr << messageFormatProblem(path, account, problem) << '\n';
        return 1;
    }
    for (const Ch10ChannelListing& channel : channels) std::cout << ch10ChannelLine(channel) << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace morvelan::cli
