#pragma once
// Input files for window runs: a header line, lines of 80 hexadecimal
// digits, and a closing comment line (the reader never decodes the last
// line). Each frame carries the sync word at a fixed offset; every other bit
// is pseudo-random from a fixed seed, so a file is the same on every run.
#include <cstdint>
#include <string>
#include <vector>

namespace morvelan::testing {

inline constexpr std::uint32_t kSyncWord = 0xB5C27; // 20 bits: 10110101110000100111

struct CaptureShape {
    int frameBits = 128;
    int frames = 40;
    int syncOffset = 10; // bit offset of the word inside each frame
    std::string header = "; TDM generated capture";
    std::string lineEnd = "\r\n";
};

inline std::string makeCapture(const CaptureShape& shape)
{
    std::uint32_t state = 20261206u;
    const auto nextBit = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 16) & 1u);
    };
    std::vector<int> bits(static_cast<std::size_t>(shape.frameBits) * static_cast<std::size_t>(shape.frames));
    for (int& b : bits) b = nextBit();
    for (int f = 0; f < shape.frames; ++f)
        for (int j = 0; j < 20; ++j)
            bits[static_cast<std::size_t>(f * shape.frameBits + shape.syncOffset + j)] =
                static_cast<int>((kSyncWord >> (19 - j)) & 1u);
    while (bits.size() % 4 != 0) bits.push_back(0);

    std::string out = shape.header + shape.lineEnd;
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        out += "0123456789ABCDEF"[bits[i] * 8 + bits[i + 1] * 4 + bits[i + 2] * 2 + bits[i + 3]];
        if ((i / 4) % 80 == 79 || i + 4 >= bits.size()) out += shape.lineEnd;
    }
    out += "; end" + shape.lineEnd;
    return out;
}

} // namespace morvelan::testing
