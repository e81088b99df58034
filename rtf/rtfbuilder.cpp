#include "rtf/rtfbuilder.h"

#include "forms/units.h"

#include <QTextDocument>
#include <QTextTable>

namespace Rtf {

namespace {

    // Tables deeper than this are written as the cells of the deepest one allowed.
    constexpr int MaxTableDepth = 16;
    // A row with more cells than this gets no more columns; the rest of its cells share the last.
    constexpr int MaxColumns = 64;
    // Rows a vertical merge may span.
    constexpr int MaxVerticalSpan = 500;

} // namespace

DocumentBuilder::DocumentBuilder(QTextDocument* document, Formats* formats)
    : m_formats(formats)
    , m_cursor(document)
{
    m_cursor.movePosition(QTextCursor::End);
    // One edit for the whole document: the document then works out its frames (the tables)
    // once at the end instead of after every table.
    m_cursor.beginEditBlock();
}

void DocumentBuilder::addText(QStringView text, const CharState& state)
{
    if (text.isEmpty())
        return;
    if (!m_runs.empty() && m_runs.back().image < 0 && m_runs.back().state == state) {
        m_runs.back().length += text.size();
    } else {
        m_runs.push_back({ m_text.size(), text.size(), state, -1 });
    }
    m_text.append(text);
}

void DocumentBuilder::addImage(const QTextImageFormat& image)
{
    m_runs.push_back({ m_text.size(), 0, CharState(), int(m_images.size()) });
    m_images.append(image);
}

void DocumentBuilder::endParagraph(const ParaState& para, End end)
{
    int level = qMin(para.tableLevel(), MaxTableDepth);
    // A cell or row mark says by itself that the paragraph is in a table.
    if (end == End::Cell || end == End::Row)
        level = level > 1 && end == End::Cell ? level : 1;
    else if (end == End::NestedCell || end == End::NestedRow)
        level = qBound(2, para.nesting, MaxTableDepth);

    closeTablesTo(level);
    const bool content
        = hasContent() || end == End::Paragraph || end == End::Cell || end == End::NestedCell;
    if (level > 0 && content) {
        openTablesTo(level);
        enterCell();
    }
    if (hasContent() || end == End::Paragraph) {
        m_cursor.setBlockFormat(m_formats->blockFormat(para));
        writeRuns();
    }
    switch (end) {
    case End::Paragraph:
        m_cursor.insertBlock();
        break;
    case End::Cell:
    case End::NestedCell:
        if (!m_tables.empty())
            m_tables.back().cellEnded = true;
        break;
    case End::Row:
    case End::NestedRow:
        if (!m_tables.empty() && int(m_tables.size()) == level) {
            // A row is finished once: its merges may have taken cells away that a second row
            // mark with nothing between would find gone.
            if (!m_tables.back().rowEnded)
                finishRow(m_tables.back());
            m_tables.back().rowEnded = true;
            m_tables.back().cellEnded = false;
        }
        break;
    case End::Document:
        closeTablesTo(0);
        m_cursor.endEditBlock();
        break;
    }
}

void DocumentBuilder::closeTablesTo(int level)
{
    while (int(m_tables.size()) > level) {
        m_cursor.setPosition(m_tables.back().table->lastPosition() + 1);
        m_tables.pop_back();
    }
}

void DocumentBuilder::openTablesTo(int level)
{
    while (int(m_tables.size()) < level) {
        if (!m_tables.empty())
            enterCell();
        // Cells draw the borders their rows declare, and only those.
        QTextTableFormat format;
        format.setBorder(0);
        format.setBorderCollapse(false);
        format.setCellPadding(2);
        format.setCellSpacing(0);
        OpenTable added;
        added.table = m_cursor.insertTable(1, 1, format);
        added.rowCells.push_back(added.table->cellAt(0, 0));
        m_tables.push_back(std::move(added));
    }
}

void DocumentBuilder::enterCell()
{
    OpenTable& t = m_tables.back();
    if (t.rowEnded) {
        t.table->appendRows(1);
        ++t.row;
        t.column = 0;
        t.rowCells.clear();
    } else if (t.cellEnded) {
        if (t.column + 1 < MaxColumns) {
            ++t.column;
            if (t.column >= t.table->columns())
                t.table->appendColumns(1);
        }
    } else {
        return; // still in the cell the cursor is in
    }
    t.rowEnded = false;
    t.cellEnded = false;
    const QTextTableCell cell = t.table->cellAt(t.row, t.column);
    if (int(t.rowCells.size()) == t.column)
        t.rowCells.push_back(cell);
    m_cursor = cell.lastCursorPosition();
}

void DocumentBuilder::writeRuns()
{
    for (const Run& run : m_runs) {
        if (run.image >= 0)
            m_cursor.insertImage(m_images.at(run.image));
        else
            m_cursor.insertText(QStringView(m_text).sliced(run.start, run.length).toString(),
                m_formats->charFormat(run.state));
    }
    m_runs.clear();
    m_text.clear();
    m_images.clear();
}

namespace {

    void setSide(QTextTableCellFormat& f, const Border& b, const Formats& formats,
        void (QTextTableCellFormat::*width)(qreal),
        void (QTextTableCellFormat::*style)(QTextFrameFormat::BorderStyle),
        void (QTextTableCellFormat::*brush)(const QBrush&))
    {
        if (b.style == Border::None) {
            (f.*width)(0);
            return;
        }
        // Hairlines and lines thinner than a pixel still show as one pixel.
        (f.*width)(
            qMax(1, Units::px(qBound(0, b.width, 1440))) * (b.style == Border::Double ? 3 : 1));
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

QTextTableCellFormat DocumentBuilder::cellFormat(int column) const
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
    setSide(f, top, *m_formats, &QTextTableCellFormat::setTopBorder,
        &QTextTableCellFormat::setTopBorderStyle, &QTextTableCellFormat::setTopBorderBrush);
    setSide(f, bottom, *m_formats, &QTextTableCellFormat::setBottomBorder,
        &QTextTableCellFormat::setBottomBorderStyle, &QTextTableCellFormat::setBottomBorderBrush);
    setSide(f, left, *m_formats, &QTextTableCellFormat::setLeftBorder,
        &QTextTableCellFormat::setLeftBorderStyle, &QTextTableCellFormat::setLeftBorderBrush);
    setSide(f, right, *m_formats, &QTextTableCellFormat::setRightBorder,
        &QTextTableCellFormat::setRightBorderStyle, &QTextTableCellFormat::setRightBorderBrush);
    const CellDef::Alignment alignment = cell.alignment;
    if (alignment != CellDef::Top)
        f.setVerticalAlignment(alignment == CellDef::Middle ? QTextCharFormat::AlignMiddle
                                                            : QTextCharFormat::AlignBottom);
    return f;
}

bool RowDef::drawsAnything() const
{
    const auto declares = [](const Border& b) { return b.declared && b.style != Border::None; };
    if (declares(top) || declares(left) || declares(bottom) || declares(right) || declares(inner)
        || declares(between))
        return true;
    for (const CellDef& cell : cells) {
        if (declares(cell.top) || declares(cell.left) || declares(cell.bottom)
            || declares(cell.right) || cell.alignment != CellDef::Top)
            return true;
    }
    return false;
}

void DocumentBuilder::finishRow(OpenTable& t)
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
    t.rowCells.clear();
}

void DocumentBuilder::setColumnWidths(OpenTable& t)
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
        const int width = qBound(0, right - left, 1440 * 22);
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

void DocumentBuilder::mergeCells(OpenTable& t)
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

} // namespace Rtf
