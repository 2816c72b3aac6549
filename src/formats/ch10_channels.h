#pragma once
// The channels of a Chapter 10 file, for a listing: what each carries, how
// many packets, the PCM mode and the frame description TMATS gives it.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"
#include "formats/ch10_packet.h"
#include "formats/ch10_scan.h"
#include "formats/ch10_tmats.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvelan {

struct Ch10ChannelListing {
    std::uint16_t id = 0;
    std::uint8_t dataType = 0;  // of the channel's first packet
    std::uint64_t packets = 0;  // every packet with this channel ID
    std::optional<PcmWord> pcm; // mode of its first PCM Format 1 packet
    PcmSetup setup;             // what TMATS gives the channel; empty without PCM

    bool operator==(const Ch10ChannelListing&) const = default;
};

// Reads the whole file, checking every packet as the reader's first pass
// does, in steps of kCh10ScanStep bytes; `keepGoing`, when given, is asked
// before each step. Answers
//   End      `out` holds one entry per channel, in ascending ID;
//   More     keepGoing answered false: nothing listed;
//   Refused, Failed  `problem` says where and why: nothing listed.
ReadStatus listCh10Channels(std::unique_ptr<ByteSource> source, std::vector<Ch10ChannelListing>& out,
                            FormatProblem& problem, const std::function<bool()>& keepGoing = {});

// One entry as one line of ASCII, without a line end. Groups are parted by
// two spaces, the items of a group by one:
//   ID  0xTT KIND  N packets[  PCM][  TMATS]
// ID and N in decimal, TT the data type in two upper-case hex digits, KIND
// the name of its data type group: COMPUTER, TMATS (0x01), PCM, TIME,
// 1553, ANALOG, DISCRETE, MESSAGE, ARINC429, VIDEO, IMAGE, UART, 1394,
// PARALLEL, ETHERNET, else OTHER; "packets" whatever N.
// PCM, for a channel with PCM Format 1 packets:
//   mode=throughput|packed|unpacked align=16|32 iph=yes|no
// TMATS, those of these items it gives, in this order:
//   frame=MF2 bits | words=MF1 | sync=0xHEX (L bits) | word=F1 bits
// HEX is the MF5 pattern of L bits in upper-case digits, the last one
// padded with zero bits at its end; without a pattern, sync=MF4 bits.
// Example:
//   52  0x09 PCM  1234 packets  mode=unpacked align=16 iph=yes  frame=224 bits sync=0xFE6B2840 (32 bits)
std::string ch10ChannelLine(const Ch10ChannelListing& entry);

} // namespace morvelan
