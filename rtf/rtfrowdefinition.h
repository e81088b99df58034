#pragma once

#include "content/tables.h"
#include "rtf/rtfkeywords.h"

namespace Rtf {

// The definition of a table row as its words come: \trowd, \cellx, the sides, merges and
// alignment of the cells, the row's sides, \trleft and \trgaph.
class RowDefinition {
public:
    void property(Keyword word, int param, std::uint8_t value);
    const Content::RowDef& row() const { return m_row; }
    // Whether a \trowd has begun a definition that no end of a cell or row has used yet.
    bool isNew() const { return m_new; }
    void used()
    {
        m_new = false;
        m_looseFrom = -1;
    }

private:
    void borderSide(BorderSide side);

    Content::RowDef m_row;
    Content::CellDef m_pending; // the cell whose \cellx has not come yet
    // The border the next style, width and colour words are for.
    Content::Border* m_border = nullptr;
    bool m_new = false;
    // The first of the cells defined with no \trowd before them, -1 when there are none: a
    // \trowd that comes after them, before their row ends, does not take them away.
    int m_looseFrom = -1;
};

// A border word of a paragraph's side (or of all four, for \box): the side word begins the
// border anew, the style, width and colour words describe it.
void setParagraphBorder(
    Content::ParaProps& para, BorderSide side, Keyword word, int param, std::uint8_t value);

} // namespace Rtf
