#pragma once
// One bit per byte: every byte is 0 or 1.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"

#include <memory>

namespace morvelan {

// Refuses at the first byte other than 0 and 1 (BadByte: its offset, value).
std::unique_ptr<BitReader> makeU8Reader(std::unique_ptr<ByteSource> source);

} // namespace morvelan
