#include "formats/byte_source.h"

#include <algorithm>
#include <cstring>

namespace morvelan {

ByteSource::~ByteSource() = default;

MemoryByteSource::MemoryByteSource(std::span<const std::uint8_t> bytes, std::size_t chunk)
    : bytes_(bytes), chunk_(std::max<std::size_t>(chunk, 1))
{
}

std::ptrdiff_t MemoryByteSource::read(std::uint8_t* buffer, std::size_t size)
{
    const std::size_t count = std::min({size, chunk_, bytes_.size() - position_});
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return static_cast<std::ptrdiff_t>(count);
}

} // namespace morvelan
