#include "view/textformats.h"

#include "forms/units.h"
#include "view/documenttext.h"
#include "view/layoutbudget.h"
#include "view/systemfaces.h"

#include <QFont>
#include <QList>
#include <QTextOption>
#include <algorithm>

using Content::CharProps;
using Content::FontFamily;
using Content::ParaProps;

namespace {

// Code page 437: text in the DOS face.
constexpr int OemCodePage = 437;

// Faces with the signs and pictographs symbol fonts are turned into.
const QStringList& symbolFamilies()
{
    static const QStringList families { QStringLiteral("DejaVu Sans"),
        QStringLiteral("Noto Sans Symbols2"), QStringLiteral("Noto Sans Symbols"),
        QStringLiteral("Symbola") };
    return families;
}

QFont::StyleHint styleHint(FontFamily family)
{
    switch (family) {
    case FontFamily::Roman:
        return QFont::Serif;
    case FontFamily::Swiss:
        return QFont::SansSerif;
    case FontFamily::Modern:
        return QFont::TypeWriter;
    case FontFamily::Script:
        return QFont::Cursive;
    case FontFamily::Decorative:
        return QFont::Decorative;
    case FontFamily::Any:
    case FontFamily::Technical:
        break;
    }
    return QFont::AnyStyle;
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

// What a PostScript name (as Cocoa and PDF tools write them: Times-Roman, Helvetica-Bold,
// ArialMT, TimesNewRomanPSMT) says: the family, in the spelling systems know it by, and the style
// it names. Empty for names that are no such thing.
struct PostScriptName {
    QStringList families;
    bool bold = false;
    bool italic = false;
};

PostScriptName postScriptName(const QString& name)
{
    PostScriptName ps;
    if (name.contains(u' '))
        return ps;
    const qsizetype dash = name.indexOf(u'-');
    QString base = dash > 0 ? name.left(dash) : name;
    const QString style = dash > 0 ? name.mid(dash + 1) : QString();
    for (const QLatin1String suffix : { QLatin1String("PSMT"), QLatin1String("MT") }) {
        if (base.size() > suffix.size() && base.endsWith(suffix)) {
            base.chop(suffix.size());
            break;
        }
    }
    if (base == name)
        return ps;
    // TimesNewRoman: Times New Roman.
    QString spaced;
    for (qsizetype i = 0; i < base.size(); ++i) {
        if (i > 0 && base[i].isUpper() && base[i - 1].isLower())
            spaced += u' ';
        spaced += base[i];
    }
    ps.families << spaced;
    if (spaced != base)
        ps.families << base;
    ps.bold = style.contains(QLatin1String("Bold")) || style.contains(QLatin1String("Black"))
        || style.contains(QLatin1String("Heavy"));
    ps.italic = style.contains(QLatin1String("Italic")) || style.contains(QLatin1String("Oblique"));
    return ps;
}

// The family a name stands for when it is one of the names word processors give a face for one
// character set (Arial Cyr, Calibri CE, Times New Roman (Hebrew), MS Mincho Western): systems
// install the face under its family name only. Empty for other names.
QString familyOfCharsetName(const QString& name)
{
    static const QLatin1String suffixes[] = { QLatin1String(" CE"), QLatin1String(" Cyr"),
        QLatin1String(" Greek"), QLatin1String(" Tur"), QLatin1String(" Baltic"),
        QLatin1String(" Western"), QLatin1String(" (Hebrew)"), QLatin1String(" (Arabic)"),
        QLatin1String(" (Vietnamese)"), QLatin1String(" (Thai)") };
    for (const QLatin1String suffix : suffixes) {
        if (name.size() > suffix.size() && name.endsWith(suffix))
            return name.chopped(suffix.size());
    }
    return QString();
}

bool isDosFace(const Content::FontEntry& font)
{
    return font.codePage == OemCodePage
        || font.name.compare(QLatin1String("Terminal"), Qt::CaseInsensitive) == 0;
}

void setUnderline(QTextCharFormat& f, CharProps::Underline underline)
{
    switch (underline) {
    case CharProps::NoLine:
        return;
    case CharProps::Single:
    case CharProps::Words:
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        return;
    case CharProps::Double:
    case CharProps::Thick:
        // The text engine draws one thin line; the view draws the second (or the thickness).
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        f.setProperty(DocumentText::ExtraUnderline, int(underline));
        return;
    case CharProps::Dotted:
        f.setUnderlineStyle(QTextCharFormat::DotLine);
        return;
    case CharProps::Dash:
        f.setUnderlineStyle(QTextCharFormat::DashUnderline);
        return;
    case CharProps::DashDot:
        f.setUnderlineStyle(QTextCharFormat::DashDotLine);
        return;
    case CharProps::DashDotDot:
        f.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
        return;
    case CharProps::Wave:
        f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        return;
    }
}

} // namespace

void TextFormats::setDefaultFont(int number)
{
    if (number == m_defaultFont)
        return;
    m_defaultFont = number;
    m_haveLastChars = false;
    m_made.clear();
}

const Content::FontEntry* TextFormats::entryOf(int font) const
{
    for (const int number : { font, m_defaultFont, m_firstFont }) {
        const auto found = m_fonts.constFind(number);
        if (found != m_fonts.cend())
            return &*found;
    }
    return nullptr;
}

void TextFormats::setFont(int number, const Content::FontEntry& entry)
{
    if (m_fonts.isEmpty())
        m_firstFont = number;
    auto found = m_fonts.find(number);
    if (found != m_fonts.end() && *found == entry)
        return;
    m_fonts.insert(number, entry);
    m_haveLastChars = false;
    // Runs whose own font the table lacks are drawn in the default or first entry.
    if (number == m_defaultFont || number == m_firstFont) {
        m_made.clear();
        return;
    }
    for (auto it = m_made.begin(); it != m_made.end();) {
        if (it.key().font == number)
            it = m_made.erase(it);
        else
            ++it;
    }
}

void TextFormats::setColors(const std::vector<Content::ColorEntry>& colors)
{
    m_colors.clear();
    for (const Content::ColorEntry& c : colors)
        m_colors.push_back(c.automatic ? QColor() : QColor(c.red, c.green, c.blue));
    m_haveLastChars = false;
    m_made.clear();
}

QColor TextFormats::color(int index) const
{
    if (index <= 0 || size_t(index) >= m_colors.size())
        return QColor();
    return m_colors[size_t(index)];
}

QColor TextFormats::shade(const Content::Shading& shading) const
{
    if (!shading.isSet())
        return QColor();
    QColor background = color(shading.background);
    if (!background.isValid())
        background = Qt::white;
    QColor pattern = color(shading.pattern);
    if (!pattern.isValid())
        pattern = Qt::black;
    const double p = shading.percent / 10000.0;
    const auto mix = [p](int b, int f) { return int(b + (f - b) * p + 0.5); };
    return QColor(mix(background.red(), pattern.red()), mix(background.green(), pattern.green()),
        mix(background.blue(), pattern.blue()));
}

void TextFormats::setFace(QTextCharFormat& f, const CharProps& s) const
{
    const Content::FontEntry* font = entryOf(s.font);
    if (!font) {
        // A document that names no font at all: the face the system gives for Times New Roman
        // (else its serif face), the face word processors show such text in.
        const QString face
            = SystemFaces::resolve({ QStringLiteral("Times New Roman") }, QFont::Serif, false);
        f.setFontFamilies(QStringList { face.isEmpty() ? QStringLiteral("serif") : face });
        f.setFontStyleHint(
            QFont::Serif, QFont::StyleStrategy(QFont::PreferDefault | QFont::PreferNoShaping));
        f.setFontFixedPitch(false);
        return;
    }
    if (isDosFace(*font))
        return; // the view's own face
    QStringList families;
    QFont::StyleHint hint = styleHint(font->family);
    bool fixed = font->pitch == 1 || (font->pitch == 0 && hint == QFont::TypeWriter);
    if (font->symbolFace != Content::SymbolFace::None) {
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
        const QString family = familyOfCharsetName(font->name);
        if (!family.isEmpty())
            names << family;
        const PostScriptName ps = postScriptName(font->name);
        names << ps.families;
        if (ps.bold)
            f.setFontWeight(QFont::Bold);
        if (ps.italic)
            f.setFontItalic(true);
        if (!font->altName.isEmpty())
            names << font->altName;
        // Each new name costs the system a search of its faces: past the budget, a font is drawn
        // in the face of its class.
        const QString asked = names.join(u'\n');
        if (!m_facesAsked.contains(asked)) {
            if (m_facesAsked.size() >= LayoutBudget::MaxFaceLookups)
                names.clear();
            else
                m_facesAsked.insert(asked);
        }
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

void TextFormats::setDefaultTab(int twips)
{
    m_defaultTab = qBound(LayoutBudget::MinDefaultTab, twips, LayoutBudget::MaxTwips);
    m_haveLastPara = false;
}

QTextCharFormat TextFormats::charFormat(const CharProps& s)
{
    if (m_haveLastChars && s == m_lastChars)
        return m_lastCharFormat;
    auto made = m_made.constFind(s);
    // Damaged documents can ask for any number of formats; the cache stays small.
    if (made == m_made.cend() && m_made.size() < 4096)
        made = m_made.insert(s, makeCharFormat(s));
    m_lastChars = s;
    m_lastCharFormat = made == m_made.cend() ? makeCharFormat(s) : *made;
    m_haveLastChars = true;
    return m_lastCharFormat;
}

QTextCharFormat TextFormats::makeCharFormat(const CharProps& s) const
{
    QTextCharFormat f;
    setFace(f, s);
    if (s.halfPoints > 0)
        f.setFontPointSize(qBound(1, s.halfPoints, LayoutBudget::MaxHalfPoints) / 2.0);
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.italic)
        f.setFontItalic(true);
    setUnderline(f, s.underline);
    if (s.underline == CharProps::Double || s.underline == CharProps::Thick)
        m_madeExtraUnderlines = true;
    if (s.caps == CharProps::AllCaps)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (s.caps == CharProps::SmallCaps)
        f.setFontCapitalization(QFont::SmallCaps);
    if (s.strike)
        f.setFontStrikeOut(true);
    setPlacement(f, s);
    if (s.vertical == CharProps::Super)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical == CharProps::Sub)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    const QColor fg = color(s.color);
    if (fg.isValid())
        f.setForeground(fg);
    // A highlight lies over the characters' shading.
    QColor bg = color(s.highlight);
    if (!bg.isValid())
        bg = shade(s.shading);
    if (bg.isValid())
        f.setBackground(bg);
    return f;
}

void TextFormats::setPlacement(QTextCharFormat& f, const CharProps& s)
{
    using namespace LayoutBudget;
    const int size = qBound(1, s.halfPoints, MaxHalfPoints);
    if (s.raise != 0)
        f.setBaselineOffset(qBound(-MaxRaisePercent, s.raise * 100 / size, MaxRaisePercent));
    if (s.scaleX != 100)
        f.setFontStretch(qBound(MinScalePercent, s.scaleX, MaxScalePercent));
    if (s.spacing != 0) {
        // At most the size of a character (half-points are ten twips) either way.
        const int twips = qBound(-size * 10, s.spacing, size * 10);
        f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        f.setFontLetterSpacing(twips / 15.0);
    }
}

QTextBlockFormat TextFormats::blockFormat(const ParaProps& s)
{
    if (!m_haveLastPara || !(s == m_lastPara)) {
        m_lastPara = s;
        m_lastBlockFormat = makeBlockFormat(s);
        m_haveLastPara = true;
    }
    return m_lastBlockFormat;
}

QTextBlockFormat TextFormats::makeBlockFormat(const ParaProps& s) const
{
    QTextBlockFormat f;
    switch (s.align) {
    case ParaProps::Left:
        f.setAlignment(Qt::AlignLeft);
        break;
    case ParaProps::Center:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case ParaProps::Right:
        f.setAlignment(Qt::AlignRight);
        break;
    case ParaProps::Justify:
        f.setAlignment(Qt::AlignJustify);
        break;
    }
    // Indents far outside a page are damage, not layout.
    constexpr int limit = LayoutBudget::MaxTwips;
    const int left = qBound(0, s.leftIndent, limit);
    f.setLeftMargin(Units::px(left));
    f.setRightMargin(Units::px(qBound(0, s.rightIndent, limit)));
    const QColor shade = this->shade(s.shading);
    if (shade.isValid())
        f.setBackground(shade);
    setBorders(f, s);
    // A first line that would start left of the page starts at its edge: its letters would be cut.
    f.setTextIndent(Units::px(qBound(-left, s.firstIndent, limit)));
    f.setTopMargin(Units::px(qBound(0, s.spaceBefore, limit)));
    f.setBottomMargin(Units::px(qBound(0, s.spaceAfter, limit)));
    // Lines are at most a few inches apart, or a few times their height: a paragraph of many
    // rows would otherwise be asked to be taller than the text engine can count.
    const int spacing = qBound(-LayoutBudget::MaxLineSpacingTwips, s.lineSpacing,
        s.lineMultiple ? LayoutBudget::MaxLineMultiple * 240 : LayoutBudget::MaxLineSpacingTwips);
    if (spacing != 0 && s.lineMultiple)
        f.setLineHeight(qAbs(spacing) * 100.0 / 240, QTextBlockFormat::ProportionalHeight);
    else if (spacing > 0)
        f.setLineHeight(Units::px(spacing), QTextBlockFormat::MinimumHeight);
    else if (spacing < 0)
        f.setLineHeight(Units::px(-spacing), QTextBlockFormat::FixedHeight);
    // Paragraphs without stops of their own use the view's: a list of stops in every paragraph
    // format makes the document twice as slow to build and lay out.
    if (s.tabCount > 0 || s.firstIndent < 0)
        setTabs(f, s);
    return f;
}

void TextFormats::setBorders(QTextBlockFormat& f, const ParaProps& s) const
{
    QVariantList sides;
    bool any = false;
    for (const Content::Border* border :
        { &s.borderTop, &s.borderLeft, &s.borderBottom, &s.borderRight }) {
        if (!border->declared || border->style == Content::Border::None) {
            sides << QVariant();
            continue;
        }
        const QColor c = color(border->color);
        // Hairlines and lines thinner than a pixel still show as one pixel.
        const qreal width
            = qMax(1, Units::px(qBound(0, border->width, LayoutBudget::MaxBorderTwips)));
        sides << QVariant(
            QVariantList { int(border->style), width, c.isValid() ? c : QColor(Qt::black) });
        any = true;
    }
    if (!any)
        return;
    f.setProperty(DocumentText::ParagraphBorders, sides);
    m_madeBorders = true;
}

void TextFormats::shiftFirstLine(QTextBlockFormat& f, const ParaProps& para, qreal shift) const
{
    if (shift == 0)
        return;
    f.setTextIndent(f.textIndent() + shift);
    setTabs(f, para, shift);
}

qreal TextFormats::nextStopAfter(const ParaProps& s, qreal x) const
{
    constexpr int pageWidth = LayoutBudget::MaxTwips;
    const int indent = qBound(0, s.leftIndent, pageWidth);
    const int origin = qBound(0, indent + qBound(-pageWidth, s.firstIndent, pageWidth), pageWidth);
    qreal best = -1;
    const auto consider = [&](int at) {
        const qreal stop = Units::px(at);
        if (stop > x + 0.01 && (best < 0 || stop < best))
            best = stop;
    };
    if (indent > origin)
        consider(indent);
    for (int i = 0; i < s.tabCount; ++i) {
        if (s.tabPositions[i] > origin && s.tabPositions[i] <= pageWidth)
            consider(s.tabPositions[i]);
    }
    if (best >= 0)
        return best;
    const int past = qBound(0, int(x * Units::TwipsPerPixel), pageWidth);
    return Units::px((past / m_defaultTab + 1) * m_defaultTab);
}

void TextFormats::setTabs(QTextBlockFormat& f, const ParaProps& s, qreal shift) const
{
    // Stops are measured from the margin, the view's from where the paragraph's first line
    // starts (its indents, and the shift of a line moved for a list's label). After the
    // paragraph's own stops come the document's default ones, as far as a wide page reaches.
    constexpr int pageWidth = LayoutBudget::MaxTwips;
    constexpr int defaultStopsEnd = LayoutBudget::DefaultTabsEnd;
    const int indent = qBound(0, s.leftIndent, pageWidth);
    const int origin = qBound(0, indent + qBound(-pageWidth, s.firstIndent, pageWidth), pageWidth);
    QList<QTextOption::Tab> tabs;
    QVariantList leaders;
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
        case ParaProps::LeftTab:
            tab.type = QTextOption::LeftTab;
            break;
        case ParaProps::RightTab:
            tab.type = QTextOption::RightTab;
            break;
        case ParaProps::CenterTab:
            tab.type = QTextOption::CenterTab;
            break;
        case ParaProps::DecimalTab:
            tab.type = QTextOption::DelimiterTab;
            tab.delimiter = QLatin1Char('.');
            break;
        }
        tabs.append(tab);
        if (s.tabLeaders[i] != ParaProps::NoLeader)
            leaders << QPointF(tab.position, int(s.tabLeaders[i]));
        last = qMax(last, at);
    }
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
        return a.position < b.position;
    });
    for (int at = (last / m_defaultTab + 1) * m_defaultTab; at <= defaultStopsEnd;
         at += m_defaultTab)
        tabs.append(QTextOption::Tab(Units::px(at - origin), QTextOption::LeftTab));
    if (shift != 0) {
        for (QTextOption::Tab& tab : tabs)
            tab.position -= shift;
        for (QVariant& leader : leaders)
            leader = QPointF(leader.toPointF().x() - shift, leader.toPointF().y());
        tabs.removeIf([](const QTextOption::Tab& tab) { return tab.position <= 0; });
    }
    f.setTabPositions(tabs);
    if (!leaders.isEmpty()) {
        f.setProperty(DocumentText::TabLeaders, leaders);
        m_madeLeaders = true;
    }
}
