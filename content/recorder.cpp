#include "content/recorder.h"

namespace Content {

namespace {

    const char* endName(ParagraphEnd end)
    {
        switch (end) {
        case ParagraphEnd::Paragraph:
            return "par";
        case ParagraphEnd::Cell:
            return "cell";
        case ParagraphEnd::Row:
            return "row";
        case ParagraphEnd::NestedCell:
            return "nestcell";
        case ParagraphEnd::NestedRow:
            return "nestrow";
        case ParagraphEnd::Document:
            return "end";
        }
        return "?";
    }

    // Only what differs from the defaults, as name=value words.
    QString charWords(const CharProps& c)
    {
        const CharProps plain;
        QStringList words;
        if (c.font != plain.font)
            words << QStringLiteral("f%1").arg(c.font);
        if (c.halfPoints != plain.halfPoints)
            words << QStringLiteral("fs%1").arg(c.halfPoints);
        if (c.bold)
            words << QStringLiteral("b");
        if (c.italic)
            words << QStringLiteral("i");
        if (c.strike)
            words << QStringLiteral("strike");
        if (c.underline != CharProps::NoLine)
            words << QStringLiteral("ul%1").arg(int(c.underline));
        if (c.caps == CharProps::AllCaps)
            words << QStringLiteral("caps");
        if (c.caps == CharProps::SmallCaps)
            words << QStringLiteral("scaps");
        if (c.vertical == CharProps::Super)
            words << QStringLiteral("super");
        if (c.vertical == CharProps::Sub)
            words << QStringLiteral("sub");
        if (c.raise)
            words << QStringLiteral("up%1").arg(c.raise);
        if (c.scaleX != plain.scaleX)
            words << QStringLiteral("charscalex%1").arg(c.scaleX);
        if (c.spacing)
            words << QStringLiteral("expndtw%1").arg(c.spacing);
        if (c.color)
            words << QStringLiteral("cf%1").arg(c.color);
        if (c.highlight)
            words << QStringLiteral("highlight%1").arg(c.highlight);
        return words.join(u' ');
    }

    QString paraWords(const ParaProps& p)
    {
        QStringList words;
        static const char* const aligns[] = { "ql", "qc", "qr", "qj" };
        if (p.align != ParaProps::Left)
            words << QLatin1String(aligns[p.align]);
        const auto add = [&](const char* name, int value) {
            if (value)
                words << QStringLiteral("%1%2").arg(QLatin1String(name)).arg(value);
        };
        add("li", p.leftIndent);
        add("ri", p.rightIndent);
        add("fi", p.firstIndent);
        add("sb", p.spaceBefore);
        add("sa", p.spaceAfter);
        add("sl", p.lineSpacing);
        add("slmult", p.lineMultiple);
        add("intbl", p.inTable);
        add("itap", p.nesting);
        add("ls", p.list);
        add("ilvl", p.listLevel);
        add("pn", p.pn);
        for (int i = 0; i < p.tabCount; ++i) {
            static const char* const kinds[] = { "tx", "tqr-tx", "tqc-tx", "tqdec-tx" };
            add(kinds[p.tabKinds[size_t(i)]], p.tabPositions[size_t(i)]);
        }
        return words.join(u' ');
    }

    QString quoted(const QString& text)
    {
        QString out = QStringLiteral("\"");
        for (const QChar c : text) {
            if (c == u'"' || c == u'\\')
                out += u'\\';
            if (c.unicode() < 0x20 || (c.unicode() >= 0x2028 && c.unicode() <= 0x2029))
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
        return out + u'"';
    }

    QString colorName(const ColorEntry& c)
    {
        if (c.automatic)
            return QStringLiteral("auto");
        return QStringLiteral("#%1%2%3")
            .arg(c.red, 2, 16, QLatin1Char('0'))
            .arg(c.green, 2, 16, QLatin1Char('0'))
            .arg(c.blue, 2, 16, QLatin1Char('0'));
    }

} // namespace

void Recorder::font(int number, const FontEntry& entry)
{
    Event e;
    e.kind = Event::Font;
    e.number = number;
    e.text = entry.name;
    e.fontEntry = entry;
    m_events.push_back(std::move(e));
}

void Recorder::defaultFont(int number)
{
    Event e;
    e.kind = Event::DefaultFont;
    e.number = number;
    m_events.push_back(std::move(e));
}

void Recorder::colorTable(const std::vector<ColorEntry>& colors)
{
    Event e;
    e.kind = Event::Colors;
    e.colors = colors;
    m_events.push_back(std::move(e));
}

void Recorder::defaultTab(int twips)
{
    Event e;
    e.kind = Event::DefaultTab;
    e.number = twips;
    m_events.push_back(std::move(e));
}

void Recorder::text(QStringView text, const CharProps& chars)
{
    if (!m_events.empty() && m_events.back().kind == Event::Text
        && m_events.back().chars == chars) {
        m_events.back().text.append(text);
        return;
    }
    Event e;
    e.kind = Event::Text;
    e.text = text.toString();
    e.chars = chars;
    m_events.push_back(std::move(e));
}

void Recorder::picture(const Content::Picture& picture)
{
    Event e;
    e.kind = Event::Picture;
    e.picture = picture;
    m_events.push_back(std::move(e));
}

void Recorder::rowDefinition(const RowDef& row)
{
    Event e;
    e.kind = Event::Row;
    e.row = row;
    m_events.push_back(std::move(e));
}

void Recorder::listLabel(const ListLabel& label)
{
    Event e;
    e.kind = Event::Label;
    e.label = label;
    m_events.push_back(std::move(e));
}

void Recorder::checkBox(bool checked, const CharProps& chars)
{
    Event e;
    e.kind = Event::CheckBox;
    e.checked = checked;
    e.chars = chars;
    m_events.push_back(std::move(e));
}

void Recorder::endParagraph(const ParaProps& para, ParagraphEnd end)
{
    Event e;
    e.kind = Event::End;
    e.para = para;
    e.end = end;
    m_events.push_back(std::move(e));
}

std::vector<Recorder::Event> Recorder::eventsOf(Event::Kind kind) const
{
    std::vector<Event> found;
    for (const Event& e : m_events) {
        if (e.kind == kind)
            found.push_back(e);
    }
    return found;
}

QString Recorder::plainText() const
{
    QString text;
    for (const Event& e : m_events) {
        if (e.kind == Event::Text)
            text += e.text;
        else if (e.kind == Event::Picture)
            text += QChar(0xFFFC);
        else if (e.kind == Event::End && e.end != ParagraphEnd::Document)
            text += u'\n';
    }
    return text;
}

CharProps Recorder::charsAt(qsizetype i) const
{
    qsizetype at = 0;
    for (const Event& e : m_events) {
        qsizetype length = 0;
        if (e.kind == Event::Text)
            length = e.text.size();
        else if (e.kind == Event::Picture
            || (e.kind == Event::End && e.end != ParagraphEnd::Document))
            length = 1;
        if (i < at + length)
            return e.kind == Event::Text ? e.chars : CharProps();
        at += length;
    }
    return CharProps();
}

QStringList Recorder::lines() const
{
    QStringList out;
    for (const Event& e : m_events)
        out << describe(e);
    return out;
}

QString Recorder::describe(const Event& e)
{
    switch (e.kind) {
    case Event::Font: {
        const FontEntry& f = e.fontEntry;
        QString line = QStringLiteral("font %1 %2").arg(e.number).arg(quoted(f.name));
        if (!f.altName.isEmpty())
            line += QStringLiteral(" alt=") + quoted(f.altName);
        line += QStringLiteral(" family=%1 pitch=%2 cpg=%3 symbol=%4")
                    .arg(int(f.family))
                    .arg(f.pitch)
                    .arg(f.codePage)
                    .arg(int(f.symbolFace));
        return line;
    }
    case Event::DefaultFont:
        return QStringLiteral("deff %1").arg(e.number);
    case Event::Colors: {
        QStringList names;
        for (const ColorEntry& c : e.colors)
            names << colorName(c);
        return QStringLiteral("colors ") + names.join(u' ');
    }
    case Event::DefaultTab:
        return QStringLiteral("deftab %1").arg(e.number);
    case Event::Text: {
        const QString words = charWords(e.chars);
        return QStringLiteral("text ") + quoted(e.text)
            + (words.isEmpty() ? QString() : u' ' + words);
    }
    case Event::Picture: {
        const Content::Picture& p = e.picture;
        static const char* const kinds[] = { "unknown", "png", "jpeg", "metafile", "bitmap" };
        return QStringLiteral("picture %1 %2 bytes, %3x%4, goal %5x%6 twips, scale %7x%8%")
            .arg(QLatin1String(kinds[p.kind]))
            .arg(p.data.size())
            .arg(p.width)
            .arg(p.height)
            .arg(p.widthGoal)
            .arg(p.heightGoal)
            .arg(p.scaleX)
            .arg(p.scaleY);
    }
    case Event::Row: {
        QStringList edges;
        for (const CellDef& cell : e.row.cells)
            edges << QString::number(cell.rightEdge);
        return QStringLiteral("rowdef left=%1 cells=%2").arg(e.row.rowLeft).arg(edges.join(u','));
    }
    case Event::Label: {
        static const char* const aligns[] = { "left", "center", "right" };
        static const char* const follows[] = { "tab", "space", "nothing" };
        return QStringLiteral("label %1 file=%2 f%3 from=%4 %5 %6")
            .arg(quoted(e.label.text))
            .arg(e.label.fileLength)
            .arg(e.label.font)
            .arg(e.label.textFrom)
            .arg(QLatin1String(aligns[e.label.align]), QLatin1String(follows[e.label.follow]));
    }
    case Event::CheckBox:
        return QLatin1String(e.checked ? "checkbox checked" : "checkbox unchecked");
    case Event::End: {
        const QString words = paraWords(e.para);
        return QLatin1String(endName(e.end)) + (words.isEmpty() ? QString() : u' ' + words);
    }
    }
    return QString();
}

} // namespace Content
