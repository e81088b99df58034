#pragma once

#include "content/properties.h"
#include "content/resources.h"

#include <QColor>
#include <QHash>
#include <QSet>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <vector>

// What the properties of a document as read become in the view's document: character and block
// formats, with the faces the system draws the document's fonts in.
class TextFormats {
public:
    // A new entry for a font number forgets only the formats made for that number.
    void setFont(int number, const Content::FontEntry& entry);
    // The entry of text whose font the table lacks; without one, the table's first entry.
    void setDefaultFont(int number);
    void setColors(const std::vector<Content::ColorEntry>& colors);
    // The distance of the tab stops after a paragraph's own, in twips.
    void setDefaultTab(int twips);
    int defaultTab() const { return m_defaultTab; }
    // Whether some block format made has tab leaders.
    bool madeLeaders() const { return m_madeLeaders; }
    bool madeBorders() const { return m_madeBorders; }
    bool madeExtraUnderlines() const { return m_madeExtraUnderlines; }

    // Colour n of the table; invalid (auto) for 0, an auto entry or a number out of range.
    QColor color(int index) const;
    // The colour a shading paints: its pattern over its background; invalid when it has none.
    QColor shade(const Content::Shading& shading) const;
    QTextCharFormat charFormat(const Content::CharProps& chars);
    QTextBlockFormat blockFormat(const Content::ParaProps& para);
    // Moves the first line of a paragraph's format by shift pixels, its tab stops staying where
    // they are on the page.
    void shiftFirstLine(
        QTextBlockFormat& format, const Content::ParaProps& para, qreal shift) const;
    // Where a tab reaching past x (pixels from the margin) on the first line stops: the hanging
    // indent, the paragraph's own stops and then the document's.
    qreal nextStopAfter(const Content::ParaProps& para, qreal x) const;

private:
    // The face of a run: the font table's face resolved the way the system resolves any face
    // that is not installed, never the view's DOS face unless the run asks for that face.
    void setFace(QTextCharFormat& format, const Content::CharProps& chars) const;
    void setTabs(QTextBlockFormat& format, const Content::ParaProps& para, qreal shift = 0) const;
    // Raised or lowered, scaled and spaced characters.
    static void setPlacement(QTextCharFormat& format, const Content::CharProps& chars);
    void setBorders(QTextBlockFormat& format, const Content::ParaProps& para) const;
    QTextCharFormat makeCharFormat(const Content::CharProps& chars) const;
    QTextBlockFormat makeBlockFormat(const Content::ParaProps& para) const;

    // The entry a run is drawn in: its own, the default, the first; none when the document has
    // no font table.
    const Content::FontEntry* entryOf(int font) const;

    QHash<int, Content::FontEntry> m_fonts;
    int m_defaultFont = -1;
    int m_firstFont = -1;
    std::vector<QColor> m_colors;
    int m_defaultTab = 720;
    // Every conversion made: a format given again shares its data, which the document then
    // recognises without comparing it afresh. Runs in one format follow each other, so the last
    // conversion is kept apart too.
    QHash<Content::CharProps, QTextCharFormat> m_made;
    Content::CharProps m_lastChars;
    QTextCharFormat m_lastCharFormat;
    bool m_haveLastChars = false;
    Content::ParaProps m_lastPara;
    QTextBlockFormat m_lastBlockFormat;
    bool m_haveLastPara = false;
    // The lists of face names this document has had the system look up.
    mutable QSet<QString> m_facesAsked;
    mutable bool m_madeLeaders = false;
    mutable bool m_madeBorders = false;
    mutable bool m_madeExtraUnderlines = false;
};
