#pragma once
// Realistic telemetry captures with a known answer, for the evaluation
// program and the tests of the summary.
//
// A minor frame of 256 to 2048 bits starts with its sync word (16, 24 or 32
// bits: a published one or an arbitrary one), then usually a frame counter,
// then 8-bit-aligned words in random order: constant status words (a few flag
// bits set), slowly varying channels (a sine of a period of tens to hundreds
// of frames, most significant bit first), long fill runs (0s, 1s or 1010...)
// and random payload. The last word before the next frame's sync word is
// payload, a channel or fill, never a constant status word: no content test
// can tell such a word from the first bits of an unknown sync word.
// Bits are flipped at random at the capture's bit error rate (up to 0.4 %),
// the capture starts anywhere inside a frame, and some captures are inverted.
#include <cstdint>
#include <string>
#include <vector>

namespace morvelan::testing {

struct GeneratedCapture {
    std::uint32_t seed = 0;
    std::int64_t interval = 0;   // frame length in bits
    std::int64_t offset = 0;     // index of the sync word's first bit (cell 1 is index 0)
    std::string syncBits;        // the sync word, normal polarity, "0"/"1"
    std::string syncHex;
    std::string syncName;        // the published word's name, else empty
    bool inverted = false;
    double bitErrorRate = 0;
    std::string layout;          // the frame's fields, for a reader
    std::vector<std::uint8_t> bits; // the capture, first bit first
};

// The capture of one seed: the same seed gives the same capture.
GeneratedCapture generateCapture(std::uint32_t seed);

// The capture as an input file: a "TDM" header line, comment lines, 80 hex
// digits a line, CR LF line ends. False when the file cannot be written.
bool writeCaptureFile(const GeneratedCapture& capture, const std::string& path);

} // namespace morvelan::testing
