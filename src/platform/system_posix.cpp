// The POSIX side of the system queries and the console.
#include "platform/system.h"

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <signal.h>
#include <unistd.h>

namespace morvelan::platform {
namespace {

volatile std::sig_atomic_t* endFlag = nullptr;

void onEndSignal(int signal)
{
    if (endFlag != nullptr) *endFlag = 1;
    if (signal == SIGINT) std::signal(SIGINT, SIG_DFL); // the second Ctrl-C is not waited for
}

} // namespace

std::string programFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return ".";
    const std::string folder = exe.parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string userConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config";
    return {};
}

char preferredSeparator()
{
    return '/';
}

bool isTerminal(int stream)
{
    return ::isatty(stream) != 0;
}

void prepareConsoleForUtf8() {}

void catchEndRequests(volatile std::sig_atomic_t& flag)
{
    endFlag = &flag;
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace morvelan::platform
