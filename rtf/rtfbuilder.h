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

namespace Rtf {

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

private:
    struct Run {
        qsizetype start;
        qsizetype length;
        CharState state;
        int image; // index into m_images, or -1 for text
    };
    struct OpenTable {
        QTextTable* table;
        int row = 0; // where content goes now
        int column = 0;
        int rows = 1; // in the table, the spare ones at its end included
        int columns = 1;
        bool cellEnded = false; // the next content goes into the next cell
        bool rowEnded = false; // ... into a new row
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

    Formats* m_formats;
    QTextCursor m_cursor;
    QString m_text;
    std::vector<Run> m_runs;
    QList<QTextImageFormat> m_images;
    std::vector<OpenTable> m_tables;
    qsizetype m_longestRun = 0; // without a space or line break
    qint64 m_tableCost = 0; // of the outermost table open, spare rows included
    qint64 m_cells = 0; // in the document, spare ones included
};

} // namespace Rtf
