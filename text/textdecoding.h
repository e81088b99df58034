#pragma once

#include <QByteArrayView>
#include <QString>

// How the bytes of a plain-text file become the text the view shows:
// - a byte-order mark (UTF-8, UTF-16LE, UTF-16BE) decides;
// - UTF-16 without a mark is recognised by zero bytes in every other position;
// - otherwise bytes that form valid UTF-8 and include non-ASCII bytes are UTF-8;
// - everything else is code page 437, each byte its DOS glyph (tab, LF and CR excepted).
// CR LF, LF and a lone CR each become one '\n', and a DOS end-of-file byte (0x1A) at the very
// end is dropped.
namespace TextDecoding {

enum class Encoding { Utf8WithMark, Utf16LE, Utf16BE, Utf8, Cp437 };

Encoding detect(QByteArrayView bytes);
QString decode(QByteArrayView bytes);

// Length of the longest run of characters without a space, tab or line or paragraph break (the
// marks where a table or cell begins or ends count as breaks): a long one cannot be wrapped at
// word boundaries without trying every position of it.
qsizetype longestUnbrokenRun(QStringView text);

} // namespace TextDecoding
