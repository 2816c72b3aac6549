#include "support/capture_generator.h"
#include "support/random_bits.h"

#include "analysis/known_sync_words.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <random>

namespace morvelan::testing {
namespace {

// An arbitrary sync word: random bits, about as many ones as zeros, whose
// shifts by 1 to 3 bits agree with it in few places, as a designer would
// pick one.
std::string arbitraryWord(Rng& rng, int bits)
{
    for (;;) {
        std::string w;
        for (int j = 0; j < bits; ++j) w += static_cast<char>('0' + (rng() & 1));
        const auto ones = static_cast<int>(std::count(w.begin(), w.end(), '1'));
        bool good = ones * 8 >= bits * 3 && ones * 8 <= bits * 5; // balanced, as designers pick them
        for (int shift = 1; shift <= 3 && good; ++shift) {
            int agree = 0;
            for (int j = shift; j < bits; ++j) agree += w[static_cast<std::size_t>(j)] == w[static_cast<std::size_t>(j - shift)];
            good = agree <= (bits - shift) * 3 / 4;
        }
        if (good) return w;
    }
}

// One field of the frame after the sync word and counter.
struct Field {
    enum Kind { Status, Channel, Fill, Payload } kind;
    int bits;
    std::uint64_t value = 0; // status value; channel mean
    double amplitude = 0, period = 1, phase = 0;
    int fill = 0; // 0s, 1s, 1010...
};

std::string describe(const Field& f)
{
    static const char* fills[] = {"0s", "1s", "1010"};
    switch (f.kind) {
    case Field::Status: return "status" + std::to_string(f.bits);
    case Field::Channel: return "channel" + std::to_string(f.bits);
    case Field::Fill: return std::string("fill") + fills[f.fill] + "x" + std::to_string(f.bits);
    case Field::Payload: break;
    }
    return "payload" + std::to_string(f.bits);
}

Field makeField(Rng& rng, Field::Kind kind, int room)
{
    Field f{kind, 0};
    switch (kind) {
    case Field::Status:
        f.bits = 16;
        for (int k = pick(rng, 1, 4); k > 0; --k) f.value |= std::uint64_t{1} << pick(rng, 0, 15);
        break;
    case Field::Channel:
        f.bits = chance(rng, 0.5) ? 12 : 16;
        f.value = static_cast<std::uint64_t>(pick(rng, 1 << (f.bits - 3), (1 << f.bits) - (1 << (f.bits - 3))));
        f.amplitude = pick(rng, 4, 1 << (f.bits - 4));
        f.period = pick(rng, 40, 600);
        f.phase = pick(rng, 0, 628) / 100.0;
        break;
    case Field::Fill:
        f.bits = 8 * pick(rng, 4, 32);
        f.fill = pick(rng, 0, 2);
        break;
    case Field::Payload:
        f.bits = 8 * pick(rng, 2, 16);
        break;
    }
    f.bits = std::min(f.bits, room);
    return f;
}

void appendField(std::vector<std::uint8_t>& out, const Field& f, std::int64_t frame, Rng& rng)
{
    switch (f.kind) {
    case Field::Status: appendValue(out, f.value, f.bits); break;
    case Field::Channel: {
        const double v = static_cast<double>(f.value) +
                         f.amplitude * std::sin(2 * std::numbers::pi * static_cast<double>(frame) / f.period + f.phase);
        const std::uint64_t top = (std::uint64_t{1} << f.bits) - 1;
        appendValue(out, std::min<std::uint64_t>(top, static_cast<std::uint64_t>(std::max(0.0, std::round(v)))), f.bits);
        break;
    }
    case Field::Fill:
        for (int j = 0; j < f.bits; ++j)
            out.push_back(static_cast<std::uint8_t>(f.fill == 2 ? (j % 2 == 0) : f.fill));
        break;
    case Field::Payload:
        for (int j = 0; j < f.bits; ++j) out.push_back(static_cast<std::uint8_t>(rng() & 1));
        break;
    }
}

} // namespace

GeneratedCapture generateCapture(std::uint32_t seed)
{
    Rng rng(seed);
    GeneratedCapture c;
    c.seed = seed;
    c.interval = 8 * pick(rng, 32, 256);

    // Half the words are published ones, the rest arbitrary of 16, 24 or 32 bits.
    const auto known = knownSyncWords();
    if (chance(rng, 0.5)) {
        std::vector<const KnownSyncWord*> fitting;
        for (const KnownSyncWord& w : known)
            if (w.hex.size() * 4 <= 32) fitting.push_back(&w);
        const KnownSyncWord& w = *fitting[static_cast<std::size_t>(pick(rng, 0, static_cast<int>(fitting.size()) - 1))];
        c.syncBits = knownWordBits(w);
        c.syncName = std::string(w.name);
        c.syncHex = std::string(w.hex);
    } else {
        c.syncBits = arbitraryWord(rng, 8 * pick(rng, 2, 4));
        for (std::size_t g = 0; g < c.syncBits.size(); g += 4)
            c.syncHex += "0123456789ABCDEF"[std::stoi(c.syncBits.substr(g, 4), nullptr, 2)];
    }
    c.inverted = chance(rng, 0.2);
    c.bitErrorRate = pick(rng, 0, 40) / 10000.0;

    // The frame's fields after the sync word.
    const auto syncLength = static_cast<int>(c.syncBits.size());
    int room = static_cast<int>(c.interval) - syncLength;
    const int counterBits = chance(rng, 0.8) ? (chance(rng, 0.5) ? 8 : 16) : 0;
    room -= counterBits;
    std::vector<Field> fields;
    const Field::Kind kinds[] = {Field::Status, Field::Channel, Field::Fill, Field::Payload, Field::Payload};
    while (room > 0) {
        Field f = makeField(rng, kinds[pick(rng, 0, 4)], room);
        room -= f.bits;
        fields.push_back(f);
    }
    // Nothing constant and word-like just before the next sync word.
    if (!fields.empty() && fields.back().kind == Field::Status) fields.back().kind = Field::Payload;
    c.layout = "sync" + std::to_string(syncLength) + (counterBits ? " counter" + std::to_string(counterBits) : "");
    for (const Field& f : fields) c.layout += " " + describe(f);

    // Frames from a random counter start, then errors, polarity and the cut.
    const std::int64_t totalBits = 320 * pick(rng, 313, 625); // whole lines of 80 digits
    const std::int64_t cut = pick(rng, 0, static_cast<int>(c.interval) - 1);
    std::vector<std::uint8_t> stream;
    std::uint64_t counter = static_cast<std::uint64_t>(pick(rng, 0, 65535));
    for (std::int64_t frame = 0; static_cast<std::int64_t>(stream.size()) < totalBits + cut; ++frame) {
        for (const char b : c.syncBits) stream.push_back(static_cast<std::uint8_t>(b - '0'));
        if (counterBits) appendValue(stream, (counter + static_cast<std::uint64_t>(frame)) & ((1u << counterBits) - 1), counterBits);
        for (const Field& f : fields) appendField(stream, f, frame, rng);
    }
    std::bernoulli_distribution flip(c.bitErrorRate);
    c.bits.assign(stream.begin() + cut, stream.begin() + cut + totalBits);
    for (std::uint8_t& b : c.bits) b = static_cast<std::uint8_t>((b ^ (c.inverted ? 1 : 0)) ^ (flip(rng) ? 1 : 0));
    c.offset = (c.interval - cut) % c.interval;
    return c;
}

bool writeCaptureFile(const GeneratedCapture& c, const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "; TDM generated capture, seed " << c.seed << "\r\n";
    out << "; frame " << c.interval << " bits, sync " << c.syncHex << " at offset " << c.offset
        << (c.inverted ? ", inverted" : "") << "\r\n";
    std::string line;
    for (std::size_t i = 0; i + 4 <= c.bits.size(); i += 4) {
        line += "0123456789ABCDEF"[c.bits[i] * 8 + c.bits[i + 1] * 4 + c.bits[i + 2] * 2 + c.bits[i + 3]];
        if (line.size() == 80) {
            out << line << "\r\n";
            line.clear();
        }
    }
    if (!line.empty()) out << line << "\r\n";
    out << "; end of capture\r\n"; // the reader never decodes the last line
    out.close();
    return static_cast<bool>(out);
}

} // namespace morvelan::testing
