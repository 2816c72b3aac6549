#pragma once
// The common core of the text readers (hex, bits): digits anywhere, any line
// length, CR, LF or CR LF line ends, whitespace skipped, a first line that
// does not parse taken as a header, and the line and column (1-based,
// counted in UTF-8 characters) of the first character that does not belong.
#include "formats/bit_reader.h"
#include "formats/byte_source.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace morvelan {

enum class TextSymbol : std::uint8_t {
    Bad,
    Space,   // skipped; ends a token
    Cr,      // line end, or the first half of CR LF
    Lf,      // line end, or the second half of CR LF
    Digit,   // gives bitsPerDigit bits of its value, most significant first
    Zero,    // a digit 0 that may open a 0x prefix at the start of a token
    PrefixX, // x or X: skipped right after a token-opening 0, bad anywhere else
};

struct TextSyntax {
    std::array<TextSymbol, 256> symbols{};
    std::array<std::uint8_t, 256> values{};
    unsigned bitsPerDigit = 1;
};

// The first line is a header only when it holds a character that does not
// parse within its first kHeaderLookahead characters; past that it is data,
// so memory does not grow with the line. A UTF-8 byte order mark at the
// start of the file is skipped and not counted as a column.
inline constexpr std::size_t kHeaderLookahead = 64 * 1024;

std::unique_ptr<BitReader> makeTextReader(std::unique_ptr<ByteSource> source, const TextSyntax& syntax);

} // namespace morvelan
