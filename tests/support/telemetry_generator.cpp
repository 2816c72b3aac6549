#include "support/telemetry_generator.h"

#include "analysis/known_sync_words.h"
#include "support/random_bits.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace morvelan::testing {
namespace {

// The CCSDS pseudo-randomiser: h(x) = x^8 + x^7 + x^5 + x^3 + 1, all ones
// at the start; its first bytes are FF 48 0E C0 9A.
std::vector<std::uint8_t> pseudoRandom(std::size_t n)
{
    std::vector<std::uint8_t> out(n);
    std::uint8_t reg[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = reg[0];
        const auto next = static_cast<std::uint8_t>(reg[0] ^ reg[3] ^ reg[5] ^ reg[7]);
        std::copy(reg + 1, reg + 8, reg);
        reg[7] = next;
    }
    return out;
}

// An arbitrary sync word as a designer picks one: about as many ones as
// zeros, and moved by 1 to 3 bits it agrees with itself in few places.
std::string arbitraryWord(Rng& rng, int bits)
{
    for (;;) {
        std::string w;
        for (int j = 0; j < bits; ++j) w += static_cast<char>('0' + (rng() & 1));
        const auto ones = static_cast<int>(std::count(w.begin(), w.end(), '1'));
        bool good = ones * 8 >= bits * 3 && ones * 8 <= bits * 5;
        for (int shift = 1; shift <= 3 && good; ++shift) {
            int agree = 0;
            for (int j = shift; j < bits; ++j) agree += w[static_cast<std::size_t>(j)] == w[static_cast<std::size_t>(j - shift)];
            good = agree <= (bits - shift) * 3 / 4;
        }
        if (good) return w;
    }
}

// One field after the sync word and the subframe ID.
struct Field {
    enum Kind { Status, Channel, Fill, Payload, Randomised } kind = Payload;
    int bits = 0;
    std::uint64_t value = 0;  // status value; channel mean
    double amplitude = 0, period = 1, phase = 0;
    int fill = 0;             // 0s, 1s, 0101; randomised: 0 zero fill, 1 data
};

Field makeField(Rng& rng, Field::Kind kind)
{
    Field f;
    f.kind = kind;
    switch (kind) {
    case Field::Status:
        f.bits = 16;
        for (int k = pick(rng, 2, 5); k > 0; --k) f.value |= std::uint64_t{1} << pick(rng, 0, 15);
        break;
    case Field::Channel:
        f.bits = chance(rng, 0.5) ? 12 : 16;
        f.value = static_cast<std::uint64_t>(pick(rng, 1 << (f.bits - 3), (1 << f.bits) - (1 << (f.bits - 3))));
        f.amplitude = pick(rng, 4, 1 << (f.bits - 4));
        f.period = pick(rng, 40, 600);
        f.phase = pick(rng, 0, 628) / 100.0;
        break;
    case Field::Fill:
        f.bits = 8 * pick(rng, 2, 16);
        f.fill = pick(rng, 0, 2);
        break;
    case Field::Payload: f.bits = 8 * pick(rng, 2, 16); break;
    case Field::Randomised:
        f.bits = 8 * pick(rng, 8, 32);
        f.fill = pick(rng, 0, 1);
        break;
    }
    return f;
}

const char* name(const Field& f)
{
    static const char* names[] = {"status", "channel", "fill", "payload", "randomised"};
    return names[f.kind];
}

void appendField(std::vector<std::uint8_t>& out, const Field& f, std::int64_t frame, Rng& rng)
{
    switch (f.kind) {
    case Field::Status: appendValue(out, f.value, f.bits); break;
    case Field::Channel: {
        const double v = static_cast<double>(f.value) +
                         f.amplitude * std::sin(2 * std::numbers::pi * static_cast<double>(frame) / f.period + f.phase);
        appendValue(out, static_cast<std::uint64_t>(std::max(0.0, std::round(v))) & ((std::uint64_t{1} << f.bits) - 1), f.bits);
        break;
    }
    case Field::Fill:
        for (int j = 0; j < f.bits; ++j) out.push_back(static_cast<std::uint8_t>(f.fill == 2 ? (j % 2 == 0) : f.fill));
        break;
    case Field::Payload:
        for (int j = 0; j < f.bits; ++j) out.push_back(static_cast<std::uint8_t>(rng() & 1));
        break;
    case Field::Randomised: {
        const auto pn = pseudoRandom(static_cast<std::size_t>(f.bits));
        for (int j = 0; j < f.bits; ++j)
            out.push_back(static_cast<std::uint8_t>(pn[static_cast<std::size_t>(j)] ^ (f.fill ? (rng() & 1) : 0)));
        break;
    }
    }
}

std::string pickSync(Rng& rng, int bits)
{
    if (chance(rng, 0.4))
        for (const KnownSyncWord& w : knownSyncWords())
            if (static_cast<int>(w.hex.size()) * 4 == bits && w.name.find("IRIG") != std::string_view::npos) return knownWordBits(w);
    return arbitraryWord(rng, bits);
}

// The fields of one format; the last is payload, so the bits before the
// next sync vary.
struct Layout {
    TelemetryFormat format;
    std::vector<Field> fields;
};

Layout makeLayout(std::uint32_t seed, int syncBits, bool ccsds, bool oddLength)
{
    Rng rng(seed * 2654435761u + 17);
    Layout l;
    TelemetryFormat& f = l.format;
    f.ccsds = ccsds;
    const int target = 8 * pick(rng, 48, 400) + (oddLength ? pick(rng, 1, 7) : 0);
    if (ccsds) {
        f.sync = "00011010110011111111110000011101"; // 1ACFFC1D
        f.minorFrames = 256;
    } else {
        f.sync = pickSync(rng, syncBits > 0 ? syncBits : pick(rng, 16, 32));
        f.minorFrames = 1 << pick(rng, 2, 6);
    }
    int room = target - static_cast<int>(f.sync.size()) - (ccsds ? 48 : 8) - 24;
    const Field::Kind kinds[] = {Field::Status, Field::Channel, Field::Fill, Field::Payload, Field::Randomised};
    while (room > 0) {
        Field field = makeField(rng, ccsds ? (chance(rng, 0.5) ? Field::Fill : Field::Payload) : kinds[pick(rng, 0, 4)]);
        if (ccsds) field.fill = 0;
        field.bits = std::min(field.bits, room);
        room -= field.bits;
        l.fields.push_back(field);
    }
    l.fields.push_back(Field{Field::Payload, 24 + room});
    f.interval = static_cast<std::int64_t>(f.sync.size()) + (ccsds ? 48 : 8);
    f.layout = "sync" + std::to_string(f.sync.size()) + (ccsds ? " header48" : " id8");
    for (const Field& field : l.fields) {
        f.interval += field.bits;
        f.layout += " " + std::string(name(field)) + std::to_string(field.bits);
    }
    return l;
}

// One frame's bits, its sync first.
void appendFrame(std::vector<std::uint8_t>& out, const Layout& l, std::int64_t frame, Rng& rng)
{
    for (const char c : l.format.sync) out.push_back(static_cast<std::uint8_t>(c - '0'));
    const std::size_t body = out.size();
    if (l.format.ccsds) {
        appendValue(out, 0x2A5C, 16);                                         // version, spacecraft, channel
        appendValue(out, static_cast<std::uint64_t>(frame) & 255, 8);         // master channel frame count
        appendValue(out, static_cast<std::uint64_t>(frame * 3) & 255, 8);     // virtual channel frame count
        appendValue(out, 0x1800, 16);                                         // data field status
    } else {
        appendValue(out, static_cast<std::uint64_t>(frame % l.format.minorFrames), 8);
    }
    for (const Field& f : l.fields) appendField(out, f, frame, rng);
    if (l.format.ccsds) { // everything after the ASM is randomised
        const auto pn = pseudoRandom(out.size() - body);
        for (std::size_t j = body; j < out.size(); ++j) out[j] ^= pn[j - body];
    }
}

} // namespace

TelemetryFormat makeTelemetryFormat(std::uint32_t seed, int syncBits, bool ccsds, bool oddLength)
{
    return makeLayout(seed, syncBits, ccsds, oddLength).format;
}

TelemetryCapture generateTelemetry(const TelemetryOptions& o)
{
    Rng rng(o.seed);
    TelemetryCapture c;
    std::vector<Layout> layouts{makeLayout(o.seed, o.syncBits, o.ccsds, o.oddLength)};
    if (o.formatChange) {
        // Another word of the same width (a run looks for words of one
        // width) and another length; a CCSDS stream changes to IRIG-like frames.
        const auto width = static_cast<int>(layouts[0].format.sync.size());
        Layout other = makeLayout(o.seed + 7919, width, false, o.oddLength);
        while (other.format.interval == layouts[0].format.interval || other.format.sync == layouts[0].format.sync)
            other = makeLayout(static_cast<std::uint32_t>(other.format.interval) + o.seed + 1, width, false, o.oddLength);
        layouts.push_back(other);
    }
    for (const Layout& l : layouts) c.formats.push_back(l.format);

    std::vector<std::uint8_t> stream;
    std::vector<TruthFrame> truth;
    const std::int64_t change = o.formatChange ? o.frames / 2 : o.frames;
    for (std::int64_t k = 0; k < o.frames; ++k) {
        if (k == o.burstBefore)
            for (std::int64_t j = 0; j < o.burstBits; ++j) stream.push_back(static_cast<std::uint8_t>(rng() & 1));
        const int format = k < change ? 0 : 1;
        const Layout& l = layouts[static_cast<std::size_t>(format)];
        const bool inverted = o.invertFrom >= 0 && k >= o.invertFrom;
        const std::size_t start = stream.size();
        truth.push_back({static_cast<std::int64_t>(start), format, inverted});
        appendFrame(stream, l, k, rng);
        for (const BitSlip& s : o.slips) {
            if (s.frame != k || s.bits == 0) continue;
            const auto at = static_cast<std::ptrdiff_t>(start + l.format.sync.size()) +
                            pick(rng, 0, static_cast<int>(l.format.interval - static_cast<std::int64_t>(l.format.sync.size())) - 3);
            if (s.bits > 0)
                for (int j = 0; j < s.bits; ++j) stream.insert(stream.begin() + at, static_cast<std::uint8_t>(rng() & 1));
            else
                stream.erase(stream.begin() + at, stream.begin() + at - s.bits);
        }
        if (inverted)
            for (std::size_t j = start; j < stream.size(); ++j) stream[j] ^= 1;
    }
    if (o.noise) {
        for (std::uint8_t& b : stream) b = static_cast<std::uint8_t>(rng() & 1);
        truth.clear();
    }

    // The capture starts inside the first frame; then bit errors.
    const std::int64_t cut = o.noise ? 0 : pick(rng, 1, static_cast<int>(layouts[0].format.interval) - 1);
    c.bits.assign(stream.begin() + cut, stream.end());
    std::bernoulli_distribution flip(o.bitErrorRate);
    if (o.bitErrorRate > 0)
        for (std::uint8_t& b : c.bits) b ^= static_cast<std::uint8_t>(flip(rng) ? 1 : 0);
    const auto size = static_cast<std::int64_t>(c.bits.size());
    for (TruthFrame t : truth) {
        t.bit -= cut;
        if (t.bit >= 0 && t.bit + c.formats[static_cast<std::size_t>(t.format)].interval <= size) c.frames.push_back(t);
    }
    return c;
}

TruthScore scoreAgainstTruth(const TelemetryCapture& capture, const std::vector<std::int64_t>& starts)
{
    TruthScore score;
    score.truth = static_cast<std::int64_t>(capture.frames.size());
    std::size_t t = 0;
    for (const std::int64_t s : starts) {
        while (t < capture.frames.size() && capture.frames[t].bit < s) ++t;
        if (t < capture.frames.size() && capture.frames[t].bit == s) {
            ++score.found;
            ++t;
        } else {
            ++score.misplaced;
        }
    }
    return score;
}

} // namespace morvelan::testing
