#include "rtf/rtfrowdefinition.h"

namespace Rtf {

using Content::Border;
using Content::CellDef;

void RowDefinition::property(Keyword word, int param, std::uint8_t value)
{
    switch (word) {
    case Keyword::RowDefaults: {
        std::vector<CellDef> loose;
        if (m_looseFrom >= 0 && m_looseFrom < int(m_row.cells.size()))
            loose.assign(m_row.cells.begin() + m_looseFrom, m_row.cells.end());
        m_looseFrom = -1;
        m_new = true;
        m_row = Content::RowDef();
        m_row.cells = std::move(loose);
        m_pending = CellDef();
        m_border = nullptr;
        return;
    }
    case Keyword::CellEdge:
        if (!m_new && m_looseFrom < 0)
            m_looseFrom = int(m_row.cells.size());
        m_pending.rightEdge = param;
        if (int(m_row.cells.size()) < Content::RowDef::MaxCells)
            m_row.cells.push_back(m_pending);
        m_pending = CellDef();
        m_border = nullptr;
        return;
    case Keyword::BorderSide:
        borderSide(BorderSide(value));
        return;
    case Keyword::BorderStyle:
        if (m_border)
            m_border->style = Border::Style(value);
        return;
    case Keyword::BorderWidth:
        if (m_border)
            m_border->width = param;
        return;
    case Keyword::BorderColor:
        if (m_border)
            m_border->color = param;
        return;
    case Keyword::RowLeft:
        m_row.rowLeft = param;
        return;
    case Keyword::RowGap:
        m_row.gap = param;
        return;
    case Keyword::RowPadding:
        if (value < 4)
            m_row.padding[value] = qMax(0, param);
        return;
    case Keyword::CellPadding:
        if (value < 4)
            m_pending.padding[value] = qMax(0, param);
        return;
    case Keyword::RowAlignment:
        m_row.alignment = Content::RowDef::Alignment(value);
        return;
    case Keyword::CellShading: {
        Content::Shading& shading = m_pending.shading;
        if (value == 0)
            shading.background = qMax(0, param);
        else if (value == 1)
            shading.pattern = qMax(0, param);
        else
            shading.percent = qBound(0, param, 10000);
        return;
    }
    case Keyword::CellFlag:
        switch (CellFlag(value)) {
        case CellFlag::MergeFirst:
            m_pending.mergeFirst = true;
            return;
        case CellFlag::Merged:
            m_pending.merged = true;
            return;
        case CellFlag::VerticalFirst:
            m_pending.verticalFirst = true;
            return;
        case CellFlag::VerticalMerged:
            m_pending.verticalMerged = true;
            return;
        case CellFlag::AlignTop:
            m_pending.alignment = CellDef::Top;
            return;
        case CellFlag::AlignMiddle:
            m_pending.alignment = CellDef::Middle;
            return;
        case CellFlag::AlignBottom:
            m_pending.alignment = CellDef::Bottom;
            return;
        }
        return;
    default:
        return;
    }
}

void RowDefinition::borderSide(BorderSide side)
{
    switch (side) {
    case BorderSide::CellTop:
        m_border = &m_pending.top;
        break;
    case BorderSide::CellLeft:
        m_border = &m_pending.left;
        break;
    case BorderSide::CellBottom:
        m_border = &m_pending.bottom;
        break;
    case BorderSide::CellRight:
        m_border = &m_pending.right;
        break;
    case BorderSide::RowTop:
        m_border = &m_row.top;
        break;
    case BorderSide::RowLeft:
        m_border = &m_row.left;
        break;
    case BorderSide::RowBottom:
        m_border = &m_row.bottom;
        break;
    case BorderSide::RowRight:
        m_border = &m_row.right;
        break;
    case BorderSide::RowInner:
        m_border = &m_row.inner;
        break;
    case BorderSide::RowBetween:
        m_border = &m_row.between;
        break;
    default: // sides of paragraphs and characters
        m_border = nullptr;
        return;
    }
    *m_border = Border();
    m_border->declared = true;
}

void setParagraphBorder(
    Content::ParaProps& para, BorderSide side, Keyword word, int param, std::uint8_t value)
{
    Border* const sides[]
        = { &para.borderTop, &para.borderLeft, &para.borderBottom, &para.borderRight };
    const int which = int(side) - int(BorderSide::ParagraphTop);
    for (int i = 0; i < 4; ++i) {
        if (which != 4 && which != i)
            continue;
        Border& border = *sides[i];
        if (word == Keyword::BorderSide)
            border = Border { Border::None, 0, 0, true };
        else if (word == Keyword::BorderStyle)
            border.style = Border::Style(value);
        else if (word == Keyword::BorderWidth)
            border.width = param;
        else if (word == Keyword::BorderColor)
            border.color = param;
    }
}

} // namespace Rtf
