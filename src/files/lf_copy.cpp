#include "files/lf_copy.h"

#include "common/pacer.h"
#include "common/toolkit.h"
#include "files/file_messages.h"


namespace morvelan {
std::string LfCopy::pattern()
{
    return std::string(kLfCopyStem) + "XXXXXX.TMP";
}

bool LfCopy::create()
{
    close();
    file_ = platform::createUnnamedTemporary(".", pattern(), steps.namedFallback);
    identity_ = file_.isOpen() ? file_.identity() : std::nullopt;
    if (!identity_) close();
    return file_.isOpen();
}

void LfCopy::close()
{
    file_.close();
}

platform::File LfCopy::release()
{
    if (!file_.isOpen() || !file_.seek(0)) return {};
    return std::move(file_);
}

bool ConvertLfFile(platform::File& input, const std::string& inputPath, LfCopy& copy, Toolkit& toolkit,
                   const AbortFlag& abortFlag)
{
    if (!copy.create()) {
        showError(toolkit, messageCannotCreateTemp(LfCopy::pattern()));
        return false;
    }
    if (copy.steps.afterCreate) copy.steps.afterCreate();
    char inBuf[1 << 15];
    char outBuf[2 << 15];
    bool readFailed = !input.seek(0);
    bool written = true;
    bool aborted = false;
    Pacer pacer;
    while (!readFailed) {
        const std::ptrdiff_t n = input.read(inBuf, sizeof inBuf);
        if (n <= 0) {
            readFailed = n < 0;
            break;
        }
        std::size_t m = 0;
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            if (inBuf[i] == '\n') outBuf[m++] = '\r';
            outBuf[m++] = inBuf[i];
        }
        if (!copy.file().writeAll(outBuf, m)) {
            written = false;
            break;
        }
        // A long conversion lets the window breathe, and its Abort stop it.
        if (pacer.due()) {
            toolkit.yield();
            pacer.restart();
            if (abortFlag.requested()) {
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
