#pragma once
// The settings file "Morvelan.ini" in the program's folder: loading it into
// the Analysis parameters at start-up and saving them back on request.
#include "common/toolkit.h"
#include "engine/parameters.h"
#include "files/atomic_file.h"
#include "settings/settings_number.h"

#include <string>
#include <string_view>

namespace morvelan {

inline constexpr std::string_view kSettingsFileName = "Morvelan.ini";
inline constexpr std::string_view kSettingsSection = "Morvelan";

// Run-time error 6 of the reader: error number, source, description.
inline constexpr std::string_view kMsgSettingsOverflow = "6 Morvelan オーバーフローしました。";
// Followed by the settings file's path.
inline constexpr std::string_view kMsgSettingsNotRead = "設定ファイルを読み込めませんでした：";
inline constexpr std::string_view kMsgSettingsNotSaved = "設定を保存できませんでした：";
inline constexpr std::string_view kMsgSettingsFileMissing = "設定ファイルがないため、設定を保存できませんでした：";

// The text up to, not including, its first NUL; the whole text without one.
std::string CutAtNul(std::string_view text);

// Loads every key present with a non-blank value into `params`. False when
// the file is absent or empty (nothing changes), unreadable, or when a number
// overflows (reported; the keys read before it keep their values).
bool ReadSettings(AnalysisParameters& params, const std::string& path, Toolkit& toolkit);

// True when the file is a regular file that can be read whole and holds the
// section [Morvelan]: what an explicitly named settings file must be.
bool IsUsableSettingsFile(const std::string& path);

// Writes the eight numbers and the emptied USER_ID, PASSWORD and PASSWORD_ENC
// into an existing, non-empty settings file, all at once. Never creates the
// file; tells the user when nothing could be saved.
void SaveSettings(AnalysisParameters& params, const std::string& path, Toolkit& toolkit,
                  const ReplaceSteps& steps = {});

// The folder, a separator (always inserted) and "Morvelan.ini".
std::string SettingsPath(std::string_view programFolder);

} // namespace morvelan
