#include "view/cellrows.h"

namespace CellRows {

int glyphCount(QStringView text)
{
    int glyphs = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
            continue;
        if (text[i].unicode() != LineSeparator)
            ++glyphs;
    }
    return glyphs;
}

} // namespace CellRows
