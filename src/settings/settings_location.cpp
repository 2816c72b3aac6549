#include "settings/settings_location.h"

#include "common/text.h"
#include "files/atomic_file.h"
#include "settings/settings.h"

#include "platform/file.h"
#include "platform/system.h"


namespace morvelan {
namespace {

// A save replaces the file through a temporary file beside it, so both the
// file and its folder must be writable.
bool canReplace(const std::string& path)
{
    return platform::isWritableFile(path) && platform::isWritableFolder(platform::folderOf(path));
}

// Copies `from` to `to`, which must not exist yet: written under a private
// temporary name, then linked into place, so `to` is whole or absent and an
// existing copy (made meanwhile by another instance) is never replaced.
bool makeCopy(const std::string& from, const std::string& to)
{
    const std::optional<std::string> bytes = readWholeFile(from);
    if (!bytes || bytes->empty()) return false;
    if (!platform::createPrivateFolder(platform::folderOf(to))) return false;
    std::string temp = to;
    platform::File file = platform::createUniqueBeside(temp);
    if (!file.isOpen()) return false;
    bool ok = file.writeAll(bytes->data(), bytes->size()) && file.sync();
    ok = file.close() && ok;
    ok = ok && platform::linkNew(temp, to);
    platform::removeFile(temp);
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

std::string UserSettingsPath(const std::string& configFolder)
{
    if (configFolder.empty()) return {};
    const char sep = platform::preferredSeparator();
    return configFolder + sep + "morvelan" + sep + std::string(kSettingsFileName);
}

SettingsLocation DefaultSettingsLocation()
{
    return {SettingsPath(platform::programFolder()), UserSettingsPath(platform::userConfigFolder())};
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
