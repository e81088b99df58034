#include "view/documentwriter.h"

#include "forms/units.h"
#include "rtf/rtfreader.h"
#include "text/textdecoding.h"
#include "view/celllayout.h"
#include "view/layoutbudget.h"
#include "view/rtfwriter.h"
#include "view/windowlayout.h"

#include <QFontMetricsF>
#include <QTextCursor>
#include <QTextOption>

namespace DocumentWriter {

namespace {

    // Prose wraps at word boundaries; text with a run too long for that wraps anywhere.
    constexpr QTextOption::WrapMode DefaultWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;

    std::unique_ptr<QTextDocument> emptyDocument(const QFont& face)
    {
        auto document = std::make_unique<QTextDocument>();
        // Marks and loads are not edits a user can take back; an undo history of them would only
        // grow with every search.
        document->setUndoRedoEnabled(false);
        document->setDefaultFont(face);
        document->setDocumentMargin(2);
        return document;
    }

    void setTextOption(QTextDocument* document, bool longRun, qreal tabDistance)
    {
        QTextOption option = document->defaultTextOption();
        option.setWrapMode(longRun ? QTextOption::WrapAnywhere : DefaultWrap);
        option.setTabStopDistance(tabDistance);
        document->setDefaultTextOption(option);
    }

    // What one pass over plain text learns while it groups the lines into paragraphs (see
    // LayoutBudget::GroupedLength): the longest run without a space, tab or line break, and each
    // paragraph's lines for the character grid.
    struct PlainShape {
        qsizetype longestRun = 0;
        // Empty when the text holds characters that the document turns into paragraph breaks of
        // its own (carriage returns, paragraph or frame separators): the layout then measures it
        // itself.
        std::vector<CellLayout::Paragraph> paragraphs;
    };

    PlainShape groupLines(QString& text)
    {
        PlainShape shape;
        char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
        char16_t* const end = begin + text.size();
        const char16_t* paragraphStart = begin;
        qsizetype run = 0;
        int glyphs = 0;
        bool measurable = true;
        CellLayout::Paragraph paragraph;
        for (char16_t* c = begin; c != end; ++c) {
            const char16_t u = *c;
            if (u == u' ' || u == u'\t') {
                shape.longestRun = qMax(shape.longestRun, run);
                run = 0;
                ++glyphs;
                continue;
            }
            if (u != u'\n') {
                ++run;
                if (u == u'\r' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1)
                    measurable = false;
                glyphs += !QChar::isLowSurrogate(u);
                continue;
            }
            shape.longestRun = qMax(shape.longestRun, run);
            run = 0;
            paragraph.longestLine = qMax(paragraph.longestLine, glyphs);
            glyphs = 0;
            if (c - paragraphStart < LayoutBudget::GroupedLength) {
                *c = QChar::LineSeparator;
                ++paragraph.lines;
            } else {
                paragraph.length = int(c - paragraphStart);
                shape.paragraphs.push_back(paragraph);
                paragraph = CellLayout::Paragraph();
                paragraphStart = c + 1;
            }
        }
        shape.longestRun = qMax(shape.longestRun, run);
        paragraph.longestLine = qMax(paragraph.longestLine, glyphs);
        paragraph.length = int(end - paragraphStart);
        shape.paragraphs.push_back(paragraph);
        if (!measurable)
            shape.paragraphs.clear();
        return shape;
    }

} // namespace

qreal tabDistance(const QFont& face)
{
    return 8 * QFontMetricsF(face).horizontalAdvance(QLatin1Char(' '));
}

std::unique_ptr<QTextDocument> fromRtf(QByteArrayView bytes, const QFont& face)
{
    std::unique_ptr<QTextDocument> document = emptyDocument(face);
    RtfWriter writer(document.get());
    Rtf::read(bytes, &writer);
    // The document's own tab stops, in its own units.
    setTextOption(document.get(), writer.hasLongRun(), Units::px(writer.defaultTabTwips()));
    document->setDocumentLayout(new WindowLayout(document.get()));
    return document;
}

std::unique_ptr<QTextDocument> fromPlainText(QString text, const QFont& face)
{
    std::unique_ptr<QTextDocument> document = emptyDocument(face);
    PlainShape shape = groupLines(text);
    setTextOption(
        document.get(), shape.longestRun > LayoutBudget::LongestWordWrappedRun, tabDistance(face));
    {
        // In an edit block the cursor does not ask where its new place is on the screen, which
        // would have the text engine go over the whole of the last paragraph.
        QTextCursor cursor(document.get());
        cursor.beginEditBlock();
        cursor.insertText(text);
        cursor.endEditBlock();
    }
    text = QString(); // the document holds the text now
    document->setDocumentLayout(new CellLayout(document.get(), std::move(shape.paragraphs)));
    return document;
}

} // namespace DocumentWriter
