#pragma once

#include "content/properties.h"
#include "rtf/rtfkeywords.h"
#include "rtf/rtfstate.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace Rtf {

class FontTable;
class TextDecoder;

// The numbering of paragraphs: the list table and its overrides (\listtable, \listoverridetable),
// the paragraphs' place in them (\ls, \ilvl), and old-style numbering (\pn groups). It counts the
// items as they end and works out each one's label, for the paragraphs whose file gives none.
class Lists {
public:
    // A document defines no more lists, overrides or \pn groups than this; the rest are read and
    // forgotten. A label's text is at most MaxText characters.
    static constexpr int MaxLists = 1000;
    static constexpr int MaxPn = 1000;
    static constexpr int MaxText = 64;
    static constexpr int Levels = 9;

    Lists(const FontTable* fonts, TextDecoder* decoder)
        : m_fonts(fonts)
        , m_decoder(decoder)
    {
    }
    void setDocumentCodePage(int codePage) { m_documentCodePage = codePage; }

    // A destination word of the lists or of a \pn group, in a group at this depth: false when the
    // group is to be skipped; else *destination is what the group's text is for.
    bool enter(Keyword word, std::int64_t depth, Destination* destination);
    void property(Keyword word, int param, std::uint8_t value);
    // \f inside a list level: the font of its label.
    void levelFont(int font);
    // Text and characters of \leveltext, \levelnumbers, \pntxtb and \pntxta.
    void text(QByteArrayView bytes);
    void character(char16_t c);
    // A group at this depth ends. Returns the number the paragraph gets for a \pn group that
    // ended, 0 for any other group.
    int groupEnded(std::int64_t depth)
    {
        // Most groups end outside the lists: nothing to look at then. The depths of the groups
        // not open are all -1, whose bits have the sign in common.
        const bool open
            = (m_textDepth & m_levelDepth & m_listDepth & m_overrideDepth & m_pnDepth) >= 0;
        return open ? listGroupEnded(depth) : 0;
    }

    // A paragraph ends; fileLabel tells whether its file gave it a label of its own. False when
    // the paragraph is no item of a list.
    bool endParagraph(const Content::ParaProps& para, bool fileLabel, Content::ListLabel* label);
    // A paragraph ends that is in no list and has no label of its own.
    void unnumberedParagraph() { m_pnLast = 0; }

private:
    // A level's label text: characters 0 to 8 stand for the number of that level.
    struct Level {
        QString text;
        int format = 0; // \levelnfc: 0 decimal, 1 and 2 roman, 3 and 4 letters, 23 bullet, ...
        int start = 1;
        int font = -1;
        Content::ListLabel::Align align = Content::ListLabel::Left;
        Content::ListLabel::Follow follow = Content::ListLabel::Tab;
    };
    struct List {
        std::vector<Level> levels;
        std::array<int, Levels> counts {};
        std::array<bool, Levels> counted {};
    };
    struct Pn {
        PnLevelKind kind = PnLevelKind::Body;
        int level = 0;
        int format = 0;
        int start = 1;
        int font = -1;
        int indent = 0; // \pnindent: where the text starts at the nearest
        Content::ListLabel::Align align = Content::ListLabel::Left;
        QString before, after;
    };
    // The units of a text destination as read: bytes (decoded later, in the level's font) and
    // characters given by number.
    struct Unit {
        char16_t value;
        bool byte;
    };

    int listGroupEnded(std::int64_t depth);
    QString decoded(const std::vector<Unit>& units, int font, qsizetype from, qsizetype to) const;
    void endLevel();
    bool listLabel(const Content::ParaProps& para, Content::ListLabel* label);
    bool pnLabel(const Content::ParaProps& para, Content::ListLabel* label);
    static QString number(int value, int format);

    const FontTable* m_fonts;
    TextDecoder* m_decoder;
    int m_documentCodePage = 1252;
    QHash<int, List> m_lists; // by \listid
    QHash<int, int> m_overrides; // \ls to \listid
    std::vector<Pn> m_pn;
    // What is being read, with the depths of the groups.
    std::int64_t m_listDepth = -1, m_levelDepth = -1, m_overrideDepth = -1, m_pnDepth = -1;
    std::int64_t m_textDepth = -1;
    Keyword m_textFor = Keyword::Unknown; // the destination text goes to
    List m_list;
    int m_listId = 0;
    Level m_level;
    int m_overrideList = 0, m_overrideNumber = 0;
    Pn m_readPn;
    std::vector<Unit> m_levelText, m_levelNumbers, m_pnText;
    // Old-style numbering goes on from paragraph to paragraph while they are numbered alike.
    int m_pnCount = 0;
    int m_pnLast = 0; // the \pn number of the paragraph before, 0 when it had none
};

// The label a paragraph's file gives it as text (\listtext, \pntext), counted in the characters
// the reader has handed on.
class FileLabel {
public:
    // The label's group begins at this depth, after `handed` characters of the document.
    void starts(std::int64_t depth, qint64 handed);
    void groupEnded(std::int64_t depth, qint64 handed)
    {
        if (depth == m_depth)
            ended(handed);
    }
    // Whether the paragraph has handed on anything, or has a label.
    bool paragraphHasAny(qint64 handed) const { return m_present || handed > m_paragraphStart; }

    struct Taken {
        bool present = false;
        int length = 0; // of the label at the paragraph's start
    };
    // The paragraph ends: its label, if it had one.
    Taken paragraphEnds(qint64 handed);

private:
    void ended(qint64 handed);

    std::int64_t m_depth = -1;
    qint64 m_paragraphStart = 0;
    qint64 m_start = -1;
    qint64 m_length = 0;
    bool m_present = false;
};

} // namespace Rtf
