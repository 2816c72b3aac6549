#include "engine/row_text.h"

#include <charconv>

namespace morvelan {

void appendPadded(std::string& out, std::int64_t value, int width)
{
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    const auto len = static_cast<int>(end - digits);
    if (len >= width) {
        out.append(end - width, static_cast<std::size_t>(width));
    } else {
        out.append(static_cast<std::size_t>(width - len), ' ');
        out.append(digits, static_cast<std::size_t>(len));
    }
}

void appendResultRow(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                     std::string_view hex, std::int64_t count)
{
    const std::size_t start = out.size();
    appendPadded(out, interval, 4);
    out.append(kPrintZoneWidth - 4, ' ');
    appendPadded(out, index, 4);
    out.append(kPrintZoneWidth - 4, ' ');
    out += pattern;
    out += '(';
    out += hex;
    out += ')';
    // Pattern and hex text are ASCII here, so bytes are columns.
    const std::size_t used = out.size() - start;
    const std::size_t zoneEnd = (used + kPrintZoneWidth - 1) / kPrintZoneWidth * kPrintZoneWidth;
    out.append(zoneEnd - used, ' ');
    appendPadded(out, count, 5);
    out += "\r\n";
}

void appendWindowLine(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                      std::string_view hex, std::int64_t count)
{
    out += ' ';
    appendPadded(out, interval, 4);
    out += ' ';
    appendPadded(out, index, 4);
    out += ' ';
    out += pattern;
    out += '(';
    out += hex;
    out += ") ";
    appendPadded(out, count, 5);
    out += " \r\n";
}

} // namespace morvelan
