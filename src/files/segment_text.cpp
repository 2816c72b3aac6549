#include "files/segment_text.h"

#include "analysis/known_sync_words.h"
#include "engine/hex_convert.h"
#include "files/candidate_text.h"
#include "files/frame_output.h"

#include <algorithm>

namespace morvelan {
namespace {

std::vector<std::string> segmentCells(std::size_t index, const SyncSegment& s)
{
    const std::string name = syncWordName(s.format.sync);
    return {std::to_string(index),          std::to_string(s.startBit), std::to_string(s.endBit),
            std::to_string(s.format.interval), bitsToHex(s.format.sync), name.empty() ? "-" : name,
            polarityName(s.inverted),        std::to_string(s.frames),  std::to_string(s.slips),
            std::to_string(s.lost)};
}

} // namespace

std::string segmentsText(const std::vector<SyncSegment>& segments, const std::optional<MajorFrame>& majorFrame,
                         std::int64_t bitsLooked)
{
    std::string out = "Segments: " + std::to_string(segments.size()) + " (frames in lock after the sync" +
                      (bitsLooked > 0 ? ", over the first " + std::to_string(bitsLooked) + " bits" : std::string()) +
                      ").\n";
    if (!segments.empty()) {
        std::vector<std::vector<std::string>> rows{
            {"segment", "start bit", "end bit", "interval", "sync word", "name", "polarity", "frames", "slips", "lost"}};
        for (std::size_t i = 0; i < segments.size(); ++i) rows.push_back(segmentCells(i, segments[i]));
        std::vector<std::size_t> width(rows.front().size(), 0);
        for (const auto& row : rows)
            for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
        for (const auto& row : rows) {
            std::string line;
            for (std::size_t c = 0; c < row.size(); ++c) {
                const bool text = c == 4 || c == 5 || c == 6;
                const std::string pad(width[c] - row[c].size(), ' ');
                if (c > 0) line += "  ";
                line += text ? (c + 1 == row.size() ? row[c] : row[c] + pad) : pad + row[c];
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out += line + "\n";
        }
    }
    if (majorFrame)
        out += "Major frame: " + std::to_string(majorFrame->length) + " minor frames (subframe ID counter in word " +
               std::to_string(majorFrame->counterWord) + " of " + std::to_string(majorFrame->wordBits) + "-bit words).\n";
    return out;
}

std::string segmentsCsv(const std::vector<SyncSegment>& segments)
{
    std::string out = "segment,start_bit,end_bit,interval,sync,name,polarity,frames,slips,lost\n";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        auto cells = segmentCells(i, segments[i]);
        if (cells[5] == "-") cells[5].clear();
        cells[5] = csvField(cells[5]);
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) line += (c > 0 ? "," : "") + cells[c];
        out += line + "\n";
    }
    return out;
}

std::string segmentsJsonArray(const std::vector<SyncSegment>& segments)
{
    std::string out = "[";
    for (std::size_t i = 0; i < segments.size(); ++i)
        out += (i == 0 ? "\n" : ",\n") + segmentJson(segments[i], syncWordName(segments[i].format.sync));
    return out + (segments.empty() ? "]" : "\n]");
}

} // namespace morvelan
