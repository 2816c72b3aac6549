#pragma once
// Packed bytes, eight bits each, most or least significant bit first.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"
#include "formats/input_format.h"

#include <memory>

namespace morvelan {

// Every byte string is a packed input: this reader never refuses.
std::unique_ptr<BitReader> makeBinReader(std::unique_ptr<ByteSource> source, BitOrder order = BitOrder::Msb);

} // namespace morvelan
