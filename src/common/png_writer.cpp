#include "common/png_writer.h"

#include <algorithm>
#include <array>

namespace morvelan {
namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr auto kCrcTable = makeCrcTable();

// The largest length a stored deflate block can hold.
constexpr std::size_t kStoredBlockMax = 65535;
// Image data per IDAT chunk.
constexpr std::size_t kIdatChunk = std::size_t{1} << 20;

void appendBigEndian(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void appendChunk(std::string& out, std::string_view type, std::string_view data)
{
    appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out += type;
    out += data;
    const std::string_view covered(out.data() + typeAt, type.size() + data.size());
    appendBigEndian(out, crc32(covered));
}

} // namespace

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc)
{
    crc = ~crc;
    for (const char b : bytes) crc = kCrcTable[(crc ^ static_cast<std::uint8_t>(b)) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(std::string_view bytes, std::uint32_t adler)
{
    constexpr std::uint32_t kMod = 65521;
    // 5552 bytes is the most that can be summed before the 32-bit sums must
    // be reduced.
    constexpr std::size_t kRun = 5552;
    std::uint32_t a = adler & 0xFFFFu;
    std::uint32_t b = adler >> 16;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kRun);
        for (std::size_t i = 0; i < n; ++i) {
            a += static_cast<std::uint8_t>(bytes[i]);
            b += a;
        }
        a %= kMod;
        b %= kMod;
        bytes.remove_prefix(n);
    }
    return (b << 16) | a;
}

std::string encodePng(int width, int height, const std::uint8_t* rgb)
{
    if (width <= 0 || height <= 0 || rgb == nullptr) return {};
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    const std::size_t rawSize = (stride + 1) * static_cast<std::size_t>(height);
    const std::size_t blocks = (rawSize + kStoredBlockMax - 1) / kStoredBlockMax;

    // zlib: CMF 0x78 (deflate, 32 KiB window), FLG 0x01 (no dictionary;
    // 0x7801 is a multiple of 31), stored blocks, then Adler-32 of the raw
    // image data: each row led by filter type 0 (none).
    std::string zlib;
    zlib.reserve(rawSize + blocks * 5 + 6);
    zlib += '\x78';
    zlib += '\x01';
    std::uint32_t adler = 1;
    std::size_t blockLeft = 0;
    std::size_t rawLeft = rawSize;
    const auto put = [&](const char* data, std::size_t n) {
        while (n > 0) {
            if (blockLeft == 0) {
                blockLeft = std::min(kStoredBlockMax, rawLeft);
                zlib += static_cast<char>(blockLeft == rawLeft ? 1 : 0); // BFINAL, BTYPE 00 (stored)
                zlib += static_cast<char>(blockLeft & 0xFF);
                zlib += static_cast<char>(blockLeft >> 8);
                zlib += static_cast<char>(~blockLeft & 0xFF);
                zlib += static_cast<char>((~blockLeft >> 8) & 0xFF);
            }
            const std::size_t take = std::min(n, blockLeft);
            zlib.append(data, take);
            adler = adler32(std::string_view(data, take), adler);
            data += take;
            n -= take;
            blockLeft -= take;
            rawLeft -= take;
        }
    };
    const char filterNone = 0;
    for (int y = 0; y < height; ++y) {
        put(&filterNone, 1);
        put(reinterpret_cast<const char*>(rgb) + stride * static_cast<std::size_t>(y), stride);
    }
    appendBigEndian(zlib, adler);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    appendBigEndian(header, static_cast<std::uint32_t>(width));
    appendBigEndian(header, static_cast<std::uint32_t>(height));
    header += '\x08'; // bit depth
    header += '\x02'; // colour type: RGB
    header += '\0';   // compression: deflate
    header += '\0';   // filter method 0
    header += '\0';   // no interlace
    png.reserve(zlib.size() + zlib.size() / kIdatChunk * 12 + 64);
    appendChunk(png, "IHDR", header);
    // The stream may be split over several IDAT chunks; readers join them.
    for (std::size_t at = 0; at < zlib.size(); at += kIdatChunk)
        appendChunk(png, "IDAT", std::string_view(zlib).substr(at, kIdatChunk));
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace morvelan
