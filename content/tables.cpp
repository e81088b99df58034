#include "content/tables.h"

namespace Content {

bool RowDef::drawsAnything() const
{
    const auto declares = [](const Border& b) { return b.declared && b.style != Border::None; };
    if (declares(top) || declares(left) || declares(bottom) || declares(right) || declares(inner)
        || declares(between))
        return true;
    for (const CellDef& cell : cells) {
        if (declares(cell.top) || declares(cell.left) || declares(cell.bottom)
            || declares(cell.right) || cell.alignment != CellDef::Top || cell.shading.isSet())
            return true;
    }
    return false;
}

} // namespace Content
