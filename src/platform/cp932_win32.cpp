// CP932 on Windows: the table made from iconv's, so both builds write the
// same bytes (the code-page API differs from iconv for some codes).
#include "platform/cp932.h"
#include "platform/cp932_table.h"

namespace morvelan {

std::optional<std::string> cp932Unavailable()
{
    return std::nullopt;
}

std::string decodeCp932(std::string_view bytes)
{
    return platform::decodeCp932ByTable(bytes);
}

std::string encodeCp932(std::string_view utf8)
{
    return platform::encodeCp932ByTable(utf8);
}

} // namespace morvelan
