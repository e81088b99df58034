#pragma once

#include "content/resources.h"
#include "view/layoutbudget.h"
#include "view/metafiledecoder.h"

#include <QTextImageFormat>
#include <optional>

class QTextDocument;

// Pictures as the view shows them. PNG and JPEG are decoded, and Windows metafiles (WMF, EMF)
// drawn, at the size they are shown; other kinds (device-independent bitmaps, other metafiles)
// and metafiles that do not draw keep their place as an empty frame of the size they declare.
// The pictures of one document share a budget of decoded pixels.
class PictureDecoder {
public:
    explicit PictureDecoder(QTextDocument* document)
        : m_document(document)
    {
    }

    // The image format of the picture, its image given to the document as a resource; nothing
    // when its data does not decode. A picture past the budget, or of a kind that is not decoded,
    // is shown as an empty frame of its size (nothing when it declares none).
    std::optional<QTextImageFormat> decode(const Content::Picture& picture);

private:
    QTextImageFormat emptyFrame(int width, int height);
    std::optional<QTextImageFormat> drawMetafile(const QByteArray& data, int width, int height);
    // The image given to the document as a resource, shown at width x height.
    QTextImageFormat shown(const QImage& image, int width, int height);

    QTextDocument* m_document;
    MetafileDecoder m_metafiles;
    qint64 m_pixelsLeft = LayoutBudget::MaxDocumentPixels;
    bool m_placeholderAdded = false;
    int m_count = 0;
};
