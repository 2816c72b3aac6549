#pragma once
// The text of one reported candidate: its window line in the result list and
// its row in the Result file. Pure formatting; writing is the files layer's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace morvelan {

inline constexpr int kPrintZoneWidth = 14;

// Appends PadLeft(width, " ", value) for a number: the rightmost `width`
// characters of `width` spaces followed by the decimal text.
void appendPadded(std::string& out, std::int64_t value, int width);

// Bytes of one row whose pattern and hex text have these sizes.
std::size_t resultRowSize(std::size_t patternBytes, std::size_t hexBytes);
// Writes one row, CR LF included, at `at` (resultRowSize bytes of room) and
// returns its end.
char* writeResultRow(char* at, std::int64_t interval, std::int64_t index, std::string_view pattern,
                     std::string_view hex, std::int64_t count);
// Appends one row, CR LF included. Field 4 starts at the first zone start
// after the last character of field 3.
void appendResultRow(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                     std::string_view hex, std::int64_t count);
// Appends one window line of the result list, CR LF included.
void appendWindowLine(std::string& out, std::int64_t interval, std::int64_t index, std::string_view pattern,
                      std::string_view hex, std::int64_t count);

} // namespace morvelan
