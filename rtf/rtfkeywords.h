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
    // Notes: \fet (which notes the document has), the number styles and the first numbers
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
    FontFamily, // \froman, \fswiss, ...
    FontPitch, // \fprq
    Red,
    Green,
    Blue,
    // Table rows: \trowd, \cellx, the side a border word is for, the border's style, width and
    // colour, \trleft, \trgaph, the space inside cells and the merges
    RowDefaults,
    CellEdge,
    BorderSide,
    BorderStyle,
    BorderWidth,
    BorderColor,
    RowLeft,
    RowGap,
    RowPadding, // \trpadd*: KeywordInfo::value is a Content::RowDef::Side
    CellPadding, // \clpad*: KeywordInfo::value is a Content::RowDef::Side
    RowAlignment, // \trql, \trqc, \trqr: KeywordInfo::value is a Content::RowDef::Alignment
    CellFlag,
    CellShading, // \clcbpat, \clcfpat, \clshdng: KeywordInfo::value says which
    // Destinations
    FontTable,
    FieldInstruction,
    AltFontName,
    ColorTable,
    Picture,
    ShapePicture,
    Shape, // \shp
    ShapeInstructions, // \shpinst
    ShapeProperty, // \sp
    ShapeName, // \sn
    ShapeValue, // \sv
    ShapeResult, // \shprslt
    ShapeText, // \shptxt: a text box's text
    ListText,
    PnText,
    // The list tables and old-style paragraph numbering (\pn), and a field's form data
    ListTable, // \listtable, \listoverridetable
    List, // \list
    ListLevel, // \listlevel
    ListOverride, // \listoverride
    LevelText, // \leveltext
    LevelNumbers, // \levelnumbers
    PnGroup, // \pn
    PnTextBefore, // \pntxtb
    PnTextAfter, // \pntxta
    FormField, // \formfield
    SkippedDestination,
    TextDestination, // a destination whose text is shown (\fldrslt, \result, \shprslt, ...)
    // Picture properties
    PngBlip,
    JpegBlip,
    MetafileBlip,
    BitmapBlip,
    PicWidthGoal,
    PicHeightGoal,
    PicScaleX,
    PicScaleY,
    PicWidth,
    PicHeight,
    // Numbering: of a list level, of a list override, of a paragraph (\ls, \ilvl) and of \pn;
    // KeywordInfo::value says what a coded word sets
    ListId,
    LevelFormat, // \levelnfc, \levelnfcn
    LevelAlign, // \leveljc, \leveljcn
    LevelStart, // \levelstartat
    LevelFollow, // \levelfollow
    ListNumber, // \ls
    ListLevelNumber, // \ilvl
    PnLevel, // \pnlvlN, \pnlvlblt, \pnlvlbody, \pnlvlcont: value a PnLevelKind
    PnFormat, // \pndec, \pnucrm, ...: value a list level's number format
    PnStart,
    PnFont,
    PnIndent, // \pnindent
    PnAlign, // \pnql, \pnqc, \pnqr: value a Content::ListLabel::Align
    FormFieldType, // \fftype
    FormFieldResult, // \ffres
    FormFieldDefault, // \ffdefres
};

// What a \pn group numbers: a level of an outline, a bulleted or a simply numbered paragraph, or
// one that goes on from the paragraph before without a number of its own.
enum class PnLevelKind : std::uint8_t { Outline, Bullet, Body, Continued };

// The side a border word is for: a cell's own, the row's, or one outside tables (paragraph and
// character borders), which takes the border words that follow away from the table.
enum class BorderSide : std::uint8_t {
    CellTop,
    CellLeft,
    CellBottom,
    CellRight,
    RowTop,
    RowLeft,
    RowBottom,
    RowRight,
    RowInner, // between rows
    RowBetween, // between cells
    ParagraphTop,
    ParagraphLeft,
    ParagraphBottom,
    ParagraphRight,
    ParagraphBox, // all four
    Other,
};

// How a cell merges and where its text stands.
enum class CellFlag : std::uint8_t {
    MergeFirst,
    Merged,
    VerticalFirst,
    VerticalMerged,
    AlignTop,
    AlignMiddle,
    AlignBottom,
};

// Which part of the reader a word is for.
enum class WordKind : std::uint8_t {
    Ignored,
    Setter, // formatting of the group: KeywordInfo::set
    Text, // characters, breaks and ends of paragraphs, cells and rows
    Document, // code pages, default font, default tab stops, \plain and \f
    FontTable,
    ColorTable,
    Row,
    Note,
    Picture,
    Destination,
    List, // list tables and paragraph numbering, form fields
};

// What a control word does to the formatting of its group, given its parameter (hasParam false
// when the word has none).
using Setter = void (*)(GroupState& state, int param, bool hasParam);

struct KeywordInfo {
    Keyword word = Keyword::Unknown;
    WordKind kind = WordKind::Ignored;
    Setter set = nullptr; // for Keyword::Setter
    char16_t character = 0; // for Keyword::Character
    // Which of its kind the word names: a BorderSide, a Content::Border::Style, a CellFlag, a
    // Content::FontFamily, or the note number style ('1', 'i', 'I', 'a', 'A', '*').
    std::uint8_t value = 0;
};

// What the reader knows of a control word; Keyword::Unknown for every word it ignores.
const KeywordInfo& keyword(QByteArrayView name);
// Whether a destination marked with \* is read all the same: the word is one this reader knows.
bool readsIgnorable(Keyword word);
// The code page \ansi, \mac, \pc, \pca or \ansicpgN sets for the document.
int documentCodePage(Keyword word, int param, int current);

} // namespace Rtf
