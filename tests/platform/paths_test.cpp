#include "platform/file.h"
#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace morvelan;

TEST(FolderOf, GivesTheFolderAFileLiesIn)
{
    const std::pair<const char*, const char*> cases[] = {
        {"in.txt", "."}, {"/in.txt", "/"}, {"/data/in.txt", "/data"}, {"a/b/c.txt", "a/b"}, {"new/", "new"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(platform::folderOf(path), folder) << path;
}

#ifndef _WIN32
// The user's settings folder follows XDG: an absolute XDG_CONFIG_HOME, else
// ~/.config, else none.
TEST(UserConfigFolder, FollowsTheEnvironment)
{
    struct Case {
        std::optional<std::string> xdg, home;
        std::string folder;
    };
    const Case cases[] = {
        {"/cfg", "/home/u", "/cfg"},
        {"relative", "/home/u", "/home/u/.config"},
        {std::nullopt, "/home/u", "/home/u/.config"},
        {std::nullopt, "", ""},
        {std::nullopt, std::nullopt, ""},
    };
    const auto set = [](const char* name, const std::optional<std::string>& value) {
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    };
    const char* oldHome = std::getenv("HOME");
    const std::optional<std::string> home = oldHome ? std::optional<std::string>(oldHome) : std::nullopt;
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> xdg = oldXdg ? std::optional<std::string>(oldXdg) : std::nullopt;
    for (const Case& c : cases) {
        set("XDG_CONFIG_HOME", c.xdg);
        set("HOME", c.home);
        EXPECT_EQ(platform::userConfigFolder(), c.folder) << c.xdg.value_or("-") << " " << c.home.value_or("-");
    }
    set("XDG_CONFIG_HOME", xdg);
    set("HOME", home);
}
#endif
