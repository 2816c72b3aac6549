// The file layer on the system it is built for (also run under Wine).
#include "platform/file.h"

#include "common/utf8.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace morvelan;
using morvelan::testing::TempDir;

namespace {

std::string readAll(const std::string& path)
{
    platform::OpenError error;
    platform::File file = platform::openToRead(path, error);
    std::string bytes;
    char buffer[256];
    for (std::ptrdiff_t n; file.isOpen() && (n = file.read(buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    return bytes;
}

std::size_t entriesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

} // namespace

// A folder and file with Japanese names: created, written, read back and
// recognised as one file under two spellings of its path.
TEST(PlatformFile, JapaneseNamesWork)
{
    TempDir dir;
    const std::string folder = utf8FromPath(dir.path()) + "/日本語フォルダ/測定";
    ASSERT_TRUE(platform::createPrivateFolder(folder));
    EXPECT_TRUE(platform::isExistingFolder(folder));
    EXPECT_TRUE(platform::isWritableFolder(folder));
    const std::string path = folder + "/R入力.txt";
    platform::OpenError error;
    platform::File file = platform::openResult(path, true, error);
    ASSERT_TRUE(file.isOpen());
    ASSERT_TRUE(file.writeAll("; 入力\r\n", 10));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readAll(path), "; 入力\r\n");
    EXPECT_TRUE(platform::isSameFile(path, folder + "/../測定/R入力.txt"));
    EXPECT_FALSE(platform::isSameFile(path, folder));
    EXPECT_TRUE(platform::isNonRegularFile(folder));
    EXPECT_EQ(platform::folderOf(path), folder);
}

// One writer per file: a second lock on the file is refused at once, and
// the file can be locked again once the first holder closes it.
TEST(PlatformFile, SecondLockIsRefusedAtOnce)
{
    TempDir dir;
    const std::string path = utf8FromPath(dir.path()) + "/R.txt";
    platform::OpenError error;
    platform::File first = platform::openResult(path, true, error);
    platform::File second = platform::openResult(path, true, error);
    ASSERT_TRUE(first.isOpen() && second.isOpen());
    bool busy = false;
    ASSERT_TRUE(first.lockExclusive(busy));
    EXPECT_FALSE(second.lockExclusive(busy));
    EXPECT_TRUE(busy);
    first.close();
    EXPECT_TRUE(second.lockExclusive(busy));
}

// The temporary copy is written and read back through its handle, and no
// file of it is left once it is closed, by either way of making it.
TEST(PlatformFile, TemporaryFileLeavesNothingBehind)
{
    TempDir dir;
    for (const bool named : {false, true}) {
        platform::File temp = platform::createUnnamedTemporary(utf8FromPath(dir.path()), "$$T.XXXXXX.TMP", named);
        ASSERT_TRUE(temp.isOpen());
        ASSERT_TRUE(temp.writeAll("abc", 3));
        ASSERT_TRUE(temp.seek(0));
        char back[4] = {};
        EXPECT_EQ(temp.read(back, 3), 3);
        EXPECT_EQ(std::string(back), "abc");
        temp.close();
        EXPECT_EQ(entriesIn(dir.path()), 0u) << named;
    }
}

TEST(PlatformFile, ReplacementTakesThePlaceOfTheOldFile)
{
    TempDir dir;
    const std::string target = utf8FromPath(dir.path()) + "/設定.ini";
    std::string temp = target;
    platform::File file = platform::createUniqueBeside(temp);
    ASSERT_TRUE(file.isOpen());
    EXPECT_NE(temp, target);
    ASSERT_TRUE(file.writeAll("new", 3) && file.close());
    platform::OpenError error;
    platform::File old = platform::openResult(target, true, error);
    ASSERT_TRUE(old.writeAll("old", 3) && old.close());
    ASSERT_TRUE(platform::replaceByRename(temp, target));
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}
