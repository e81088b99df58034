#pragma once

#include "rtf/rtfformat.h"
#include "rtf/rtfstate.h"

#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextImageFormat>
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
};

// A cell of a row definition: its right edge (\cellx), its own sides and how it merges.
struct CellDef {
    int rightEdge = 0;
    Border top, left, bottom, right;
    bool mergeFirst = false, merged = false; // \clmgf, \clmrg
    bool verticalFirst = false, verticalMerged = false; // \clvmgf, \clvmrg
};

// What \trowd starts: the row's cells and the row's own sides, used by cells without their own.
struct RowDef {
    static constexpr int MaxCells = 64;
    std::vector<CellDef> cells;
    CellDef pending; // the cell whose \cellx has not come yet
    Border top, left, bottom, right, inner, between; // \trbrdrt/l/b/r, h (between rows), v
    int rowLeft = 0; // \trleft
    int gap = 108; // \trgaph: half the space between cells
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
        int row = 0;
        int column = 0;
        bool cellEnded = false; // the next content goes into the next cell
        bool rowEnded = false; // ... into a new row
        std::vector<int> verticalStart; // per column: the row a vertical merge began in, or -1
        int widthsSet = 0; // columns whose width a row has given
    };

    bool hasContent() const { return !m_runs.empty(); }
    void closeTablesTo(int level);
    void openTablesTo(int level);
    // Moves the cursor to where the next content of the innermost table goes.
    void enterCell();
    void writeRuns();
    // Borders, widths and merges of the row just ended, from its definition.
    void finishRow(OpenTable& table);
    void setCellBorders(QTextTableCellFormat& format, int column) const;
    void setColumnWidths(OpenTable& table);
    void mergeCells(OpenTable& table);

    Formats* m_formats;
    QTextCursor m_cursor;
    QString m_text;
    std::vector<Run> m_runs;
    QList<QTextImageFormat> m_images;
    std::vector<OpenTable> m_tables;
    RowDef m_rowDef;
};

} // namespace Rtf
