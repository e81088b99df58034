#pragma once

#include <QString>

class QTextDocument;

// Parts of the view's document as the program's plain text (view/documenttext.h), read without
// making the whole text: what assistive technology asks for again and again, a line or a few
// characters at a time, costs what it reads even in a document of many megabytes.
namespace TextRange {

// The number of characters of the plain text.
int length(const QTextDocument* document);

// The plain text from position from to position to (both clamped to the text): the same
// characters as DocumentText::whole(document).mid(from, to - from).
QString text(const QTextDocument* document, int from, int to);

// A line of the plain text: it begins after a '\n' (or at the start) and ends after its own
// '\n' (or at the end of the text), so the break belongs to the line it ends.
struct Line {
    int start = 0;
    int end = 0;
};
// The line that holds the character at position (clamped to the text); at the end of a text
// that ends with a break, the empty line after it.
Line lineAt(const QTextDocument* document, int position);

} // namespace TextRange
