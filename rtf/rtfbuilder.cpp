#include "rtf/rtfbuilder.h"

#include <QTextDocument>
#include <QTextTable>

namespace Rtf {

namespace {

    // Tables deeper than this are written as the cells of the deepest one allowed.
    constexpr int MaxTableDepth = 16;
    // A row with more cells than this gets no more columns; the rest of its cells share the last.
    constexpr int MaxColumns = 64;

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
        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellPadding(2);
        format.setCellSpacing(0);
        m_tables.push_back({ m_cursor.insertTable(1, 1, format) });
    }
}

void DocumentBuilder::enterCell()
{
    OpenTable& t = m_tables.back();
    if (t.rowEnded) {
        t.table->appendRows(1);
        ++t.row;
        t.column = 0;
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
    m_cursor = t.table->cellAt(t.row, t.column).lastCursorPosition();
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

} // namespace Rtf
