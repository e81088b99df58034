#pragma once

#include "rtf/rtfkeywords.h"

#include <QString>

namespace Rtf {

class Tokenizer;

// Footnote and endnote marks: each kind numbered on its own, in the style the document asks for.
class NoteMarks {
public:
    // \fet, the number styles and the first numbers.
    void property(Keyword word, int param, char style);
    // The mark of the next note, whose group follows the mark in the tokens.
    QString next(Tokenizer& tokens);

private:
    bool isEndnote(Tokenizer& tokens) const;

    int m_footnotes = 0;
    int m_endnotes = 0;
    int m_footnoteStart = 1, m_endnoteStart = 1;
    char m_footnoteStyle = '1', m_endnoteStyle = 'i';
    bool m_endnotesOnly = false;
};

// The number n in a note style: 1, i, I, a, A or * († ‡ § ...).
QString noteNumber(int n, char style);

} // namespace Rtf
