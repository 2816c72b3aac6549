#include "formats/ch10_channels.h"

#include <iterator>
#include <string_view>

namespace morvelan {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Data types come in groups of eight, one per kind of source.
std::string_view kindName(std::uint8_t type)
{
    static constexpr std::string_view kGroups[] = {
        "COMPUTER", "PCM", "TIME", "1553", "ANALOG", "DISCRETE", "MESSAGE",
        "ARINC429", "VIDEO", "IMAGE", "UART", "1394", "PARALLEL", "ETHERNET",
    };
    if (type == kCh10Tmats) return "TMATS";
    const std::size_t group = type >> 3;
    return group < std::size(kGroups) ? kGroups[group] : "OTHER";
}

std::string_view modeName(PcmWord::Mode mode)
{
    switch (mode) {
    case PcmWord::Mode::Throughput: return "throughput";
    case PcmWord::Mode::Packed: return "packed";
    case PcmWord::Mode::Unpacked: return "unpacked";
    }
    return "throughput";
}

// '0'/'1' text as hex digits, four bits a digit, the last padded with zeros.
std::string bitsAsHex(std::string_view bits)
{
    std::string hex;
    for (std::size_t at = 0; at < bits.size(); at += 4) {
        unsigned digit = 0;
        for (std::size_t k = at; k < at + 4; ++k) digit = digit * 2 + (k < bits.size() && bits[k] == '1');
        hex += kHexDigits[digit];
    }
    return hex;
}

std::string pcmGroup(const PcmWord& pcm)
{
    return "mode=" + std::string(modeName(pcm.mode)) + " align=" + std::to_string(pcm.alignBits()) +
           " iph=" + (pcm.headers ? "yes" : "no");
}

std::string tmatsGroup(const PcmSetup& setup)
{
    std::string items;
    const auto add = [&items](const std::string& item) { items += (items.empty() ? "" : " ") + item; };
    if (setup.frameBits) add("frame=" + std::to_string(*setup.frameBits) + " bits");
    if (setup.frameWords) add("words=" + std::to_string(*setup.frameWords));
    if (setup.syncPattern)
        add("sync=0x" + bitsAsHex(*setup.syncPattern) + " (" + std::to_string(setup.syncPattern->size()) + " bits)");
    else if (setup.syncBits)
        add("sync=" + std::to_string(*setup.syncBits) + " bits");
    if (setup.wordBits) add("word=" + std::to_string(*setup.wordBits) + " bits");
    return items;
}

} // namespace

ReadStatus listCh10Channels(std::unique_ptr<ByteSource> source, std::vector<Ch10ChannelListing>& out,
                            FormatProblem& problem, const std::function<bool()>& keepGoing)
{
    out.clear();
    problem = {};
    Ch10Scan scan(std::move(source));
    for (Ch10Scan::Step step = Ch10Scan::Step::More; step != Ch10Scan::Step::Done;) {
        if (keepGoing && !keepGoing()) return ReadStatus::More;
        step = scan.step(kCh10ScanStep);
        if (step == Ch10Scan::Step::Refused || step == Ch10Scan::Step::Failed) {
            problem = scan.problem();
            return step == Ch10Scan::Step::Refused ? ReadStatus::Refused : ReadStatus::Failed;
        }
    }
    for (const auto& [id, channel] : scan.channels()) {
        Ch10ChannelListing entry{id, channel.firstType, channel.packets, channel.pcmMode, {}};
        // Without PCM a frame description means nothing; the record's only
        // PCM format would otherwise show against every channel.
        if (channel.pcmMode) entry.setup = scan.tmats().setupFor(id);
        out.push_back(std::move(entry));
    }
    return ReadStatus::End;
}

std::string ch10ChannelLine(const Ch10ChannelListing& entry)
{
    std::string line = std::to_string(entry.id) + "  0x" + kHexDigits[entry.dataType >> 4] +
                       kHexDigits[entry.dataType & 0xF] + " " + std::string(kindName(entry.dataType)) + "  " +
                       std::to_string(entry.packets) + " packets";
    if (entry.pcm) line += "  " + pcmGroup(*entry.pcm);
    const std::string tmats = tmatsGroup(entry.setup);
    if (!tmats.empty()) line += "  " + tmats;
    return line;
}

} // namespace morvelan
