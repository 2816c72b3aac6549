#pragma once
// A small PNG writer for 8-bit RGB pictures with no library behind it: the
// image data goes into stored (uncompressed) deflate blocks, with the zlib
// and PNG checksums computed here.
#include <cstdint>
#include <string>
#include <string_view>

namespace morvelan {

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320), continuing from `crc`.
std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0);
// Adler-32 as the zlib stream ends with it, continuing from `adler`.
std::uint32_t adler32(std::string_view bytes, std::uint32_t adler = 1);

// The PNG file bytes of a width x height picture whose rows (top first) are
// 3 bytes a pixel in `rgb`. Empty when a side is not 1 .. 2^31 - 1.
std::string encodePng(int width, int height, const std::uint8_t* rgb);

} // namespace morvelan
