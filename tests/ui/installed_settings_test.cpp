// Installed use: the program lies in a folder only root may write, and a
// normal user's save goes into the user's own copy of the settings.
#include "settings/settings_location.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace morvelan::testing {
namespace {

constexpr uid_t kOtherUser = 65534; // nobody

// Runs as kOtherUser: reads, changes one value, saves and reads back.
int saveAsOtherUser(const std::string& installed, const std::string& home)
{
    if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) return 10;
    const SettingsLocation location(installed, UserSettingsPath(home + "/.config"));
    if (location.pathToRead() != installed) return 11; // no copy of one's own yet
    ScriptedToolkit toolkit;
    AnalysisParameters params, back;
    if (!ReadSettingsAt(params, location, toolkit)) return 12;
    params.START_SYNC_INTERVAL = 444;
    SaveSettingsAt(params, location, toolkit);
    if (!toolkit.messages.empty() || !ReadSettingsAt(back, location, toolkit)) return 13;
    return back.START_SYNC_INTERVAL == 444 && back.FRAME_ROUNDS == params.FRAME_ROUNDS ? 0 : 14;
}

TEST(InstalledSettings, AnotherUserSavesIntoTheirOwnCopyAndTheInstalledFileStays)
{
    if (::geteuid() != 0) GTEST_SKIP() << "installs as root and saves as another user";
    TempDir dir;
    const std::string prefix = (dir.path() / "opt").string();
    ASSERT_EQ(std::system((std::string(MORVELAN_CMAKE) + " --install " + MORVELAN_BINARY_DIR + " --prefix " + prefix +
                           " >/dev/null").c_str()), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(prefix.c_str(), 0755), 0);
    const std::string installed = prefix + "/Morvelan.ini", before = readBytes(installed);
    ASSERT_FALSE(before.empty());
    const std::string home = (dir.path() / "home").string();
    ASSERT_EQ(::mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(::chown(home.c_str(), kOtherUser, kOtherUser), 0);

    const pid_t child = ::fork();
    if (child == 0) ::_exit(saveAsOtherUser(installed, home));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(installed), before);
    const std::string copy = readBytes(home + "/.config/morvelan/Morvelan.ini");
    EXPECT_NE(copy.find("START_SYNC_INTERVAL=444"), std::string::npos) << copy;
}

} // namespace
} // namespace morvelan::testing
