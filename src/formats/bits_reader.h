#pragma once
// The characters 0 and 1 of a text file, one bit each.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"

#include <memory>

namespace morvelan {

// Whitespace is skipped. As with hex, a first line that does not parse is a
// header (a title line such as "bits of run 7" is common); any other
// character refuses the input (BadCharacter with its line and column).
std::unique_ptr<BitReader> makeBitsReader(std::unique_ptr<ByteSource> source);

} // namespace morvelan
