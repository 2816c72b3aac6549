// The settings reader and the profile layer's write on arbitrary files, and
// the settings number syntax on arbitrary text. A save must keep every byte
// of the file that does not belong to the keys it writes.
#include "support/counting_toolkit.h"
#include "settings/profile.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace morvelan;

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string& iniPath()
{
    static const std::string path = [] {
        // Saves flush to disk; on a memory file system that costs nothing.
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        auto d = base / ("morvelan-fuzz-settings-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return (d / "Morvelan.ini").string();
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    (void)ParseSettingsNumber(bytes);

    const std::string& path = iniPath();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    testing::CountingToolkit toolkit;
    AnalysisParameters params;
    ReadSettings(params, path, toolkit);

    // Writing a key and reading it back gives the value; writing it again
    // with the same value changes nothing.
    if (WriteProfileString(path, "Morvelan", "THRESHOLD", "42")) {
        if (ReadProfileString(path, "Morvelan", "THRESHOLD", "") != "42") std::abort();
        const std::string once = readAll(path);
        if (!WriteProfileString(path, "Morvelan", "THRESHOLD", "42") || readAll(path) != once) std::abort();
    }
    SaveSettings(params, path, toolkit);
    return 0;
}
