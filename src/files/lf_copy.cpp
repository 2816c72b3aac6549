#include "files/lf_copy.h"

#include "common/toolkit.h"
#include "files/file_messages.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace morvelan {
namespace {

constexpr std::string_view kLfCopySuffix = ".TMP";
constexpr auto kYieldEvery = std::chrono::milliseconds(20);

// A file with no name in the working folder, readable and writable by this
// run alone; -1 where the file system cannot make one.
int createUnnamed()
{
    return ::open(".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

// A private file under a unique name, unlinked at once: only an instant
// exists in which a kill leaves it behind.
int createNamedAndUnlink()
{
    std::string name = LfCopy::pattern();
    // mkostemps: O_CREAT | O_EXCL (so never through a link), mode 0600.
    const int fd = ::mkostemps(name.data(), static_cast<int>(kLfCopySuffix.size()), O_CLOEXEC);
    if (fd < 0) return -1;
    // The name is removed only while it still leads to the file made here.
    if (identityOf(name) == identityOf(fd) && ::unlink(name.c_str()) == 0) return fd;
    ::close(fd);
    return -1;
}

bool readSome(int fd, char* buffer, std::size_t size, std::size_t& got)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return true;
        }
        if (errno != EINTR) return false;
    }
}

} // namespace

std::string LfCopy::pattern()
{
    return std::string(kLfCopyStem) + "XXXXXX" + std::string(kLfCopySuffix);
}

int LfCopy::create()
{
    close();
    fd_ = steps.namedFallback ? -1 : createUnnamed();
    if (fd_ < 0) fd_ = createNamedAndUnlink();
    if (fd_ < 0) return -1;
    identity_ = identityOf(fd_);
    if (!identity_) close();
    return fd_;
}

void LfCopy::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int LfCopy::release()
{
    if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return -1;
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool ConvertLfFile(int inputFd, const std::string& inputPath, LfCopy& copy, Toolkit& toolkit, const bool& abortFlag)
{
    const int fd = copy.create();
    if (fd < 0) {
        showError(toolkit, messageCannotCreateTemp(LfCopy::pattern()));
        return false;
    }
    if (copy.steps.afterCreate) copy.steps.afterCreate();
    char inBuf[1 << 15];
    char outBuf[2 << 15];
    bool readFailed = ::lseek(inputFd, 0, SEEK_SET) != 0;
    bool written = true;
    bool aborted = false;
    auto lastYield = std::chrono::steady_clock::now();
    for (std::size_t n = 0; !readFailed;) {
        if (!readSome(inputFd, inBuf, sizeof inBuf, n)) {
            readFailed = true;
            break;
        }
        if (n == 0) break;
        std::size_t m = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (inBuf[i] == '\n') outBuf[m++] = '\r';
            outBuf[m++] = inBuf[i];
        }
        if (!writeAllTo(fd, outBuf, m)) {
            written = false;
            break;
        }
        // A long conversion lets the window breathe, and its Abort stop it.
        if (std::chrono::steady_clock::now() - lastYield >= kYieldEvery) {
            toolkit.yield();
            lastYield = std::chrono::steady_clock::now();
            if (abortFlag) {
                aborted = true;
                break;
            }
        }
    }
    if (aborted) {
        // Nothing to report: the run ends as an abort.
    } else if (readFailed) {
        showError(toolkit, messageCannotReadFile(inputPath));
    } else if (!written) {
        showError(toolkit, messageCannotWriteTemp(LfCopy::pattern()));
    }
    if (aborted || readFailed || !written) {
        copy.close();
        return false;
    }
    return true;
}

} // namespace morvelan
