#include "formats/text_reader.h"

#include "formats/bit_table.h"
#include "formats/chunk_stream.h"
#include "formats/pending_bits.h"

#include <vector>

namespace morvelan {

namespace {

// The code point of the UTF-8 sequence at the front of `bytes`; a byte that
// does not open a complete sequence stands for itself.
std::uint32_t codePointAt(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t lead = bytes[0];
    std::size_t length = 0;
    std::uint32_t value = 0;
    if (lead < 0x80) return lead;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, value = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, value = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, value = lead & 0x07;
    else return lead;
    if (bytes.size() < length) return lead;
    for (std::size_t k = 1; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80) return lead;
        value = (value << 6) | (bytes[k] & 0x3F);
    }
    return value;
}

class TextReader final : public BitReader {
public:
    TextReader(std::unique_ptr<ByteSource> source, const TextSyntax& syntax)
        : stream_(std::move(source)), syntax_(syntax)
    {
    }

    ReadStatus read(std::vector<std::uint8_t>& out, std::size_t maxBits) override
    {
        if (status_ != ReadStatus::More) return status_;
        const std::size_t limit = bitLimit(out, maxBits);
        pending_.drain(out, limit);
        if (!pending_.empty()) return ReadStatus::More;
        if (inputDone_) return status_ = finalStatus_;
        out_ = &out;
        if (!bomChecked_) skipByteOrderMark();
        while (out.size() < limit) {
            const auto bytes = stream_.peek();
            if (bytes.empty()) return endOfInput(limit);
            std::size_t i = 0;
            for (; i < bytes.size() && out.size() < limit; ++i)
                if (!take(bytes[i])) {
                    stream_.consume(i);
                    pending_.holdExcess(out, limit);
                    return refuse();
                }
            stream_.consume(i);
            pending_.holdExcess(out, limit);
        }
        return ReadStatus::More;
    }

    const FormatProblem& problem() const override { return problem_; }

private:
    enum class Header { Candidate, Skipping, Done };

    void skipByteOrderMark()
    {
        bomChecked_ = true;
        const auto head = stream_.ensure(3);
        if (head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) stream_.consume(3);
    }

    // One byte of text; false when it refuses the input.
    bool take(std::uint8_t byte)
    {
        const TextSymbol symbol = syntax_.symbols[byte];
        if (symbol == TextSymbol::Cr || symbol == TextSymbol::Lf) {
            const bool secondHalf = symbol == TextSymbol::Lf && lastCr_;
            lastCr_ = symbol == TextSymbol::Cr;
            if (!secondHalf) endLine();
            return true;
        }
        lastCr_ = false;
        if ((byte & 0xC0) != 0x80) ++column_; // continuation bytes are inside a character
        if (header_ == Header::Skipping) return true;
        if (header_ == Header::Candidate && column_ > kHeaderLookahead) commitCandidate();
        switch (symbol) {
        case TextSymbol::Space: endToken(); return true;
        case TextSymbol::Digit:
            flushZero();
            emit(syntax_.values[byte]);
            tokenStart_ = false;
            return true;
        case TextSymbol::Zero:
            flushZero();
            if (tokenStart_) zeroPending_ = true;
            else emit(0);
            tokenStart_ = false;
            return true;
        case TextSymbol::PrefixX:
            if (!zeroPending_) break;
            zeroPending_ = false;
            return true;
        default: break;
        }
        if (header_ == Header::Candidate) {
            // Line 1 does not parse: it is a header, and what it gave is dropped.
            header_ = Header::Skipping;
            candidate_.clear();
            zeroPending_ = false;
            return true;
        }
        return false;
    }

    void emit(unsigned value)
    {
        auto& target = header_ == Header::Candidate ? candidate_ : *out_;
        const unsigned n = syntax_.bitsPerDigit;
        if (n == 1) return target.push_back(static_cast<std::uint8_t>(value & 1u));
        // The digit's bits are the low n of its byte's most-significant-first expansion.
        const auto& bits = kMsbFirstBits[value & 0xFF];
        target.insert(target.end(), bits.end() - n, bits.end());
    }

    // A token-opening 0 that no x followed is the digit 0.
    void flushZero()
    {
        if (!zeroPending_) return;
        zeroPending_ = false;
        emit(0);
    }

    void endToken()
    {
        flushZero();
        tokenStart_ = true;
    }

    void endLine()
    {
        endToken();
        if (header_ == Header::Candidate) commitCandidate();
        header_ = Header::Done;
        ++line_;
        column_ = 0;
    }

    void commitCandidate()
    {
        header_ = Header::Done;
        out_->insert(out_->end(), candidate_.begin(), candidate_.end());
        candidate_ = {};
    }

    ReadStatus endOfInput(std::size_t limit)
    {
        endToken();
        if (header_ == Header::Candidate) commitCandidate();
        inputDone_ = true;
        if (stream_.failed()) {
            problem_.kind = FormatProblem::Kind::ReadFailed;
            problem_.offset = stream_.offset();
            finalStatus_ = ReadStatus::Failed;
        }
        pending_.holdExcess(*out_, limit);
        if (!pending_.empty()) return ReadStatus::More;
        return status_ = finalStatus_;
    }

    ReadStatus refuse()
    {
        problem_.kind = FormatProblem::Kind::BadCharacter;
        problem_.line = line_;
        problem_.column = column_;
        problem_.offset = stream_.offset();
        problem_.value = codePointAt(stream_.ensure(4));
        return status_ = ReadStatus::Refused;
    }

    ChunkStream stream_;
    const TextSyntax& syntax_;
    PendingBits pending_;
    std::vector<std::uint8_t> candidate_; // bits of line 1 while it may be a header
    std::vector<std::uint8_t>* out_ = nullptr;
    FormatProblem problem_;
    ReadStatus status_ = ReadStatus::More;
    ReadStatus finalStatus_ = ReadStatus::End;
    Header header_ = Header::Candidate;
    std::uint64_t line_ = 1, column_ = 0;
    bool bomChecked_ = false, inputDone_ = false;
    bool lastCr_ = false, tokenStart_ = true, zeroPending_ = false;
};

} // namespace

std::unique_ptr<BitReader> makeTextReader(std::unique_ptr<ByteSource> source, const TextSyntax& syntax)
{
    return std::make_unique<TextReader>(std::move(source), syntax);
}

} // namespace morvelan
