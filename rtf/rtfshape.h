#pragma once

#include "rtf/rtfkeywords.h"
#include "rtf/rtfstate.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace Rtf {

// Shapes (\shp): their properties are not shown, but the picture a shape is filled with (its
// "pib" property) and the text of a text box (\shptxt) are, where the shape is anchored. The
// shape's result (\shprslt), the same again for readers of older drawings, is then passed over;
// writers that give no result leave the property's picture the only copy.
class ShapeReader {
public:
    // A destination word of a shape in a group at this depth: false when the group is to be
    // skipped; else *destination is what the group's text is for.
    bool enter(Keyword word, std::int64_t depth, Destination* destination);
    void nameText(QByteArrayView bytes);
    // A picture ended in the given destination (that of the group around it).
    void pictureEnded(Destination around);
    void groupEnded(std::int64_t depth);

private:
    std::int64_t m_shapeDepth = -1;
    QByteArray m_name; // of the property being read
    bool m_pictureShown = false;
    bool m_textShown = false; // the shape's text box (\shptxt) was read as text
};

} // namespace Rtf
