#pragma once
// The one interface every input reader implements: bits out, one byte each,
// in bounded steps, and a typed account of why an input was not taken.
// Wording the problem for the user is left to the caller.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvelan {

enum class ReadStatus {
    More,    // call again
    End,     // nothing follows
    Refused, // the input is not of this format; problem() says where and why
    Failed,  // the source could not be read
};

struct FormatProblem {
    enum class Kind {
        None,
        ReadFailed,    // offset: where reading stopped
        BadCharacter,  // hex, bits: line, column (1-based, in characters); value: its code point
        BadByte,       // u8: offset and value of a byte other than 0 and 1
        Ch10Empty,     // the file holds no byte
        Ch10BadSync,   // offset: a packet does not start with 25 EB; value: the two bytes read
        Ch10Truncated, // offset: the packet runs past the end of the file
        Ch10BadLength, // offset: packet and data lengths do not fit each other; value: packet length
        Ch10HeaderChecksum,          // offset; value: the checksum stored
        Ch10SecondaryHeaderChecksum, // offset; value: the checksum stored
        Ch10DataChecksum,            // offset; value: the checksum stored
        Ch10BadPcmMode,       // offset, channel; value: the channel-specific word
        Ch10PcmLength,        // offset, channel; value: the data length, not whole words or frames
        Ch10FrameSizeUnknown, // offset, channel: minor frames cannot be told apart
        Ch10NoPcmChannel,     // no PCM packet in the file
        Ch10ChannelMissing,   // channel: no packet carries it
        Ch10ChannelNotPcm,    // channel; value: the data type of its first packet
    };
    Kind kind = Kind::None;
    std::uint64_t offset = 0;
    std::uint64_t line = 0, column = 0;
    std::uint32_t value = 0;
    // Ch10: the channel asked for, or the ID of the packet at fault once its
    // header checksum held (0 before).
    std::uint32_t channel = 0;
};

class BitReader {
public:
    virtual ~BitReader() = default;
    // Appends up to maxBits bits, one byte each (0 or 1), to `out`. Once a
    // call answers End, Refused or Failed, every later call answers the same.
    virtual ReadStatus read(std::vector<std::uint8_t>& out, std::size_t maxBits) = 0;
    virtual const FormatProblem& problem() const = 0;
};

} // namespace morvelan
