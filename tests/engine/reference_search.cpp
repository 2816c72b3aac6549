#include "reference_search.h"

#include "engine/hex_convert.h"
#include "files/run_messages.h"

#include <cstddef>

namespace morvelan::testing {
namespace {

constexpr std::int64_t kFirstCell = 0;
constexpr std::int64_t kLastCell = 300100;
constexpr int kComparedPositions = 20;
constexpr std::size_t kZoneWidth = 14;

// The next character of a UTF-8 text (one code point), or the empty text
// once the text is used up.
std::string_view takeCharacter(std::string_view text, std::size_t& at)
{
    if (at >= text.size()) return {};
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1; // ASCII, or a stray byte on its own
    if (lead >= 0xC0 && lead < 0xE0) length = 2;
    else if (lead >= 0xE0 && lead < 0xF0) length = 3;
    else if (lead >= 0xF0 && lead < 0xF8) length = 4;
    if (at + length > text.size()) length = text.size() - at;
    const std::string_view character = text.substr(at, length);
    at += length;
    return character;
}

void padToColumn(std::string& line, std::size_t column)
{
    while (line.size() + 1 < column) line += ' ';
}

} // namespace

bool ReferencePatternsMatch(std::string_view a, std::string_view b, std::int32_t allowErrBits)
{
    std::int32_t mismatches = 0;
    std::size_t atA = 0;
    std::size_t atB = 0;
    for (int i = 1; i <= kComparedPositions; ++i) {
        const std::string_view charA = takeCharacter(a, atA);
        const std::string_view charB = takeCharacter(b, atB);
        if (charA != charB) ++mismatches;
    }
    return mismatches <= allowErrBits;
}

std::string ReferencePadLeft(int width, std::int64_t value)
{
    const std::string padded = std::string(static_cast<std::size_t>(width), ' ') + std::to_string(value);
    return padded.substr(padded.size() - static_cast<std::size_t>(width));
}

std::string ReferenceWindowLine(std::int64_t interval, std::int64_t index, std::string_view pattern,
                                std::string_view hex, std::int64_t count)
{
    std::string line;
    line += " ";
    line += ReferencePadLeft(4, interval);
    line += " ";
    line += ReferencePadLeft(4, index);
    line += " ";
    line += pattern;
    line += "(";
    line += hex;
    line += ") ";
    line += ReferencePadLeft(5, count);
    line += " ";
    line += "\r\n";
    return line;
}

std::string ReferenceResultRow(std::int64_t interval, std::int64_t index, std::string_view pattern,
                               std::string_view hex, std::int64_t count)
{
    // Every character of a row is ASCII, so a byte is a column.
    std::string row = ReferencePadLeft(4, interval);
    padToColumn(row, 15);
    row += ReferencePadLeft(4, index);
    padToColumn(row, 29);
    row += pattern;
    row += "(";
    row += hex;
    row += ")";
    const std::size_t lastColumn = row.size();
    std::size_t nextZone = 1;
    while (nextZone <= lastColumn) nextZone += kZoneWidth;
    padToColumn(row, nextZone);
    row += ReferencePadLeft(5, count);
    row += "\r\n";
    return row;
}

ReferenceResult ReferenceSearchSync(const BitBuffer& bits, const AnalysisParameters& params, bool skipExclusions,
                                    Toolkit& toolkit)
{
    ReferenceResult result;
    std::vector<std::int64_t> framePosition;
    std::vector<std::string> framePattern;

    const std::int64_t lastInterval = params.END_SYNC_INTERVAL;
    for (std::int64_t interval = params.START_SYNC_INTERVAL; interval <= lastInterval; ++interval) {
        const std::int64_t firstDataPosition = std::int64_t{params.IGNORE_START_BITS} + 1;

        for (std::int64_t index = 0; index <= interval - 1; ++index) {
            const std::int64_t frames = std::int64_t{params.FRAME_ROUNDS} + 1;
            const std::size_t tableSize = frames >= 1 ? static_cast<std::size_t>(frames) + 1 : 2;

            // Positions.
            framePosition.assign(tableSize, 0);
            for (std::int64_t k = 1; k <= frames; ++k)
                framePosition[static_cast<std::size_t>(k)] = firstDataPosition + index + (k - 1) * interval;

            // Clearing.
            framePattern.assign(tableSize, std::string());

            // Building: a bit outside the buffer abandons its append only.
            for (std::int64_t k = 1; k <= frames; ++k) {
                std::string& pattern = framePattern[static_cast<std::size_t>(k)];
                for (std::int64_t j = 0; j <= std::int64_t{params.SYNC_BIT_SIZE} - 1; ++j) {
                    const std::int64_t cell = framePosition[static_cast<std::size_t>(k)] + j;
                    if (cell < kFirstCell || cell > kLastCell) continue;
                    pattern += static_cast<char>('0' + bits.cells()[static_cast<std::size_t>(cell)]);
                }
            }

            // Counting.
            const std::string& reference = framePattern[1];
            std::int32_t matches = 0;
            for (std::int64_t k = 2; k <= frames; ++k) {
                const std::string& pattern = framePattern[static_cast<std::size_t>(k)];
                bool excluded = false;
                if (!skipExclusions) {
                    for (const std::string& exclusion : params.EXCLUDE_PAT) {
                        if (ReferencePatternsMatch(exclusion, pattern, params.ALLOW_ERR_BITS)) {
                            excluded = true;
                            break;
                        }
                    }
                }
                if (excluded) continue;
                if (ReferencePatternsMatch(reference, pattern, params.ALLOW_ERR_BITS)) ++matches;
            }

            ToolkitRunEvents events(toolkit);
            const std::string hex = HexConvert(events, reference);

            if (matches >= 1 && std::int64_t{matches} >= std::int64_t{params.THRESHOLD} - 1) {
                const std::int64_t count = std::int64_t{matches} + 1;
                result.windowLines.push_back(ReferenceWindowLine(interval, index, reference, hex, count));
                result.rows.push_back(ReferenceResultRow(interval, index, reference, hex, count));
                ++result.found;
            }
        }
    }
    return result;
}

} // namespace morvelan::testing
