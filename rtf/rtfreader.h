#pragma once

#include <QByteArray>

class QTextDocument;

// Reads an RTF document into a text document: text with its character and paragraph formatting,
// tables and pictures. It never refuses and never fails on damaged input: it shows what it read.
namespace Rtf {

// True when the bytes start as an RTF document does ("{\rtf").
bool looksLikeRtf(const QByteArray& bytes);

// Fills an empty document (already given the view's default font and options). The document's
// default tab stops are then the RTF document's own, and the document says so with this property.
void read(const QByteArray& bytes, QTextDocument* document);
inline constexpr char OwnTabStopsProperty[] = "rtfOwnTabStops";

} // namespace Rtf
