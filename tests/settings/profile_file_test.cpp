#include "settings/profile.h"

#include "support/temp_dir.h"
#include "support/permission_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace morvelan;
using morvelan::testing::readBytes;
using morvelan::testing::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string kIni = "; keep\r\n[Morvelan]\nA=1\r\n[Other]\rB=2";

} // namespace

TEST(ProfileFile, AbsentFileOrFolderGivesTheDefault)
{
    TempDir dir;
    EXPECT_EQ(ReadProfileString(dir.file("none.ini"), "Morvelan", "A", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(dir.path().string(), "Morvelan", "A", "dflt"), "dflt");
    const std::string ini = dir.write("m.ini", kIni);
    EXPECT_EQ(ReadProfileString(ini, "MORVELAN", "a", "dflt"), "1");
    EXPECT_EQ(ReadProfileString(ini, "Other", "B", "dflt"), "2");
}

TEST(ProfileFile, WriteKeepsOtherBytesAndPermissions)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    ::chmod(ini.c_str(), 0640);
    ASSERT_TRUE(WriteProfileString(ini, "Morvelan", "A", "7"));
    ASSERT_TRUE(WriteProfileString(ini, "Other", "C", "8"));
    EXPECT_EQ(readBytes(ini), "; keep\r\n[Morvelan]\nA=7\r\n[Other]\rB=2\rC=8\r");
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_FALSE(fs::exists(ini + ".tmp"));
}

TEST(ProfileFile, MissingFileIsCreatedLikeThePlatformDoes)
{
    TempDir dir;
    ASSERT_TRUE(WriteProfileString(dir.file("new.ini"), "Morvelan", "A", "1"));
    EXPECT_EQ(readBytes(dir.file("new.ini")), "[Morvelan]\r\nA=1\r\n");
}

TEST(ProfileFile, FailureBeforeRenameLeavesTheOldFileAndNoTemp)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    std::string tempSeen;
    ReplaceSteps breakBeforeRename;
    breakBeforeRename.beforeRename = [&](const std::string& temp) {
        tempSeen = readBytes(temp);
        return false;
    };
    EXPECT_FALSE(WriteProfileString(ini, "Morvelan", "A", "9", breakBeforeRename));
    EXPECT_EQ(tempSeen, "; keep\r\n[Morvelan]\nA=9\r\n[Other]\rB=2"); // written in full, then dropped
    EXPECT_EQ(readBytes(ini), kIni);
    EXPECT_FALSE(fs::exists(ini + ".tmp"));
}

TEST(ProfileFile, StaleTempIsReplacedButAFolderInItsPlaceIsNot)
{
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    dir.write("m.ini.tmp", "stale");
    ASSERT_TRUE(WriteProfileString(ini, "Morvelan", "A", "2"));
    EXPECT_FALSE(fs::exists(ini + ".tmp"));

    const std::string written = readBytes(ini);
    fs::create_directory(ini + ".tmp");
    EXPECT_FALSE(WriteProfileString(ini, "Morvelan", "A", "3"));
    EXPECT_EQ(readBytes(ini), written);
    EXPECT_TRUE(fs::is_directory(ini + ".tmp"));
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
}

TEST(ProfileFile, ReadOnlyFolderOrUnreadableFileFails)
{
    const morvelan::testing::ScopedPermissionChecks permissions;
    if (!permissions.active()) GTEST_SKIP() << "cannot make permissions bind this process";
    TempDir dir;
    const std::string ini = dir.write("m.ini", kIni);
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(WriteProfileString(ini, "Morvelan", "A", "5"));
    EXPECT_EQ(readBytes(ini), kIni);
    ::chmod(dir.path().c_str(), 0755);
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
