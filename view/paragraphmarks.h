#pragma once

#include "content/properties.h"

#include <QFont>
#include <QStringView>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <vector>

class TextFormats;

// What a paragraph of an RTF document shows besides its text: the number or bullet of a list
// item and the check boxes of a form. None of them is text: they are placed here, as the
// paragraph is written, in its block and character formats, and drawn by the view. A label the
// file carries as text of its own is placed by moving the first line, so that it stands where
// its list level puts it (right-aligned labels ending at the first line's indent).
class ParagraphMarks {
public:
    explicit ParagraphMarks(TextFormats* formats)
        : m_formats(formats)
    {
    }

    void setLabel(const Content::ListLabel& label);
    // A check box before character `at` of the paragraph, as large as text in chars.
    void addCheckBox(
        qsizetype at, bool checked, const Content::CharProps& chars, const QFont& documentFont);
    bool isEmpty() const { return !m_hasLabel && m_boxes.empty(); }
    // Characters at the paragraph's start that are the file's own label, its tab included.
    qsizetype fileLabelLength() const { return m_hasLabel ? m_label.fileLength : 0; }

    // Part of the paragraph's text with the properties it is in.
    struct Segment {
        QStringView text;
        Content::CharProps chars;
    };
    // Places the label and a check box at the paragraph's start in its block format. fileLabel
    // is the file's own label as written, firstChars the properties of the paragraph's text.
    void place(QTextBlockFormat& format, const Content::ParaProps& para,
        const std::vector<Segment>& fileLabel, const Content::CharProps& firstChars,
        const QFont& documentFont);

    // The positions of the characters that a check box follows, in order, and the format of
    // such a character.
    const std::vector<qsizetype>& boxesAfter() const { return m_after; }
    QTextCharFormat boxAfter(QTextCharFormat format, qsizetype character) const;

    void clear();
    // Whether some paragraph got a mark.
    bool madeMarks() const { return m_madeMarks; }

private:
    struct Box {
        qsizetype at;
        bool checked;
        qreal side, gap;
    };
    struct Placed {
        qreal start; // of the label, from the margin
        qreal textStart; // of the first line's text
    };
    Placed placeComputedLabel(const Content::ParaProps& para, qreal base,
        const Content::CharProps& firstChars, const QFont& documentFont,
        QTextBlockFormat& format) const;
    qreal alignedStart(qreal base, qreal width) const;

    TextFormats* m_formats;
    Content::ListLabel m_label;
    bool m_hasLabel = false;
    std::vector<Box> m_boxes;
    std::vector<qsizetype> m_after;
    bool m_madeMarks = false;
};
