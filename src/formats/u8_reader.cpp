#include "formats/u8_reader.h"

#include "formats/chunk_stream.h"
#include "formats/pending_bits.h"

#include <algorithm>

namespace morvelan {

namespace {

// Index of the first byte above 1, or size. Whole blocks are OR-ed first,
// which the compiler vectorises; only a block that fails is searched.
std::size_t firstNonBit(const std::uint8_t* bytes, std::size_t size)
{
    constexpr std::size_t kBlock = 64;
    std::size_t i = 0;
    for (; i + kBlock <= size; i += kBlock) {
        std::uint8_t any = 0;
        for (std::size_t k = 0; k < kBlock; ++k) any |= bytes[i + k];
        if (any > 1) break;
    }
    for (; i < size; ++i)
        if (bytes[i] > 1) return i;
    return size;
}

class U8Reader final : public BitReader {
public:
    explicit U8Reader(std::unique_ptr<ByteSource> source) : stream_(std::move(source)) {}

    ReadStatus read(std::vector<std::uint8_t>& out, std::size_t maxBits) override
    {
        if (status_ != ReadStatus::More) return status_;
        const std::size_t limit = bitLimit(out, maxBits);
        while (out.size() < limit) {
            const auto bytes = stream_.peek();
            if (bytes.empty()) return finish();
            const std::size_t count = std::min(bytes.size(), limit - out.size());
            const std::size_t good = firstNonBit(bytes.data(), count);
            out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(good));
            if (good < count) {
                problem_.kind = FormatProblem::Kind::BadByte;
                problem_.offset = stream_.offset() + good;
                problem_.value = bytes[good];
                return status_ = ReadStatus::Refused;
            }
            stream_.consume(count);
        }
        return ReadStatus::More;
    }

    const FormatProblem& problem() const override { return problem_; }

private:
    ReadStatus finish() { return status_ = streamEnd(stream_, problem_); }

    ChunkStream stream_;
    FormatProblem problem_;
    ReadStatus status_ = ReadStatus::More;
};

} // namespace

std::unique_ptr<BitReader> makeU8Reader(std::unique_ptr<ByteSource> source)
{
    return std::make_unique<U8Reader>(std::move(source));
}

} // namespace morvelan
