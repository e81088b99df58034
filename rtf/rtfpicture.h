#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTextImageFormat>
#include <optional>

class QTextDocument;

namespace Rtf {

// The data and properties of one \pict group. PNG and JPEG are decoded and shown; other kinds
// (metafiles, device-independent bitmaps) keep their place as an empty frame of the size they
// declare.
class Picture {
public:
    enum Kind { None, Png, Jpeg, Other };

    void setKind(Kind kind) { m_kind = kind; }
    bool wanted() const { return m_kind == Png || m_kind == Jpeg; }
    // Hex digits of the picture data; anything else in the text is ignored.
    void addHex(QByteArrayView text);
    // Raw bytes given through \bin.
    void addBinary(QByteArrayView bytes);

    // Sizes in twips (\picwgoal, \pichgoal), in the picture's own units (\picw, \pich), and
    // scaling in percent.
    int widthGoal = 0, heightGoal = 0, width = 0, height = 0, scaleX = 100, scaleY = 100;

    // What the pictures of one document may take together.
    struct Budget {
        qint64 pixelsLeft = qint64(8) * 1024 * 1024;
        bool placeholderAdded = false;
    };

    // Decodes the picture and gives the document a resource for it; nothing when its data does
    // not decode. A picture past the budget, or of a kind that is not decoded, is shown as an
    // empty frame of its size (nothing when it declares none).
    std::optional<QTextImageFormat> finish(QTextDocument* document, int number, Budget* budget);

private:
    static QTextImageFormat emptyFrame(
        QTextDocument* document, Budget* budget, int width, int height);
    Kind m_kind = None;
    QByteArray m_data;
    int m_pendingNibble = -1;
};

} // namespace Rtf
