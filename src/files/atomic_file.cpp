#include "files/atomic_file.h"
#include "common/utf8.h"

#include <chrono>
#include <filesystem>
#include <new>
#include <thread>

namespace morvelan {
namespace {

// The file a path finally names, so that a symbolic link stays a link.
std::optional<std::string> resolveTarget(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(pathFromUtf8(path), ec)) return path;
    const auto target = std::filesystem::weakly_canonical(pathFromUtf8(path), ec);
    if (ec) return std::nullopt;
    return utf8FromPath(target);
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path)
{
    platform::OpenError error;
    platform::File file = platform::openToRead(path, error, true);
    if (!file.isOpen() || !file.isRegular()) return std::nullopt;
    try {
        std::string bytes;
        char buf[65536];
        for (;;) {
            const std::ptrdiff_t n = file.read(buf, sizeof buf);
            if (n < 0) return std::nullopt;
            if (n == 0) break;
            bytes.append(buf, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxWholeFileBytes) return std::nullopt;
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<FileLock> lockForUpdate(const std::string& path)
{
    const auto target = resolveTarget(path);
    if (!target) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
        FileLock lock;
        platform::OpenError error;
        lock.file_ = platform::openToRead(*target, error, true);
        if (!lock.file_.isOpen()) {
            if (error == platform::OpenError::NotFound) return FileLock(); // nothing to guard yet
            return std::nullopt;
        }
        bool busy = false;
        if (lock.file_.lockExclusive(busy)) {
            // A save that finished meanwhile put a new file under the name;
            // the lock must be on the file the name leads to now.
            const auto held = lock.file_.identity();
            if (held && held == platform::identityOf(*target)) return lock;
            continue;
        }
        if (!busy || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool replaceFileContents(const std::string& path, const std::string& bytes, const ReplaceSteps& steps)
{
    const auto target = resolveTarget(path);
    if (!target) return false;
    const bool exists = platform::identityOf(*target).has_value();
    if (exists && (platform::isNonRegularFile(*target) || !platform::isWritableFile(*target))) return false;
    if (!exists && !platform::isExistingFolder(platform::folderOf(*target))) return false;

    // A name of its own for each save: two saves never meet in one file.
    std::string temp = *target;
    platform::File file = platform::createUniqueBeside(temp);
    if (!file.isOpen()) return false;
    const auto fail = [&] {
        file.close();
        platform::removeFile(temp);
        return false;
    };
    // The original's owner where allowed, its permissions and its extended
    // attributes (ACLs among them); a new file gets the usual mode.
    if (!(exists ? platform::carryOverAttributes(*target, file) : platform::applyDefaultMode(file))) return fail();
    if (!file.writeAll(bytes.data(), bytes.size()) || !file.sync() || !file.close()) return fail();
    if (steps.beforeRename && !steps.beforeRename(temp)) return fail();
    if (!platform::replaceByRename(temp, *target)) return fail();
    platform::syncFolderOf(*target);
    return true;
}

} // namespace morvelan
