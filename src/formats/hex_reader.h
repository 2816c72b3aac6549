#pragma once
// Hex digits anywhere in a text file, four bits each, most significant first.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"

#include <memory>

namespace morvelan {

// Whitespace is skipped and a 0x or 0X opening a token is skipped. A first
// line that does not parse is a header (see text_reader.h); any other
// character refuses the input (BadCharacter with its line and column).
std::unique_ptr<BitReader> makeHexReader(std::unique_ptr<ByteSource> source);

} // namespace morvelan
