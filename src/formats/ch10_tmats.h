#pragma once
// The TMATS setup record (Chapter 10 data type 0x01: a channel-specific word,
// then ASCII attributes "CODE:VALUE;") read for the PCM frame description of
// a channel:
//   R-x\TK1-n   track number: the channel ID of recorder data source n
//   R-x\CDLN-n  its data link name (R-x\PDLN-n in 106-04 and 106-05)
//   P-d\DLN     the data link name of PCM format d
//   P-d\F1      common word length, bits
//   P-d\MF1     words in a minor frame, the sync word counted as one
//   P-d\MF2     bits in a minor frame, the sync pattern included
//   P-d\MF4     minor frame sync pattern length, bits
//   P-d\MF5     minor frame sync pattern: '1' and '0', first bit sent first;
//               an 'X' marks a bit of any value. Kept only when it is 1 to
//               64 bits, each 0 or 1: a pattern with free bits, or one cut
//               short, would name a word other than the one sent.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace morvelan {

struct PcmSetup {
    std::optional<std::uint32_t> wordBits;   // P-d\F1
    std::optional<std::uint32_t> frameWords; // P-d\MF1
    std::optional<std::uint32_t> frameBits;  // P-d\MF2
    std::optional<std::uint32_t> syncBits;   // P-d\MF4
    std::optional<std::string> syncPattern;  // P-d\MF5, '0'/'1' only

    bool operator==(const PcmSetup&) const = default;
};

// Fed the text in pieces of any size; memory stays bounded whatever the
// record holds (long attributes and records past a cap are ignored).
class TmatsParser {
public:
    void feed(std::span<const std::uint8_t> text);
    // The PCM format linked to `channel` through its R data source; when no
    // link is found and the record describes a single PCM format, that one.
    PcmSetup setupFor(std::uint16_t channel) const;

private:
    void attribute();
    void recorderAttribute(std::string_view code, const std::string& value);
    void pcmAttribute(std::string_view code, const std::string& value);

    struct Source {
        std::optional<std::uint32_t> track;
        std::string link;
    };
    struct Format {
        std::string link;
        PcmSetup setup;
    };

    std::string code_, value_;
    bool inValue_ = false, tooLong_ = false;
    std::map<std::pair<std::uint32_t, std::uint32_t>, Source> sources_; // (x, n)
    std::map<std::uint32_t, Format> formats_;                           // d
};

} // namespace morvelan
