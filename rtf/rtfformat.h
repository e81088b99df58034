#pragma once

#include "rtf/rtfstate.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

namespace Rtf {

// One entry of the font table.
struct FontEntry {
    QString name;
    QString altName; // {\*\falt ...}: the face to try when the first is not installed
    int codePage = 0; // from \cpg or \fcharset; 0 for the document's
    QFont::StyleHint hint = QFont::AnyStyle; // \froman, \fswiss, ...
    int pitch = 0; // \fprq: 0 default, 1 fixed, 2 variable
    std::uint8_t symbolFace = 0; // SymbolFont::Face of the name
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
    // The SymbolFont::Face of the font, 0 (none) for faces of letters.
    std::uint8_t symbolFaceOf(int font) const;

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
    // \deftab: the distance of the tab stops after the paragraph's own, in twips.
    void setDefaultTab(int twips);
    int defaultTab() const { return m_defaultTab; }

private:
    void forgetFormats()
    {
        m_haveLast = false;
        m_made.clear();
    }
    // The face of a run: the font table's face resolved the way the system resolves any face
    // that is not installed, never the view's DOS face unless the run asks for that face.
    void setFace(QTextCharFormat& format, const CharState& state) const;
    void setTabs(QTextBlockFormat& format, const ParaState& state) const;

    QHash<int, FontEntry> m_fonts;
    FontEntry m_spareFont; // for the fonts past MaxFonts
    int m_defaultTab = 720;
    QList<QColor> m_colors;
    int m_red = -1, m_green = -1, m_blue = -1;
    // The last conversion, since runs of text in one format follow each other, and every
    // conversion since the tables last changed: a format given again shares its data, which the
    // document then recognises without comparing it afresh.
    CharState m_lastState;
    QTextCharFormat m_lastFormat;
    bool m_haveLast = false;
    QHash<CharState, QTextCharFormat> m_made;
    ParaState m_lastPara;
    QTextBlockFormat m_lastBlockFormat;
    bool m_haveLastPara = false;
};

} // namespace Rtf
