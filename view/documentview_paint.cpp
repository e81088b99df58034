// What RTF documents draw that the text engine cannot: tab leaders, the dots (or lines) a tab
// draws up to its stop as tables of contents have them, the borders of paragraphs, the labels of
// list items whose files carry none as text, the check boxes of forms, and the characters blocks
// were ended at. They are painted over the text here; the document holds only its text, as the
// file does.
#include "content/properties.h"
#include "view/documenttext.h"
#include "view/documentview.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <cmath>

namespace {

using Leader = Content::ParaProps::TabLeader;

// The leader of the stop a tab starting at x (from the line's start) reaches: the first stop
// past it.
Leader leaderAt(const QList<QTextOption::Tab>& stops, const QVariantList& leaders, qreal x)
{
    for (const QTextOption::Tab& tab : stops) {
        if (tab.position <= x + 0.5)
            continue;
        for (const QVariant& leader : leaders) {
            const QPointF stop = leader.toPointF();
            if (qAbs(stop.x() - tab.position) < 0.5)
                return Leader(int(stop.y()));
        }
        return Leader::NoLeader;
    }
    return Leader::NoLeader;
}

void drawLeader(QPainter& painter, Leader leader, qreal from, qreal to, qreal baseline,
    const QFontMetricsF& metrics)
{
    const qreal gap = std::ceil(metrics.horizontalAdvance(QLatin1Char(' ')) / 2);
    from += gap;
    to -= gap;
    if (to <= from)
        return;
    switch (leader) {
    case Leader::Dots:
    case Leader::MiddleDots: {
        const qreal step = std::max<qreal>(3, metrics.horizontalAdvance(QLatin1Char('.')));
        const qreal y = leader == Leader::Dots ? baseline - 1 : baseline - metrics.xHeight() / 2;
        const qreal dot = std::max<qreal>(1, std::round(metrics.height() / 14));
        // Dots line up from stop to stop, whatever the text before them.
        for (qreal x = std::ceil(from / step) * step; x + dot <= to; x += step)
            painter.fillRect(QRectF(x, y - dot + 1, dot, dot), painter.pen().color());
        return;
    }
    case Leader::Hyphens: {
        const qreal step = std::max<qreal>(4, metrics.horizontalAdvance(QLatin1Char('-')) * 1.5);
        const qreal y = baseline - metrics.xHeight() / 2;
        for (qreal x = std::ceil(from / step) * step; x + step / 2 <= to; x += step)
            painter.drawLine(QPointF(x, y), QPointF(x + step / 2, y));
        return;
    }
    case Leader::Underline:
    case Leader::ThickLine: {
        QPen pen = painter.pen();
        pen.setWidthF(leader == Leader::ThickLine ? 2 : 1);
        painter.setPen(pen);
        painter.drawLine(QPointF(from, baseline + 1), QPointF(to, baseline + 1));
        return;
    }
    case Leader::Equals:
        painter.drawLine(QPointF(from, baseline - 2), QPointF(to, baseline - 2));
        painter.drawLine(QPointF(from, baseline - 4), QPointF(to, baseline - 4));
        return;
    case Leader::NoLeader:
        return;
    }
}

// The sides of a paragraph's text, a little outside it and inside the view.
// Paragraphs in a row with the same borders share one box, as word processors draw them: the
// top is left to the first of them, the bottom to the last, and the sides run across the space
// between them.
struct BoxJoins {
    bool above = false;
    bool below = false;
    qreal top = 0; // where the box begins when it joins the paragraph above
};

void drawBorders(QPainter& painter, const QVariantList& sides, const QRectF& text,
    const QRectF& inside, const BoxJoins& joins)
{
    QRectF box = text.adjusted(-2, -1, 2, 1).intersected(inside.adjusted(1, 0, -1, 0));
    if (joins.above)
        box.setTop(joins.top);
    const QLineF lines[] = { { box.topLeft(), box.topRight() }, { box.topLeft(), box.bottomLeft() },
        { box.bottomLeft(), box.bottomRight() }, { box.topRight(), box.bottomRight() } };
    for (int i = 0; i < 4 && i < sides.size(); ++i) {
        if ((i == 0 && joins.above) || (i == 2 && joins.below))
            continue;
        const QVariantList side = sides[i].toList();
        if (side.size() < 3)
            continue;
        QPen pen(side[2].value<QColor>(), side[1].toReal());
        switch (Content::Border::Style(side[0].toInt())) {
        case Content::Border::Dotted:
            pen.setStyle(Qt::DotLine);
            break;
        case Content::Border::Dashed:
            pen.setStyle(Qt::DashLine);
            break;
        case Content::Border::Thick:
            pen.setWidthF(qMax<qreal>(2, pen.widthF()));
            break;
        default:
            break;
        }
        painter.setPen(pen);
        painter.drawLine(lines[i]);
        if (Content::Border::Style(side[0].toInt()) == Content::Border::Double) {
            // The second line inside the first.
            const QPointF inward[] = { { 0, 2 }, { 2, 0 }, { 0, -2 }, { -2, 0 } };
            painter.drawLine(lines[i].translated(inward[i] * pen.widthF()));
        }
    }
}

// The second line of a double underline, or the thickness of a thick one, under a run of text.
void drawExtraUnderlines(QPainter& painter, const QTextBlock& block, const QPointF& origin,
    const QColor& text, const QFont& documentFont)
{
    const QTextLayout* layout = block.layout();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!format.hasProperty(DocumentText::ExtraUnderline))
            continue;
        const bool thick
            = format.intProperty(DocumentText::ExtraUnderline) == int(Content::CharProps::Thick);
        const QFontMetricsF metrics(format.font().resolve(documentFont));
        const qreal width = std::max<qreal>(1, std::round(metrics.lineWidth()));
        QPen pen(
            format.foreground().style() == Qt::NoBrush ? text : format.foreground().color(), width);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        const int from = fragment.position() - block.position();
        const int to = from + fragment.length();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int start = std::max(from, line.textStart());
            const int end = std::min(to, line.textStart() + line.textLength());
            if (end <= start)
                continue;
            // The engine's line lies at the underline position; the second one below it.
            const qreal y = origin.y() + line.y() + line.ascent() + metrics.underlinePos()
                + width * (thick ? 1 : 2) + width / 2;
            painter.drawLine(QPointF(origin.x() + line.cursorToX(start), y),
                QPointF(origin.x() + line.cursorToX(end), y));
        }
    }
}

// The character a block was ended at, where it is not a space: the writer ends a run too long to
// be laid out whole at a character when it has no space to end it at, and the text engine draws
// nothing for a block's end. It is drawn after the block's last line, in its own format (the
// format of a block's end is the next block's character format), marks of a search included.
void drawEndCharacter(QPainter& painter, const QTextBlock& block, char16_t character,
    const QPointF& origin, const QTextCharFormat& format, const QColor& color,
    const QFont& documentFont)
{
    const QTextLayout* layout = block.layout();
    const int end = block.length() - 1;
    const QTextLine line = layout->lineForTextPosition(end);
    if (!line.isValid())
        return;
    painter.setFont(format.font().resolve(documentFont));
    painter.setPen(color);
    painter.drawText(
        QPointF(origin.x() + line.cursorToX(end), origin.y() + line.y() + line.ascent()),
        QString(QChar(character)));
}

// A form's check box in the room left for it from x on, standing on the baseline.
void drawCheckBox(
    QPainter& painter, const QVariantList& box, qreal x, qreal baseline, const QColor& color)
{
    if (box.size() < 3)
        return;
    const qreal side = box[1].toReal();
    const qreal gap = box[2].toReal();
    const QRectF square(x + gap + 0.5, baseline - side + 0.5, side - 1, side - 1);
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(square);
    if (box[0].toBool()) {
        painter.drawLine(square.topLeft(), square.bottomRight());
        painter.drawLine(square.topRight(), square.bottomLeft());
    }
}

qreal roomOf(const QVariantList& box)
{
    return box.size() < 3 ? 0 : box[1].toReal() + 2 * box[2].toReal();
}

// The label of a list item and a check box in front of the first line, and the check boxes after
// the characters that have them.
void drawListMarks(
    QPainter& painter, const QTextBlock& block, const QPointF& origin, const QColor& text)
{
    const QTextLayout* layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    const QTextLine first = layout->lineAt(0);
    const qreal start = origin.x() + first.cursorToX(0);
    const qreal baseline = origin.y() + first.y() + first.ascent();
    const QVariantList label = format.property(DocumentText::ListLabel).toList();
    if (label.size() >= 4) {
        const QColor color = label[2].value<QColor>();
        painter.setPen(color.isValid() ? color : text);
        painter.setFont(label[1].value<QFont>());
        painter.drawText(QPointF(start + label[3].toReal(), baseline), label[0].toString());
    }
    const QVariantList box = format.property(DocumentText::CheckBox).toList();
    if (!box.isEmpty())
        drawCheckBox(painter, box, start - roomOf(box), baseline, text);
    if (!format.boolProperty(DocumentText::HasCheckBoxes))
        return;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat chars = fragment.charFormat();
        const QVariantList after = chars.property(DocumentText::CheckBox).toList();
        if (after.isEmpty())
            continue;
        const QColor color
            = chars.foreground().style() == Qt::NoBrush ? text : chars.foreground().color();
        for (int i = fragment.position(); i < fragment.position() + fragment.length(); ++i) {
            const int at = i - block.position();
            const QTextLine line = layout->lineForTextPosition(at);
            if (!line.isValid())
                continue;
            drawCheckBox(painter, after, origin.x() + line.cursorToX(at + 1) - roomOf(after),
                origin.y() + line.y() + line.ascent(), color);
        }
    }
}

BoxJoins boxJoins(const QTextBlock& block, const QVariantList& borders, const QPointF& offset)
{
    BoxJoins joins;
    const auto sameBox = [&](const QTextBlock& other) {
        return other.isValid() && other.layout()
            && other.blockFormat().property(DocumentText::ParagraphBorders).toList() == borders;
    };
    const QTextBlock previous = block.previous();
    joins.above = sameBox(previous);
    joins.below = sameBox(block.next());
    if (joins.above) {
        const QTextLayout* layout = previous.layout();
        joins.top = layout->boundingRect().translated(layout->position() + offset).bottom() + 1;
    }
    return joins;
}

} // namespace

void DocumentView::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    const QTextDocument* doc = document();
    if (doc->property(DocumentText::HasTabLeaders).toBool()
        || doc->property(DocumentText::HasParagraphBorders).toBool()
        || doc->property(DocumentText::HasExtraUnderlines).toBool()
        || doc->property(DocumentText::HasListMarks).toBool()
        || doc->property(DocumentText::HasCharacterEnds).toBool())
        paintDecorations(event->rect());
}

void DocumentView::paintDecorations(const QRect& area)
{
    const QPointF offset(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    QTextBlock block = cursorForPosition(area.topLeft()).block();
    const QTextBlock last = cursorForPosition(area.bottomRight()).block();
    QPainter painter(viewport());
    painter.setClipRect(area);
    for (; block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const QVariantList leaders = format.property(DocumentText::TabLeaders).toList();
        const QTextLayout* layout = block.layout();
        const QVariantList borders = format.property(DocumentText::ParagraphBorders).toList();
        if (layout && document()->property(DocumentText::HasExtraUnderlines).toBool())
            drawExtraUnderlines(painter, block, layout->position() + offset,
                palette().color(QPalette::Text), document()->defaultFont());
        if (layout && layout->lineCount() > 0
            && document()->property(DocumentText::HasListMarks).toBool())
            drawListMarks(
                painter, block, layout->position() + offset, palette().color(QPalette::Text));
        const char16_t end = DocumentText::endCharacter(block);
        if (end && !QChar::isSpace(end) && layout && layout->lineCount() > 0) {
            const QTextCharFormat endFormat = block.next().charFormat();
            drawEndCharacter(painter, block, end, layout->position() + offset, endFormat,
                colorAt(endFormat), document()->defaultFont());
        }
        if (!borders.isEmpty() && layout)
            drawBorders(painter, borders,
                layout->boundingRect().translated(layout->position() + offset),
                QRectF(viewport()->rect()).adjusted(0, -1e6, 0, 1e6),
                boxJoins(block, borders, offset));
        if (!leaders.isEmpty() && layout && layout->lineCount() > 0) {
            const QString text = block.text();
            const QPointF origin = layout->position() + offset;
            // Read once a paragraph: the format hands out a new list at every call.
            const QList<QTextOption::Tab> stops = format.tabPositions();
            // The fragments are walked along with the tabs, which come in their order.
            QTextBlock::iterator fragment = block.begin();
            for (qsizetype i = text.indexOf(u'\t'); i >= 0; i = text.indexOf(u'\t', i + 1)) {
                const QTextLine line = layout->lineForTextPosition(int(i));
                // Only the rows being painted: a paragraph may hold thousands of tabs.
                const qreal top = origin.y() + line.y();
                if (top > area.bottom())
                    break;
                if (top + line.height() < area.top())
                    continue;
                const qreal from = line.cursorToX(int(i));
                const Leader leader = leaderAt(stops, leaders, from - line.x());
                if (leader == Leader::NoLeader)
                    continue;
                const int at = block.position() + int(i);
                while (!fragment.atEnd()
                    && fragment.fragment().position() + fragment.fragment().length() <= at)
                    ++fragment;
                const QTextCharFormat chars
                    = fragment.atEnd() ? block.charFormat() : fragment.fragment().charFormat();
                painter.setPen(colorAt(chars));
                drawLeader(painter, leader, origin.x() + from,
                    origin.x() + line.cursorToX(int(i) + 1), origin.y() + line.y() + line.ascent(),
                    QFontMetricsF(chars.font().resolve(document()->defaultFont())));
            }
        }
        if (block == last)
            break;
    }
}
