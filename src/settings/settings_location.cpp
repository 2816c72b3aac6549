#include "settings/settings_location.h"

#include "common/text.h"
#include "settings/atomic_file.h"
#include "settings/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace morvelan {
namespace {

bool canWrite(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

// A save replaces the file through a temporary file beside it, so both the
// file and its folder must be writable.
bool canReplace(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return canWrite(path) && canWrite(folder.empty() ? "." : folder);
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies `from` to `to`, which must not exist yet: written under a private
// temporary name, then linked into place, so `to` is whole or absent and an
// existing copy (made meanwhile by another instance) is never replaced.
bool makeCopy(const std::string& from, const std::string& to)
{
    const std::optional<std::string> bytes = readWholeFile(from);
    if (!bytes || bytes->empty()) return false;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(to).parent_path();
    if (!std::filesystem::exists(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return false;
        ::chmod(folder.c_str(), 0700);
    }
    std::string temp = to + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, *bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::link(temp.c_str(), to.c_str()) == 0;
    ::unlink(temp.c_str());
    return ok || FileHasData(to);
}

} // namespace

std::string SettingsLocation::pathToSave() const
{
    if (user_.empty() || canReplace(beside_)) return beside_;
    return user_;
}

std::string SettingsLocation::pathToRead() const
{
    const std::string save = pathToSave();
    return FileHasData(save) ? save : beside_;
}

std::string UserSettingsPath(const char* xdgConfigHome, const char* home)
{
    std::string base;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        base = xdgConfigHome;
    else if (home != nullptr && home[0] != '\0')
        base = std::string(home) + "/.config";
    else
        return {};
    return base + "/morvelan/" + std::string(kSettingsFileName);
}

SettingsLocation DefaultSettingsLocation()
{
    return {SettingsPath(programFolder()), UserSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))};
}

bool ReadSettingsAt(AnalysisParameters& params, const SettingsLocation& location, Toolkit& toolkit)
{
    return ReadSettings(params, location.pathToRead(), toolkit);
}

void SaveSettingsAt(AnalysisParameters& params, const SettingsLocation& location, Toolkit& toolkit)
{
    const std::string path = location.pathToSave();
    if (path != location.besideProgram() && !FileHasData(path) && FileHasData(location.besideProgram()) &&
        !makeCopy(location.besideProgram(), path)) {
        showError(toolkit, std::string(kMsgSettingsNotSaved) + path);
        return;
    }
    SaveSettings(params, path, toolkit);
}

} // namespace morvelan
