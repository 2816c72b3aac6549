#include "formats/chunk_stream.h"

#include <algorithm>
#include <cstring>

namespace morvelan {

ChunkStream::ChunkStream(std::unique_ptr<ByteSource> source)
    : source_(std::move(source)), buffer_(kCapacity)
{
    if (!source_) failed_ = true;
}

bool ChunkStream::fill()
{
    if (ended_ || failed_) return false;
    if (begin_ > 0 && begin_ == end_) begin_ = end_ = 0;
    if (end_ == buffer_.size()) {
        // Keep the unconsumed tail and make room behind it.
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t room = buffer_.size() - end_;
    if (room == 0) return false;
    const std::ptrdiff_t got = source_->read(buffer_.data() + end_, room);
    if (got < 0 || static_cast<std::size_t>(got) > room) {
        failed_ = true;
        return false;
    }
    if (got == 0) {
        ended_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

std::span<const std::uint8_t> ChunkStream::peek()
{
    if (begin_ == end_) fill();
    return {buffer_.data() + begin_, end_ - begin_};
}

std::span<const std::uint8_t> ChunkStream::ensure(std::size_t count)
{
    count = std::min(count, buffer_.size());
    if (buffer_.size() - begin_ < count) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ - begin_ < count && fill()) {
    }
    return {buffer_.data() + begin_, end_ - begin_};
}

void ChunkStream::consume(std::size_t count)
{
    count = std::min(count, end_ - begin_);
    begin_ += count;
    offset_ += count;
}

std::uint64_t ChunkStream::skip(std::uint64_t count)
{
    std::uint64_t done = 0;
    while (done < count) {
        const auto bytes = peek();
        if (bytes.empty()) break;
        const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), count - done));
        consume(step);
        done += step;
    }
    return done;
}

} // namespace morvelan
