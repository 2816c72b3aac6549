#include "cli/end_signals.h"

#include "platform/system.h"

namespace morvelan::cli {
namespace {

volatile std::sig_atomic_t requested = 0;

} // namespace

volatile std::sig_atomic_t& endRequested()
{
    return requested;
}

void catchEndSignals()
{
    platform::catchEndRequests(requested);
}

} // namespace morvelan::cli
