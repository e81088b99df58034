#include "rtf/rtfformat.h"

#include "forms/units.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfsymbolfonts.h"
#include "rtf/rtfsystemfaces.h"

#include <QList>
#include <QTextOption>
#include <algorithm>

namespace Rtf {

FontEntry& Formats::font(int number)
{
    forgetFormats();
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

std::uint8_t Formats::symbolFaceOf(int font) const
{
    const auto found = m_fonts.constFind(font);
    return found == m_fonts.cend() ? 0 : found->symbolFace;
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
    forgetFormats();
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
    forgetFormats();
}

QColor Formats::color(int index) const
{
    if (index <= 0 || index >= m_colors.size())
        return QColor();
    return m_colors.at(index);
}

namespace {

    // Faces with the signs and pictographs symbol fonts are turned into.
    const QStringList& symbolFamilies()
    {
        static const QStringList families { QStringLiteral("DejaVu Sans"),
            QStringLiteral("Noto Sans Symbols2"), QStringLiteral("Noto Sans Symbols"),
            QStringLiteral("Symbola") };
        return families;
    }

    // The generic family fontconfig knows for a style hint: the last resort of a run's faces.
    QString genericFamily(QFont::StyleHint hint, bool fixed)
    {
        if (fixed || hint == QFont::TypeWriter)
            return QStringLiteral("monospace");
        if (hint == QFont::Serif)
            return QStringLiteral("serif");
        if (hint == QFont::Cursive)
            return QStringLiteral("cursive");
        if (hint == QFont::Fantasy)
            return QStringLiteral("fantasy");
        return QStringLiteral("sans-serif");
    }

    bool isDosFace(const FontEntry& font)
    {
        return font.codePage == CodePage::Oem
            || font.name.compare(QLatin1String("Terminal"), Qt::CaseInsensitive) == 0;
    }

    void setUnderline(QTextCharFormat& f, CharState::Underline underline)
    {
        switch (underline) {
        case CharState::NoLine:
            return;
        case CharState::Single:
        case CharState::Double: // drawn single: the view has no double line
        case CharState::Thick:
        case CharState::Words:
            f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
            return;
        case CharState::Dotted:
            f.setUnderlineStyle(QTextCharFormat::DotLine);
            return;
        case CharState::Dash:
            f.setUnderlineStyle(QTextCharFormat::DashUnderline);
            return;
        case CharState::DashDot:
            f.setUnderlineStyle(QTextCharFormat::DashDotLine);
            return;
        case CharState::DashDotDot:
            f.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
            return;
        case CharState::Wave:
            f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            return;
        }
    }

} // namespace

void Formats::setFace(QTextCharFormat& f, const CharState& s) const
{
    const auto font = m_fonts.constFind(s.font);
    if (font == m_fonts.cend() || isDosFace(*font))
        return; // the view's own face
    QStringList families;
    QFont::StyleHint hint = font->hint;
    bool fixed = font->pitch == 1 || (font->pitch == 0 && hint == QFont::TypeWriter);
    if (font->symbolFace != SymbolFont::None) {
        families = symbolFamilies();
        hint = QFont::SansSerif;
        fixed = false;
    } else {
        // The face the system draws for the name, its alternative or the font's class, found
        // the way the system finds it for any program: the text engine left to itself would
        // take the first face it has for a name it does not know.
        QStringList names;
        if (!font->name.isEmpty())
            names << font->name;
        if (!font->altName.isEmpty())
            names << font->altName;
        const QString face = SystemFaces::resolve(names, hint, fixed);
        families << (face.isEmpty() ? names : QStringList { face }) << genericFamily(hint, fixed);
    }
    // Every property the view's face would otherwise lend is set: its fixed pitch would make
    // the system pick a monospace face for any name it does not have.
    f.setFontFamilies(families);
    // Shaping is left to the scripts that need it, as for the view's own face: kerning Latin
    // text made documents twice as slow to lay out.
    f.setFontStyleHint(hint, QFont::StyleStrategy(QFont::PreferDefault | QFont::PreferNoShaping));
    f.setFontFixedPitch(fixed);
}

void Formats::setDefaultTab(int twips)
{
    m_defaultTab = qBound(15, twips, 1440 * 22);
    m_haveLastPara = false;
}

QTextCharFormat Formats::charFormat(const CharState& s)
{
    if (m_haveLast && s == m_lastState)
        return m_lastFormat;
    const auto made = m_made.constFind(s);
    if (made != m_made.cend()) {
        m_lastState = s;
        m_lastFormat = *made;
        m_haveLast = true;
        return m_lastFormat;
    }
    QTextCharFormat f;
    setFace(f, s);
    if (s.halfPoints > 0)
        f.setFontPointSize(qBound(1, s.halfPoints, CharState::MaxHalfPoints) / 2.0);
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.italic)
        f.setFontItalic(true);
    setUnderline(f, s.underline);
    if (s.caps == CharState::AllCaps)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (s.caps == CharState::SmallCaps)
        f.setFontCapitalization(QFont::SmallCaps);
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
    // Damaged documents can ask for any number of formats; the cache stays small.
    if (m_made.size() < 4096)
        m_made.insert(s, f);
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
    if (s.lineSpacing != 0 && s.lineMultiple)
        f.setLineHeight(qAbs(s.lineSpacing) * 100.0 / 240, QTextBlockFormat::ProportionalHeight);
    else if (s.lineSpacing > 0)
        f.setLineHeight(Units::px(s.lineSpacing), QTextBlockFormat::MinimumHeight);
    else if (s.lineSpacing < 0)
        f.setLineHeight(Units::px(-s.lineSpacing), QTextBlockFormat::FixedHeight);
    // Paragraphs without stops of their own use the view's: a list of stops in every paragraph
    // format makes the document twice as slow to build and lay out.
    if (s.tabCount > 0 || s.firstIndent < 0)
        setTabs(f, s);
    m_lastPara = s;
    m_lastBlockFormat = f;
    m_haveLastPara = true;
    return f;
}

void Formats::setTabs(QTextBlockFormat& f, const ParaState& s) const
{
    // Stops are measured from the margin, the view's from where the paragraph's first line
    // starts (its indents). After the paragraph's own stops come the document's default ones, as
    // far as a wide page reaches.
    constexpr int pageWidth = 1440 * 22;
    constexpr int defaultStopsEnd = 1440 * 11;
    const int indent = qBound(0, s.leftIndent, pageWidth);
    const int origin = qBound(0, indent + qBound(-pageWidth, s.firstIndent, pageWidth), pageWidth);
    QList<QTextOption::Tab> tabs;
    // A hanging first line has a stop of its own where the other lines start.
    int last = origin;
    if (indent > origin) {
        tabs.append(QTextOption::Tab(Units::px(indent - origin), QTextOption::LeftTab));
        last = indent;
    }
    for (int i = 0; i < s.tabCount; ++i) {
        const int at = s.tabPositions[i];
        if (at <= origin || at > pageWidth)
            continue;
        QTextOption::Tab tab;
        tab.position = Units::px(at - origin);
        switch (s.tabKinds[i]) {
        case ParaState::LeftTab:
            tab.type = QTextOption::LeftTab;
            break;
        case ParaState::RightTab:
            tab.type = QTextOption::RightTab;
            break;
        case ParaState::CenterTab:
            tab.type = QTextOption::CenterTab;
            break;
        case ParaState::DecimalTab:
            tab.type = QTextOption::DelimiterTab;
            tab.delimiter = QLatin1Char('.');
            break;
        }
        tabs.append(tab);
        last = qMax(last, at);
    }
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
        return a.position < b.position;
    });
    for (int at = (last / m_defaultTab + 1) * m_defaultTab; at <= defaultStopsEnd;
         at += m_defaultTab)
        tabs.append(QTextOption::Tab(Units::px(at - origin), QTextOption::LeftTab));
    f.setTabPositions(tabs);
}

} // namespace Rtf
