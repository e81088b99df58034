#pragma once

#include "view/celllayout.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>
#include <vector>

// Builds the view's document from plain text handed over in pieces, as a file is decoded, so
// that the text is never held whole beside the document. Lines are grouped into paragraphs of
// about LayoutBudget::GroupedLength characters (separated within one by line separators) and
// measured on the way for the character grid, which then need not read the text again.
// Characters that the document would take for its own structure (paragraph and line separators,
// the marks of frames) go in as a stand-in of one cell, which the view's text gives back as the
// character it stands for (DocumentText::standIn). Lines too long for the editor are cut into
// paragraphs (LayoutBudget::PlainCut).
class PlainWriter {
public:
    explicit PlainWriter(const QFont& face);
    PlainWriter(const PlainWriter&) = delete;
    PlainWriter& operator=(const PlainWriter&) = delete;

    // The next characters of the text. The piece is used up: it is changed in place.
    void append(QString& piece);
    // The document with all the text, configured and laid out on the grid.
    std::unique_ptr<QTextDocument> finish();

private:
    // Neither a break nor a surrogate nor a character held by a stand-in.
    static bool isOrdinary(char16_t u);
    bool cutsHere(char16_t u) const;
    // Ends the paragraph at the character u of a long line, which the separator stands for.
    void cut(char16_t u);
    void endParagraph();
    const QTextCharFormat& format(int property, char16_t original);
    void insert(const QString& piece, qsizetype from, qsizetype to);
    void startStandIns();

    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    QFont m_face;
    QTextCharFormat m_plain;
    // The format of the text: m_plain, or once there are stand-ins, one that says so.
    QTextCharFormat m_text;
    QHash<int, QTextCharFormat> m_formats;
    bool m_hasStandIns = false;
    bool m_hasCuts = false;
    // The longest run without a space, tab or line break, and the one still going on.
    qsizetype m_longestRun = 0;
    qsizetype m_run = 0;
    // The paragraph being written: its characters so far, and the cells of its current line.
    qsizetype m_length = 0;
    qsizetype m_lineLength = 0;
    int m_glyphs = 0;
    CellLayout::Paragraph m_paragraph;
    std::vector<CellLayout::Paragraph> m_paragraphs;
};
