// The rows of RTF tables as the writer finishes them: the borders, shading and alignment of their
// cells, the widths of their columns and their merged cells, from the rows' definitions.
#include "view/rtfwriter.h"

#include "forms/units.h"
#include "view/layoutbudget.h"

#include <QTextTable>

using Content::Border;
using Content::CellDef;
using namespace LayoutBudget;

namespace {

void setSide(QTextTableCellFormat& f, const Border& b, const TextFormats& formats,
    void (QTextTableCellFormat::*width)(qreal),
    void (QTextTableCellFormat::*style)(QTextFrameFormat::BorderStyle),
    void (QTextTableCellFormat::*brush)(const QBrush&))
{
    if (b.style == Border::None) {
        (f.*width)(0);
        return;
    }
    // Hairlines and lines thinner than a pixel still show as one pixel.
    (f.*width)(qMax(1, Units::px(qBound(0, b.width, LayoutBudget::MaxBorderTwips)))
        * (b.style == Border::Double ? 3 : 1));
    switch (b.style) {
    case Border::Double:
        (f.*style)(QTextFrameFormat::BorderStyle_Double);
        break;
    case Border::Dotted:
        (f.*style)(QTextFrameFormat::BorderStyle_Dotted);
        break;
    case Border::Dashed:
        (f.*style)(QTextFrameFormat::BorderStyle_Dashed);
        break;
    default:
        (f.*style)(QTextFrameFormat::BorderStyle_Solid);
        break;
    }
    const QColor color = formats.color(b.color);
    (f.*brush)(color.isValid() ? QBrush(color) : QBrush(Qt::black));
}

} // namespace

QTextTableCellFormat RtfWriter::cellFormat(int column) const
{
    QTextTableCellFormat f;
    const CellDef& cell = m_rowDef.cells[size_t(column)];
    const bool first = column == 0;
    const bool last = column + 1 == int(m_rowDef.cells.size());
    // A cell's own side, else the row's: its outer sides at the edges, the inner ones between
    // (a row does not know whether rows come before or after it: the outer ones where given).
    const Border& top = cell.top.declared ? cell.top
        : m_rowDef.top.declared           ? m_rowDef.top
                                          : m_rowDef.inner;
    const Border& bottom = cell.bottom.declared ? cell.bottom
        : m_rowDef.bottom.declared              ? m_rowDef.bottom
                                                : m_rowDef.inner;
    const Border& left = cell.left.declared ? cell.left : first ? m_rowDef.left : m_rowDef.between;
    const Border& right = cell.right.declared ? cell.right
        : last                                ? m_rowDef.right
                                              : m_rowDef.between;
    setSide(f, top, m_formats, &QTextTableCellFormat::setTopBorder,
        &QTextTableCellFormat::setTopBorderStyle, &QTextTableCellFormat::setTopBorderBrush);
    setSide(f, bottom, m_formats, &QTextTableCellFormat::setBottomBorder,
        &QTextTableCellFormat::setBottomBorderStyle, &QTextTableCellFormat::setBottomBorderBrush);
    setSide(f, left, m_formats, &QTextTableCellFormat::setLeftBorder,
        &QTextTableCellFormat::setLeftBorderStyle, &QTextTableCellFormat::setLeftBorderBrush);
    setSide(f, right, m_formats, &QTextTableCellFormat::setRightBorder,
        &QTextTableCellFormat::setRightBorderStyle, &QTextTableCellFormat::setRightBorderBrush);
    using Side = Content::RowDef::Side;
    const auto padding = [&](Side side) {
        return qreal(Units::px(qBound(0, m_rowDef.cellPadding(cell, side), MaxCellPaddingTwips)));
    };
    f.setTopPadding(padding(Side::Top));
    f.setLeftPadding(padding(Side::Left));
    f.setBottomPadding(padding(Side::Bottom));
    f.setRightPadding(padding(Side::Right));
    const CellDef::Alignment alignment = cell.alignment;
    if (alignment != CellDef::Top)
        f.setVerticalAlignment(alignment == CellDef::Middle ? QTextCharFormat::AlignMiddle
                                                            : QTextCharFormat::AlignBottom);
    const QColor shade = m_formats.shade(cell.shading);
    if (shade.isValid())
        f.setBackground(shade);
    return f;
}

void RtfWriter::finishRow(OpenTable& t)
{
    // Cells start with no borders and their text at the top: rows that ask for nothing else
    // are left as they are. The row's cells are known from writing them: asking the table for
    // each would be slow.
    if (m_rowDef.drawsAnything()) {
        if (!m_rowDef.looksLike(t.formatsFrom) || t.cellFormats.size() != m_rowDef.cells.size()) {
            t.cellFormats.clear();
            for (int c = 0; c < int(m_rowDef.cells.size()); ++c)
                t.cellFormats.push_back(cellFormat(c));
            t.formatsFrom = m_rowDef;
        }
        const size_t columns = qMin(t.cellFormats.size(), t.rowCells.size());
        for (size_t c = 0; c < columns; ++c)
            t.rowCells[c].setFormat(t.cellFormats[c]);
    }
    setColumnWidths(t);
    mergeCells(t);
    fitToGrid(t);
    t.rowCells.clear();
    t.edges = edgesOf(m_rowDef);
}

void RtfWriter::setColumnWidths(OpenTable& t)
{
    // The first row to give a column its width decides it; rows with other edges keep the grid.
    const int tableColumns = t.table->columns();
    const int columns = qMin(int(m_rowDef.cells.size()), tableColumns);
    if (columns <= t.widthsSet)
        return;
    QTextTableFormat format = t.table->format();
    QList<QTextLength> widths = format.columnWidthConstraints();
    // One entry a column, always: the table copies entries as it gains columns, and a shorter
    // list makes it write past the list's end.
    widths.resize(tableColumns);
    int left = m_rowDef.rowLeft;
    for (int c = 0; c < columns; ++c) {
        const int right = m_rowDef.cells[size_t(c)].rightEdge;
        // Edges are the file's numbers, any of them: their difference is taken wide.
        const int width = int(qBound<qint64>(0, qint64(right) - left, qint64(MaxTwips)));
        left = right;
        if (c >= t.widthsSet && width > 0)
            widths[c] = QTextLength(QTextLength::FixedLength, Units::px(width));
    }
    t.widthsSet = columns;
    format.setColumnWidthConstraints(widths);
    t.table->setFormat(format);
}

namespace {

// Cells merged away hold nothing in the documents writers make. Cells that do hold something
// are kept apart: the table would move their content, nested tables included, into the
// merged cell, and that is not safe with damaged input.
bool isEmpty(const QTextTableCell& cell)
{
    return cell.isValid() && cell.firstPosition() == cell.lastPosition();
}

} // namespace

void RtfWriter::mergeCells(OpenTable& t)
{
    const int columns = qMin(int(m_rowDef.cells.size()), t.table->columns());
    if (int(t.verticalStart.size()) < columns)
        t.verticalStart.resize(size_t(columns), -1);
    for (int c = 0; c < columns; ++c) {
        const CellDef& cell = m_rowDef.cells[size_t(c)];
        int& start = t.verticalStart[size_t(c)];
        // A merge down a very long run of rows is damage; extending it row by row would take
        // time that grows with the square of its length.
        if (cell.verticalFirst)
            start = t.row;
        else if (!cell.verticalMerged || t.row - start > MaxVerticalSpan)
            start = -1;
        if (!cell.mergeFirst)
            continue;
        int span = 1;
        while (c + span < columns && m_rowDef.cells[size_t(c + span)].merged
            && isEmpty(t.table->cellAt(t.row, c + span)))
            ++span;
        if (span > 1)
            t.table->mergeCells(t.row, c, 1, span);
    }
    for (int c = 0; c < columns; ++c) {
        int& start = t.verticalStart[size_t(c)];
        if (start < 0 || start >= t.row || !m_rowDef.cells[size_t(c)].verticalMerged)
            continue;
        const QTextTableCell here = t.table->cellAt(t.row, c);
        const QTextTableCell top = t.table->cellAt(start, c);
        if (!isEmpty(here) || here.row() != t.row || here.column() != c || top.column() != c) {
            start = -1;
            continue;
        }
        t.table->mergeCells(start, c, t.row - start + 1, top.columnSpan());
    }
}

namespace {

// Whether the first edges of one row are those of another.
bool startsLike(const std::vector<int>& edges, const std::vector<int>& of, size_t count)
{
    return edges.size() >= count && of.size() >= count
        && std::equal(edges.begin(), edges.begin() + qsizetype(count), of.begin());
}

} // namespace

void RtfWriter::fitToGrid(OpenTable& t)
{
    // A row's definition may come at its end, when its cells are in the table already: rows
    // whose definition differs from the rows before them then stay in the table. Two such rows
    // are common and fit it: one with fewer cells whose last reaches the table's right edge (a
    // heading across the table), and one that divides the last column of the rows before it.
    if (&t != &m_tables.front())
        return;
    const std::vector<int> edges = edgesOf(m_rowDef);
    if (edges.size() < 2)
        return;
    if (t.grid.empty() || t.row == 0) {
        t.grid = edges;
        return;
    }
    const std::vector<int>& grid = t.grid;
    if (edges == grid || edges.back() != grid.back() || edges.size() == grid.size())
        return;
    const int columns = t.table->columns();
    if (edges.size() < grid.size()) {
        // Fewer cells: the last spans the columns left, when they hold nothing.
        const int last = int(edges.size()) - 2;
        const int span = int(grid.size()) - 1 - last;
        if (!startsLike(edges, grid, size_t(last + 1)) || last + span > columns)
            return;
        for (int c = last + 1; c < last + span; ++c) {
            if (!isEmpty(t.table->cellAt(t.row, c)))
                return;
        }
        if (t.table->cellAt(t.row, last).columnSpan() == 1)
            t.table->mergeCells(t.row, last, 1, span);
        return;
    }
    // More cells: they give the table its columns; the last cell of each row before spans the
    // columns its own right edge covers.
    const int last = int(grid.size()) - 2;
    const int span = int(edges.size()) - 1 - last;
    if (!startsLike(grid, edges, size_t(last + 1)) || int(edges.size()) - 1 > columns)
        return;
    QTextTableFormat format = t.table->format();
    QList<QTextLength> widths = format.columnWidthConstraints();
    widths.resize(columns);
    for (int c = 0; c + 1 < int(edges.size()); ++c) {
        const int width = int(
            qBound<qint64>(0, qint64(edges[size_t(c + 1)]) - edges[size_t(c)], qint64(MaxTwips)));
        if (width > 0)
            widths[c] = QTextLength(QTextLength::FixedLength, Units::px(width));
    }
    format.setColumnWidthConstraints(widths);
    t.table->setFormat(format);
    t.widthsSet = qMax(t.widthsSet, int(edges.size()) - 1);
    for (int r = 0; r < t.row; ++r) {
        const QTextTableCell cell = t.table->cellAt(r, last);
        if (cell.row() != r || cell.column() != last || cell.rowSpan() != 1
            || cell.columnSpan() != 1)
            continue;
        bool empty = true;
        for (int c = last + 1; c < last + span && empty; ++c)
            empty = isEmpty(t.table->cellAt(r, c));
        if (empty)
            t.table->mergeCells(r, last, 1, span);
    }
    t.grid = edges;
}
