#include "files/capture_reader.h"

#include "common/pacer.h"
#include "common/toolkit.h"
#include "engine/run_events.h"
#include "files/input_messages.h"
#include "files/session.h"
#include "formats/bin_reader.h"
#include "formats/bits_reader.h"
#include "formats/ch10_reader.h"
#include "formats/format_detect.h"
#include "formats/hex_reader.h"
#include "formats/u8_reader.h"
#include "platform/file.h"

#include <algorithm>
#include <vector>

namespace morvelan {
namespace {

// The opened input as the readers' byte source.
class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(platform::File& file) : file_(file) {}
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override { return file_.read(buffer, size); }

private:
    platform::File& file_;
};

constexpr std::size_t kReadStep = std::size_t{1} << 16;

} // namespace

std::optional<std::vector<std::uint8_t>> readDetectionHead(platform::File& file)
{
    std::vector<std::uint8_t> head(kDetectBytes);
    std::size_t got = 0;
    while (got < head.size()) {
        const std::ptrdiff_t n = file.read(head.data() + got, head.size() - got);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    if (!file.seek(0)) return std::nullopt;
    return head;
}

InputFormat detectFileFormat(const std::string& path)
{
    // A FIFO would lose the bytes looked at.
    if (platform::isNonRegularFile(path)) return InputFormat::Tdm;
    platform::OpenError error;
    platform::File file = platform::openToRead(path, error, true);
    if (!file.isOpen()) return InputFormat::Tdm;
    const auto head = readDetectionHead(file);
    return head ? detectFormat(*head) : InputFormat::Tdm;
}

ReadStatus listChannelsOf(const std::string& path, std::vector<Ch10ChannelListing>& out, FormatProblem& problem,
                          const std::function<bool()>& keepGoing)
{
    platform::OpenError error;
    platform::File file = platform::openToRead(path, error, true);
    if (!file.isOpen()) {
        problem = {};
        problem.kind = FormatProblem::Kind::ReadFailed;
        return ReadStatus::Failed;
    }
    return listCh10Channels(std::make_unique<FileByteSource>(file), out, problem, keepGoing);
}

std::unique_ptr<BitReader> makeFileReader(platform::File& file, InputFormat format, BitOrder order,
                                          std::optional<std::uint16_t> channel)
{
    // The Chapter 10 reader reads the file twice: each pass starts it again
    // from its first byte, through the same opened file.
    const auto fromStart = [&file]() -> std::unique_ptr<ByteSource> {
        if (!file.seek(0)) return nullptr;
        return std::make_unique<FileByteSource>(file);
    };
    switch (format) {
    case InputFormat::Hex: return makeHexReader(fromStart());
    case InputFormat::Bits: return makeBitsReader(fromStart());
    case InputFormat::U8: return makeU8Reader(fromStart());
    case InputFormat::Bin: return makeBinReader(fromStart(), order);
    case InputFormat::Ch10: {
        Ch10Options options;
        options.channel = channel;
        return makeCh10Reader(fromStart, options);
    }
    case InputFormat::Auto:
    case InputFormat::Tdm: break;
    }
    return nullptr;
}

bool ReadCaptureFile(Session& session, const AnalysisParameters& params, Toolkit& toolkit, RunEvents& events)
{
    InputAccount& account = session.input;
    const auto refuse = [&](const FormatProblem& problem) {
        showError(toolkit, messageFormatProblem(session.inputPath, account, problem));
        session.files.closeBoth();
        return false;
    };
    auto reader = makeFileReader(session.files.input.file(), account.format, session.options.bitOrder,
                                 session.options.channel);
    const auto* ch10 = account.format == InputFormat::Ch10 ? static_cast<const Ch10Reader*>(reader.get()) : nullptr;
    if (!ch10) events.inputChosen(account);

    // The buffer holds what the search compares, and no more.
    const std::int64_t last = std::clamp<std::int64_t>(
        lastComparedCell(params, std::max(params.START_SYNC_INTERVAL, params.END_SYNC_INTERVAL)), 1,
        kMaxCaptureCells);
    session.bits.resize(last);
    session.decodedBits = 0;

    std::vector<std::uint8_t> chunk;
    chunk.reserve(kReadStep);
    std::int64_t p = 1;
    Pacer pacer;
    while (p <= last) {
        if (pacer.due()) {
            events.yield();
            pacer.restart();
        }
        if (session.abortFlag.requested()) return false;
        chunk.clear();
        const ReadStatus status =
            reader->read(chunk, static_cast<std::size_t>(std::min<std::int64_t>(kReadStep, last - p + 1)));
        if (ch10 && account.channel < 0 && ch10->channel() >= 0) {
            account.channel = ch10->channel();
            account.setup = ch10->setup();
            events.inputChosen(account);
        }
        if (status == ReadStatus::Refused || status == ReadStatus::Failed) return refuse(reader->problem());
        session.bits.setCells(p, chunk.data(), chunk.size());
        p += static_cast<std::int64_t>(chunk.size());
        session.decodedBits = static_cast<std::int32_t>(p - 1);
        if (status == ReadStatus::End) {
            // Frames past the capture lie outside the buffer: they never match.
            account.endOfData = true;
            session.bits.endAt(p - 1);
            break;
        }
    }
    return true;
}

} // namespace morvelan
