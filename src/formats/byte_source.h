#pragma once
// Where the readers take their bytes from. Readers never open files
// themselves, so tests and fuzz targets feed them memory.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace morvelan {

class ByteSource {
public:
    virtual ~ByteSource();
    // Copies up to `size` bytes into `buffer`: the count copied, 0 at the
    // end of the input, -1 when the input could not be read.
    virtual std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) = 0;
};

// Opens the same input anew each time it is called (nullptr when it cannot).
using ByteSourceOpener = std::function<std::unique_ptr<ByteSource>()>;

// Bytes held elsewhere (they must outlive the source), handed out at most
// `chunk` at a time so that tests reach every boundary.
class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes, std::size_t chunk = SIZE_MAX);
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t chunk_;
    std::size_t position_ = 0;
};

} // namespace morvelan
