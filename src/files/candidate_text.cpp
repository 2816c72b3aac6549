#include "files/candidate_text.h"

#include "common/utf8.h"
#include "engine/parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvelan {
namespace {

std::string numberText(long double log10Value)
{
    if (std::isinf(log10Value)) return "null";
    char text[64];
    std::snprintf(text, sizeof text, "%.3Lf", log10Value);
    return text;
}

std::string intervalsText(const std::vector<std::int64_t>& intervals, char separator)
{
    std::string text;
    for (const std::int64_t i : intervals) {
        if (!text.empty()) text += separator;
        text += std::to_string(i);
    }
    return text;
}

std::string padLeft(std::string text, std::size_t width)
{
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string padRight(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

} // namespace

std::string indexSpanText(const SummaryGroup& g)
{
    if (g.firstIndex == g.lastIndex) return std::to_string(g.firstIndex);
    return std::to_string(g.firstIndex) + "-" + std::to_string(g.lastIndex);
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = utf8SequenceLength(text, i);
        if (c >= 0x80) {
            if (n > 1) out.append(text.substr(i, n));
            else out += "\xEF\xBF\xBD"; // a stray byte
            i += n;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string csvRecord(const ReportedCandidate& c)
{
    return std::to_string(c.interval) + "," + std::to_string(c.index) + "," + csvField(c.pattern) + "," +
           csvField(c.hex) + "," + std::to_string(c.count);
}

std::string jsonRecord(const ReportedCandidate& c)
{
    return "{\"interval\":" + std::to_string(c.interval) + ",\"index\":" + std::to_string(c.index) +
           ",\"pattern\":" + jsonString(c.pattern) + ",\"hex\":" + jsonString(c.hex) +
           ",\"count\":" + std::to_string(c.count) + "}";
}

std::string chanceModelText(const AnalysisParameters& params)
{
    const int window = std::clamp(params.SYNC_BIT_SIZE, 1, 20);
    char text[512];
    std::snprintf(text, sizeof text,
                  "Chance model: %s. A frame repeats the sync word by chance with q = the share of the capture's "
                  "%d-bit windows within %d error(s) of the word's rarest %d-bit piece, times that of its next "
                  "rarest; by chance = %.0Lf candidates examined x P(Binomial(frames - 1, q) >= agreeing frames - 1) "
                  "over the capture's whole frames.",
                  std::string(kChanceModelName).c_str(), window, params.ALLOW_ERR_BITS, window,
                  examinedCandidates(params));
    return text;
}

std::string polarityText(const SummaryGroup& g)
{
    return g.inverted ? "inverted" : "normal";
}

std::string fixedRegionText(const SummaryGroup& g, std::size_t maxDigits)
{
    if (g.fixedLength == 0) return "-";
    std::string hex = g.fixedHex;
    if (hex.size() > maxDigits) hex = hex.substr(0, maxDigits) + "...";
    return std::to_string(g.fixedStart) + "+" + std::to_string(g.fixedLength) + ":" + hex;
}

std::string summaryText(const std::vector<SummaryGroup>& groups, std::size_t reported, const AnalysisParameters& params)
{
    std::string out = "Summary: " + std::to_string(groups.size()) + " group(s) from " + std::to_string(reported) +
                      " reported candidate(s).\n" + chanceModelText(params) + "\n";
    if (groups.empty()) return out;

    const std::vector<std::string> head = {"rank", "interval", "index", "count", "rows", "by chance", "polarity",
                                           "sync word", "name", "fixed region", "indexes", "intervals"};
    std::vector<std::vector<std::string>> table;
    std::size_t rank = 0;
    for (const SummaryGroup& g : groups) {
        table.push_back({std::to_string(++rank), std::to_string(g.interval), std::to_string(g.syncOffset),
                         std::to_string(g.best.count), std::to_string(g.rows), formatLog10(g.chanceLog10),
                         polarityText(g), g.syncHex, g.syncName.empty() ? "-" : g.syncName, fixedRegionText(g, 24),
                         indexSpanText(g), intervalsText(g.intervals, ',')});
    }
    std::vector<std::size_t> width(head.size());
    for (std::size_t c = 0; c < head.size(); ++c) {
        width[c] = head[c].size();
        for (const auto& row : table) width[c] = std::max(width[c], row[c].size());
    }
    // Numbers right-aligned, texts left-aligned; no trailing blanks.
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) text += "  ";
            const bool number = c <= 5;
            const bool last = c + 1 == cells.size();
            text += number ? padLeft(cells[c], width[c]) : last ? cells[c] : padRight(cells[c], width[c]);
        }
        return text + "\n";
    };
    out += line(head);
    for (const auto& row : table) out += line(row);
    return out;
}

std::string summaryCsv(const std::vector<SummaryGroup>& groups)
{
    std::string out = "rank,interval,index,pattern,hex,name,polarity,fixed_start,fixed_length,fixed_hex,count,rows,"
                      "chance_model,expected_by_chance,log10_expected_by_chance,first_index,last_index,intervals\n";
    std::size_t rank = 0;
    for (const SummaryGroup& g : groups) {
        out += std::to_string(++rank) + "," + std::to_string(g.interval) + "," + std::to_string(g.syncOffset) + "," +
               g.syncBits + "," + g.syncHex + "," + csvField(g.syncName) + "," + polarityText(g) + "," +
               std::to_string(g.fixedStart) + "," + std::to_string(g.fixedLength) + "," + g.fixedHex + "," +
               std::to_string(g.best.count) + "," + std::to_string(g.rows) + "," + std::string(kChanceModelName) +
               "," + formatLog10(g.chanceLog10) + "," + (std::isinf(g.chanceLog10) ? "" : numberText(g.chanceLog10)) +
               "," + std::to_string(g.firstIndex) + "," + std::to_string(g.lastIndex) + "," +
               csvField(intervalsText(g.intervals, ' ')) + "\n";
    }
    return out;
}

std::string summaryJsonArray(const std::vector<SummaryGroup>& groups)
{
    std::string out = "[";
    std::size_t rank = 0;
    for (const SummaryGroup& g : groups) {
        out += rank == 0 ? "\n" : ",\n";
        out += "{\"rank\":" + std::to_string(++rank) + ",\"interval\":" + std::to_string(g.interval) +
               ",\"index\":" + std::to_string(g.syncOffset) + ",\"pattern\":" + jsonString(g.syncBits) +
               ",\"hex\":" + jsonString(g.syncHex) +
               ",\"name\":" + (g.syncName.empty() ? std::string("null") : jsonString(g.syncName)) +
               ",\"polarity\":" + jsonString(polarityText(g)) +
               ",\"fixedStart\":" + std::to_string(g.fixedStart) + ",\"fixedLength\":" + std::to_string(g.fixedLength) +
               ",\"fixedHex\":" + jsonString(g.fixedHex) + ",\"count\":" + std::to_string(g.best.count) +
               ",\"rows\":" + std::to_string(g.rows) + ",\"chanceModel\":" + jsonString(kChanceModelName) +
               ",\"expectedByChance\":" + formatLog10(g.chanceLog10) +
               ",\"log10ExpectedByChance\":" + numberText(g.chanceLog10) +
               ",\"firstIndex\":" + std::to_string(g.firstIndex) + ",\"lastIndex\":" + std::to_string(g.lastIndex) +
               ",\"intervals\":[" + intervalsText(g.intervals, ',') + "]}";
    }
    out += rank == 0 ? "]" : "\n]";
    return out;
}

} // namespace morvelan
