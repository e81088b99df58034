#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <map>
#include <set>

namespace Rtf {

// Code pages of RTF text. Bytes are decoded through Qt's decoders (ICU), except code page 437,
// which the plain-text loader already knows with the DOS glyphs, and the symbol character set,
// whose bytes become the private-use characters U+F000 + byte that symbol fonts are mapped to.
namespace CodePage {

    constexpr int Symbol = 2; // not a code page: the font's own glyphs
    constexpr int Ansi = 1252;
    constexpr int Oem = 437;

    // The code page of a font character set (\fcharsetN); 0 when the set names no code page of its
    // own (the default set), so the document's code page applies.
    int forCharset(int charset);
    // True for the code pages where a byte can start a two-byte character.
    bool isDoubleByte(int codePage);
    bool isLeadByte(int codePage, unsigned char byte);
    // The character a byte stands for in Windows-1252.
    char32_t windowsCharacter(unsigned char byte);

} // namespace CodePage

// Decodes byte runs, keeping one decoder per code page.
class TextDecoder {
public:
    void decode(int codePage, QByteArrayView bytes, QString* out);

private:
    QStringDecoder* decoderFor(int codePage);
    std::map<int, QStringDecoder> m_decoders;
    std::set<int> m_unknown;
};

} // namespace Rtf
