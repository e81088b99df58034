#pragma once

#include <QByteArray>
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

// How many of the last bytes begin a UTF-8 sequence that they do not finish (0 to 3).
qsizetype unfinishedUtf8(QByteArrayView bytes);

// UTF-16 without a mark is judged on this many first bytes.
constexpr qsizetype Utf16Sample = 64 * 1024;

// detect() for a file read in pieces, so that it need not be held whole: the first piece holds
// the file's first Utf16Sample bytes (or all of it), the others follow in order.
class Detector {
public:
    void feed(QByteArrayView piece);
    // True when the rest of the file cannot change the answer: a mark or UTF-16 decided, or
    // bytes that are not UTF-8 were seen.
    bool settled() const { return m_settled; }
    // The encoding of the bytes fed so far, as detect() tells it of them all.
    Encoding encoding() const;

private:
    bool m_started = false;
    bool m_settled = false;
    Encoding m_encoding = Encoding::Cp437;
    bool m_nonAscii = false;
    bool m_validUtf8 = true;
    // The last bytes of a piece that begin a UTF-8 sequence the next piece ends.
    QByteArray m_pending;
};

// decode() for a file read in pieces: the pieces' texts, one after the other, are the text of
// the whole file. What may depend on the bytes after a piece (a sequence cut in two, a final
// end-of-file byte, a surrogate whose other half may follow, a CR before a LF) waits for them.
class Decoder {
public:
    // head: the file's first bytes (three, or all of it), which may hold a byte-order mark.
    Decoder(Encoding encoding, QByteArrayView head);
    // Appends the text of the next piece of the file to out.
    void decode(QByteArrayView piece, QString& out);
    // Appends what was waiting at the end of the file.
    void finish(QString& out);

private:
    void decodeBytes(QByteArrayView bytes, QString& out);
    void decodeUtf16(QByteArrayView bytes, QString& out);
    // Turns CR LF and lone CR from position from of out on into '\n'.
    void unifyLineBreaks(QString& out, qsizetype from);

    Encoding m_encoding;
    qsizetype m_markLeft = 0;
    QByteArray m_pending;
    bool m_afterCr = false;
};

// Length of the longest run of characters without a space, tab or line or paragraph break (the
// marks where a table or cell begins or ends count as breaks): a long one cannot be wrapped at
// word boundaries without trying every position of it.
qsizetype longestUnbrokenRun(QStringView text);

} // namespace TextDecoding
