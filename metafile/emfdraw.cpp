#include "emfdraw.h"

#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <emf2svg.h>

QImage drawEmf(const QByteArray& data, int width, int height)
{
    generatorOptions options {};
    // Without a prefix on the elements: with one, the library closes some of them unprefixed,
    // which is no longer XML.
    options.nameSpace = const_cast<char*>("");
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    char* svg = nullptr;
    size_t length = 0;
    const int converted = emf2svg(
        const_cast<char*>(data.constData()), size_t(data.size()), &svg, &length, &options);
    const QByteArray drawing = svg ? QByteArray(svg, qsizetype(length)) : QByteArray();
    std::free(svg);
    if (!converted || drawing.isEmpty())
        return {};
    QSvgRenderer renderer(drawing);
    if (!renderer.isValid())
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, width, height));
    painter.end();
    return image;
}
