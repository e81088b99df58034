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
        for (int side = 0; side < 4; ++side) {
            if (cellPadding(cell, Side(side)) != 0)
                return true;
        }
    }
    return false;
}

int RowDef::cellPadding(const CellDef& cell, Side side) const
{
    const int i = int(side);
    if (cell.padding[i] >= 0)
        return cell.padding[i];
    if (padding[i] >= 0)
        return padding[i];
    return (side == Side::Left || side == Side::Right) ? std::max(0, gap) : 0;
}

} // namespace Content
