#pragma once

#include <QString>
#include <QTextFormat>

class QTextBlock;
class QTextCursor;
class QTextDocument;

// The view's document as the program's plain text: paragraph and line separators and the marks
// where a table or cell begins and ends are each one '\n'; a character shown in place of one of
// those that the file held is that character again; a paragraph end that the writer made
// in place of a space or a tab, for the layout's sake, is that character again; everything else,
// no-break spaces included, stays the character it is. Position i of the text is document position
// i.
namespace DocumentText {

// A block property: the block was ended at a space or a tab of the text, which its end stands
// for; the property is that character.
constexpr int EndsAt = QTextFormat::UserProperty + 1;
// A block property: the stops of its tabs that draw a leader, each a QPointF of the stop's
// position (as its tab positions give it) and its Content::ParaProps::TabLeader.
constexpr int TabLeaders = QTextFormat::UserProperty + 2;
// A block property: the paragraph's sides that draw a border, a QVariantList of four (top, left,
// bottom, right), each empty or a QVariantList of the Content::Border::Style, the width in
// pixels and the colour.
constexpr int ParagraphBorders = QTextFormat::UserProperty + 3;
inline constexpr char HasParagraphBorders[] = "glimmerHasParagraphBorders";
// A character property: the Content::CharProps::Underline (double or thick) the view draws over
// the text engine's single line.
constexpr int ExtraUnderline = QTextFormat::UserProperty + 4;
inline constexpr char HasExtraUnderlines[] = "glimmerHasExtraUnderlines";
// A block property: the label of a list item that the file does not carry as text, drawn in
// front of its first line: a QVariantList of the text, the QFont, the QColor (invalid for the
// view's text colour) and the label's left edge from the first line's start, in pixels.
constexpr int ListLabel = QTextFormat::UserProperty + 5;
// A check box drawn in front of the block's first line (a block property), or after the
// character that has this property (a character property, its letter spacing the room the box
// takes): a QVariantList of whether it is checked, its side and the gap around it, in pixels.
constexpr int CheckBox = QTextFormat::UserProperty + 6;
// A block property: some character of the block has CheckBox.
constexpr int HasCheckBoxes = QTextFormat::UserProperty + 7;
// A document property: some block has ListLabel, CheckBox or HasCheckBoxes.
inline constexpr char HasListMarks[] = "glimmerHasListMarks";
// A document property: some block of the document has TabLeaders.
inline constexpr char HasTabLeaders[] = "glimmerHasTabLeaders";
// A document property: some block of the document has EndsAt.
inline constexpr char HasCharacterEnds[] = "glimmerHasCharacterEnds";
// The character of the text that the separator ending block stands for (EndsAt); 0 for none.
char16_t endCharacter(const QTextBlock& block);

// A character property of plain text: the stand-ins in it (standIn()) are the characters of the
// file they are shown for, which the document cannot hold as themselves (paragraph and line
// separators, the marks of frames; view/plainwriter.h). A document property says that some text
// has it.
constexpr int StandIns = QTextFormat::UserProperty + 5;
inline constexpr char HasStandIns[] = "glimmerHasStandIns";

// A character property of a paragraph separator: the separator cuts a long line of plain text
// (LayoutBudget::PlainCut) and takes the place of this character of the line, which the grid draws
// in its cell. A document property says that some separator has it.
constexpr int CutFor = QTextFormat::UserProperty + 6;
inline constexpr char HasCuts[] = "glimmerHasCuts";
// The character that the separator ending block stands for when it cuts a line; 0 otherwise.
char16_t cutCharacter(const QTextBlock& block);

// The character shown for a character of plain text that the document cannot hold, one cell of
// the DOS face; 0 for any other character. standsFor() is the other way round.
char16_t standInOf(char16_t c);
char16_t originalOf(char16_t shown);
// Inline for the loops that go over every character: most are below all of them.
inline char16_t standIn(char16_t c) { return c < 0x2028 ? 0 : standInOf(c); }
inline char16_t standsFor(char16_t shown) { return shown < 0xB6 ? 0 : originalOf(shown); }
// Puts back the characters that stand-ins and cuts stand for in text, the document's characters
// from position from on (a cut read as '\n').
void restoreStandIns(const QTextDocument* document, QString& text, int from);

QString whole(const QTextDocument* document);
// The text of the cursor's selection.
QString selected(const QTextCursor& cursor);

} // namespace DocumentText
