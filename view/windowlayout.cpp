#include "view/windowlayout.h"

#include "view/layoutbudget.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cmath>

namespace {

using LayoutBudget::TableBlockWeight;
using LayoutBudget::WindowBlocks;
using LayoutBudget::WindowChars;
using LayoutBudget::WindowHeight;

// The tallest line a run of characters in a format can make, in pixels.
qreal tallestLine(const QTextCharFormat& format, const QFont& base)
{
    if (format.isImageFormat())
        return std::max<qreal>(format.toImageFormat().height(), 0) + 2;
    return QFontMetricsF(format.font().resolve(base)).height() * 1.5;
}

// The most a paragraph's line can be asked to be by its format: exact and least heights, and
// proportional spacing of its tallest character.
qreal spacedLine(const QTextBlockFormat& format, qreal tallest)
{
    switch (format.lineHeightType()) {
    case QTextBlockFormat::FixedHeight:
    case QTextBlockFormat::MinimumHeight:
        return std::max(tallest, format.lineHeight());
    case QTextBlockFormat::ProportionalHeight:
        return tallest * std::max<qreal>(format.lineHeight(), 100) / 100;
    case QTextBlockFormat::LineDistanceHeight:
        return tallest + std::max<qreal>(format.lineHeight(), 0);
    default:
        return tallest;
    }
}

} // namespace

WindowLayout::WindowLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document)
    , m_shadow(std::make_unique<QTextDocument>())
{
    m_shadow->setUndoRedoEnabled(false);
    m_shadow->setDocumentMargin(0);
    // Pictures are the document's resources; the copy finds them there.
    m_shadow->setResourceProvider([document](const QUrl& name) {
        return document->resource(QTextDocument::ImageResource, name);
    });
    // The document's own paragraphs measure their pictures with the copy's handler.
    QAbstractTextDocumentLayout* shadowLayout = m_shadow->documentLayout();
    registerHandler(QTextFormat::ImageObject,
        dynamic_cast<QObject*>(shadowLayout->handlerForObject(QTextFormat::ImageObject)));
    updateMetrics();
    rebuildItems();
    // The window is laid out once the view gives the document its width.
}

WindowLayout::~WindowLayout() = default;

WindowLayout::Settings WindowLayout::settingsOf(const QTextDocument* doc)
{
    const QTextOption option = doc->defaultTextOption();
    return { doc->pageSize().width(), doc->documentMargin(), doc->indentWidth(), doc->defaultFont(),
        option.alignment(), option.flags(), option.wrapMode(), option.tabStopDistance(),
        option.tabs() };
}

void WindowLayout::updateMetrics()
{
    QTextDocument* doc = document();
    m_settings = settingsOf(doc);
    const QFontMetricsF metrics(doc->defaultFont());
    m_lineHeight = std::max<qreal>(metrics.lineSpacing(), 1);
    const qreal textWidth = m_settings.width > 0 ? m_settings.width - 2 * m_settings.margin : 640;
    m_charsPerLine = std::max<qreal>(8, textWidth / std::max<qreal>(metrics.averageCharWidth(), 1));
    m_shadow->setDefaultFont(doc->defaultFont());
    m_shadow->setDefaultTextOption(doc->defaultTextOption());
    m_shadow->setIndentWidth(doc->indentWidth());
    m_shadow->setPageSize(QSizeF(
        m_settings.width > 0 ? std::max<qreal>(m_settings.width - 2 * m_settings.margin, 1) : -1,
        -1));
}

int WindowLayout::depthOf(const QTextFrame* frame)
{
    // The writer nests tables a few levels at most.
    int deepest = 0;
    const QList<QTextFrame*> children = frame->childFrames();
    for (const QTextFrame* child : children)
        deepest = std::max(deepest, depthOf(child));
    return deepest + 1;
}

void WindowLayout::rebuildItems()
{
    m_items.clear();
    m_tallest.clear();
    m_blockCount = document()->blockCount();
    QTextFrame* root = document()->rootFrame();
    for (QTextFrame::iterator it = root->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame())
            m_items.push_back({ frame->firstPosition() - 1, true, depthOf(frame) });
        else
            m_items.push_back({ it.currentBlock().position(), false });
    }
    std::vector<double> heights(m_items.size());
    for (size_t i = 0; i < heights.size(); ++i)
        heights[i] = estimate(int(i));
    m_heights.assign(heights);
    m_measured.assign(m_items.size(), false);
    m_first = 0;
    m_last = -1;
}

int WindowLayout::itemEnd(int item) const
{
    return size_t(item) + 1 < m_items.size() ? itemStart(item + 1) : document()->characterCount();
}

int WindowLayout::itemAt(int position) const
{
    auto it = std::upper_bound(m_items.begin(), m_items.end(), position,
        [](int p, const Item& item) { return p < item.position; });
    return it == m_items.begin() ? 0 : int(it - m_items.begin()) - 1;
}

qreal WindowLayout::estimate(int item) const
{
    const qreal characters = itemEnd(item) - itemStart(item);
    const qreal lines = 1 + std::floor(characters / m_charsPerLine);
    return m_items[size_t(item)].table ? lines * m_lineHeight * 1.5 + m_lineHeight
                                       : lines * m_lineHeight + m_lineHeight / 4;
}

qreal WindowLayout::heightBound(int item) const
{
    // Once laid out at this width, an item's height is known.
    if (m_measured[size_t(item)])
        return m_heights.height(size_t(item)) + m_lineHeight;
    // Every character on a line of its own, at the tallest line its paragraph can make: however
    // its paragraphs wrap, Qt cannot be asked for more.
    const QFont base = document()->defaultFont();
    qreal bound = 0;
    const int end = itemEnd(item);
    for (QTextBlock block = document()->findBlock(itemStart(item));
         block.isValid() && block.position() < end; block = block.next()) {
        qreal tallest = m_lineHeight;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            // Runs of the same format are many, formats few: each is measured once.
            const int index = it.fragment().charFormatIndex();
            auto known = m_tallest.constFind(index);
            if (known == m_tallest.constEnd())
                known = m_tallest.insert(index, tallestLine(it.fragment().charFormat(), base));
            tallest = std::max(tallest, *known);
        }
        const QTextBlockFormat format = block.blockFormat();
        bound += block.length() * spacedLine(format, tallest) + format.topMargin()
            + format.bottomMargin() + 2 * m_lineHeight;
    }
    return bound;
}

bool WindowLayout::fitsWhole() const
{
    qreal bound = 0;
    qint64 blocks = 0;
    for (int item = 0;
         item < int(m_items.size()) && bound <= WindowHeight && blocks <= WindowBlocks; ++item) {
        bound += heightBound(item);
        blocks += blocksOf(item);
    }
    return bound <= WindowHeight && blocks <= WindowBlocks;
}

void WindowLayout::clearWindow()
{
    if (m_last < m_first)
        return;
    const int end = windowEnd();
    for (QTextBlock block = document()->findBlock(itemStart(m_first));
         block.isValid() && block.position() < end; block = block.next()) {
        if (QTextLayout* layout = block.layout())
            layout->clearLayout();
    }
    m_last = m_first - 1;
}

void WindowLayout::placeWindow(int anchor, qreal top, qreal bottom)
{
    clearWindow();
    const int count = int(m_items.size());
    if (count == 0)
        return;
    anchor = std::clamp(anchor, 0, count - 1);
    // A document that fits in a window is laid out whole, as Qt would.
    if (document()->characterCount() <= WindowChars && fitsWhole()) {
        m_first = 0;
        m_last = count - 1;
        layoutWindow();
        return;
    }
    int first = anchor;
    int last = anchor;
    qint64 characters = itemEnd(anchor) - itemStart(anchor);
    qreal bound = heightBound(anchor);
    int blocks = blocksOf(anchor);
    const auto fits = [&](int item) {
        const qint64 more = itemEnd(item) - itemStart(item);
        const qreal taller = heightBound(item);
        const int moreBlocks = blocksOf(item);
        if (characters + more > WindowChars || bound + taller > WindowHeight
            || blocks + moreBlocks > WindowBlocks)
            return false;
        characters += more;
        bound += taller;
        blocks += moreBlocks;
        return true;
    };
    for (bool grew = true; grew;) {
        grew = false;
        if (last + 1 < count && m_heights.above(size_t(last) + 1) < bottom && fits(last + 1)) {
            ++last;
            grew = true;
        }
        if (first > 0 && m_heights.above(size_t(first)) > top && fits(first - 1)) {
            --first;
            grew = true;
        }
    }
    // The window begins and ends with a paragraph: a table is never cut, and there is always a
    // paragraph before and after one.
    while (first > 0 && m_items[size_t(first)].table)
        --first;
    while (last + 1 < count && m_items[size_t(last)].table)
        ++last;
    m_first = first;
    m_last = last;
    layoutWindow();
}

int WindowLayout::blocksOf(int item) const
{
    if (!m_items[size_t(item)].table)
        return 1;
    const QTextDocument* doc = document();
    const int blocks = doc->findBlock(itemEnd(item) - 1).blockNumber()
        - doc->findBlock(itemStart(item)).blockNumber() + 1;
    const int depth = std::clamp(m_items[size_t(item)].depth, 1, int(std::size(TableBlockWeight)));
    return blocks * TableBlockWeight[depth - 1];
}

qreal WindowLayout::shadowTop(int item) const
{
    if (item == m_first)
        return 0;
    const int position = itemStart(item) - m_base;
    QAbstractTextDocumentLayout* layout = m_shadow->documentLayout();
    if (m_items[size_t(item)].table) {
        QTextCursor at(m_shadow.get());
        at.setPosition(position + 1);
        if (QTextTable* table = at.currentTable())
            return layout->frameBoundingRect(table).top();
    }
    const QTextBlock block = m_shadow->findBlock(position);
    return layout->blockBoundingRect(block).top() - block.blockFormat().topMargin();
}

void WindowLayout::layoutWindow()
{
    QTextDocument* doc = document();
    m_base = itemStart(m_first);
    const int end = windowEnd() - 1; // the last paragraph's end is not copied
    QTextCursor range(doc);
    range.setPosition(m_base);
    range.setPosition(end, QTextCursor::KeepAnchor);
    const QTextDocumentFragment part(range);
    // Emptied rather than cleared: clearing would also forget the copy's defaults. The first
    // paragraph's own formats go first: a fragment that starts at a paragraph's start does not
    // carry them into the paragraph it is inserted in, and Qt does not lay a paragraph out again
    // when its own character format changes afterwards.
    // Its lines go first: the text engine goes over all of a paragraph's lines for each piece of
    // text removed from it.
    for (QTextBlock block = m_shadow->begin(); block.isValid(); block = block.next()) {
        if (QTextLayout* layout = block.layout())
            layout->clearLayout();
    }
    QTextCursor into(m_shadow.get());
    into.select(QTextCursor::Document);
    into.removeSelectedText();
    const QTextBlock first = doc->findBlock(m_base);
    into.setBlockFormat(first.blockFormat());
    into.setBlockCharFormat(first.charFormat());
    into.insertFragment(part);
    if (m_shadow->characterCount() != end - m_base + 1)
        qWarning("glimmer: the window's copy has %d characters where the document has %d",
            m_shadow->characterCount() - 1, end - m_base);

    QAbstractTextDocumentLayout* layout = m_shadow->documentLayout();
    layout->blockBoundingRect(m_shadow->lastBlock()); // lays the whole copy out
    const qreal height = layout->documentSize().height();
    qreal top = 0;
    for (int item = m_first; item <= m_last; ++item) {
        const qreal next
            = item < m_last ? std::max(top, shadowTop(item + 1)) : std::max(top, height);
        m_heights.set(size_t(item), next - top);
        m_measured[size_t(item)] = true;
        top = next;
    }
    copyLines();
}

QPointF WindowLayout::shift() const
{
    return QPointF(m_settings.margin, m_settings.margin + m_heights.above(size_t(m_first)));
}

void WindowLayout::copyLines()
{
    QAbstractTextDocumentLayout* layout = m_shadow->documentLayout();
    const QPointF offset = shift();
    QTextBlock own = document()->findBlock(m_base);
    for (QTextBlock copy = m_shadow->begin(); copy.isValid() && own.isValid();
         copy = copy.next(), own = own.next()) {
        const QTextLayout* from = copy.layout();
        QTextLayout* to = own.layout();
        to->setTextOption(from->textOption());
        to->beginLayout();
        for (int i = 0; i < from->lineCount(); ++i) {
            const QTextLine source = from->lineAt(i);
            QTextLine line = to->createLine();
            if (!line.isValid())
                break;
            line.setLeadingIncluded(source.leadingIncluded());
            line.setLineWidth(source.width());
            line.setPosition(source.position());
        }
        to->endLayout();
        to->setPosition(layout->blockBoundingRect(copy).topLeft() + offset);
    }
}

bool WindowLayout::windowHolds(int position) const
{
    ensureWindow();
    return m_last >= m_first && position >= m_base && position < windowEnd();
}

QTextBlock WindowLayout::shadowBlock(const QTextBlock& block) const
{
    return m_shadow->findBlock(block.position() - m_base);
}

qreal WindowLayout::showArea(qreal top, qreal height)
{
    ensureWindow();
    const qreal windowTop = m_settings.margin + m_heights.above(size_t(m_first));
    const qreal windowBottom = m_settings.margin + m_heights.above(size_t(m_last) + 1);
    const qreal total = m_settings.margin + m_heights.total();
    const qreal from = std::max<qreal>(top - height / 2, 0);
    const qreal to = std::min(top + height * 3 / 2, total);
    if (m_last >= m_first && from >= windowTop - 0.5 && to <= windowBottom + 0.5)
        return top;
    // What the view shows at its top stays there: the item and how far into it.
    const int anchor = int(m_heights.partAt(std::max<qreal>(top - m_settings.margin, 0)));
    const qreal into = std::clamp<qreal>(top - m_settings.margin - m_heights.above(size_t(anchor)),
        0, m_heights.height(size_t(anchor)));
    const qreal fraction
        = m_heights.height(size_t(anchor)) > 0 ? into / m_heights.height(size_t(anchor)) : 0;
    placeWindow(anchor, top - m_settings.margin - height, top - m_settings.margin + 2 * height);
    // A measured item keeps the same share of it at the top.
    const qreal newTop = m_settings.margin + m_heights.above(size_t(anchor))
        + fraction * m_heights.height(size_t(anchor));
    Q_EMIT documentSizeChanged(documentSize());
    Q_EMIT update();
    return newTop;
}

void WindowLayout::showPosition(int position)
{
    if (windowHolds(position))
        return;
    const int item = itemAt(position);
    const qreal top = m_heights.above(size_t(item));
    placeWindow(item, top - 40 * m_lineHeight, top + 80 * m_lineHeight);
    Q_EMIT documentSizeChanged(documentSize());
    Q_EMIT update();
}

void WindowLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    // Setting the page size, the default font or the text options asks for all of it to be
    // laid out again (as all of it added), and the view sets them many times over to the same.
    if (from == 0 && charsRemoved == 0 && charsAdded == document()->characterCount()
        && !m_items.empty() && document()->blockCount() == m_blockCount
        && settingsOf(document()) == m_settings)
        return;
    const qreal oldWidth = m_settings.width;
    if (m_last >= m_first)
        m_anchor = m_base;
    updateMetrics();
    // A change of characters moves the items after it; a change of width changes every height.
    // Formats alone (the marks of a search) change only the window, laid out again as it
    // stands. Either way it is laid out when it is next needed, once for many changes.
    const bool sameItems = charsRemoved == charsAdded && oldWidth == m_settings.width
        && !m_items.empty() && document()->blockCount() == m_blockCount;
    if (!sameItems) {
        clearWindow();
        rebuildItems();
        m_dirty = true;
    } else if (m_last >= m_first && from < windowEnd() && from + charsAdded >= m_base) {
        clearWindow();
        m_dirty = true;
    }
    Q_EMIT documentSizeChanged(sizeNow());
    Q_EMIT update();
}

void WindowLayout::setWindowAside()
{
    if (m_last >= m_first)
        m_anchor = m_base;
    clearWindow();
    m_dirty = true;
}

void WindowLayout::ensureWindow() const
{
    if (!m_dirty)
        return;
    auto* self = const_cast<WindowLayout*>(this);
    self->m_dirty = false;
    const int item = itemAt(std::clamp(m_anchor, 0, std::max(document()->characterCount() - 1, 0)));
    const qreal top = m_heights.above(size_t(item));
    self->placeWindow(item, top - 40 * m_lineHeight, top + 80 * m_lineHeight);
    // Told after the caller is done: heights measured now move what comes after.
    QMetaObject::invokeMethod(
        self, [self] { Q_EMIT self->documentSizeChanged(self->sizeNow()); }, Qt::QueuedConnection);
}

QSizeF WindowLayout::documentSize() const
{
    ensureWindow();
    return sizeNow();
}

QSizeF WindowLayout::sizeNow() const
{
    const qreal copyWidth
        = m_shadow->documentLayout()->documentSize().width() + 2 * m_settings.margin;
    return QSizeF(std::max(m_settings.width, copyWidth), 2 * m_settings.margin + m_heights.total());
}

void WindowLayout::draw(QPainter* painter, const PaintContext& context)
{
    ensureWindow();
    if (m_last < m_first)
        return;
    const QPointF offset = shift();
    const int length = m_shadow->characterCount() - 1;
    PaintContext shadowContext;
    shadowContext.palette = context.palette;
    shadowContext.clip = context.clip.isNull() ? context.clip : context.clip.translated(-offset);
    shadowContext.cursorPosition
        = windowHolds(context.cursorPosition) ? context.cursorPosition - m_base : -1;
    for (const Selection& selection : context.selections) {
        const int start = std::clamp(selection.cursor.selectionStart() - m_base, 0, length);
        const int end = std::clamp(selection.cursor.selectionEnd() - m_base, 0, length);
        const bool fullWidth = selection.format.boolProperty(QTextFormat::FullWidthSelection);
        if (start == end && !(fullWidth && windowHolds(selection.cursor.position())))
            continue;
        Selection copy;
        copy.cursor = QTextCursor(m_shadow.get());
        copy.cursor.setPosition(start);
        copy.cursor.setPosition(end, QTextCursor::KeepAnchor);
        copy.format = selection.format;
        shadowContext.selections.append(copy);
    }
    painter->save();
    painter->translate(offset);
    m_shadow->documentLayout()->draw(painter, shadowContext);
    painter->restore();
}

int WindowLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    ensureWindow();
    if (m_last < m_first)
        return -1;
    const QPointF at = point - shift();
    const qreal height = m_shadow->documentLayout()->documentSize().height();
    if (at.y() < 0)
        return accuracy == Qt::ExactHit ? -1 : m_base;
    if (at.y() >= height)
        return accuracy == Qt::ExactHit ? -1 : m_base + m_shadow->characterCount() - 1;
    const int hit = m_shadow->documentLayout()->hitTest(at, accuracy);
    return hit < 0 ? -1 : hit + m_base;
}

QRectF WindowLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!block.isValid())
        return QRectF();
    ensureWindow();
    if (windowHolds(block.position())) {
        const QTextLayout* layout = block.layout();
        QRectF rect = layout->boundingRect();
        rect.moveTopLeft(layout->position());
        return rect;
    }
    const int item = itemAt(block.position());
    return QRectF(m_settings.margin, m_settings.margin + m_heights.above(size_t(item)),
        std::max<qreal>(m_settings.width - 2 * m_settings.margin, 0),
        m_heights.height(size_t(item)));
}

QRectF WindowLayout::frameBoundingRect(QTextFrame* frame) const
{
    if (frame == document()->rootFrame())
        return QRectF(QPointF(0, 0), documentSize());
    ensureWindow();
    if (windowHolds(frame->firstPosition())) {
        QTextCursor at(m_shadow.get());
        at.setPosition(frame->firstPosition() - m_base);
        if (QTextFrame* copy = at.currentFrame())
            return m_shadow->documentLayout()->frameBoundingRect(copy).translated(shift());
    }
    const int item = itemAt(frame->firstPosition());
    return QRectF(m_settings.margin, m_settings.margin + m_heights.above(size_t(item)),
        std::max<qreal>(m_settings.width - 2 * m_settings.margin, 0),
        m_heights.height(size_t(item)));
}
