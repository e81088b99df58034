#include "view/celllayout.h"

#include "view/cellrows.h"
#include "view/layoutbudget.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

using CellRows::glyphCount;
using CellRows::LineSeparator;
using CellRows::RowBreaker;
constexpr int Unlimited = INT_MAX / 4;
using LayoutBudget::MaxShapedRow;

} // namespace

CellLayout::CellLayout(QTextDocument* document, std::vector<Paragraph> paragraphs)
    : QAbstractTextDocumentLayout(document)
{
    updateMetrics();
    qint64 characters = 0;
    for (const Paragraph& paragraph : paragraphs)
        characters += qint64(paragraph.length) + 1;
    if (paragraphs.empty() || qsizetype(paragraphs.size()) != document->blockCount()
        || characters != document->characterCount())
        return; // measured when the document is set
    m_blocks.reserve(paragraphs.size());
    QTextBlock block = document->begin();
    for (const Paragraph& paragraph : paragraphs) {
        Block info;
        info.lines = paragraph.lines;
        info.longestLine = paragraph.longestLine;
        info.rows = paragraph.lines;
        if (paragraph.longestLine > m_columns || paragraph.length > LongBlock)
            wrap(block, info);
        m_blocks.push_back(std::move(info));
        block = block.next();
    }
    m_characters = document->characterCount();
}

CellLayout::~CellLayout() = default;

bool CellLayout::updateMetrics()
{
    QTextDocument* doc = document();
    const QFont oldFont = m_font;
    const int oldColumns = m_columns;
    const QTextOption::WrapMode oldWrap = m_wrap;
    const qreal oldMargin = m_margin;
    const qreal oldTabs = m_tabStop;
    m_font = doc->defaultFont();
    m_tabStop = doc->defaultTextOption().tabStopDistance();
    const QFontMetricsF metrics(doc->defaultFont());
    m_cellWidth = std::max<qreal>(metrics.horizontalAdvance(QLatin1Char(' ')), 1);
    m_cellHeight = std::max<qreal>(metrics.height(), 1);
    m_margin = doc->documentMargin();
    m_textWidth = doc->pageSize().width();
    m_wrap = doc->defaultTextOption().wrapMode();
    if (m_wrap == QTextOption::NoWrap || m_textWidth <= 0) {
        m_columns = Unlimited;
    } else {
        m_columns = std::max(1, int(std::floor((m_textWidth - 2 * m_margin) / m_cellWidth)));
    }
    return m_font != oldFont || m_columns != oldColumns || m_wrap != oldWrap
        || m_margin != oldMargin || m_tabStop != oldTabs;
}

QTextBlock CellLayout::blockNumber(int n) const { return document()->findBlockByNumber(n); }

QString CellLayout::textOf(int from, int to) const
{
    // Character by character: a cursor placed in a paragraph would have the editor's text
    // engine go over the whole paragraph, however little is read.
    QString text;
    if (to <= from)
        return text;
    text.resize(to - from);
    QTextDocument* doc = document();
    for (int i = from; i < to; ++i)
        text[i - from] = doc->characterAt(i);
    return text;
}

template <class Feed> void CellLayout::forEachPiece(const QTextBlock& block, int from, Feed&& feed)
{
    // A paragraph that may be shaped whole is read whole: it is short, and may have many runs
    // of text.
    if (block.length() - 1 <= LongBlock) {
        const QString text = block.text();
        feed(QStringView(text).mid(from));
        return;
    }
    // A piece of text with one format at a time, each copied once.
    const int start = block.position() + from;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int end = fragment.position() + fragment.length();
        if (end <= start)
            continue;
        const QString text = fragment.text();
        const int skip = std::max(0, start - fragment.position());
        if (skip < text.size())
            feed(QStringView(text).mid(skip));
    }
}

CellLayout::Block CellLayout::measure(const QTextBlock& block) const
{
    Block info;
    if (block.length() - 1 > LongBlock) {
        wrap(block, info);
        return info;
    }
    // Lines and their lengths first: when every line fits, that is all there is to know.
    const QString text = block.text();
    int glyphs = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == LineSeparator) {
            info.longestLine = std::max(info.longestLine, glyphs);
            glyphs = 0;
            ++info.lines;
        } else if (!QChar::isLowSurrogate(c)) {
            ++glyphs;
        }
    }
    info.longestLine = std::max(info.longestLine, glyphs);
    if (info.longestLine <= m_columns)
        info.rows = info.lines;
    else
        wrap(block, info);
    return info;
}

void CellLayout::wrap(const QTextBlock& block, Block& info, int fromRow) const
{
    const bool resume = fromRow > 0 && size_t(fromRow) < info.rowStarts.size();
    if (!resume) {
        fromRow = 0;
        info.rowStarts.assign(1, 0);
    } else {
        info.rowStarts.resize(size_t(fromRow) + 1);
    }
    const int start = info.rowStarts[size_t(fromRow)];
    RowBreaker breaker(m_columns, m_wrap != QTextOption::WrapAnywhere, &info.rowStarts, start);
    forEachPiece(block, start, [&](QStringView piece) { breaker.feed(piece); });
    info.rowStarts.shrink_to_fit();
    info.rows = int(info.rowStarts.size());
    // Resumed, the lines are those of the part read again, at least (a long paragraph's lines
    // only ever size a document that does not wrap).
    info.lines = resume ? std::max(info.lines, breaker.lines()) : breaker.lines();
    info.longestLine
        = resume ? std::max(info.longestLine, breaker.longestLine()) : breaker.longestLine();
    info.laidOut = false;
}

void CellLayout::rebuild()
{
    updateMetrics();
    QTextDocument* doc = document();
    m_blocks.clear();
    m_blocks.reserve(size_t(doc->blockCount()));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (QTextLayout* layout = block.layout())
            layout->clearLayout();
        m_blocks.push_back(measure(block));
    }
    m_characters = doc->characterCount();
    m_rowsAboveDirty = true;
}

void CellLayout::rewrap()
{
    m_shapedRows.clear();
    // A new width of the same number of cells, say, changes nothing.
    if (!updateMetrics())
        return;
    QTextBlock block = document()->begin();
    for (Block& info : m_blocks) {
        if (info.laidOut)
            block.layout()->clearLayout();
        // A paragraph whose lines all fit has one row a line; only the others are read again.
        if (info.longestLine <= m_columns && block.length() - 1 <= LongBlock) {
            info.rows = info.lines;
            info.rowStarts = {};
            info.laidOut = false;
        } else {
            wrap(block, info);
        }
        block = block.next();
    }
    m_rowsAboveDirty = true;
}

void CellLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    m_shapedRows.clear();
    QTextDocument* doc = document();
    const QSizeF oldSize = documentSize();
    const int blockCount = doc->blockCount();
    const int characters = doc->characterCount();
    qreal changedTop = 0;
    if (from == 0 && charsRemoved == 0 && charsAdded == characters
        && size_t(blockCount) == m_blocks.size() && characters == m_characters) {
        // The same text under new settings (width, font, wrapping, a new layout): the paragraphs
        // are measured already.
        rewrap();
    } else if (m_blocks.empty() || (from == 0 && charsAdded >= characters)) {
        rebuild();
    } else {
        const int oldCount = int(m_blocks.size());
        const QTextBlock first = doc->findBlock(from);
        QTextBlock last = doc->findBlock(from + charsAdded);
        if (!last.isValid())
            last = doc->lastBlock();
        const int firstNumber = first.isValid() ? first.blockNumber() : 0;
        const int lastNumber = last.blockNumber();
        const int grown = blockCount - oldCount;
        const int oldLast = std::clamp(lastNumber - grown, firstNumber - 1, oldCount - 1);
        updateMetrics();
        const bool formatsOnly = m_formatsOnly && grown == 0 && characters == m_characters;
        std::vector<Block> fresh;
        fresh.reserve(size_t(lastNumber - firstNumber + 1));
        int n = firstNumber;
        for (QTextBlock block = first; block.isValid() && n <= lastNumber;
             block = block.next(), ++n) {
            const bool wasLaidOut = n <= oldLast && m_blocks[size_t(n)].laidOut;
            if (wasLaidOut)
                block.layout()->clearLayout();
            if (formatsOnly) {
                // New colours and weights leave every character in its cell.
                Block kept = std::move(m_blocks[size_t(n)]);
                kept.laidOut = false;
                fresh.push_back(std::move(kept));
            } else if (grown == 0 && firstNumber == lastNumber && isLong(block)
                && !m_blocks[size_t(n)].rowStarts.empty()) {
                // Typing in a long paragraph: the rows above the one changed stay as they were.
                // The row before it is wrapped again too, as spaces typed at the start of a row
                // may hang at the end of the one before.
                Block kept = std::move(m_blocks[size_t(n)]);
                const int row = rowInLongBlock(kept, from - block.position());
                wrap(block, kept, std::max(0, row - 1));
                fresh.push_back(std::move(kept));
            } else {
                fresh.push_back(measure(block));
            }
        }
        m_blocks.erase(m_blocks.begin() + firstNumber, m_blocks.begin() + oldLast + 1);
        m_blocks.insert(m_blocks.begin() + firstNumber, std::make_move_iterator(fresh.begin()),
            std::make_move_iterator(fresh.end()));
        m_characters = characters;
        m_rowsAboveDirty = true;
        changedTop = top(rowsAbove(firstNumber));
    }
    m_formatsOnly = false;
    const QSizeF newSize = documentSize();
    if (newSize != oldSize)
        Q_EMIT documentSizeChanged(newSize);
    Q_EMIT update(QRectF(0, changedTop, qreal(INT_MAX), qreal(INT_MAX)));
}

qint64 CellLayout::rowsAbove(int n) const
{
    if (m_rowsAboveDirty) {
        m_rowsAbove.resize(m_blocks.size() + 1);
        qint64 rows = 0;
        for (size_t i = 0; i < m_blocks.size(); ++i) {
            m_rowsAbove[i] = rows;
            rows += m_blocks[i].rows;
        }
        m_rowsAbove[m_blocks.size()] = rows;
        m_rowsAboveDirty = false;
    }
    return m_rowsAbove[size_t(std::clamp<qsizetype>(n, 0, qsizetype(m_blocks.size())))];
}

int CellLayout::blockAtRow(qint64 row) const
{
    rowsAbove(0);
    if (m_blocks.empty())
        return 0;
    // The last paragraph whose first row is at or above the row.
    auto it = std::upper_bound(m_rowsAbove.begin(), m_rowsAbove.end() - 1, row);
    return std::max(0, int(it - m_rowsAbove.begin()) - 1);
}

qreal CellLayout::top(qint64 row) const { return m_margin + qreal(row) * m_cellHeight; }

QSizeF CellLayout::documentSize() const
{
    qreal width = m_textWidth;
    if (width <= 0 || m_columns == Unlimited) {
        int longest = 0;
        for (const Block& info : m_blocks)
            longest = std::max(longest, info.longestLine);
        width = std::max(width, longest * m_cellWidth + 2 * m_margin);
    }
    return QSizeF(width, qreal(totalRows()) * m_cellHeight + 2 * m_margin);
}

QRectF CellLayout::frameBoundingRect(QTextFrame* frame) const
{
    if (frame != document()->rootFrame())
        return QRectF();
    return QRectF(QPointF(0, 0), documentSize());
}

bool CellLayout::isLong(const QTextBlock& block) const { return block.length() - 1 > LongBlock; }

void CellLayout::ensureLaidOut(const QTextBlock& block) const
{
    const int number = block.blockNumber();
    if (number < 0 || size_t(number) >= m_blocks.size() || isLong(block))
        return;
    Block& info = m_blocks[size_t(number)];
    QTextLayout* layout = block.layout();
    if (info.laidOut && layout->lineCount() > 0)
        return;
    QTextOption option = document()->defaultTextOption();
    // The rows are this layout's: each line is given the characters of its row.
    option.setWrapMode(QTextOption::WrapAnywhere);
    layout->setTextOption(option);
    const QString text = block.text();
    const QStringView view(text);
    std::vector<int> starts = info.rowStarts.empty() ? lineStarts(view) : info.rowStarts;
    starts.push_back(int(text.size()));
    layout->beginLayout();
    int row = 0;
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        const int start = line.textStart();
        // The row that starts here, or (should the shaper have counted otherwise) the one that
        // holds this position.
        auto next = std::upper_bound(starts.begin(), starts.end(), start);
        const int end = next == starts.end() ? int(text.size()) : *next;
        // The last row of a line is ended by its line separator (the shaper counts a tab as
        // more than one character when it is told a number of them).
        const bool lineEnds = end >= text.size() || text.at(end - 1).unicode() == LineSeparator;
        const int glyphs
            = lineEnds ? Unlimited : std::max(1, glyphCount(view.mid(start, end - start)));
        if (m_columns == Unlimited)
            line.setNumColumns(glyphs);
        else
            line.setNumColumns(glyphs, m_columns * m_cellWidth);
        line.setPosition(QPointF(0, row * m_cellHeight));
        ++row;
    }
    layout->endLayout();
    info.laidOut = true;
    if (row != info.rows) {
        info.rows = std::max(row, 1);
        m_rowsAboveDirty = true;
        auto* self = const_cast<CellLayout*>(this);
        Q_EMIT self->documentSizeChanged(documentSize());
    }
}

QRectF CellLayout::blockBoundingRect(const QTextBlock& block) const
{
    const int number = block.blockNumber();
    if (number < 0 || size_t(number) >= m_blocks.size())
        return QRectF();
    ensureLaidOut(block);
    const qreal y = top(rowsAbove(number));
    if (QTextLayout* layout = block.layout())
        layout->setPosition(QPointF(m_margin, y));
    const qreal width
        = m_columns == Unlimited ? documentSize().width() - 2 * m_margin : m_columns * m_cellWidth;
    return QRectF(m_margin, y, width, m_blocks[size_t(number)].rows * m_cellHeight);
}

std::vector<int> CellLayout::lineStarts(QStringView text)
{
    std::vector<int> starts { 0 };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() == LineSeparator)
            starts.push_back(int(i + 1));
    }
    return starts;
}

CellLayout::RowSpan CellLayout::rowSpan(const QTextBlock& block, int r) const
{
    const Block& info = m_blocks[size_t(block.blockNumber())];
    r = std::clamp(r, 0, int(info.rowStarts.size()) - 1);
    const bool last = size_t(r + 1) >= info.rowStarts.size();
    return { info.rowStarts[size_t(r)], last ? block.length() - 1 : info.rowStarts[size_t(r + 1)],
        last };
}

const QTextLayout& CellLayout::shapedRow(const QTextBlock& block, const RowSpan& span) const
{
    const int position = block.position();
    const auto found = std::find_if(m_shapedRows.begin(), m_shapedRows.end(),
        [&](const ShapedRow& r) { return r.blockPosition == position && r.from == span.from; });
    if (found != m_shapedRows.end()) {
        std::rotate(found, found + 1, m_shapedRows.end());
        return *m_shapedRows.back().layout;
    }
    if (m_shapedRows.size() >= KeptShapedRows)
        m_shapedRows.erase(m_shapedRows.begin());
    auto layout = std::make_unique<QTextLayout>();
    layoutRow(*layout, block, span.from, span.to);
    m_shapedRows.push_back({ position, span.from, std::move(layout) });
    return *m_shapedRows.back().layout;
}

int CellLayout::rowInLongBlock(const Block& info, int relative) const
{
    auto it = std::upper_bound(info.rowStarts.begin(), info.rowStarts.end(), relative);
    return std::max(0, int(it - info.rowStarts.begin()) - 1);
}

void CellLayout::layoutRow(QTextLayout& layout, const QTextBlock& block, int from, int to) const
{
    QTextDocument* doc = document();
    const int start = block.position() + from;
    // Spaces that hang past the end of a row are not seen; a row of millions of them is shaped
    // no further than a screen could show.
    const int end = block.position() + std::min(to, from + MaxShapedRow);
    QList<QTextLayout::FormatRange> formats;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int fragmentEnd = fragment.position() + fragment.length();
        if (fragmentEnd <= start)
            continue;
        if (fragment.position() >= end)
            break;
        const int s = std::max(start, fragment.position());
        const int e = std::min(end, fragmentEnd);
        formats.append({ s - start, e - s, fragment.charFormat() });
    }
    layout.setText(textOf(start, end));
    layout.setFont(doc->defaultFont());
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    layout.endLayout();
}

int CellLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    if (m_blocks.empty())
        return -1;
    const qint64 total = totalRows();
    const qint64 rawRow = qint64(std::floor((point.y() - m_margin) / m_cellHeight));
    if (accuracy == Qt::ExactHit && (rawRow < 0 || rawRow >= total))
        return -1;
    const qint64 row = std::clamp<qint64>(rawRow, 0, total - 1);
    int n = blockAtRow(row);
    QTextBlock block = blockNumber(n);
    if (!isLong(block)) {
        ensureLaidOut(block);
        // Laying it out may have changed where the rows are.
        n = blockAtRow(row);
        block = blockNumber(n);
    }
    if (!block.isValid())
        return -1;
    const int rowInBlock = int(row - rowsAbove(n));
    const qreal x = point.x() - m_margin;
    if (isLong(block)) {
        const RowSpan span = rowSpan(block, rowInBlock);
        const QTextLine line = shapedRow(block, span).lineAt(0);
        if (accuracy == Qt::ExactHit && (x < 0 || x > line.naturalTextWidth()))
            return -1;
        int at = line.xToCursor(x);
        // The cursor cannot stand after the character that ends a row unless the row is the
        // paragraph's last.
        if (!span.last && at >= span.to - span.from)
            at = std::max(0, span.to - span.from - 1);
        return block.position() + span.from + at;
    }
    ensureLaidOut(block);
    const QTextLayout* layout = block.layout();
    if (layout->lineCount() == 0)
        return block.position();
    const QTextLine line = layout->lineAt(std::clamp(rowInBlock, 0, layout->lineCount() - 1));
    if (accuracy == Qt::ExactHit && (x < 0 || x > line.naturalTextWidth()))
        return -1;
    return block.position() + line.xToCursor(x);
}

CellLayout::Row CellLayout::rowAt(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return { position, position };
    const int relative = position - block.position();
    const int length = block.length() - 1;
    int from = 0;
    int to = length;
    bool last = true;
    if (isLong(block)) {
        const RowSpan span
            = rowSpan(block, rowInLongBlock(m_blocks[size_t(block.blockNumber())], relative));
        from = span.from;
        to = span.to;
        last = span.last;
    } else {
        ensureLaidOut(block);
        const QTextLine line = block.layout()->lineForTextPosition(relative);
        if (line.isValid()) {
            from = line.textStart();
            to = line.textStart() + line.textLength();
            last = line.lineNumber() == block.layout()->lineCount() - 1;
        }
    }
    // A row that wraps at a space or ends with a line separator ends before that character,
    // as the editor's own End key has it.
    if (!last && to > from
        && textOf(block.position() + to - 1, block.position() + to).at(0).isSpace())
        --to;
    return { block.position() + from, block.position() + std::min(to, length) };
}

int CellLayout::positionRowsAway(int position, int rowsDown) const
{
    const QRectF here = caretRect(position);
    const qreal y = here.center().y() + rowsDown * m_cellHeight;
    const qreal bottom = documentSize().height() - m_margin - 1;
    const QPointF target(here.left(), std::clamp(y, m_margin, std::max(m_margin, bottom)));
    const int hit = hitTest(target, Qt::FuzzyHit);
    return hit < 0 ? position : hit;
}

QRectF CellLayout::caretRect(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid() || m_blocks.empty())
        return QRectF(m_margin, m_margin, 1, m_cellHeight);
    const int n = block.blockNumber();
    const int relative = position - block.position();
    qint64 row = rowsAbove(n);
    qreal x = 0;
    if (isLong(block)) {
        const int r = rowInLongBlock(m_blocks[size_t(n)], relative);
        const RowSpan span = rowSpan(block, r);
        x = shapedRow(block, span).lineAt(0).cursorToX(relative - span.from);
        row += r;
    } else {
        ensureLaidOut(block);
        row = rowsAbove(n);
        const QTextLine line = block.layout()->lineForTextPosition(relative);
        if (line.isValid()) {
            x = line.cursorToX(relative);
            row += line.lineNumber();
        }
    }
    return QRectF(m_margin + x, top(row), 1, m_cellHeight);
}

int CellLayout::caretTarget(int position, CaretMove move, int pageRows) const
{
    switch (move) {
    case CaretMove::RowStart:
        return rowAt(position).start;
    case CaretMove::RowEnd:
        return rowAt(position).end;
    case CaretMove::Up:
        return positionRowsAway(position, -1);
    case CaretMove::Down:
        return positionRowsAway(position, 1);
    case CaretMove::PageUp:
        return positionRowsAway(position, -pageRows);
    case CaretMove::PageDown:
        return positionRowsAway(position, pageRows);
    }
    return position;
}
