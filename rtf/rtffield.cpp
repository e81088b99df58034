#include "rtf/rtffield.h"

#include "rtf/rtfcodepage.h"
#include "rtf/rtfsymbolfonts.h"

#include <QString>
#include <QStringList>

namespace Rtf {

namespace {
    // Longer codes are no SYMBOL field anyone wrote.
    constexpr qsizetype MaxCodeLength = 1024;
}

void SymbolField::startCode(std::int64_t depth)
{
    m_code.clear();
    m_codeDepth = depth;
    m_formType = m_formResult = -1;
    m_formDefault = 0;
}

void SymbolField::formFieldProperty(Keyword word, int param)
{
    if (word == Keyword::FormFieldType)
        m_formType = param;
    else if (word == Keyword::FormFieldResult)
        m_formResult = param;
    else if (word == Keyword::FormFieldDefault)
        m_formDefault = param;
}

int SymbolField::checkBoxEnded() const
{
    if (!m_checkBox || m_shown)
        return -1;
    // A result of 25 is none: the box shows its default.
    const int result = m_formResult >= 0 && m_formResult != 25 ? m_formResult : m_formDefault;
    return result != 0 ? 1 : 0;
}

void SymbolField::codeText(QByteArrayView bytes)
{
    if (m_code.size() < MaxCodeLength)
        m_code.append(bytes);
}

void SymbolField::codeEnded(Content::SymbolFace face)
{
    const std::int64_t depth = m_codeDepth;
    m_codeDepth = -1;
    // SYMBOL number [\f "face"] [\a | \j | \u] [\s size] [\h]
    const QString code = QString::fromLatin1(m_code).simplified();
    m_code.clear();
    if (code.startsWith(QLatin1String("FORMCHECKBOX"), Qt::CaseInsensitive)
        && (m_formType < 0 || m_formType == 1)) {
        m_checkBox = true;
        m_fieldDepth = depth - 1;
        m_shown = false;
        return;
    }
    if (!code.startsWith(QLatin1String("SYMBOL "), Qt::CaseInsensitive))
        return;
    const QStringList parts = code.split(u' ');
    bool ok = false;
    const QString number = parts.value(1);
    const uint value = number.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? number.mid(2).toUInt(&ok, 16)
        : number.toUInt(&ok, 10);
    if (!ok || value == 0 || value > 0x10FFFF)
        return;
    bool unicode = false;
    for (qsizetype i = 2; i < parts.size(); ++i) {
        if (parts[i] == QLatin1String("\\u"))
            unicode = true;
        else if (parts[i] == QLatin1String("\\f") && i + 1 < parts.size())
            face = SymbolFont::forName(QString(parts[i + 1]).remove(u'"'));
    }
    const bool symbolic = face != Content::SymbolFace::None;
    char32_t c = value;
    if (!unicode && value < 0x100)
        c = symbolic ? SymbolFont::character(face, uchar(value))
                     : CodePage::windowsCharacter(uchar(value));
    else if (value >= 0xF020 && value <= 0xF0FF && symbolic)
        c = SymbolFont::character(face, uchar(value - 0xF000));
    if (c == 0 || (c >= 0xE000 && c <= 0xF8FF) || c < 0x20)
        return;
    m_symbol = c;
    m_fieldDepth = depth - 1; // the field's own group
    m_shown = false;
}

char32_t SymbolField::fieldEnded()
{
    const char32_t c = m_shown ? 0 : m_symbol;
    m_fieldDepth = -1;
    m_symbol = 0;
    m_checkBox = false;
    return c;
}

} // namespace Rtf
