#pragma once

#include "rtf/rtfcodepage.h"
#include "rtf/rtfstate.h"

#include <QByteArray>
#include <QString>

namespace Content {
class Sink;
}

namespace Rtf {

class SymbolField;

// The text of the document as it is read: bytes gathered and decoded together in the code page of
// their font (so that double-byte characters stay whole), Unicode characters paired up, symbol
// faces turned into the characters their glyphs show, and text that is not shown left out.
class TextBuffer {
public:
    TextBuffer(Content::Sink* sink, SymbolField* field)
        : m_sink(sink)
        , m_field(field)
    {
    }

    void setDocumentCodePage(int codePage) { m_documentCodePage = codePage; }
    TextDecoder& decoder() { return m_decoder; }

    // Bytes of text in the group's code page.
    void addBytes(QByteArrayView bytes, const GroupState& state);
    // One UTF-16 unit given by number (\uN, \~, \tab ...).
    void addCharacter(char16_t c, const GroupState& state);
    // Text made by the reader (a note's mark, a symbol field's character).
    void addText(QStringView text, const GroupState& state);
    // Decodes the bytes gathered so far; before anything changes the state they were read in.
    void flush(const GroupState& state);
    // A high surrogate that no low one followed becomes a replacement character.
    void endDanglingSurrogate(const GroupState& state);
    // True while a lead byte waits for its second byte.
    bool waitsForTrailByte() const { return m_waitingForTrailByte; }
    // How many characters have been handed on so far.
    qint64 handed() const { return m_handed; }

private:
    int codePageOf(const GroupState& state) const
    {
        return state.codePage ? state.codePage : m_documentCodePage;
    }
    void hand(QStringView text, const GroupState& state);

    Content::Sink* m_sink;
    SymbolField* m_field;
    TextDecoder m_decoder;
    int m_documentCodePage = CodePage::Ansi;
    QByteArray m_bytes;
    int m_byteCodePage = 0;
    bool m_waitingForTrailByte = false;
    char16_t m_highSurrogate = 0;
    QString m_decoded;
    QString m_mapped;
    qint64 m_handed = 0;
};

} // namespace Rtf
