#pragma once
// The kinds of input file the program reads, and their names on the
// command line and in settings.
#include <optional>
#include <string_view>

namespace morvelan {

enum class InputFormat { Auto, Tdm, Hex, Bits, U8, Bin, Ch10 };
// Order of the bits inside each byte of a packed binary input.
enum class BitOrder { Msb, Lsb };

std::string_view formatName(InputFormat format);
// The format of a name as formatName writes it; nothing for any other text.
std::optional<InputFormat> parseFormatName(std::string_view name);

std::string_view bitOrderName(BitOrder order);
std::optional<BitOrder> parseBitOrderName(std::string_view name);

} // namespace morvelan
