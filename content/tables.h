#pragma once

#include "content/properties.h"

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
    int gap = 108; // half the space between cells

    // Whether any cell of the row has a border to draw or its text anywhere but at the top.
    bool drawsAnything() const;
    // Whether the cells of the two rows look the same.
    bool looksLike(const RowDef& other) const
    {
        return cells == other.cells && top == other.top && left == other.left
            && bottom == other.bottom && right == other.right && inner == other.inner
            && between == other.between;
    }
};

} // namespace Content
