#pragma once
// Everything the batch program does before a run starts: the command line,
// the settings file, and every check of a value or a destination, so that a
// refusal comes before anything is opened or written.
#include "cli/cli_options.h"

#include <optional>

namespace morvelan {
class Session;
class Toolkit;
} // namespace morvelan

namespace morvelan::cli {

// Fills `options` and the session's parameters and paths. Returns the exit
// code to end with (0 after --help, 1 when the codec cannot be opened, 2 on
// a usage error), each reported on stderr, or nullopt when the run may start.
std::optional<int> prepareRun(int argc, char** argv, Session& session, Toolkit& toolkit, CliOptions& options);

} // namespace morvelan::cli
