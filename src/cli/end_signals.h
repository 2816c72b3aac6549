#pragma once
// How the batch program ends on a signal: SIGINT, SIGTERM and SIGHUP end the
// run as an abort at its next yield, so the Result file keeps its header and
// whole rows and nothing temporary stays behind. A second Ctrl-C ends the
// program at once.
#include <csignal>

namespace morvelan::cli {

// Set by the handlers; the console toolkit turns it into the Abort flag.
volatile std::sig_atomic_t& endRequested();

// Installs the handlers (on Windows also for closing the console); a closed
// stdout and a file-size limit then show up as failed writes, which the run
// reports, instead of killing it mid-row.
void catchEndSignals();

} // namespace morvelan::cli
