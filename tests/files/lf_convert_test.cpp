#include "files/input_reader.h"

#include "files/file_test_support.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

class ConvertLfFileTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedToolkit tk;

    // Converts `bytes` and returns the copy's bytes.
    std::string convert(const std::string& bytes)
    {
        const std::string in = dir.write("in.txt", bytes);
        EXPECT_TRUE(ConvertLfFile(in, dir.file("copy.tmp"), tk));
        EXPECT_TRUE(tk.messages.empty());
        return readBytes(dir.file("copy.tmp"));
    }
};

// The expected copy, built independently: a CR before every LF.
std::string withCrBeforeLf(const std::string& bytes)
{
    std::string out;
    for (const char b : bytes) {
        if (b == '\n') out += '\r';
        out += b;
    }
    return out;
}

} // namespace

TEST_F(ConvertLfFileTest, InsertsACarriageReturnBeforeEveryLineFeed)
{
    EXPECT_EQ(convert("A\nB"), "A\r\nB");
    EXPECT_EQ(convert("A\r\nB"), "A\r\r\nB");
    EXPECT_EQ(convert("\n\n"), "\r\n\r\n");
    EXPECT_EQ(convert("\rA\r"), "\rA\r");
    EXPECT_EQ(convert(std::string("\0\n\0", 3)), std::string("\0\r\n\0", 4));
    EXPECT_EQ(convert(""), "");
}

TEST_F(ConvertLfFileTest, CopiesLargeBinaryInputExactly)
{
    // Larger than the copy buffers, with line feeds at every kind of offset.
    std::mt19937 rng(7);
    std::string bytes(200000, '\0');
    for (char& b : bytes) b = static_cast<char>(rng() % 4 == 0 ? '\n' : rng() & 0xFF);
    EXPECT_EQ(convert(bytes), withCrBeforeLf(bytes));
}

TEST_F(ConvertLfFileTest, ReplacesAnOlderCopyWhole)
{
    dir.write("copy.tmp", std::string(1000, 'x'));
    EXPECT_EQ(convert("A\nB"), "A\r\nB");
}

TEST_F(ConvertLfFileTest, LeavesTheInputUnchanged)
{
    convert("A\nB\n");
    EXPECT_EQ(readBytes(dir.file("in.txt")), "A\nB\n");
}

TEST_F(ConvertLfFileTest, MissingInputIsReportedAndMakesNoCopy)
{
    const std::string missing = dir.file("missing.txt");
    EXPECT_FALSE(ConvertLfFile(missing, dir.file("copy.tmp"), tk));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("入力ファイルを開けません：" + missing)});
    EXPECT_FALSE(std::filesystem::exists(dir.file("copy.tmp")));
}

TEST_F(ConvertLfFileTest, CopyInAMissingFolderIsReported)
{
    const std::string in = dir.write("in.txt", "A\nB");
    const std::string copy = dir.file("no-such-folder/copy.tmp");
    EXPECT_FALSE(ConvertLfFile(in, copy, tk));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("一時ファイルを作成できません：" + copy)});
}

TEST_F(ConvertLfFileTest, CopyNameTakenByAFolderIsReportedAndTheFolderStays)
{
    const std::string in = dir.write("in.txt", "A\nB");
    const std::string copy = dir.file("copy.tmp");
    std::filesystem::create_directory(copy);
    EXPECT_FALSE(ConvertLfFile(in, copy, tk));
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("一時ファイルを作成できません：" + copy)});
    EXPECT_TRUE(std::filesystem::is_directory(copy));
}

TEST_F(ConvertLfFileTest, RelativeCopyNameIsShownWithItsFolder)
{
    const std::string in = dir.write("in.txt", "A\nB");
    std::filesystem::create_directory(dir.file("$$MORVELAN.TMP"));
    const ScopedCwd cwd(dir.path());
    EXPECT_FALSE(ConvertLfFile(in, "$$MORVELAN.TMP", tk));
    EXPECT_EQ(tk.messages,
              std::vector<RecordedMessage>{errorBox("一時ファイルを作成できません：" + dir.file("$$MORVELAN.TMP"))});
}

TEST_F(ConvertLfFileTest, FailedWriteLeavesNoPartialCopy)
{
    const std::string in = dir.write("in.txt", std::string(100000, '\n'));
    const std::string copy = dir.file("copy.tmp");
    {
        const FileSizeLimit limit(4096);
        EXPECT_FALSE(ConvertLfFile(in, copy, tk));
    }
    EXPECT_EQ(tk.messages, std::vector<RecordedMessage>{errorBox("一時ファイルに書き込めません：" + copy)});
    EXPECT_FALSE(std::filesystem::exists(copy));
}
