#include "files/png_file.h"

#include "common/png_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include <sys/stat.h>

using namespace morvelan;
using morvelan::testing::TempDir;

// The picture replaces a regular file (through a link) only when complete;
// anything else under the name stays as it was.
TEST(PngFile, WritesANewFileAndNeverHarmsWhatIsThere)
{
    TempDir dir;
    const std::vector<std::uint8_t> rgb(4 * 3 * 3, 0x5A);
    const std::string png = encodePng(4, 3, rgb.data());
    const std::string old = dir.write("old.png", "old picture");
    std::filesystem::create_symlink(old, dir.file("link.png"));
    ASSERT_TRUE(writePngFile(dir.file("link.png"), 4, 3, rgb.data()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.png")));
    EXPECT_EQ(morvelan::testing::readBytes(old), png);
    // Never a system device here: a faulty writer would replace it.
    std::filesystem::create_directory(dir.file("folder.png"));
    ASSERT_EQ(::mkfifo(dir.file("fifo.png").c_str(), 0600), 0);
    for (const std::string& target : {dir.file("missing-folder/p.png"), dir.file("folder.png"), dir.file("fifo.png")})
        EXPECT_FALSE(writePngFile(target, 4, 3, rgb.data())) << target;
    EXPECT_FALSE(writePngFile(dir.file("empty.png"), 0, 0, rgb.data()));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo.png")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4); // no temporary file left
}

