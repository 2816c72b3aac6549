#include "formats/bits_reader.h"

#include "formats/text_reader.h"

namespace morvelan {

namespace {

constexpr TextSyntax makeBitsSyntax()
{
    TextSyntax syntax;
    syntax.bitsPerDigit = 1;
    for (auto c : {' ', '\t', '\v', '\f'}) syntax.symbols[static_cast<unsigned char>(c)] = TextSymbol::Space;
    syntax.symbols['\r'] = TextSymbol::Cr;
    syntax.symbols['\n'] = TextSymbol::Lf;
    syntax.symbols['0'] = syntax.symbols['1'] = TextSymbol::Digit;
    syntax.values['1'] = 1;
    return syntax;
}

constexpr TextSyntax kBitsSyntax = makeBitsSyntax();

} // namespace

std::unique_ptr<BitReader> makeBitsReader(std::unique_ptr<ByteSource> source)
{
    return makeTextReader(std::move(source), kBitsSyntax);
}

} // namespace morvelan
