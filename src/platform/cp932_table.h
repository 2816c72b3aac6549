#pragma once
// CP932 from a table made from iconv's own (cp932_table.inc), for systems
// without iconv: the same bytes, the same U+FFFD and "?" rules. A test
// compares it with iconv over every code.
#include <string>
#include <string_view>

namespace morvelan::platform {

std::string decodeCp932ByTable(std::string_view bytes);
std::string encodeCp932ByTable(std::string_view utf8);

} // namespace morvelan::platform
