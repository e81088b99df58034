#pragma once

#include "rtf/rtfformat.h"
#include "rtf/rtfstate.h"

#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QTextTableCell>
#include <vector>

class QTextDocument;
class QTextTable;
class QTextTableCellFormat;

namespace Rtf {

// One side of a cell as the row definition draws it.
struct Border {
    enum Style : std::uint8_t { None, Single, Double, Thick, Dotted, Dashed };
    Style style = None;
    int width = 0; // \brdrw, twips
    int color = 0; // \brdrcf into the colour table, 0 auto
    bool declared = false;

    bool operator==(const Border&) const = default;
};

// A cell of a row definition: its right edge (\cellx), its own sides, how it merges and where
// its text stands.
struct CellDef {
    enum Alignment : std::uint8_t { Top, Middle, Bottom };
    int rightEdge = 0;
    Alignment alignment = Top; // \clvertalt, \clvertalc, \clvertalb
    Border top, left, bottom, right;
    bool mergeFirst = false, merged = false; // \clmgf, \clmrg
    bool verticalFirst = false, verticalMerged = false; // \clvmgf, \clvmrg

    bool operator==(const CellDef&) const = default;
};

// What \trowd starts: the row's cells and the row's own sides, used by cells without their own.
struct RowDef {
    static constexpr int MaxCells = 64;
    std::vector<CellDef> cells;
    CellDef pending; // the cell whose \cellx has not come yet
    Border top, left, bottom, right, inner, between; // \trbrdrt/l/b/r, h (between rows), v
    int rowLeft = 0; // \trleft
    int gap = 108; // \trgaph: half the space between cells

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

// Writes what the reader found into the document, a paragraph at a time: a paragraph's
// properties, its table nesting included, are only known when it ends, so its text waits here
// until then. Tables become QTextTables; cells and rows are added as content reaches them.
class DocumentBuilder {
public:
    DocumentBuilder(QTextDocument* document, Formats* formats);

    void addText(QStringView text, const CharState& state);
    void addImage(const QTextImageFormat& image);

    // How the paragraph ends.
    enum class End { Paragraph, Cell, Row, NestedCell, NestedRow, Document };
    void endParagraph(const ParaState& para, End end);
    // The definition of the row that the next \row or \nestrow ends.
    void setRowDef(const RowDef& row) { m_rowDef = row; }

private:
    struct Run {
        qsizetype start;
        qsizetype length;
        CharState state;
        int image; // index into m_images, or -1 for text
    };
    struct OpenTable {
        QTextTable* table = nullptr;
        int row = 0; // where content goes now
        int column = 0;
        int rows = 1; // in the table, the spare ones at its end included
        int columns = 1;
        bool cellEnded = false; // the next content goes into the next cell
        bool rowEnded = false; // ... into a new row
        std::vector<int> verticalStart; // per column: the row a vertical merge began in, or -1
        std::vector<QTextTableCell> rowCells; // the cells of the current row, as entered
        // The formats given to the last row's cells and the definition they came from: rows
        // defined alike share them.
        std::vector<QTextTableCellFormat> cellFormats;
        RowDef formatsFrom;
        int widthsSet = 0; // columns whose width a row has given
    };

    bool hasContent() const { return !m_runs.empty(); }
    void closeTablesTo(int level);
    void openTablesTo(int level);
    // Writes the paragraph as plain text, a cell's end as a tab.
    void writeAsText(const ParaState& para, End end);
    // Removes the spare rows at the end of a table.
    void finishTable(OpenTable& table);
    // What a cell of the innermost table adds to the cost of laying out the outermost.
    qint64 cellCost() const;
    // Inserts text, breaking a paragraph that grows too long.
    void insertText(QStringView text, const QTextCharFormat& format);
    // Moves the cursor to where the next content of the innermost table goes.
    void enterCell();
    void writeRuns();
    // Borders, widths and merges of the row just ended, from its definition.
    void finishRow(OpenTable& table);
    QTextTableCellFormat cellFormat(int column) const;
    void setColumnWidths(OpenTable& table);
    void mergeCells(OpenTable& table);

    Formats* m_formats;
    QTextCursor m_cursor;
    QString m_text;
    std::vector<Run> m_runs;
    QList<QTextImageFormat> m_images;
    std::vector<OpenTable> m_tables;
    qsizetype m_longestRun = 0; // without a space or line break
    qint64 m_tableCost = 0; // of the outermost table open, spare rows included
    qint64 m_cells = 0; // in the document, spare ones included
    RowDef m_rowDef;
};

} // namespace Rtf
