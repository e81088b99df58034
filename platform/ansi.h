#pragma once

#include <QByteArray>
#include <QString>

// The ANSI code page (Windows-1252, Western) of the registry and shell calls: one byte per
// character, every byte has a character, characters without a byte become '?'.
namespace Ansi {

QString toUnicode(QByteArrayView bytes);
QByteArray fromUnicode(QStringView text);

} // namespace Ansi
