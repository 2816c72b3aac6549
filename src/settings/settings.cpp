#include "settings/settings.h"

#include "platform/cp932.h"
#include "common/text.h"
#include "files/parameter_table.h"
#include "platform/system.h"
#include "settings/profile.h"
#include "settings/profile_text.h"

#include <array>
#include <vector>

namespace morvelan {
namespace {

// Values are read through a buffer of this many bytes, its last one the NUL.
constexpr std::size_t kValueBufferSize = 1024;

constexpr std::string_view kExcludeKeys[] = {"EXCLUDE_PAT01", "EXCLUDE_PAT02", "EXCLUDE_PAT03", "EXCLUDE_PAT04",
                                             "EXCLUDE_PAT05"};

// A key and the parameter it fills: a number or a text.
struct SettingsKey {
    std::string_view name;
    std::int32_t* number = nullptr;
    std::string* text = nullptr;
};

// The keys in the order they are read: the carried values, the eight
// parameters, the exclusion patterns. RES_OUT_PATH is read like the others
// but nothing in the system uses its value.
std::vector<SettingsKey> keysInReadOrder(AnalysisParameters& p)
{
    std::vector<SettingsKey> keys{
        {"USER_ID", nullptr, &p.USER_ID},
        {"PASSWORD", nullptr, &p.PASSWORD},
        {"PASSWORD_ENC", &p.PASSWORD_ENC, nullptr},
        {"RES_OUT_PATH", nullptr, &p.RES_OUT_PATH},
    };
    for (const ParameterField field : settingsReadOrder())
        keys.push_back({entryOf(field).iniKey, &(p.*entryOf(field).member), nullptr});
    for (std::size_t i = 0; i < p.EXCLUDE_PAT.size(); ++i)
        keys.push_back({kExcludeKeys[i], nullptr, &p.EXCLUDE_PAT[i]});
    return keys;
}

void clearCarriedValues(AnalysisParameters& p)
{
    p.USER_ID.clear();
    p.PASSWORD.clear();
    p.PASSWORD_ENC = 0;
}

} // namespace

std::string CutAtNul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}

bool ReadSettings(AnalysisParameters& params, const std::string& path, Toolkit& toolkit)
{
    if (!FileHasData(path)) return false;
    clearCarriedValues(params);

    // One snapshot serves all keys; a file that is there but cannot be read
    // would otherwise look like one without any keys.
    auto bytes = readWholeFile(path);
    if (!bytes) {
        showError(toolkit, std::string(kMsgSettingsNotRead) + path);
        return false;
    }
    const ProfileText file(std::move(*bytes));

    for (const SettingsKey& key : keysInReadOrder(params)) {
        const std::string value = CutAtNul(file.read(kSettingsSection, key.name, "", kValueBufferSize));
        if (NullToTrimmedText(value).empty()) continue;
        if (key.text) {
            *key.text = decodeCp932(value);
            continue;
        }
        const auto number = ParseSettingsNumber(value);
        if (!number) {
            // The reading stops here; the keys read so far keep their values.
            showError(toolkit, kMsgSettingsOverflow);
            return false;
        }
        *key.number = *number;
    }
    return true;
}

bool IsUsableSettingsFile(const std::string& path)
{
    const auto bytes = readWholeFile(path);
    return bytes && ProfileText(*bytes).hasSection(kSettingsSection);
}

void SaveSettings(AnalysisParameters& params, const std::string& path, Toolkit& toolkit, const ReplaceSteps& steps)
{
    // The file is installed with the program and never created here.
    if (!FileHasData(path)) {
        showError(toolkit, std::string(kMsgSettingsFileMissing) + path);
        return;
    }
    clearCarriedValues(params);

    std::vector<ProfileEntry> entries{
        {"USER_ID", encodeCp932(params.USER_ID)},
        {"PASSWORD", encodeCp932(params.PASSWORD)},
        {"PASSWORD_ENC", std::to_string(params.PASSWORD_ENC)},
    };
    for (const ParameterField field : settingsSaveOrder())
        entries.push_back({entryOf(field).iniKey, std::to_string(params.*entryOf(field).member)});
    if (!WriteProfileStrings(path, kSettingsSection, entries, steps))
        showError(toolkit, std::string(kMsgSettingsNotSaved) + path);
}

std::string SettingsPath(std::string_view programFolder)
{
    return std::string(programFolder) + platform::preferredSeparator() + std::string(kSettingsFileName);
}

} // namespace morvelan
