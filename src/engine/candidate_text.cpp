#include "engine/candidate_text.h"

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

std::string summaryText(const std::vector<SummaryGroup>& groups, const std::vector<ReportedCandidate>& results,
                        const AnalysisParameters& params)
{
    const ChanceModel model(params);
    char head[512];
    std::snprintf(head, sizeof head,
                  "Summary: %zu group(s) from %zu reported candidate(s). %.0Lf candidates examined; a frame "
                  "matches by chance with p = %s; expected chance reports at the threshold: %s\n",
                  groups.size(), results.size(), model.examined, formatLog10(std::log10(model.frameMatch)).c_str(),
                  formatLog10(model.log10ChanceCount(std::max(params.THRESHOLD, 2))).c_str());
    std::string out = head;
    if (groups.empty()) return out;

    std::size_t intervalsWidth = std::string_view("intervals").size();
    for (const SummaryGroup& g : groups) intervalsWidth = std::max(intervalsWidth, intervalsText(g.intervals, ',').size());
    out += "rank  interval  index  count   rows  by chance  indexes      " + padRight("intervals", intervalsWidth) +
           "  pattern(hex)\n";
    std::size_t rank = 0;
    for (const SummaryGroup& g : groups) {
        out += padLeft(std::to_string(++rank), 4) + "  " + padLeft(std::to_string(g.best.interval), 8) + "  " +
               padLeft(std::to_string(g.best.index), 5) + "  " + padLeft(std::to_string(g.best.count), 5) + "  " +
               padLeft(std::to_string(g.rows), 5) + "  " + padLeft(formatLog10(g.chanceLog10), 9) + "  " +
               padRight(indexSpanText(g), 11) + "  " + padRight(intervalsText(g.intervals, ','), intervalsWidth) + "  " +
               g.best.pattern + "(" + g.best.hex + ")\n";
    }
    return out;
}

std::string summaryCsv(const std::vector<SummaryGroup>& groups)
{
    std::string out = "rank,interval,index,pattern,hex,count,rows,expected_by_chance,log10_expected_by_chance,"
                      "first_index,last_index,intervals\n";
    std::size_t rank = 0;
    for (const SummaryGroup& g : groups) {
        out += std::to_string(++rank) + "," + csvRecord(g.best) + "," + std::to_string(g.rows) + "," +
               formatLog10(g.chanceLog10) + "," + (std::isinf(g.chanceLog10) ? "" : numberText(g.chanceLog10)) + "," +
               std::to_string(g.firstIndex) + "," + std::to_string(g.lastIndex) + "," +
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
        out += "{\"rank\":" + std::to_string(++rank) + ",\"interval\":" + std::to_string(g.best.interval) +
               ",\"index\":" + std::to_string(g.best.index) + ",\"pattern\":" + jsonString(g.best.pattern) +
               ",\"hex\":" + jsonString(g.best.hex) + ",\"count\":" + std::to_string(g.best.count) +
               ",\"rows\":" + std::to_string(g.rows) + ",\"expectedByChance\":" + formatLog10(g.chanceLog10) +
               ",\"log10ExpectedByChance\":" + numberText(g.chanceLog10) +
               ",\"firstIndex\":" + std::to_string(g.firstIndex) + ",\"lastIndex\":" + std::to_string(g.lastIndex) +
               ",\"intervals\":[" + intervalsText(g.intervals, ',') + "]}";
    }
    out += rank == 0 ? "]" : "\n]";
    return out;
}

} // namespace morvelan
