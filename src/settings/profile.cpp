#include "settings/profile.h"
#include "common/utf8.h"

#include "settings/profile_text.h"

#include <filesystem>
#include <new>

namespace morvelan {

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize)
{
    auto bytes = readWholeFile(path);
    const ProfileText text(bytes ? std::move(*bytes) : std::string());
    return text.read(section, key, defaultValue, bufferSize);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, const ReplaceSteps& steps)
{
    const ProfileEntry entry{key, std::string(value)};
    return WriteProfileStrings(path, section, std::span<const ProfileEntry>(&entry, 1), steps);
}

bool WriteProfileStrings(const std::string& path, std::string_view section, std::span<const ProfileEntry> entries,
                         const ReplaceSteps& steps)
{
    try {
        const auto lock = lockForUpdate(path);
        if (!lock) return false;
        // Only a missing file starts empty; one that cannot be read must not
        // be replaced by a file that lacks its lines.
        auto bytes = readWholeFile(path);
        if (!bytes) {
            std::error_code ec;
            if (std::filesystem::symlink_status(pathFromUtf8(path), ec).type() != std::filesystem::file_type::not_found) return false;
            bytes.emplace();
        }
        ProfileText text(std::move(*bytes));
        for (const ProfileEntry& entry : entries)
            if (!text.write(section, entry.key, entry.value)) return false;
        return replaceFileContents(path, text.bytes(), steps);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace morvelan
