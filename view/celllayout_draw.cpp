// Painting the character grid: the rows in sight, each paragraph shaped with the rows the layout
// decided for it, and long paragraphs row by row.
#include "view/celllayout.h"

#include "view/documenttext.h"

#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

void CellLayout::drawLongBlock(QPainter* painter, const PaintContext& context,
    const QTextBlock& block, qint64 topRow, const QRectF& clip) const
{
    const Block& info = m_blocks[size_t(block.blockNumber())];
    const qint64 firstRow
        = std::max<qint64>(0, qint64(std::floor((clip.top() - top(topRow)) / m_cellHeight)));
    const qint64 lastRow = std::min<qint64>(qint64(info.rowStarts.size()) - 1,
        qint64(std::ceil((clip.bottom() - top(topRow)) / m_cellHeight)));
    const int cursorWidth
        = property("cursorWidth").isValid() ? std::max(1, property("cursorWidth").toInt()) : 1;
    for (qint64 row = firstRow; row <= lastRow; ++row) {
        const RowSpan span = rowSpan(block, int(row));
        const int from = span.from;
        const int to = span.to;
        const QTextLayout& layout = shapedRow(block, span);
        const QPointF origin(m_margin, top(topRow + row));
        QList<QTextLayout::FormatRange> selections;
        const int rowStart = block.position() + from;
        for (const Selection& selection : context.selections) {
            const int s = std::max(selection.cursor.selectionStart(), rowStart);
            const int e = std::min(selection.cursor.selectionEnd(), block.position() + to);
            if (e > s)
                selections.append({ s - rowStart, e - s, selection.format });
        }
        layout.draw(painter, origin, selections, clip);
        const int caret = context.cursorPosition - block.position();
        if (caret >= from && (caret < to || (span.last && caret == to)))
            layout.drawCursor(painter, origin, caret - from, cursorWidth);
    }
}

void CellLayout::drawCut(
    QPainter* painter, const PaintContext& context, const QTextBlock& block, char16_t cut) const
{
    // The separator stands for a character of the line it cuts: that character is drawn in the
    // cell after the paragraph's last one, in the separator's own format (a search marks it too).
    const QTextLayout* layout = block.layout();
    if (layout->lineCount() == 0)
        return;
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const int separator = block.position() + block.length() - 1;
    QTextLayout cell(QString(QChar(cut)), document()->defaultFont());
    QTextOption option = document()->defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    cell.setTextOption(option);
    cell.setFormats({ { 0, 1, block.next().charFormat() } });
    cell.beginLayout();
    cell.createLine().setPosition(QPointF(0, 0));
    cell.endLayout();
    QList<QTextLayout::FormatRange> selections;
    for (const Selection& selection : context.selections) {
        if (selection.cursor.selectionStart() <= separator
            && selection.cursor.selectionEnd() > separator)
            selections.append({ 0, 1, selection.format });
    }
    const QPointF origin
        = layout->position() + QPointF(last.cursorToX(block.length() - 1), last.y());
    cell.draw(painter, origin, selections);
}

void CellLayout::draw(QPainter* painter, const PaintContext& context)
{
    if (m_blocks.empty())
        return;
    const QRectF clip = context.clip.isValid()
        ? context.clip
        : QRectF(0, 0, documentSize().width(), documentSize().height());
    const auto rowOf = [&](qreal y) {
        return std::clamp<qint64>(
            qint64(std::floor((y - m_margin) / m_cellHeight)), 0, totalRows() - 1);
    };
    // Shaping the visible paragraphs may change how many rows they take (a tab, say); the rows
    // are settled before anything is drawn.
    for (int n = blockAtRow(rowOf(clip.top())); n < int(m_blocks.size()); ++n) {
        if (rowsAbove(n) > rowOf(clip.bottom()))
            break;
        ensureLaidOut(blockNumber(n));
    }
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    const int cursorWidth
        = property("cursorWidth").isValid() ? std::max(1, property("cursorWidth").toInt()) : 1;
    const qint64 lastRow = rowOf(clip.bottom());
    int n = blockAtRow(rowOf(clip.top()));
    for (QTextBlock block = blockNumber(n); block.isValid(); block = block.next(), ++n) {
        const qint64 blockRow = rowsAbove(n);
        if (blockRow > lastRow)
            break;
        if (isLong(block)) {
            drawLongBlock(painter, context, block, blockRow, clip);
            continue;
        }
        ensureLaidOut(block);
        QTextLayout* layout = block.layout();
        layout->setPosition(QPointF(m_margin, top(blockRow)));
        QList<QTextLayout::FormatRange> selections;
        const int blockStart = block.position();
        const int blockEnd = blockStart + block.length();
        for (const Selection& selection : context.selections) {
            const int s = std::max(selection.cursor.selectionStart(), blockStart);
            const int e = std::min(selection.cursor.selectionEnd(), blockEnd);
            if (e > s)
                selections.append({ s - blockStart, e - s, selection.format });
        }
        layout->draw(painter, QPointF(), selections, clip);
        if (const char16_t cut = DocumentText::cutCharacter(block))
            drawCut(painter, context, block, cut);
        if (context.cursorPosition >= blockStart && context.cursorPosition < blockEnd)
            layout->drawCursor(
                painter, QPointF(), context.cursorPosition - blockStart, cursorWidth);
    }
    painter->restore();
}
