#pragma once

#include <QString>
#include <QTextFormat>

class QTextCursor;
class QTextDocument;

// The view's document as the program's plain text: paragraph and line separators and the marks
// where a table or cell begins and ends are each one '\n'; a paragraph end that the writer made
// in place of a space, for the layout's sake, is that space again; everything else, no-break
// spaces included, stays the character it is. Position i of the text is document position i.
namespace DocumentText {

// A block property: the block was ended at a space of the text, which its end stands for.
constexpr int EndsAtSpace = QTextFormat::UserProperty + 1;
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
// A document property: some block of the document has EndsAtSpace.
inline constexpr char HasSpaceEnds[] = "glimmerHasSpaceEnds";

QString whole(const QTextDocument* document);
// The text of the cursor's selection.
QString selected(const QTextCursor& cursor);

} // namespace DocumentText
