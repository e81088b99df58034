#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>

// Code page 437 as a DOS screen shows it: every byte is a glyph, the control bytes 0x01-0x1F
// and 0x7F included (smileys, card suits, arrows, the house). Tab, line feed and carriage return
// keep their meaning, since text files use them as such.
namespace Cp437 {

// The glyph of one byte (0x00 shows as a space, as on a DOS screen).
char16_t glyph(unsigned char byte);
// The glyph of one byte, but tab, line feed and carriage return stay themselves.
char16_t textChar(unsigned char byte);
// textChar() of every byte value, for loops that decode many bytes.
const char16_t* textTable();
// Decodes bytes with textChar(); line breaks are left as they are.
QString decode(QByteArrayView bytes);

} // namespace Cp437
