#pragma once

#include <QStringView>
#include <cstdint>

namespace Rtf {

// Faces whose bytes stand for pictures and signs rather than letters. Text in them is turned into
// the Unicode characters the glyphs show, so that it can be drawn in any face that has them and
// copied as what it is.
namespace SymbolFont {

    enum Face : std::uint8_t {
        None,
        Symbol,
        Wingdings,
        Wingdings2,
        Wingdings3,
        Webdings,
        ZapfDingbats,
    };

    // The face a font table name stands for; None for every other name.
    Face forName(QStringView name);
    // The character a byte of text in the face shows; 0 where the face has no glyph there.
    char32_t character(Face face, unsigned char byte);

} // namespace SymbolFont

} // namespace Rtf
