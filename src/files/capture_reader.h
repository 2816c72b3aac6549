#pragma once
// Reads an input in a format other than the classic one (hex, bits, u8,
// bin, ch10) from the opened file 1 into the Bit buffer, sized to what the
// search compares: the rest of a long capture is never read.
#include "formats/bit_reader.h"
#include "formats/ch10_channels.h"
#include "formats/input_format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvelan {

class Session;
class RunEvents;
class Toolkit;
struct AnalysisParameters;
namespace platform {
class File;
}

// The most cells a Bit buffer gets, whatever the parameters ask: frames
// further on count as past the data.
inline constexpr std::int64_t kMaxCaptureCells = std::int64_t{1} << 28;

// The first bytes of `file` that auto detection looks at, the file left at
// its first byte; none when it cannot be read.
std::optional<std::vector<std::uint8_t>> readDetectionHead(platform::File& file);
// The format auto detection gives the file at `path`; the classic one when
// it cannot be read (the run then reports it).
InputFormat detectFileFormat(const std::string& path);

// The channels of the Chapter 10 file at `path`, as listCh10Channels gives
// them; Failed with a ReadFailed problem when it cannot be opened.
ReadStatus listChannelsOf(const std::string& path, std::vector<Ch10ChannelListing>& out, FormatProblem& problem,
                          const std::function<bool()>& keepGoing = {});

// The reader of `format` over `file`, from its first byte on.
std::unique_ptr<BitReader> makeFileReader(platform::File& file, InputFormat format, BitOrder order,
                                          std::optional<std::uint16_t> channel);

// True when the read ended (end of the capture or a full buffer). On a
// refusal or a read failure it shows one message naming the file and closes
// files 1 and 2; on an abort it returns false silently. The format is
// session.input.format; the read fills in the rest of session.input.
bool ReadCaptureFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunEvents& events);

} // namespace morvelan
