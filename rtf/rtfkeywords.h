#pragma once

#include "rtf/rtfstate.h"

#include <QByteArrayView>
#include <cstdint>

namespace Rtf {

// The control words the reader acts on. Every other word is read and ignored.
enum class Keyword : std::uint8_t {
    Unknown,
    // Text and breaks
    Par,
    Line,
    Tab,
    Page,
    Sect,
    Column,
    Cell,
    Row,
    NestCell,
    NestRow,
    Unicode,
    Bin,
    FootnoteMark,
    // A character by name (\bullet, \emdash, ...): KeywordInfo::character
    Character,
    // A word that only sets one field of the group's formatting: KeywordInfo::set
    Setter,
    // Formatting that needs the font table: \plain (back to the default font) and \f
    Plain,
    Font,
    // Document and font table
    AnsiCodePage,
    DefaultFont,
    Ansi,
    Mac,
    Pc,
    Pca,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // Destinations
    FontTable,
    ColorTable,
    Picture,
    ShapePicture,
    ListText,
    PnText,
    SkippedDestination,
    TextDestination, // a destination whose text is shown (\fldrslt, \result, \shprslt, ...)
    // Picture properties
    PngBlip,
    JpegBlip,
    OtherBlip,
    PicWidthGoal,
    PicHeightGoal,
    PicScaleX,
    PicScaleY,
    PicWidth,
    PicHeight,
};

// What a control word does to the formatting of its group, given its parameter (hasParam false
// when the word has none).
using Setter = void (*)(GroupState& state, int param, bool hasParam);

struct KeywordInfo {
    Keyword word = Keyword::Unknown;
    Setter set = nullptr; // for Keyword::Setter
    char16_t character = 0; // for Keyword::Character
};

// What the reader knows of a control word; Keyword::Unknown for every word it ignores.
const KeywordInfo& keyword(QByteArrayView name);

} // namespace Rtf
