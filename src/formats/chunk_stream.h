#pragma once
// A ByteSource read through a fixed buffer, with the input offset of every
// byte, so that readers work on spans and report where a problem lies.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace morvelan {

class ChunkStream {
public:
    static constexpr std::size_t kCapacity = 64 * 1024;

    explicit ChunkStream(std::unique_ptr<ByteSource> source);

    // The buffered bytes not yet consumed; reads more when there are none.
    // Empty only at the end of the input or after a read failure.
    std::span<const std::uint8_t> peek();
    // As peek, but first reads until at least `count` (at most kCapacity)
    // bytes are buffered, unless the input ends before.
    std::span<const std::uint8_t> ensure(std::size_t count);
    void consume(std::size_t count);
    // Discards up to `count` bytes: the number discarded, short only at the
    // end of the input or on a failure.
    std::uint64_t skip(std::uint64_t count);

    // Input offset of the first byte not yet consumed.
    std::uint64_t offset() const { return offset_; }
    bool failed() const { return failed_; }

private:
    bool fill();

    std::unique_ptr<ByteSource> source_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0, end_ = 0;
    std::uint64_t offset_ = 0;
    bool ended_ = false, failed_ = false;
};

// How a byte stream ended: End, or Failed with a ReadFailed problem at the
// offset where reading stopped.
inline ReadStatus streamEnd(const ChunkStream& stream, FormatProblem& problem)
{
    if (!stream.failed()) return ReadStatus::End;
    problem.kind = FormatProblem::Kind::ReadFailed;
    problem.offset = stream.offset();
    return ReadStatus::Failed;
}

} // namespace morvelan
