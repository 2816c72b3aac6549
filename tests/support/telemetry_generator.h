#pragma once
// Telemetry captures made the way a PCM or CCSDS downlink is, with the
// truth of every frame, for the frame synchroniser's tests, its benchmark
// and its fuzz target.
//
// An IRIG-like minor frame: its sync word (16 to 32 bits, a published one or
// an arbitrary well-shaped one), an 8-bit subframe ID counting 0 .. N-1 (a
// major frame of N minor frames), then constant status words, slowly varying
// channels, fill runs (0s, 1s, 0101), random payload and blocks of
// pseudo-randomised data (the CCSDS randomiser over data or zero fill). A
// CCSDS-like frame: the ASM 1ACFFC1D, a primary header (constant IDs, two
// frame counts, a status field) and a data field of payload and idle fill,
// all after the ASM pseudo-randomised, the randomiser restarting each frame.
// The bits just before a sync always vary from frame to frame (payload):
// no content test could tell constant bits there from the word's own.
// The capture starts anywhere inside the first frame.
#include <cstdint>
#include <string>
#include <vector>

namespace morvelan::testing {

struct TelemetryFormat {
    std::int64_t interval = 0;
    std::string sync;     // "0"/"1", normal polarity, first bit sent first
    int minorFrames = 0;  // the subframe ID counts 0 .. minorFrames - 1
    bool ccsds = false;
    std::string layout;   // the frame's fields, for a reader
};

// In frame `frame` (counted over the whole stream, before the cut), after
// its sync: `bits` > 0 random bits inserted, < 0 bits deleted.
struct BitSlip {
    std::int64_t frame = 0;
    int bits = 0;
};

struct TelemetryOptions {
    std::uint32_t seed = 1;
    std::int64_t frames = 150;     // minor frames in the stream, both formats together
    int syncBits = 0;              // 16 .. 32; 0: the seed picks
    bool ccsds = false;            // CCSDS-like frames with the ASM
    bool oddLength = false;        // a frame length that is no multiple of 8
    double bitErrorRate = 0;
    std::int64_t invertFrom = -1;  // frames from this one on are complemented; -1: none
    std::vector<BitSlip> slips;
    std::int64_t burstBefore = -1; // random bits just before this frame (the phase changes)
    std::int64_t burstBits = 0;
    bool formatChange = false;     // the second half of the frames in another format (a word as wide)
    bool noise = false;            // random bits only, as many as the frames would take
};

struct TruthFrame {
    std::int64_t bit = 0; // its first sync bit, from the capture's first bit (0)
    int format = 0;       // index into TelemetryCapture::formats
    bool inverted = false;
};

struct TelemetryCapture {
    std::vector<std::uint8_t> bits; // 0/1, one per byte
    std::vector<TelemetryFormat> formats;
    std::vector<TruthFrame> frames; // the whole frames in the capture, in order
};

// A frame format of the seed's own (the same seed gives the same format).
// syncBits 0: the seed picks 16 .. 32.
TelemetryFormat makeTelemetryFormat(std::uint32_t seed, int syncBits, bool ccsds, bool oddLength);

TelemetryCapture generateTelemetry(const TelemetryOptions& options);

// Frames a synchroniser gave, against the truth: `starts` are their first
// bits in order. found: truth frames given at their place; misplaced: given
// frames at no truth frame's place.
struct TruthScore {
    std::int64_t truth = 0;
    std::int64_t found = 0;
    std::int64_t misplaced = 0;
    double share() const { return truth > 0 ? static_cast<double>(found) / static_cast<double>(truth) : 1.0; }
};
TruthScore scoreAgainstTruth(const TelemetryCapture& capture, const std::vector<std::int64_t>& starts);

} // namespace morvelan::testing
