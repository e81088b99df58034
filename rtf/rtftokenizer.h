#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace Rtf {

// One piece of RTF syntax. Views point into the bytes being read and stay valid while they live.
struct Token {
    enum Kind {
        End, // no bytes left
        GroupStart, // {
        GroupEnd, // }
        Word, // a control word with an optional parameter: \b, \fs24, \u-3913
        Symbol, // a control symbol: \~, \{, \*
        Hex, // \'hh: one byte of text in the current code page
        Text, // a run of plain bytes (never braces, backslashes or line breaks)
    };
    Kind kind = End;
    QByteArrayView text; // the run of a Text token, the name of a Word
    std::int32_t param = 0; // a Word's parameter, clamped to 32 bits
    bool hasParam = false;
    unsigned char byte = 0; // the byte of a Hex token, the character of a Symbol
};

// Cuts RTF bytes into tokens. It never fails: damaged syntax becomes whatever token it most
// resembles, and the end of the bytes ends every construct.
class Tokenizer {
public:
    // Longer control words are read whole but reported with an empty name, so they match nothing.
    static constexpr int MaxWordLength = 32;

    explicit Tokenizer(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }

    Token next();
    // Takes up to count raw bytes (the data of \bin), whatever they hold.
    QByteArrayView takeBytes(std::int64_t count);
    // The next byte if it is one that cannot start a token of its own for a text decoder that
    // waits for the second byte of a double-byte character: a brace or a lone backslash.
    bool takeRawTrailByte(unsigned char* byte);

    // Takes the rest of the current group without looking at it: braces counted, \bin data
    // stepped over. False when the bytes end first.
    bool skipGroup();
    // Steps over the fallback of \uN: count characters, each \'hh, control word and control
    // symbol counting as one. A brace ends it early and stays to be read. What is left of a run
    // of text the fallback ends in is returned.
    QByteArrayView skipFallback(int count);

    qsizetype position() const { return m_pos; }
    // Goes back to a position given by position(), to read a token again.
    void rewind(qsizetype position) { m_pos = position; }
    qsizetype size() const { return m_bytes.size(); }
    bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    // Reads what follows a backslash into token; false when it is a damaged escape that gives
    // no token at all.
    bool readControl(Token* token);
    Token readWord();

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

} // namespace Rtf
