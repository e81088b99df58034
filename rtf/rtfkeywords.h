#pragma once

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
    UnicodeSkip,
    Bin,
    FootnoteMark,
    // Characters by name (their text is given in specialCharacter())
    Character,
    // Resets
    Plain,
    Pard,
    // Character formatting
    Font,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Super,
    Sub,
    NoSuperSub,
    Color,
    Highlight,
    // Paragraph formatting
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    InTable,
    Nesting,
    RowDefaults,
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

Keyword keyword(QByteArrayView name);
// The character a Keyword::Character word stands for.
char16_t specialCharacter(QByteArrayView name);

} // namespace Rtf
