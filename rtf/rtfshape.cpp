#include "rtf/rtfshape.h"

namespace Rtf {

bool ShapeReader::enter(Keyword word, std::int64_t depth, Destination* destination)
{
    switch (word) {
    case Keyword::Shape:
        m_shapeDepth = depth;
        m_pictureShown = false;
        m_textShown = false;
        return true; // its text destinations say what is shown
    case Keyword::ShapeInstructions:
        *destination = Destination::ShapeProperties;
        return true;
    case Keyword::ShapeProperty:
        return *destination == Destination::ShapeProperties;
    case Keyword::ShapeName:
        if (*destination != Destination::ShapeProperties)
            return false;
        m_name.clear();
        *destination = Destination::ShapeName;
        return true;
    case Keyword::ShapeValue:
        // Only the picture the shape is filled with is read; its other values are not text.
        return *destination == Destination::ShapeProperties && m_name.trimmed() == "pib";
    case Keyword::ShapeText:
        // A text box's text is shown where the shape stands, once: the shape's result, a
        // drawing object of the same text, is then passed over.
        if (*destination != Destination::ShapeProperties || m_shapeDepth < 0)
            return false;
        m_textShown = true;
        *destination = Destination::Text;
        return true;
    case Keyword::ShapeResult:
        if ((m_pictureShown || m_textShown) && m_shapeDepth >= 0)
            return false;
        *destination = Destination::Text;
        return true;
    default:
        return true;
    }
}

void ShapeReader::nameText(QByteArrayView bytes)
{
    if (m_name.size() < 64)
        m_name.append(bytes);
}

void ShapeReader::pictureEnded(Destination around)
{
    if (around == Destination::ShapeProperties && m_shapeDepth >= 0)
        m_pictureShown = true;
}

void ShapeReader::groupEnded(std::int64_t depth)
{
    if (depth == m_shapeDepth) {
        m_shapeDepth = -1;
        m_pictureShown = false;
        m_textShown = false;
    }
}

} // namespace Rtf
