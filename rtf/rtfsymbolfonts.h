#pragma once

#include "content/resources.h"

#include <QString>
#include <QStringView>
#include <cstdint>

namespace Rtf {

// Faces whose bytes stand for pictures and signs rather than letters. Text in them is turned into
// the Unicode characters the glyphs show, so that it can be drawn in any face that has them and
// copied as what it is.
namespace SymbolFont {

    using Face = Content::SymbolFace;

    // The face a font table name stands for; None for every other name.
    Face forName(QStringView name);
    // The character a byte of text in the face shows; 0 where the face has no glyph there.
    char32_t character(Face face, unsigned char byte);
    // Text read in a symbol face, where each byte arrives as U+F000 + byte, as the characters
    // its glyphs show. A face this reader does not know keeps the Windows meaning of the byte,
    // the best guess without the face.
    void mapText(Face face, QStringView text, QString* out);

} // namespace SymbolFont

} // namespace Rtf
