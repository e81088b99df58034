#pragma once

#include "content/resources.h"
#include "rtf/rtfkeywords.h"

#include <QByteArrayView>
#include <QHash>
#include <set>

namespace Content {
class Sink;
}

namespace Rtf {

class TextDecoder;

// The font table as it is read: the entries and the code page and symbol face of each, which the
// reader needs to decode text in that font. Entries are handed on when the table ends.
class FontTable {
public:
    // A document names no more fonts than this; entries past it are read and forgotten, and text
    // in them has no font.
    static constexpr int MaxFonts = 1000;
    // Longer names are damage; the rest of such a name is dropped.
    static constexpr qsizetype MaxNameLength = 256;

    explicit FontTable(TextDecoder* decoder)
        : m_decoder(decoder)
    {
    }
    // Names in fonts without a code page of their own are in the document's.
    void setDocumentCodePage(int codePage) { m_documentCodePage = codePage; }

    // \fN inside the table: the entry that the words and text that follow describe.
    void beginEntry(int number);
    // \fcharset, \cpg, the family words and \fprq of the entry.
    void property(Keyword word, int param, std::uint8_t value);
    // The entry's name runs up to ';' (or the entry's end), in the font's code page.
    void text(QByteArrayView bytes);
    // Text of {\*\falt ...}.
    void altText(QByteArrayView bytes);
    // Hands the entries defined since the last call on.
    void finish(Content::Sink* sink);

    // The code page text in this font is written in, 0 for the document's.
    int codePageOf(int font) const;
    Content::SymbolFace symbolFaceOf(int font) const;

private:
    Content::FontEntry& current();
    void setCharset(int charset);
    void endName();

    TextDecoder* m_decoder;
    int m_documentCodePage = 1252;
    QHash<int, Content::FontEntry> m_fonts;
    Content::FontEntry m_spare; // for the fonts past MaxFonts
    int m_current = 0;
    bool m_nameDone = true; // no entry is open
    QByteArray m_name; // bytes of the name being read
    std::set<int> m_changed;
};

} // namespace Rtf
