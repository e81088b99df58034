#include "rtf/rtflists.h"

#include "rtf/rtfcodepage.h"
#include "rtf/rtffonttable.h"
#include "rtf/rtfsymbolfonts.h"

namespace Rtf {

using Content::ListLabel;

namespace {
    // Counts go no higher: a damaged document could count past what an int holds.
    constexpr int MaxCount = 1 << 30;
    // \levelnfc formats that are no number.
    constexpr int BulletFormat = 23;
    constexpr int NoNumberFormat = 255;
    constexpr int LeadingZeroFormat = 22;

    QString roman(int value, bool upper)
    {
        static const std::pair<int, const char*> parts[] = { { 1000, "m" }, { 900, "cm" },
            { 500, "d" }, { 400, "cd" }, { 100, "c" }, { 90, "xc" }, { 50, "l" }, { 40, "xl" },
            { 10, "x" }, { 9, "ix" }, { 5, "v" }, { 4, "iv" }, { 1, "i" } };
        QString out;
        for (const auto& [amount, letters] : parts) {
            for (; value >= amount; value -= amount)
                out += QLatin1String(letters);
        }
        return upper ? out.toUpper() : out;
    }

    // a to z, then aa to zz, and so on, as word processors letter a list.
    QString letters(int value, bool upper)
    {
        const QChar letter(char16_t((upper ? u'A' : u'a') + (value - 1) % 26));
        return QString((value - 1) / 26 + 1, letter);
    }
} // namespace

QString Lists::number(int value, int format)
{
    switch (format) {
    case 1:
    case 2:
        if (value > 0 && value < 4000)
            return roman(value, format == 1);
        break;
    case 3:
    case 4:
        // Letters repeat once for each time round the alphabet: a handful of them at the most.
        if (value > 0 && value <= 26 * 8)
            return letters(value, format == 3);
        break;
    case LeadingZeroFormat:
        return value >= 0 && value < 10 ? QStringLiteral("0%1").arg(value) : QString::number(value);
    case BulletFormat:
    case NoNumberFormat:
        return QString();
    default:
        break;
    }
    return QString::number(value);
}

bool Lists::enter(Keyword word, std::int64_t depth, Destination* destination)
{
    const auto readText = [&](Keyword kind, std::vector<Unit>* units) {
        units->clear();
        m_textFor = kind;
        m_textDepth = depth;
        *destination = Destination::NumberingText;
        return true;
    };
    switch (word) {
    case Keyword::ListTable:
        *destination = Destination::Numbering;
        return true;
    case Keyword::List:
        if (*destination != Destination::Numbering || m_listDepth >= 0)
            return false;
        m_list = List();
        m_listId = 0;
        m_listDepth = depth;
        return true;
    case Keyword::ListLevel:
        if (m_listDepth < 0 || m_levelDepth >= 0)
            return false;
        m_level = Level();
        m_levelText.clear();
        m_levelNumbers.clear();
        m_levelDepth = depth;
        return true;
    case Keyword::ListOverride:
        if (*destination != Destination::Numbering || m_listDepth >= 0)
            return false;
        m_overrideList = m_overrideNumber = 0;
        m_overrideDepth = depth;
        return true;
    case Keyword::LevelText:
        return m_levelDepth >= 0 && readText(word, &m_levelText);
    case Keyword::LevelNumbers:
        return m_levelDepth >= 0 && readText(word, &m_levelNumbers);
    case Keyword::PnGroup:
        if (*destination != Destination::Text || m_pnDepth >= 0)
            return false;
        m_readPn = Pn();
        m_pnDepth = depth;
        *destination = Destination::Numbering;
        return true;
    case Keyword::PnTextBefore:
    case Keyword::PnTextAfter:
        return m_pnDepth >= 0 && readText(word, &m_pnText);
    default:
        return false;
    }
}

void Lists::property(Keyword word, int param, std::uint8_t value)
{
    const bool inLevel = m_levelDepth >= 0;
    switch (word) {
    case Keyword::ListId:
        if (m_overrideDepth >= 0)
            m_overrideList = param;
        else if (m_listDepth >= 0)
            m_listId = param;
        return;
    case Keyword::ListNumber:
        if (m_overrideDepth >= 0)
            m_overrideNumber = param;
        return;
    case Keyword::LevelFormat:
        if (inLevel)
            m_level.format = param;
        return;
    case Keyword::LevelAlign:
        if (inLevel)
            m_level.align = ListLabel::Align(qBound(0, param, 2));
        return;
    case Keyword::LevelStart:
        if (inLevel)
            m_level.start = qBound(0, param, MaxCount);
        return;
    case Keyword::LevelFollow:
        if (inLevel)
            m_level.follow = ListLabel::Follow(qBound(0, param, 2));
        return;
    default:
        break;
    }
    if (m_pnDepth < 0)
        return;
    switch (word) {
    case Keyword::PnLevel:
        m_readPn.kind = PnLevelKind(value);
        m_readPn.level = qBound(0, param, Levels);
        return;
    case Keyword::PnFormat:
        m_readPn.format = value;
        return;
    case Keyword::PnStart:
        m_readPn.start = qBound(0, param, MaxCount);
        return;
    case Keyword::PnFont:
        m_readPn.font = param;
        return;
    case Keyword::PnIndent:
        m_readPn.indent = qBound(0, param, MaxCount);
        return;
    case Keyword::PnAlign:
        m_readPn.align = ListLabel::Align(value);
        return;
    default:
        return;
    }
}

void Lists::levelFont(int font)
{
    if (m_levelDepth >= 0)
        m_level.font = font;
}

void Lists::text(QByteArrayView bytes)
{
    std::vector<Unit>* units = m_textFor == Keyword::LevelText ? &m_levelText
        : m_textFor == Keyword::LevelNumbers                   ? &m_levelNumbers
                                                               : &m_pnText;
    for (const char c : bytes) {
        if (units->size() > MaxText)
            return;
        units->push_back({ char16_t(uchar(c)), true });
    }
}

void Lists::character(char16_t c)
{
    std::vector<Unit>& units = m_textFor == Keyword::LevelText ? m_levelText : m_pnText;
    if (m_textFor != Keyword::LevelNumbers && units.size() <= MaxText)
        units.push_back({ c, false });
}

QString Lists::decoded(const std::vector<Unit>& units, int font, qsizetype from, qsizetype to) const
{
    // Bytes in the code page of the font, as the text of the document is decoded; symbol faces
    // give the characters their glyphs show.
    const int fontPage = m_fonts->codePageOf(font);
    const int page = fontPage ? fontPage : m_documentCodePage;
    QString out;
    QByteArray bytes;
    const auto flush = [&] {
        if (!bytes.isEmpty())
            m_decoder->decode(page, bytes, &out);
        bytes.clear();
    };
    for (qsizetype i = from; i < to && i < qsizetype(units.size()); ++i) {
        if (units[size_t(i)].byte) {
            bytes.append(char(units[size_t(i)].value));
            continue;
        }
        flush();
        out += QChar(units[size_t(i)].value);
    }
    flush();
    const Content::SymbolFace face = m_fonts->symbolFaceOf(font);
    if (page == CodePage::Symbol || face != Content::SymbolFace::None) {
        QString mapped;
        SymbolFont::mapText(face, out, &mapped);
        out = mapped;
    }
    out.removeIf([](QChar c) { return c.unicode() < 0x20; });
    return out;
}

void Lists::endLevel()
{
    // \leveltext: its length, then the text, the number of level n given as the character n;
    // \levelnumbers: where in the text those stand, counting the length as position 0.
    if (!m_levelText.empty()) {
        const qsizetype length = qMin<qsizetype>(m_levelText[0].value, m_levelText.size() - 1);
        std::vector<qsizetype> placeholders;
        for (const Unit& at : m_levelNumbers) {
            if (at.value >= 1 && at.value <= length && m_levelText[at.value].value < Levels)
                placeholders.push_back(at.value);
        }
        qsizetype from = 1;
        for (const qsizetype at : placeholders) {
            if (at < from)
                continue;
            m_level.text += decoded(m_levelText, m_level.font, from, at);
            m_level.text += QChar(m_levelText[size_t(at)].value);
            from = at + 1;
        }
        m_level.text += decoded(m_levelText, m_level.font, from, length + 1);
    }
    if (m_list.levels.size() < Levels)
        m_list.levels.push_back(m_level);
}

int Lists::listGroupEnded(std::int64_t depth)
{
    if (depth == m_textDepth) {
        m_textDepth = -1;
        if (m_textFor == Keyword::PnTextBefore || m_textFor == Keyword::PnTextAfter) {
            QString& text = m_textFor == Keyword::PnTextBefore ? m_readPn.before : m_readPn.after;
            text = decoded(m_pnText, m_readPn.font, 0, qsizetype(m_pnText.size()));
        }
        m_textFor = Keyword::Unknown;
    } else if (depth == m_levelDepth) {
        m_levelDepth = -1;
        endLevel();
    } else if (depth == m_listDepth) {
        m_listDepth = -1;
        if (m_lists.size() < MaxLists || m_lists.contains(m_listId))
            m_lists.insert(m_listId, m_list);
    } else if (depth == m_overrideDepth) {
        m_overrideDepth = -1;
        if (m_overrides.size() < MaxLists && m_overrideNumber > 0)
            m_overrides.insert(m_overrideNumber, m_overrideList);
    } else if (depth == m_pnDepth) {
        m_pnDepth = -1;
        if (m_pn.size() < size_t(MaxPn))
            m_pn.push_back(m_readPn);
        return int(m_pn.size());
    }
    return 0;
}

bool Lists::endParagraph(const Content::ParaProps& para, bool fileLabel, ListLabel* label)
{
    *label = ListLabel();
    const bool item = para.list > 0 ? listLabel(para, label) : pnLabel(para, label);
    if (fileLabel)
        label->text.clear(); // the file's own label is shown, as the file has it
    return item || fileLabel;
}

bool Lists::listLabel(const Content::ParaProps& para, ListLabel* label)
{
    m_pnLast = 0;
    const auto override = m_overrides.constFind(para.list);
    if (override == m_overrides.cend())
        return false;
    auto found = m_lists.find(*override);
    if (found == m_lists.end() || found->levels.empty())
        return false;
    List& list = *found;
    const int level = qBound(0, para.listLevel, int(list.levels.size()) - 1);
    const Level& own = list.levels[size_t(level)];
    // The level counts on; the levels below it start again.
    int& count = list.counts[size_t(level)];
    count = list.counted[size_t(level)] ? qMin(count + 1, MaxCount) : own.start;
    list.counted[size_t(level)] = true;
    for (int below = level + 1; below < Levels; ++below)
        list.counted[size_t(below)] = false;
    for (const QChar c : own.text) {
        const int n = c.unicode();
        if (n >= Levels) {
            label->text += c;
            continue;
        }
        const Level& of = list.levels[size_t(qMin(n, int(list.levels.size()) - 1))];
        label->text
            += number(list.counted[size_t(n)] ? list.counts[size_t(n)] : of.start, of.format);
    }
    label->font = own.font;
    label->align = own.align;
    label->follow = own.follow;
    return true;
}

bool Lists::pnLabel(const Content::ParaProps& para, ListLabel* label)
{
    const int last = m_pnLast;
    m_pnLast = para.pn;
    if (para.pn <= 0 || para.pn > int(m_pn.size()))
        return false;
    const Pn& pn = m_pn[size_t(para.pn - 1)];
    const Pn* before = last > 0 ? &m_pn[size_t(last - 1)] : nullptr;
    if (pn.kind == PnLevelKind::Continued) {
        m_pnLast = last; // an item without a number: the numbering goes on past it
        return true;
    }
    // Numbering goes on from the paragraph before when that was numbered at the same level.
    const bool goesOn = before && before->kind == pn.kind && before->level == pn.level;
    m_pnCount = goesOn ? qMin(m_pnCount + 1, MaxCount) : pn.start;
    label->text = pn.before
        + (pn.kind == PnLevelKind::Bullet ? QString() : number(m_pnCount, pn.format)) + pn.after;
    label->font = pn.font;
    label->align = pn.align;
    label->textFrom = pn.indent;
    return true;
}

void FileLabel::starts(std::int64_t depth, qint64 handed)
{
    if (m_depth >= 0)
        return;
    m_present = true;
    m_depth = depth;
    // Only a label at the paragraph's start is one the layout can place.
    m_start = handed == m_paragraphStart ? handed : -1;
}

void FileLabel::ended(qint64 handed)
{
    m_depth = -1;
    if (m_start >= 0)
        m_length = qMin<qint64>(handed - m_start, Lists::MaxText * 4);
    m_start = -1;
}

FileLabel::Taken FileLabel::paragraphEnds(qint64 handed)
{
    const Taken taken { m_present, int(m_length) };
    m_present = false;
    m_length = 0;
    m_paragraphStart = handed;
    return taken;
}

} // namespace Rtf
