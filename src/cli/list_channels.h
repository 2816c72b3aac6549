#pragma once
// --list-channels: the channels of a Chapter 10 input, one line each on
// stdout. No search runs and no Result file is written.
#include <string>

namespace morvelan::cli {

struct CliOptions;

// The exit code: 0 when listed; 1 when the input cannot be read, is not a
// Chapter 10 file, is refused (the message names the file and the packet's
// offset) or the listing was interrupted.
int listChannels(const CliOptions& options);

} // namespace morvelan::cli
