#pragma once

#include "content/properties.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// Table rows as a document defines them, in twips.
namespace Content {

// A cell of a row definition: its right edge, its own sides, how it merges and where its text
// stands.
struct CellDef {
    enum Alignment : std::uint8_t { Top, Middle, Bottom };
    int rightEdge = 0;
    Alignment alignment = Top;
    Border top, left, bottom, right;
    bool mergeFirst = false, merged = false; // across
    bool verticalFirst = false, verticalMerged = false; // down
    Shading shading;
    // The cell's own space between its sides and its text (top, left, bottom, right), or -1
    // where the row's holds.
    int padding[4] = { -1, -1, -1, -1 };

    bool operator==(const CellDef&) const = default;
};

// The row that the next end of a row closes: its cells and its own sides, used by cells without
// their own.
struct RowDef {
    static constexpr int MaxCells = 64;
    std::vector<CellDef> cells;
    Border top, left, bottom, right;
    Border inner; // between rows
    Border between; // between cells
    enum Alignment : std::uint8_t { Left, Center, Right };
    Alignment alignment = Left; // of the row on the page
    int rowLeft = 0;
    int gap = -1; // half the space between cells, or -1 when not given
    // The space between the sides of the row's cells and their text (top, left, bottom, right),
    // or -1 when not given: the left and right then come from the gap, the top and bottom are 0.
    int padding[4] = { -1, -1, -1, -1 };
    enum class Side : std::uint8_t { Top, Left, Bottom, Right };
    // The space of a cell's side, in twips, as the cell or else the row gives it.
    int cellPadding(const CellDef& cell, Side side) const;

    // Whether any cell of the row has a border to draw or its text anywhere but at the top.
    bool drawsAnything() const;
    // Whether the cells of the two rows look the same.
    bool looksLike(const RowDef& other) const
    {
        return cells == other.cells && top == other.top && left == other.left
            && bottom == other.bottom && right == other.right && inner == other.inner
            && between == other.between && gap == other.gap
            && std::equal(padding, padding + 4, other.padding);
    }
};

} // namespace Content
