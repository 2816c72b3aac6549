#include "engine/reported_candidate.h"

#include "engine/row_text.h"

#include <charconv>

namespace morvelan {
namespace {

std::string_view withoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A right-aligned number field: leading spaces, then an optional sign and
// digits filling the rest.
std::optional<std::int64_t> readPaddedNumber(std::string_view field)
{
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    field.remove_prefix(first);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc{} || end != field.data() + field.size()) return std::nullopt;
    return value;
}

} // namespace

std::optional<WindowLineFields> parseWindowLine(std::string_view line)
{
    line = withoutLineEnd(line);
    // " IIII XXXX pattern(hex) CCCCC "
    if (line.size() < 11 + 2 + 1 + 5 || line[0] != ' ' || line[5] != ' ' || line[10] != ' ') return std::nullopt;
    WindowLineFields fields;
    const auto interval = readPaddedNumber(line.substr(1, 4));
    const auto index = readPaddedNumber(line.substr(6, 4));
    if (!interval || !index) return std::nullopt;
    fields.interval = *interval;
    fields.index = *index;

    const std::string_view rest = line.substr(11);
    const std::size_t open = rest.find('(');
    const std::size_t close = open == std::string_view::npos ? open : rest.find(')', open);
    if (close == std::string_view::npos) return std::nullopt;
    fields.pattern = std::string(rest.substr(0, open));
    fields.hex = std::string(rest.substr(open + 1, close - open - 1));
    if (fields.pattern.find_first_not_of("01") != std::string::npos) return std::nullopt;

    // ") " then the count in five places, then one space (which a copy may lose).
    std::string_view tail = rest.substr(close + 1);
    if (tail.size() < 6 || tail[0] != ' ') return std::nullopt;
    tail.remove_prefix(1);
    if (tail.size() == 6 && tail.back() == ' ') tail.remove_suffix(1);
    if (tail.size() != 5) return std::nullopt;
    const auto count = readPaddedNumber(tail);
    if (!count) return std::nullopt;
    fields.count = *count;
    return fields;
}

const ReportedCandidate* findReportedCandidate(std::string_view line, const std::vector<ReportedCandidate>& results)
{
    line = withoutLineEnd(line);
    std::string built;
    for (const ReportedCandidate& c : results) {
        built.clear();
        appendWindowLine(built, c.interval, c.index, c.pattern, c.hex, c.count);
        const std::string_view text = withoutLineEnd(built);
        // A copied line may have lost its closing space.
        if (text == line || (text.size() == line.size() + 1 && text.substr(0, line.size()) == line)) return &c;
    }
    return nullptr;
}

} // namespace morvelan
