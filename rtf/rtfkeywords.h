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
    DefaultTab, // \deftab
    // Notes: \fet (which notes the document has), the number styles (KeywordInfo::character
    // names the style: '1', 'i', 'I', 'a', 'A', '*') and the first numbers
    NoteKinds,
    FootnoteStyle,
    EndnoteStyle,
    FootnoteStart,
    EndnoteStart,
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
    FontFamily, // \froman, \fswiss, ...: KeywordInfo::character names the class
    FontPitch, // \fprq
    Red,
    Green,
    Blue,
    // Table rows: \trowd, \cellx, the cell and row sides a border word is for
    // (KeywordInfo::character names the side), the border's style, width and colour, \trleft,
    // \trgaph and the merges
    RowDefaults,
    CellEdge,
    BorderSide,
    BorderStyle,
    BorderWidth,
    BorderColor,
    RowLeft,
    RowGap,
    CellFlag,
    // Destinations
    FontTable,
    FieldInstruction,
    AltFontName,
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
    char16_t character = 0; // for Keyword::Character, and which side, style or kind a word names
};

// What the reader knows of a control word; Keyword::Unknown for every word it ignores.
const KeywordInfo& keyword(QByteArrayView name);

} // namespace Rtf
