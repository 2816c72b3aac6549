#include "ui/end_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace morvelan {
namespace {

// A signal handler can reach nothing but process-wide state: the write end
// of the pipe. -1 while no EndSignals exists.
volatile std::sig_atomic_t writeEnd = -1;
int readEnd = -1;

extern "C" void onEndSignal(int signalNumber)
{
    const int saved = errno;
    const int fd = writeEnd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent)
{
    int fds[2];
    if (writeEnd >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    readEnd = fds[0];
    writeEnd = fds[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::drain);
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

EndSignals::~EndSignals()
{
    if (notifier_ == nullptr) return;
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    const int fd = writeEnd;
    writeEnd = -1;
    ::close(fd);
    ::close(readEnd);
    readEnd = -1;
}

void EndSignals::drain()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(readEnd, &byte, 1) == 1) last = byte;
    if (last != 0) emit endRequested(last);
}

} // namespace morvelan
