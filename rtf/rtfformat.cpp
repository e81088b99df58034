#include "rtf/rtfformat.h"

#include "forms/units.h"

namespace Rtf {

FontEntry& Formats::font(int number)
{
    m_haveLast = false;
    if (m_fonts.size() >= MaxFonts && !m_fonts.contains(number)) {
        m_spareFont = FontEntry();
        return m_spareFont;
    }
    return m_fonts[number];
}

int Formats::codePageOf(int font) const
{
    const auto found = m_fonts.constFind(font);
    return found == m_fonts.cend() ? 0 : found->codePage;
}

void Formats::setColorComponent(int shift, int value)
{
    const int v = qBound(0, value, 255);
    if (shift == 0)
        m_red = v;
    else if (shift == 8)
        m_green = v;
    else
        m_blue = v;
}

void Formats::startColorTable()
{
    m_colors.clear();
    m_red = m_green = m_blue = -1;
    m_haveLast = false;
}

void Formats::endColorTable()
{
    // The last entry may lack its ';'.
    if (m_red >= 0 || m_green >= 0 || m_blue >= 0)
        endColor();
}

void Formats::endColor()
{
    if (m_colors.size() >= MaxColors) {
        m_red = m_green = m_blue = -1;
        return;
    }
    if (m_red < 0 && m_green < 0 && m_blue < 0)
        m_colors.append(QColor());
    else
        m_colors.append(QColor(qMax(0, m_red), qMax(0, m_green), qMax(0, m_blue)));
    m_red = m_green = m_blue = -1;
    m_haveLast = false;
}

QColor Formats::color(int index) const
{
    if (index <= 0 || index >= m_colors.size())
        return QColor();
    return m_colors.at(index);
}

QTextCharFormat Formats::charFormat(const CharState& s)
{
    if (m_haveLast && s == m_lastState)
        return m_lastFormat;
    QTextCharFormat f;
    const auto font = m_fonts.constFind(s.font);
    if (font != m_fonts.cend() && !font->name.isEmpty())
        f.setFontFamilies({ font->name });
    if (s.halfPoints > 0)
        f.setFontPointSize(qBound(1, s.halfPoints, 3276) / 2.0);
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.italic)
        f.setFontItalic(true);
    if (s.underline)
        f.setFontUnderline(true);
    if (s.strike)
        f.setFontStrikeOut(true);
    if (s.vertical == CharState::Super)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical == CharState::Sub)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    const QColor fg = color(s.color);
    if (fg.isValid())
        f.setForeground(fg);
    const QColor bg = color(s.highlight);
    if (bg.isValid())
        f.setBackground(bg);
    m_lastState = s;
    m_lastFormat = f;
    m_haveLast = true;
    return f;
}

QTextBlockFormat Formats::blockFormat(const ParaState& s)
{
    if (m_haveLastPara && s == m_lastPara)
        return m_lastBlockFormat;
    QTextBlockFormat f;
    switch (s.align) {
    case ParaState::Left:
        f.setAlignment(Qt::AlignLeft);
        break;
    case ParaState::Center:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case ParaState::Right:
        f.setAlignment(Qt::AlignRight);
        break;
    case ParaState::Justify:
        f.setAlignment(Qt::AlignJustify);
        break;
    }
    // Indents far outside a page are damage, not layout.
    constexpr int limit = 1440 * 22;
    f.setLeftMargin(Units::px(qBound(0, s.leftIndent, limit)));
    f.setRightMargin(Units::px(qBound(0, s.rightIndent, limit)));
    f.setTextIndent(Units::px(qBound(-limit, s.firstIndent, limit)));
    f.setTopMargin(Units::px(qBound(0, s.spaceBefore, limit)));
    f.setBottomMargin(Units::px(qBound(0, s.spaceAfter, limit)));
    m_lastPara = s;
    m_lastBlockFormat = f;
    m_haveLastPara = true;
    return f;
}

} // namespace Rtf
