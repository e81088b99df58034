#pragma once

#include <QIcon>
#include <QString>

// An icon file whose colour image comes with a 1-bit mask, shown with the mask's transparency.
// Qt 6.4 reads the colours of such an icon but leaves every pixel opaque, so the pixels the mask
// takes away would appear as a black square around the picture.
QIcon maskedIcon(const QString& path);
