#include "files/frame_output.h"

#include "engine/hex_convert.h"
#include "files/candidate_text.h"
#include "files/segment_text.h"

#include <cstdio>

namespace morvelan {
namespace {

// Whole records are gathered and written in blocks of about this size.
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

std::string hexDigits(std::uint64_t value, int bits)
{
    const int digits = (bits + 3) / 4;
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int k = digits - 1; k >= 0; --k, value >>= 4) out[static_cast<std::size_t>(k)] = "0123456789ABCDEF"[value & 15];
    return out;
}

// Bits to hex text, the last digit padded with zero bits.
std::string bitsHex(std::span<const std::uint8_t> bits)
{
    std::string out;
    out.reserve((bits.size() + 3) / 4);
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        unsigned v = 0;
        for (std::size_t k = 0; k < 4; ++k) v = (v << 1) | (i + k < bits.size() ? bits[i + k] & 1u : 0u);
        out += "0123456789ABCDEF"[v];
    }
    return out;
}

class BlockWriter {
public:
    explicit BlockWriter(FrameOutput::Write write) : write_(std::move(write)) {}
    void add(std::string_view record)
    {
        block_ += record;
        if (block_.size() >= kBlockBytes) flush();
    }
    bool flush()
    {
        if (!block_.empty() && ok_) ok_ = write_(block_);
        block_.clear();
        return ok_;
    }

private:
    FrameOutput::Write write_;
    std::string block_;
    bool ok_ = true;
};

class CsvOutput final : public FrameOutput {
public:
    CsvOutput(int wordBits, Write write) : wordBits_(wordBits), out_(std::move(write))
    {
        out_.add(std::string(kFramesCsvHeader) + "\n");
    }
    void frame(const SyncedFrame& f, std::span<const std::uint8_t> bits) override
    {
        std::string row = std::to_string(f.frame) + "," + std::to_string(f.bit) + "," + std::to_string(f.segment) +
                          "," + std::to_string(f.errors) + "," + std::to_string(f.slip) + "," +
                          polarityName(f.inverted) + ",";
        const std::int64_t words = wordsPerFrame(static_cast<std::int64_t>(bits.size()), wordBits_);
        for (std::int64_t w = 0; w < words; ++w) {
            if (w > 0) row += ' ';
            row += hexDigits(frameWord(bits, w, wordBits_), wordBits_);
        }
        out_.add(row + "\n");
    }
    void segment(const SyncSegment&) override {}
    bool finish(const std::vector<WordStatistic>&, const std::optional<MajorFrame>&) override { return out_.flush(); }

private:
    int wordBits_;
    BlockWriter out_;
};

class BinOutput final : public FrameOutput {
public:
    explicit BinOutput(Write write) : out_(std::move(write)) {}
    void frame(const SyncedFrame&, std::span<const std::uint8_t> bits) override
    {
        std::string bytes((bits.size() + 7) / 8, '\0');
        for (std::size_t i = 0; i < bits.size(); ++i)
            if (bits[i] & 1u) bytes[i / 8] = static_cast<char>(bytes[i / 8] | (0x80 >> (i % 8)));
        out_.add(bytes);
    }
    void segment(const SyncSegment&) override {}
    bool finish(const std::vector<WordStatistic>&, const std::optional<MajorFrame>&) override { return out_.flush(); }

private:
    BlockWriter out_;
};

// Frames are written as they come; segments, known only as they end, are
// held (one small record each) and written after them.
class JsonOutput final : public FrameOutput {
public:
    JsonOutput(int wordBits, Write write) : wordBits_(wordBits), out_(std::move(write)) { out_.add("{\"frames\": ["); }
    void frame(const SyncedFrame& f, std::span<const std::uint8_t> bits) override
    {
        out_.add(std::string(frames_++ == 0 ? "\n" : ",\n") + "{\"frame\": " + std::to_string(f.frame) +
                 ", \"bit\": " + std::to_string(f.bit) + ", \"segment\": " + std::to_string(f.segment) +
                 ", \"errors\": " + std::to_string(f.errors) + ", \"slip\": " + std::to_string(f.slip) +
                 ", \"polarity\": \"" + polarityName(f.inverted) + "\", \"data\": \"" + bitsHex(bits) + "\"}");
    }
    void segment(const SyncSegment& s) override { segments_.push_back(s); }
    bool finish(const std::vector<WordStatistic>& words, const std::optional<MajorFrame>& major) override
    {
        std::string tail = frames_ == 0 ? "],\n\"segments\": " : "\n],\n\"segments\": ";
        tail += segmentsJsonArray(segments_) + ",\n\"majorFrame\": ";
        tail += major ? "{\"length\": " + std::to_string(major->length) + ", \"counterWord\": " +
                            std::to_string(major->counterWord) + ", \"wordBits\": " + std::to_string(major->wordBits) + "}"
                      : std::string("null");
        tail += ",\n\"words\": [";
        for (std::size_t i = 0; i < words.size(); ++i) {
            const WordStatistic& w = words[i];
            tail += std::string(i == 0 ? "\n" : ",\n") + "{\"word\": " + std::to_string(w.word) + ", \"kind\": \"" +
                    std::string(wordKindName(w.kind)) + "\"" +
                    (w.value ? ", \"value\": \"" + hexDigits(*w.value, wordBits_) + "\"" : std::string()) + "}";
        }
        tail += words.empty() ? "]}\n" : "\n]}\n";
        out_.add(tail);
        return out_.flush();
    }

private:
    int wordBits_;
    BlockWriter out_;
    std::int64_t frames_ = 0;
    std::vector<SyncSegment> segments_;
};

} // namespace

std::optional<ExtractFormat> parseExtractFormat(std::string_view name)
{
    if (name == "csv") return ExtractFormat::Csv;
    if (name == "json") return ExtractFormat::Json;
    if (name == "bin") return ExtractFormat::Bin;
    return std::nullopt;
}

ExtractFormat extractFormatForPath(std::string_view path)
{
    const auto endsWith = [path](std::string_view end) {
        if (path.size() < end.size()) return false;
        for (std::size_t i = 0; i < end.size(); ++i) {
            char c = path[path.size() - end.size() + i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != end[i]) return false;
        }
        return true;
    };
    if (endsWith(".json")) return ExtractFormat::Json;
    if (endsWith(".bin")) return ExtractFormat::Bin;
    return ExtractFormat::Csv;
}

std::unique_ptr<FrameOutput> FrameOutput::make(ExtractFormat format, int wordBits, Write write)
{
    switch (format) {
    case ExtractFormat::Json: return std::make_unique<JsonOutput>(wordBits, std::move(write));
    case ExtractFormat::Bin: return std::make_unique<BinOutput>(std::move(write));
    case ExtractFormat::Csv: break;
    }
    return std::make_unique<CsvOutput>(wordBits, std::move(write));
}

std::string polarityName(bool inverted) { return inverted ? "inverted" : "normal"; }

std::string segmentJson(const SyncSegment& s, std::string_view name)
{
    return "{\"startBit\": " + std::to_string(s.startBit) + ", \"endBit\": " + std::to_string(s.endBit) +
           ", \"interval\": " + std::to_string(s.format.interval) + ", \"sync\": \"" + bitsToHex(s.format.sync) +
           "\", \"name\": " + (name.empty() ? std::string("null") : jsonString(name)) + ", \"polarity\": \"" +
           polarityName(s.inverted) + "\", \"frames\": " + std::to_string(s.frames) +
           ", \"slips\": " + std::to_string(s.slips) + ", \"lost\": " + std::to_string(s.lost) + "}";
}

} // namespace morvelan
