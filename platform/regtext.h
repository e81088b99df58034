#pragma once

#include "platform/regfile.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// The text of a registry export as characters: the ANSI code page's table, the test that tells
// an older-format file saved in UTF-8 from ANSI, and the reader of its lines in any of the three
// encodings. Part of the export reader (platform/regfile.cpp), which alone uses it.
namespace RegFile {

// Every byte's character in the ANSI code page.
const QString& ansiCharacters();

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing beyond
// U+10FFFF) holding at least one character beyond ASCII.
bool isUtf8BeyondAscii(QByteArrayView bytes);

// The lines of the text one at a time, each decoded on its own into the same buffer: a file
// of any shape costs one line of memory, and a line no allocation once the buffer has grown.
// Lines end at LF; a text of n line feeds has n + 1 lines.
class LineReader {
public:
    LineReader(QByteArrayView text, Encoding encoding, qsizetype from = 0);

    // Where the next line begins.
    qsizetype position() const { return m_pos; }

    // The next line, without its LF; false once the text is used up.
    bool next(QString& line);

    // Passes over the lines ahead that hold nothing but ASCII blanks, without decoding them:
    // a file of blank lines reads as fast as its bytes can be looked at.
    void skipBlankLines();

private:
    qsizetype unitSize() const { return m_encoding == Encoding::Utf16le ? 2 : 1; }

    // Where the current line's LF is, or the end of the text.
    qsizetype lineEnd() const;

    void decode(QByteArrayView bytes, QString& line);

    QByteArrayView m_text;
    Encoding m_encoding;
    QStringDecoder m_utf8;
    qsizetype m_pos;
};

// The text's first line, trimmed: where an export's header is.
QString firstLine(QByteArrayView text, Encoding encoding);

} // namespace RegFile
