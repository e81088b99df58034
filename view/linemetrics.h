#pragma once

#include <QFont>

// The height of a single-spaced line as word processors set it. Qt spaces lines by the font's
// ascent and descent as the font engine reports them, which for many faces (Nimbus Sans drawn for
// Helvetica, Carlito for Calibri) is a good deal taller than a word processor's line: those take
// the ascent, descent and line gap of the face's hhea table, each on whole pixels.
namespace LineMetrics {

// In pixels for the font as given; 0 when the face carries no such tables (a bitmap face).
qreal singleLine(const QFont& font);

} // namespace LineMetrics
