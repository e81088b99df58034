#include "view/paragraphmarks.h"

#include "forms/units.h"
#include "view/documenttext.h"
#include "view/layoutbudget.h"
#include "view/textformats.h"

#include <QColor>
#include <QFontMetricsF>
#include <QVariantList>
#include <cmath>

using Content::ListLabel;

void ParagraphMarks::setLabel(const ListLabel& label)
{
    m_label = label;
    m_hasLabel = true;
}

void ParagraphMarks::addCheckBox(
    qsizetype at, bool checked, const Content::CharProps& chars, const QFont& documentFont)
{
    // A box a little smaller than the text's capitals, as word processors draw a form's.
    const QFontMetricsF metrics(m_formats->charFormat(chars).font().resolve(documentFont));
    const qreal side = std::max<qreal>(6, std::round(metrics.ascent() * 0.8));
    const qreal gap = std::max<qreal>(1, std::round(side / 6));
    // Two boxes with no text between them are one.
    if (!m_boxes.empty() && m_boxes.back().at == at)
        return;
    m_boxes.push_back({ at, checked, side, gap });
    if (at > 0)
        m_after.push_back(at - 1);
}

void ParagraphMarks::clear()
{
    m_hasLabel = false;
    m_boxes.clear();
    m_after.clear();
}

qreal ParagraphMarks::alignedStart(qreal base, qreal width) const
{
    // The label's own alignment is about the first line's indent: a right-aligned label ends
    // there, a centred one stands across it. Nothing goes left of the margin.
    switch (m_label.align) {
    case ListLabel::Right:
        return std::max<qreal>(0, base - width);
    case ListLabel::Center:
        return std::max<qreal>(0, base - width / 2);
    case ListLabel::Left:
        break;
    }
    return base;
}

ParagraphMarks::Placed ParagraphMarks::placeComputedLabel(const Content::ParaProps& para,
    qreal base, const Content::CharProps& firstChars, const QFont& documentFont,
    QTextBlockFormat& format) const
{
    Content::CharProps chars = firstChars;
    if (m_label.font >= 0)
        chars.font = m_label.font;
    const QTextCharFormat charFormat = m_formats->charFormat(chars);
    const QFont font = charFormat.font().resolve(documentFont);
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(m_label.text);
    const qreal start = alignedStart(base, width);
    const qreal end = start + width;
    // The text goes on after the label as its level says: at the next tab stop (the hanging
    // indent, mostly), after a space, or right after it.
    qreal textStart = end;
    if (m_label.follow == ListLabel::Tab)
        textStart = m_formats->nextStopAfter(para, end);
    else if (m_label.follow == ListLabel::Space)
        textStart = end + metrics.horizontalAdvance(QLatin1Char(' '));
    textStart = std::max<qreal>(
        textStart, Units::px(qBound(0, m_label.textFrom, LayoutBudget::MaxTwips)));
    const QColor color = charFormat.foreground().style() == Qt::NoBrush
        ? QColor()
        : charFormat.foreground().color();
    format.setProperty(DocumentText::ListLabel, QVariantList { m_label.text, font, color, start });
    return { start, textStart };
}

void ParagraphMarks::place(QTextBlockFormat& format, const Content::ParaProps& para,
    const std::vector<Segment>& fileLabel, const Content::CharProps& firstChars,
    const QFont& documentFont)
{
    if (isEmpty())
        return;
    m_madeMarks = true;
    const qreal base = format.leftMargin() + format.textIndent();
    qreal textStart = base;
    qreal labelStart = -1;
    if (m_hasLabel && !m_label.text.isEmpty()) {
        const Placed placed = placeComputedLabel(para, base, firstChars, documentFont, format);
        labelStart = placed.start;
        textStart = placed.textStart;
    } else if (m_hasLabel && m_label.align != ListLabel::Left && !fileLabel.empty()) {
        // The file's label is text: the first line starts where the label has to begin. What
        // parts it from the text (its tab, or a space) is not measured.
        qreal width = 0;
        for (size_t i = 0; i < fileLabel.size(); ++i) {
            QStringView text = fileLabel[i].text;
            if (i + 1 == fileLabel.size()) {
                while (!text.isEmpty() && (text.back() == u'\t' || text.back() == u' '))
                    text.chop(1);
            }
            width += QFontMetricsF(
                m_formats->charFormat(fileLabel[i].chars).font().resolve(documentFont))
                         .horizontalAdvance(text.toString());
        }
        textStart = alignedStart(base, width);
    }
    if (!m_boxes.empty() && m_boxes.front().at == 0) {
        const Box& box = m_boxes.front();
        format.setProperty(DocumentText::CheckBox, QVariantList { box.checked, box.side, box.gap });
        textStart += box.side + 2 * box.gap;
    }
    const qreal limit = Units::px(LayoutBudget::MaxTwips);
    const qreal shift = qBound(-limit, textStart - base, limit);
    m_formats->shiftFirstLine(format, para, shift);
    if (labelStart >= 0) {
        // The label's place is kept from the first line's start, wherever alignment puts that.
        QVariantList label = format.property(DocumentText::ListLabel).toList();
        label[3] = labelStart - (base + shift);
        format.setProperty(DocumentText::ListLabel, label);
    }
    if (!m_after.empty())
        format.setProperty(DocumentText::HasCheckBoxes, true);
}

QTextCharFormat ParagraphMarks::boxAfter(QTextCharFormat format, qsizetype character) const
{
    for (const Box& box : m_boxes) {
        if (box.at != character + 1)
            continue;
        // The room the box takes is spacing after the character before it.
        const qreal spacing = format.fontLetterSpacingType() == QFont::AbsoluteSpacing
                && format.hasProperty(QTextFormat::FontLetterSpacing)
            ? format.fontLetterSpacing()
            : 0;
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(spacing + box.side + 2 * box.gap);
        format.setProperty(DocumentText::CheckBox, QVariantList { box.checked, box.side, box.gap });
        break;
    }
    return format;
}
