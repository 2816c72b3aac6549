// The PNG writer, checked by reading its output back: chunk layout and CRCs,
// the zlib stream (header, stored blocks, Adler-32) and every pixel.
#include "common/png_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>


namespace {

using namespace morvelan;

std::uint32_t readBigEndian(const std::string& s, std::size_t at)
{
    return (std::uint32_t{static_cast<std::uint8_t>(s[at])} << 24) |
           (std::uint32_t{static_cast<std::uint8_t>(s[at + 1])} << 16) |
           (std::uint32_t{static_cast<std::uint8_t>(s[at + 2])} << 8) | static_cast<std::uint8_t>(s[at + 3]);
}

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<std::string> chunkTypes;
    std::size_t storedBlocks = 0;
    std::vector<std::uint8_t> rgb;
};

// A reader for exactly what the writer may produce: 8-bit RGB, no interlace,
// stored deflate blocks, filter type 0. Any deviation fails the test.
DecodedPng decodePng(const std::string& png)
{
    DecodedPng out;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string zlib;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = readBigEndian(png, at);
        const std::string type = png.substr(at + 4, 4);
        EXPECT_LE(at + 12 + length, png.size());
        const std::string data = png.substr(at + 8, length);
        EXPECT_EQ(readBigEndian(png, at + 8 + length), crc32(type + data)) << type;
        out.chunkTypes.push_back(type);
        if (type == "IHDR") {
            EXPECT_EQ(length, 13u);
            out.width = static_cast<int>(readBigEndian(data, 0));
            out.height = static_cast<int>(readBigEndian(data, 4));
            EXPECT_EQ(data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
        } else if (type == "IDAT") {
            zlib += data;
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());

    EXPECT_GE(zlib.size(), 6u);
    const auto cmf = static_cast<std::uint8_t>(zlib[0]);
    const auto flg = static_cast<std::uint8_t>(zlib[1]);
    EXPECT_TRUE((cmf & 0x0F) == 8 && (cmf * 256 + flg) % 31 == 0 && (flg & 0x20) == 0); // deflate, no dictionary
    std::string raw;
    std::size_t z = 2;
    for (bool last = false; !last;) {
        const auto head = static_cast<std::uint8_t>(zlib.at(z));
        last = (head & 1) != 0;
        EXPECT_EQ((head >> 1) & 3, 0) << "only stored blocks";
        const std::size_t len = static_cast<std::uint8_t>(zlib.at(z + 1)) | (static_cast<std::uint8_t>(zlib.at(z + 2)) << 8);
        const std::size_t nlen = static_cast<std::uint8_t>(zlib.at(z + 3)) | (static_cast<std::uint8_t>(zlib.at(z + 4)) << 8);
        EXPECT_EQ(len ^ 0xFFFF, nlen);
        raw += zlib.substr(z + 5, len);
        z += 5 + len;
        ++out.storedBlocks;
    }
    EXPECT_EQ(z + 4, zlib.size());
    EXPECT_EQ(readBigEndian(zlib, z), adler32(raw));

    const std::size_t stride = static_cast<std::size_t>(out.width) * 3;
    EXPECT_EQ(raw.size(), (stride + 1) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * (stride + 1);
        EXPECT_EQ(raw.at(row), '\0') << "filter type of row " << y;
        for (std::size_t i = 0; i < stride; ++i) out.rgb.push_back(static_cast<std::uint8_t>(raw.at(row + 1 + i)));
    }
    return out;
}

std::vector<std::uint8_t> randomPixels(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (auto& v : rgb) v = static_cast<std::uint8_t>(rng());
    return rgb;
}

TEST(PngChecksums, MatchPublishedCheckValues)
{
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32(""), 0u);
    EXPECT_EQ(crc32("IEND"), 0xAE426082u); // the CRC every PNG ends with
    EXPECT_EQ(adler32("Wikipedia"), 0x11E60398u);
    EXPECT_EQ(adler32(""), 1u);
    // Continuing a checksum equals taking it over the joined bytes.
    EXPECT_EQ(crc32("6789", crc32("12345")), crc32("123456789"));
    EXPECT_EQ(adler32("pedia", adler32("Wiki")), adler32("Wikipedia"));
}

TEST(PngWriter, RawDataOfExactlyOneBlockEndsWithTheFinalBlock)
{
    // 15 rows of 1 + 1456 * 3 bytes: 65535 raw bytes, one full block; one
    // byte more needs a second block.
    const auto rgb = randomPixels(1456, 15, 3);
    const DecodedPng png = decodePng(encodePng(1456, 15, rgb.data()));
    EXPECT_EQ(png.storedBlocks, 1u);
    EXPECT_EQ(png.rgb, rgb);
    const auto more = randomPixels(1456, 16, 4);
    EXPECT_EQ(decodePng(encodePng(1456, 16, more.data())).storedBlocks, 2u);
}

TEST(PngWriter, EmptyPictureGivesNothing)
{
    const std::uint8_t pixel[3] = {1, 2, 3};
    EXPECT_TRUE(encodePng(0, 5, pixel).empty());
    EXPECT_TRUE(encodePng(5, -1, pixel).empty());
    EXPECT_TRUE(encodePng(1, 1, nullptr).empty());
}

} // namespace
