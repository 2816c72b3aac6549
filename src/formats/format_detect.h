#pragma once
// Picks the input format from the first bytes of a file.
#include "formats/input_format.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace morvelan {

inline constexpr std::size_t kDetectBytes = 64 * 1024;

// Looks at no more than the first kDetectBytes of `head`, rules in order:
//   "TDM" at characters 3-5 of the first line (the bytes
//   before the first CR or LF), whatever follows         -> Tdm
//   25 EB at offset 0                                   -> Ch10 (packet sync)
//   only the bytes 0 and 1 (and at least one)           -> U8
//   NUL, or a control byte other than \t \n \v \f \r    -> Bin
//   anything else, the empty file included              -> Tdm
InputFormat detectFormat(std::span<const std::uint8_t> head);

} // namespace morvelan
