#pragma once
// The frame synchroniser: locks onto a sync word and cuts the capture into
// frames, as a ground-station frame synchroniser does, with a search ->
// check -> lock -> flywheel state machine.
//
//   search    look for the word (either polarity) at every bit;
//   check     a find is confirmed once it recurs, one interval on, in
//             `confirmFrames` consecutive frames;
//   lock      each frame's sync is looked for at the expected place and
//             within +-slipWindow bits of it, within `allowedErrors`; a sync
//             found off the expected place is a slip: followed, counted;
//   flywheel  a missing sync is coasted over (the frame is kept, `coasted`)
//             up to `coastFrames` times in a row; then back to search.
// From search it re-acquires with the same format in either polarity, or,
// when that word is not found within a few frames, with another format found
// by searching ahead (a format change). It makes one streaming pass; memory
// depends on the longest interval, never on the capture's length.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvelan {

struct FrameSyncSettings {
    std::int32_t confirmFrames = 2; // C
    std::int32_t allowedErrors = 2; // E
    std::int32_t slipWindow = 2;    // S
    std::int32_t coastFrames = 3;   // F
    // What a search for a format of its own looks at: the run's intervals
    // and sync width.
    std::int64_t minInterval = 16;
    std::int64_t maxInterval = 65536;
    std::int32_t syncBits = 32;
};

// A frame format: its length and its sync word.
struct FrameFormat {
    std::int64_t interval = 0;
    std::string sync; // "0"/"1", normal polarity, first bit sent first
    bool operator==(const FrameFormat&) const = default;
};

struct SyncedFrame {
    std::int64_t frame = 0;   // 0-based, over the whole capture
    std::int64_t bit = 0;     // its first sync bit, counted from the capture's first bit (0)
    std::int32_t segment = 0; // 0-based
    std::int32_t errors = 0;  // sync bits that differ (coasted: at the expected place)
    std::int32_t slip = 0;    // bits its sync moved against the expected place (0: none)
    bool inverted = false;    // the capture holds the complement here
    bool coasted = false;     // kept in lock without its sync
};

// A run of frames in lock with one format and one polarity.
struct SyncSegment {
    std::int64_t startBit = 0; // the first frame's first bit
    std::int64_t endBit = 0;   // exclusive: the end of its last frame
    FrameFormat format;
    bool inverted = false;
    std::int64_t frames = 0;
    std::int64_t slips = 0; // frames whose sync moved
    std::int64_t lost = 0;  // frames coasted without their sync
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // One whole frame: `bits` are its `interval` bits from the first sync
    // bit on, 0/1 one per byte, polarity-corrected. A frame the capture's
    // end cuts short is not given.
    virtual void frame(const SyncedFrame& frame, std::span<const std::uint8_t> bits) = 0;
    // A segment that has ended, after its last frame.
    virtual void segment(const SyncSegment& segment) = 0;
};

class FrameSynchroniser {
public:
    // `start`: the format looked for first (the summary's first entry, or
    // the one the user forces); none: the synchroniser acquires on its own.
    FrameSynchroniser(const FrameSyncSettings& settings, std::optional<FrameFormat> start, FrameSink& sink);
    ~FrameSynchroniser();
    FrameSynchroniser(const FrameSynchroniser&) = delete;
    FrameSynchroniser& operator=(const FrameSynchroniser&) = delete;

    // The capture's next bits, 0/1 one per byte, any number at a time.
    void push(std::span<const std::uint8_t> bits);
    // The capture has ended: the frames still held and the segment in
    // progress go to the sink.
    void finish();

private:
    class State;
    std::unique_ptr<State> state_;
};

// A format found in `bits` (0/1 one per byte) on its own: a word of
// settings.syncBits bits that recurs at one interval of the settings' range,
// within allowedErrors and +-slipWindow bits, over enough frames that chance
// cannot explain it. None when nothing qualifies (noise).
std::optional<FrameFormat> acquireFormat(std::span<const std::uint8_t> bits, const FrameSyncSettings& settings);

} // namespace morvelan
