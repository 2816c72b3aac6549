#include "files/lf_copy.h"

#include "common/toolkit.h"
#include "files/file_messages.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace morvelan {
namespace {

constexpr std::string_view kLfCopySuffix = ".TMP";
constexpr auto kYieldEvery = std::chrono::milliseconds(20);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

std::string LfCopy::pattern()
{
    return std::string(kLfCopyStem) + "XXXXXX" + std::string(kLfCopySuffix);
}

int LfCopy::create()
{
    remove();
    std::string name = pattern();
    // mkostemps: O_CREAT | O_EXCL (so never through a link), mode 0600.
    const int fd = ::mkostemps(name.data(), static_cast<int>(kLfCopySuffix.size()), O_CLOEXEC);
    if (fd < 0) return -1;
    identity_ = identityOf(fd);
    path_ = name;
    if (!identity_) {
        ::unlink(name.c_str());
        ::close(fd);
        path_.clear();
        return -1;
    }
    return fd;
}

void LfCopy::remove()
{
    if (!identity_) return;
    if (identityOf(path_) == identity_) ::unlink(path_.c_str());
    identity_.reset();
}

bool LfCopy::isSameFile(const std::string& other) const
{
    return identity_ && identityOf(other) == identity_;
}

bool ConvertLfFile(const std::string& inputPath, LfCopy& copy, Toolkit& toolkit, const bool& abortFlag)
{
    FilePtr in(std::fopen(inputPath.c_str(), "rb"));
    if (!in) {
        showError(toolkit, messageCannotOpenInput(inputPath));
        return false;
    }
    const int fd = copy.create();
    if (fd < 0) {
        showError(toolkit, messageCannotCreateTemp(LfCopy::pattern()));
        return false;
    }
    if (copy.steps.afterCreate) copy.steps.afterCreate(copy.path());
    char inBuf[1 << 15];
    char outBuf[2 << 15];
    bool written = true;
    bool aborted = false;
    auto lastYield = std::chrono::steady_clock::now();
    for (;;) {
        const std::size_t n = std::fread(inBuf, 1, sizeof inBuf, in.get());
        std::size_t m = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (inBuf[i] == '\n') outBuf[m++] = '\r';
            outBuf[m++] = inBuf[i];
        }
        if (!writeAllTo(fd, outBuf, m)) {
            written = false;
            break;
        }
        if (n < sizeof inBuf) break;
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
    const bool readFailed = std::ferror(in.get()) != 0;
    const bool closed = (copy.steps.closeCopy ? copy.steps.closeCopy(fd) : ::close(fd)) == 0;
    if (aborted) {
        // Nothing to report: the run ends as an abort.
    } else if (readFailed) {
        showError(toolkit, messageCannotReadFile(inputPath));
    } else if (!written || !closed) {
        showError(toolkit, messageCannotWriteTemp(copy.path()));
    }
    if (aborted || readFailed || !written || !closed) {
        copy.remove(); // leave no half-written copy
        return false;
    }
    return true;
}

} // namespace morvelan
