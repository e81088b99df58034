#include "rtf/rtfnotes.h"

#include "rtf/rtftokenizer.h"

namespace Rtf {

void NoteMarks::property(Keyword word, int param, char style)
{
    switch (word) {
    case Keyword::NoteKinds:
        m_endnotesOnly = param == 1;
        return;
    case Keyword::FootnoteStyle:
        m_footnoteStyle = style;
        return;
    case Keyword::EndnoteStyle:
        m_endnoteStyle = style;
        return;
    case Keyword::FootnoteStart:
        m_footnoteStart = qBound(1, param, 1000000);
        return;
    case Keyword::EndnoteStart:
        m_endnoteStart = qBound(1, param, 1000000);
        return;
    default:
        return;
    }
}

QString NoteMarks::next(Tokenizer& tokens)
{
    if (isEndnote(tokens))
        return noteNumber(m_endnoteStart + m_endnotes++, m_endnoteStyle);
    return noteNumber(m_footnoteStart + m_footnotes++, m_footnoteStyle);
}

bool NoteMarks::isEndnote(Tokenizer& tokens) const
{
    if (m_endnotesOnly)
        return true;
    // The note's group follows its mark: {\footnote\ftnalt ...} is an endnote. A few tokens
    // ahead are enough to tell, and the reader goes back to where it was.
    const qsizetype at = tokens.position();
    bool inNote = false;
    bool endnote = false;
    for (int i = 0; i < 16; ++i) {
        const Token t = tokens.next();
        if (t.kind == Token::End || (inNote && t.kind == Token::Text))
            break;
        if (t.kind != Token::Word)
            continue;
        if (t.text == "footnote") {
            inNote = true;
        } else if (inNote && t.text == "ftnalt") {
            endnote = true;
            break;
        } else if (t.text == "chftn") {
            break; // another mark
        }
    }
    tokens.rewind(at);
    return endnote;
}

QString noteNumber(int n, char style)
{
    constexpr int MaxRepeats = 4;
    switch (style) {
    case 'i':
    case 'I': {
        if (n >= 4000)
            break;
        static const char* const parts[]
            = { "m", "cm", "d", "cd", "c", "xc", "l", "xl", "x", "ix", "v", "iv", "i" };
        static const int values[] = { 1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1 };
        QString roman;
        for (int i = 0; i < 13; ++i) {
            for (; n >= values[i]; n -= values[i])
                roman += QLatin1String(parts[i]);
        }
        return style == 'I' ? roman.toUpper() : roman;
    }
    case 'a':
    case 'A':
        // a ... z, then aa ... zz, up to four letters; a mark stays short whatever its number,
        // and past those the number itself is the mark.
        if (n > 26 * MaxRepeats)
            break;
        return QString((n - 1) / 26 + 1, QChar(char16_t(style + (n - 1) % 26)));
    case '*': {
        static const char16_t signs[] = { u'*', 0x2020, 0x2021, 0x00A7 };
        if (n > 4 * MaxRepeats)
            break;
        return QString((n - 1) / 4 + 1, QChar(signs[(n - 1) % 4]));
    }
    default:
        break;
    }
    return QString::number(n);
}

} // namespace Rtf
