#include "rtf/rtffonttable.h"

#include "content/sink.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfsymbolfonts.h"

namespace Rtf {

Content::FontEntry& FontTable::current()
{
    if (m_fonts.size() >= MaxFonts && !m_fonts.contains(m_current))
        return m_spare;
    m_changed.insert(m_current);
    return m_fonts[m_current];
}

void FontTable::beginEntry(int number)
{
    endName();
    m_current = number;
    current() = Content::FontEntry();
    m_spare = Content::FontEntry();
    m_nameDone = false;
    m_name.clear();
}

void FontTable::property(Keyword word, int param, std::uint8_t value)
{
    switch (word) {
    case Keyword::FontCharset:
        return setCharset(param);
    case Keyword::FontCodePage:
        if (param > 0 && param < 65536)
            current().codePage = param;
        return;
    case Keyword::FontFamily:
        current().family = Content::FontFamily(value);
        return;
    case Keyword::FontPitch:
        current().pitch = qBound(0, param, 2);
        return;
    default:
        return;
    }
}

void FontTable::setCharset(int charset)
{
    Content::FontEntry& font = current();
    // \cpg, where given, names the code page more exactly than the set.
    if (font.codePage == 0 || font.codePage == CodePage::forCharset(0))
        font.codePage = CodePage::forCharset(charset);
}

void FontTable::text(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == ';')
            endName();
        else if (!m_nameDone && m_name.size() < MaxNameLength)
            m_name.append(c);
    }
}

void FontTable::endName()
{
    if (m_nameDone)
        return;
    m_nameDone = true;
    Content::FontEntry& font = current();
    int page = font.codePage ? font.codePage : m_documentCodePage;
    if (page == CodePage::Symbol)
        page = m_documentCodePage;
    QString name;
    m_decoder->decode(page, m_name, &name);
    m_name.clear();
    font.name = name.trimmed();
    font.symbolFace = SymbolFont::forName(font.name);
    // A symbol face's bytes are its glyphs, whatever character set it is given.
    if (font.symbolFace != Content::SymbolFace::None)
        font.codePage = CodePage::Symbol;
}

void FontTable::altText(QByteArrayView bytes)
{
    QString& alt = current().altName;
    if (alt.size() < MaxNameLength)
        alt.append(QString::fromLatin1(bytes).remove(u';').trimmed());
}

void FontTable::finish(Content::Sink* sink)
{
    endName();
    for (const int number : m_changed) {
        const auto found = m_fonts.constFind(number);
        if (found != m_fonts.cend())
            sink->font(number, *found);
    }
    m_changed.clear();
}

int FontTable::codePageOf(int font) const
{
    const auto found = m_fonts.constFind(font);
    return found == m_fonts.cend() ? 0 : found->codePage;
}

Content::SymbolFace FontTable::symbolFaceOf(int font) const
{
    const auto found = m_fonts.constFind(font);
    return found == m_fonts.cend() ? Content::SymbolFace::None : found->symbolFace;
}

} // namespace Rtf
