#include "files/png_file.h"

#include "common/png_writer.h"
#include "files/atomic_file.h"

namespace morvelan {

bool writePngFile(const std::string& path, int width, int height, const std::uint8_t* rgb)
{
    const std::string png = encodePng(width, height, rgb);
    return !png.empty() && !path.empty() && replaceFileContents(path, png);
}

} // namespace morvelan
