#pragma once

#include <QByteArray>
#include <QImage>

// Draws an enhanced metafile (EMF) at width x height pixels: libemf2svg turns its records into
// SVG, which Qt's SVG renderer draws. A null image when the metafile cannot be converted.
QImage drawEmf(const QByteArray& data, int width, int height);
