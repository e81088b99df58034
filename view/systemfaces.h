#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// Which installed face the system gives a request for faces by name, the way it answers any
// program: names it has, names it knows another face for (fontconfig maps "Times New Roman" to a
// face of the same metrics), then its own face for the kind of face asked for.
namespace SystemFaces {

// The family drawn for the first of the names the system can satisfy, else for the hint
// (serif, sans-serif, monospace, cursive, fantasy) and pitch; empty when the system has no
// font configuration at all.
QString resolve(const QStringList& names, QFont::StyleHint hint, bool fixedPitch);

// The file of an installed face of the family and style in a format with metric tables
// (TrueType or OpenType); empty when the family has none. The text engine may draw a family
// from a Type 1 file of it, which carries no such tables.
QString tableFileOf(const QString& family, const QString& style);

} // namespace SystemFaces
