#include "cli/end_signals.h"

#include <initializer_list>
#include <signal.h>

namespace morvelan::cli {
namespace {

volatile std::sig_atomic_t requested = 0;

void onEndSignal(int signal)
{
    requested = 1;
    if (signal == SIGINT) std::signal(SIGINT, SIG_DFL); // the second Ctrl-C is not waited for
}

} // namespace

volatile std::sig_atomic_t& endRequested()
{
    return requested;
}

void catchEndSignals()
{
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace morvelan::cli
