#include "view/plainwriter.h"

#include "view/documenttext.h"
#include "view/documentwriter.h"
#include "view/layoutbudget.h"

#include <QTextOption>

PlainWriter::PlainWriter(const QFont& face)
    : m_document(DocumentWriter::emptyDocument(face))
    , m_cursor(m_document.get())
    , m_face(face)
{
    // In an edit block the cursor does not ask where its new place is on the screen, which
    // would have the text engine go over the whole of the last paragraph.
    m_cursor.beginEditBlock();
}

void PlainWriter::append(QString& piece)
{
    char16_t* const c = reinterpret_cast<char16_t*>(piece.data());
    const qsizetype size = piece.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        // Most characters are one cell each, no break and nothing the document cannot hold: a
        // run of them is counted at once, up to where a long line may be cut.
        const qsizetype room
            = LayoutBudget::PlainCut - LayoutBudget::PlainCutSpaceSearch - m_lineLength;
        if (room > 0) {
            const qsizetype stop = qMin(size, i + room);
            qsizetype j = i;
            if (m_hasStandIns) {
                while (j < stop && isOrdinary(c[j]) && !DocumentText::standsFor(c[j]))
                    ++j;
            } else {
                while (j < stop && isOrdinary(c[j]))
                    ++j;
            }
            const qsizetype n = j - i;
            m_run += n;
            m_glyphs += int(n);
            m_length += n;
            m_lineLength += n;
            i = j;
            if (i == size)
                break;
        }
        const char16_t u = c[i];
        if (u != u'\n' && m_lineLength >= LayoutBudget::PlainCut - LayoutBudget::PlainCutSpaceSearch
            && cutsHere(u)) {
            insert(piece, written, i);
            cut(u);
            written = i + 1;
            continue;
        }
        if (u == u' ' || u == u'\t') {
            m_longestRun = qMax(m_longestRun, m_run);
            m_run = 0;
            ++m_glyphs;
            ++m_length;
            ++m_lineLength;
            continue;
        }
        if (u != u'\n') {
            ++m_run;
            m_glyphs += !QChar::isLowSurrogate(u);
            ++m_length;
            ++m_lineLength;
            if (const char16_t shown = DocumentText::standIn(u)) {
                c[i] = shown;
                if (!m_hasStandIns) {
                    insert(piece, written, i);
                    written = i;
                    startStandIns();
                }
            } else if (m_hasStandIns && DocumentText::standsFor(u)) {
                // The file's own character, which looks like a stand-in.
                insert(piece, written, i);
                m_cursor.insertText(QString(QChar(u)), m_plain);
                written = i + 1;
            }
            continue;
        }
        m_longestRun = qMax(m_longestRun, m_run);
        m_run = 0;
        m_lineLength = 0;
        m_paragraph.longestLine = qMax(m_paragraph.longestLine, m_glyphs);
        m_glyphs = 0;
        if (m_length < LayoutBudget::GroupedLength) {
            c[i] = QChar::LineSeparator;
            ++m_paragraph.lines;
            ++m_length;
        } else {
            endParagraph();
        }
    }
    insert(piece, written, size);
}

bool PlainWriter::isOrdinary(char16_t u)
{
    if (u <= u' ')
        return u != u' ' && u != u'\t' && u != u'\n';
    return u < QChar::LineSeparator || (u > QChar::ParagraphSeparator && u < 0xD800)
        || (u > 0xDFFF && u != 0xFDD0 && u != 0xFDD1);
}

bool PlainWriter::cutsHere(char16_t u) const
{
    // At a space near the end, where the cut is not seen: a row may end there anyway.
    if (u == u' ')
        return true;
    // Else at the length, but never between the halves of a surrogate pair, nor at a character
    // that is drawn otherwise than as itself.
    return m_lineLength >= LayoutBudget::PlainCut && !QChar::isSurrogate(u) && u != u'\t'
        && DocumentText::standIn(u) == 0;
}

void PlainWriter::cut(char16_t u)
{
    if (u == u' ') {
        m_longestRun = qMax(m_longestRun, m_run);
        m_run = 0;
    } else {
        ++m_run;
    }
    m_paragraph.longestLine = qMax(m_paragraph.longestLine, m_glyphs);
    endParagraph();
    m_cursor.insertBlock(QTextBlockFormat(), format(DocumentText::CutFor, u));
    if (!m_hasCuts)
        m_document->setProperty(DocumentText::HasCuts, true);
    m_hasCuts = true;
}

void PlainWriter::endParagraph()
{
    m_paragraph.length = int(m_length);
    m_paragraphs.push_back(m_paragraph);
    m_paragraph = CellLayout::Paragraph();
    m_length = 0;
    m_glyphs = 0;
    m_lineLength = 0;
}

const QTextCharFormat& PlainWriter::format(int property, char16_t original)
{
    const int key = property << 16 | original;
    auto it = m_formats.find(key);
    if (it == m_formats.end()) {
        QTextCharFormat format;
        format.setProperty(property, int(original));
        it = m_formats.insert(key, format);
    }
    return *it;
}

void PlainWriter::insert(const QString& piece, qsizetype from, qsizetype to)
{
    if (to <= from)
        return;
    // The format is given: text after a cut does not take the cut's.
    if (from == 0 && to == piece.size())
        m_cursor.insertText(piece, m_text);
    else
        m_cursor.insertText(piece.mid(from, to - from), m_text);
}

void PlainWriter::startStandIns()
{
    // From the first stand-in on, the text is of a format that says it holds stand-ins: one run
    // of text, however many it holds, and no format of its own for each.
    m_hasStandIns = true;
    m_text.setProperty(DocumentText::StandIns, true);
    m_document->setProperty(DocumentText::HasStandIns, true);
}

std::unique_ptr<QTextDocument> PlainWriter::finish()
{
    m_cursor.endEditBlock();
    m_cursor = QTextCursor();
    m_longestRun = qMax(m_longestRun, m_run);
    m_paragraph.longestLine = qMax(m_paragraph.longestLine, m_glyphs);
    endParagraph();
    DocumentWriter::setTextOption(m_document.get(),
        m_longestRun > LayoutBudget::LongestWordWrappedRun, DocumentWriter::tabDistance(m_face));
    m_document->setDocumentLayout(new CellLayout(m_document.get(), std::move(m_paragraphs)));
    return std::move(m_document);
}
