#pragma once
// Where the window reads and saves its settings. The file beside the program
// comes first; when that file cannot be written (an installed program in a
// folder the user cannot write), the user's own copy under the XDG config
// folder takes its place: read when it exists, and made from the file beside
// the program at the first save.
#include "common/toolkit.h"
#include "engine/parameters.h"

#include <string>

namespace morvelan {

class SettingsLocation {
public:
    // Only the file beside the program: no user copy.
    SettingsLocation(std::string besideProgram) : beside_(std::move(besideProgram)) {} // NOLINT(implicit)
    SettingsLocation(std::string besideProgram, std::string userCopy)
        : beside_(std::move(besideProgram)), user_(std::move(userCopy))
    {
    }

    const std::string& besideProgram() const { return beside_; }
    const std::string& userCopy() const { return user_; }

    // The file a save writes: beside the program when it can be written
    // there (file and folder), the user's copy otherwise.
    std::string pathToSave() const;
    // The file start-up reads: the one a save writes when it exists and
    // holds data, otherwise the file beside the program.
    std::string pathToRead() const;

private:
    std::string beside_;
    std::string user_;
};

// "<config folder>/morvelan/Morvelan.ini" ($XDG_CONFIG_HOME or
// $HOME/.config on POSIX, %APPDATA% on Windows); empty without a folder.
std::string UserSettingsPath(const std::string& configFolder);

// The location of the running program, with the user's copy named by the
// environment.
SettingsLocation DefaultSettingsLocation();

// Loads the settings from location.pathToRead() (see ReadSettings).
bool ReadSettingsAt(AnalysisParameters& params, const SettingsLocation& location, Toolkit& toolkit);

// Saves like SaveSettings into location.pathToSave(). A missing user copy is
// first made, whole, from the file beside the program (its folder created
// private to the user); when that fails the user is told, naming the file.
void SaveSettingsAt(AnalysisParameters& params, const SettingsLocation& location, Toolkit& toolkit);

} // namespace morvelan
