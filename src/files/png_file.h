#pragma once
// The raster picture as a PNG file.
#include <cstdint>
#include <string>

namespace morvelan {

// Writes the PNG to a new file beside `path` and renames it into place when
// complete. False, with `path` as it was and no file left behind, when the
// picture is empty, `path` names something other than a regular file (a
// link is followed) or the file cannot be written.
bool writePngFile(const std::string& path, int width, int height, const std::uint8_t* rgb);

} // namespace morvelan
