#include "formats/hex_reader.h"

#include "formats/text_reader.h"

namespace morvelan {

namespace {

constexpr TextSyntax makeHexSyntax()
{
    TextSyntax syntax;
    syntax.bitsPerDigit = 4;
    for (auto c : {' ', '\t', '\v', '\f'}) syntax.symbols[static_cast<unsigned char>(c)] = TextSymbol::Space;
    syntax.symbols['\r'] = TextSymbol::Cr;
    syntax.symbols['\n'] = TextSymbol::Lf;
    for (unsigned d = 0; d < 10; ++d) {
        syntax.symbols['0' + d] = TextSymbol::Digit;
        syntax.values['0' + d] = static_cast<std::uint8_t>(d);
    }
    for (unsigned d = 0; d < 6; ++d) {
        syntax.symbols['a' + d] = syntax.symbols['A' + d] = TextSymbol::Digit;
        syntax.values['a' + d] = syntax.values['A' + d] = static_cast<std::uint8_t>(10 + d);
    }
    syntax.symbols['0'] = TextSymbol::Zero;
    syntax.symbols['x'] = syntax.symbols['X'] = TextSymbol::PrefixX;
    return syntax;
}

constexpr TextSyntax kHexSyntax = makeHexSyntax();

} // namespace

std::unique_ptr<BitReader> makeHexReader(std::unique_ptr<ByteSource> source)
{
    return makeTextReader(std::move(source), kHexSyntax);
}

} // namespace morvelan
