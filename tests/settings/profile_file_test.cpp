#include "settings/profile.h"

#include "support/permission_checks.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace morvelan;
using morvelan::testing::readBytes;
using morvelan::testing::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string kIni = "; keep\r\n[Morvelan]\nA=1\r\n[Other]\rB=2";

// Files in the folder other than the ones named: what a save left behind.
int strayFiles(const TempDir& dir, std::size_t expected)
{
    return static_cast<int>(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{})) -
           static_cast<int>(expected);
}

} // namespace

TEST(ProfileFile, WriteKeepsOtherBytesModeAndExtendedAttributes)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    ::chmod(ini.c_str(), 0640);
    const bool xattrs = ::setxattr(ini.c_str(), "user.morvelan", "kept", 4, 0) == 0;
    ASSERT_TRUE(WriteProfileString(ini, "Morvelan", "A", "7"));
    ASSERT_TRUE(WriteProfileString(ini, "Other", "C", "8"));
    EXPECT_EQ(readBytes(ini), "; keep\r\n[Morvelan]\nA=7\r\n[Other]\rB=2\rC=8\r");
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    char value[8] = {};
    if (xattrs) {
        EXPECT_EQ(::getxattr(ini.c_str(), "user.morvelan", value, sizeof value), 4);
    }
    EXPECT_STREQ(xattrs ? value : "kept", "kept");
    EXPECT_EQ(strayFiles(dir, 1), 0);
}

TEST(ProfileFile, FailureBeforeRenameLeavesTheOldFileAndNoTemp)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    // Names an earlier save or another user may have left are not ours.
    dir.write("m.ini.tmp", "stale");
    fs::create_symlink(dir.file("victim"), ini + ".XXXXXX");
    std::string tempSeen;
    ReplaceSteps breakBeforeRename;
    breakBeforeRename.beforeRename = [&](const std::string& temp) {
        tempSeen = readBytes(temp);
        struct stat st {};
        ::lstat(temp.c_str(), &st);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        return false;
    };
    EXPECT_FALSE(WriteProfileString(ini, "Morvelan", "A", "9", breakBeforeRename));
    EXPECT_EQ(tempSeen, "; keep\r\n[Morvelan]\nA=9\r\n[Other]\rB=2"); // written in full, then dropped
    EXPECT_EQ(readBytes(ini), kIni);
    EXPECT_EQ(strayFiles(dir, 3), 0);
    EXPECT_FALSE(fs::exists(dir.file("victim")));
    ASSERT_TRUE(WriteProfileString(ini, "Morvelan", "A", "2"));
    EXPECT_EQ(readBytes(ini + ".tmp"), "stale");
}

TEST(ProfileFile, TwoProcessesSavingAtOnceLoseNothing)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", "[Morvelan]\r\n");
    constexpr int kSaves = 60;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const std::string key = child == 0 ? "CHILD" : "PARENT";
    int failures = 0;
    for (int i = 1; i <= kSaves; ++i) {
        failures += !WriteProfileString(ini, "Morvelan", key + std::to_string(i), std::to_string(i));
        if (fs::file_size(ini) == 0) ++failures; // never a short file
    }
    if (child == 0) ::_exit(failures);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int i = 1; i <= kSaves; ++i) {
        EXPECT_EQ(ReadProfileString(ini, "Morvelan", "PARENT" + std::to_string(i), ""), std::to_string(i));
        EXPECT_EQ(ReadProfileString(ini, "Morvelan", "CHILD" + std::to_string(i), ""), std::to_string(i));
    }
    EXPECT_EQ(strayFiles(dir, 1), 0);
}

TEST(ProfileFile, UnwritableTargetsFailAndStayIntact)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    ::chmod(ini.c_str(), 0444); // read-only even for root
    EXPECT_FALSE(WriteProfileString(ini, "Morvelan", "A", "5"));
    EXPECT_EQ(readBytes(ini), kIni);
    EXPECT_FALSE(WriteProfileString(dir.path().string(), "Morvelan", "A", "5"));
    EXPECT_FALSE(WriteProfileString(dir.file("no/such/folder.ini"), "Morvelan", "A", "5"));
    const morvelan::testing::ScopedPermissionChecks permissions;
    if (!permissions.active()) GTEST_SKIP() << "cannot make permissions bind this process";
    ::chmod(ini.c_str(), 0200);
    EXPECT_EQ(ReadProfileString(ini, "Morvelan", "A", "dflt"), "dflt");
    EXPECT_FALSE(WriteProfileString(ini, "Morvelan", "A", "5")); // its other lines cannot be kept
}

TEST(ProfileFile, SymbolicLinkStaysALink)
{
    TempDir dir;
    const std::string real = dir.write("real.ini", kIni);
    const std::string link = dir.file("link.ini");
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteProfileString(link, "Morvelan", "A", "4"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadProfileString(real, "Morvelan", "A", ""), "4");
}
