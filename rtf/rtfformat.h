#pragma once

#include "rtf/rtfstate.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

namespace Rtf {

// One entry of the font table.
struct FontEntry {
    QString name;
    int codePage = 0; // from \cpg or \fcharset; 0 for the document's
};

// The document's font and colour tables and what turns the reader's states into Qt formats.
class Formats {
public:
    // A document names no more fonts or colours than these; entries past them are read and
    // forgotten, and text in them is shown in the view's font and colour.
    static constexpr int MaxFonts = 1000;
    static constexpr int MaxColors = 1000;

    FontEntry& font(int number);
    // The code page text in this font is written in, 0 for the document's.
    int codePageOf(int font) const;

    // Colour table: a new table replaces the old one; an entry is ended by ';'; an entry with no
    // component given is "auto".
    void setColorComponent(int shift, int value);
    void startColorTable();
    void endColor();
    void endColorTable();
    // Colour n of the table; invalid (auto) for 0, an auto entry or a number out of range.
    QColor color(int index) const;

    QTextCharFormat charFormat(const CharState& state);
    QTextBlockFormat blockFormat(const ParaState& state);

private:
    QHash<int, FontEntry> m_fonts;
    FontEntry m_spareFont; // for the fonts past MaxFonts
    QList<QColor> m_colors;
    int m_red = -1, m_green = -1, m_blue = -1;
    // The last conversion, since runs of text in one format follow each other.
    CharState m_lastState;
    QTextCharFormat m_lastFormat;
    bool m_haveLast = false;
    ParaState m_lastPara;
    QTextBlockFormat m_lastBlockFormat;
    bool m_haveLastPara = false;
};

} // namespace Rtf
