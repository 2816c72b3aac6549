#include "formats/bin_reader.h"

#include "formats/bit_table.h"
#include "formats/chunk_stream.h"
#include "formats/pending_bits.h"

#include <algorithm>

namespace morvelan {

namespace {

class BinReader final : public BitReader {
public:
    BinReader(std::unique_ptr<ByteSource> source, BitOrder order)
        : stream_(std::move(source)), table_(order == BitOrder::Msb ? kMsbFirstBits : kLsbFirstBits)
    {
    }

    ReadStatus read(std::vector<std::uint8_t>& out, std::size_t maxBits) override
    {
        if (status_ != ReadStatus::More) return status_;
        const std::size_t limit = bitLimit(out, maxBits);
        pending_.drain(out, limit);
        while (out.size() < limit) {
            const auto bytes = stream_.peek();
            if (bytes.empty()) return finish();
            // Whole bytes while they fit, then one more whose tail waits.
            const std::size_t room = limit - out.size();
            const std::size_t count = std::min(bytes.size(), std::max<std::size_t>(room / 8, 1));
            const std::size_t start = out.size();
            out.resize(start + count * 8);
            std::uint8_t* dst = out.data() + start;
            for (std::size_t i = 0; i < count; ++i) expandByte(table_, bytes[i], dst + i * 8);
            stream_.consume(count);
            pending_.holdExcess(out, limit);
        }
        return ReadStatus::More;
    }

    const FormatProblem& problem() const override { return problem_; }

private:
    ReadStatus finish() { return status_ = streamEnd(stream_, problem_); }

    ChunkStream stream_;
    const std::array<ByteBits, 256>& table_;
    PendingBits pending_;
    FormatProblem problem_;
    ReadStatus status_ = ReadStatus::More;
};

} // namespace

std::unique_ptr<BitReader> makeBinReader(std::unique_ptr<ByteSource> source, BitOrder order)
{
    return std::make_unique<BinReader>(std::move(source), order);
}

} // namespace morvelan
