#pragma once

#include "content/sink.h"
#include "view/paragraphmarks.h"
#include "view/picturedecoder.h"
#include "view/textformats.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QTextTableCell>
#include <vector>

class QTextDocument;
class QTextTable;
class QTextTableCellFormat;

// Writes what an RTF reader hands on into the view's document, a paragraph at a time: a
// paragraph's properties, its table nesting included, are only known when it ends, so its text
// waits here until then. Tables become QTextTables; cells and rows are added as content reaches
// them.
class RtfWriter : public Content::Sink {
public:
    explicit RtfWriter(QTextDocument* document);

    void font(int number, const Content::FontEntry& entry) override;
    void defaultFont(int number) override { m_formats.setDefaultFont(number); }
    void colorTable(const std::vector<Content::ColorEntry>& colors) override;
    void defaultTab(int twips) override;
    void text(QStringView text, const Content::CharProps& chars) override;
    void picture(const Content::Picture& picture) override;
    void rowDefinition(const Content::RowDef& row) override
    {
        m_rowDef = row;
        m_rowDefFresh = true;
    }
    void listLabel(const Content::ListLabel& label) override { m_marks.setLabel(label); }
    void checkBox(bool checked, const Content::CharProps& chars) override;
    void endParagraph(const Content::ParaProps& para, Content::ParagraphEnd end) override;

    // What the document asks of the layout once written: its default tab stop distance (twips)
    // and whether it has a run too long to wrap at word boundaries.
    int defaultTabTwips() const { return m_formats.defaultTab(); }
    bool hasLongRun() const;

private:
    using End = Content::ParagraphEnd;
    struct Run {
        qsizetype start;
        qsizetype length;
        Content::CharProps chars;
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
        Content::RowDef formatsFrom;
        int widthsSet = 0; // columns whose width a row has given
        std::vector<int> edges; // of the last row finished: its left edge and its cells' right
        std::vector<int> grid; // the edges the table's columns stand on, as rows gave them
    };

    bool hasContent() const { return !m_runs.empty(); }
    // Many paragraphs alike cost the document far more as blocks than as lines of one block:
    // paragraphs of a format that looks the same either way share a block while it is short.
    static bool joinsAlike(const QTextBlockFormat& format);
    static bool hasOnlyLeftTabs(const QTextBlockFormat& format);
    // The block format of a paragraph at a table level, without the space before that it asks
    // to drop after a paragraph of its style.
    QTextBlockFormat blockFormatOf(const Content::ParaProps& para, int level);
    bool followsAlike(const Content::ParaProps& para, int level) const;
    // Takes the space after from the paragraph before, if it asks to drop it before this one of
    // its style, and remembers this one as the paragraph before the next.
    void followedBy(const Content::ParaProps& para, int level, End end);
    // Whether the paragraph waiting may join the block: it stays short and of few tabs.
    bool fitsJoinedBlock() const;
    void endJoinedBlock();
    // Inserts text at the cursor; while paragraphs join a block it waits until the format
    // changes or the block ends.
    void putText(QStringView text, const QTextCharFormat& format);
    void flushJoined();
    // The format of the last character written, waiting or not.
    QTextCharFormat lastCharFormat() const;
    // The paragraph's block format, single and multiple spacing measured as word processors
    // measure a line of its largest text.
    QTextBlockFormat paragraphFormat(const Content::ParaProps& para);
    qreal singleLineOf(const Content::CharProps& chars);
    // The format with lines of a fixed height.
    QTextBlockFormat spacedFormat(const QTextBlockFormat& format, qreal line);
    // The height the text engine gives an empty paragraph of a format and line spacing.
    qreal emptyLineOf(const QTextCharFormat& format, const QTextBlockFormat& spacing);
    qreal measureEmptyLine(const QTextCharFormat& format, const QTextBlockFormat& spacing);
    // The block format with the paragraph's list label and check boxes placed.
    QTextBlockFormat markedFormat(const Content::ParaProps& para, QTextBlockFormat format);
    // Inserts a run of text, with room for the check boxes that follow its characters.
    void insertRun(const Run& run);
    void closeTablesTo(int level);
    void keepSpaceAfterTable(const Content::ParaProps& para, End end);
    void openTablesTo(int level);
    // Writes the paragraph as plain text, a cell's end as a tab.
    void writeAsText(const Content::ParaProps& para, End end);
    // Removes the spare rows at the end of a table.
    void finishTable(OpenTable& table);
    // What a cell of the innermost table adds to the cost of laying out the outermost.
    qint64 cellCost() const;
    // Inserts text, its characters that no face draws in the face of the text alone.
    void insertShown(QStringView text, const QTextCharFormat& format);
    // Inserts text, ending the block where the paragraph grows too long or has too many tabs.
    void insertText(QStringView text, const QTextCharFormat& format);
    // Where in text the block must end, or -1.
    // Where a run with no space to end its block at is ended instead.
    static qsizetype characterCutAt(QStringView text, qsizetype from);
    qsizetype blockCut(QStringView text);
    // Ends the block at a character of the text (a space, tab or line break), which its end
    // stands for.
    void endBlockAt(char16_t character);
    // Moves the cursor to where the next content of the innermost table goes.
    void enterCell();
    // Whether the row beginning in the outermost table has other edges than the row before: it
    // then begins a table of its own, laid out on its own columns.
    bool beginsOtherColumns() const;
    // A row's left edge and its cells' right edges.
    static std::vector<int> edgesOf(const Content::RowDef& row);
    void placeTable(QTextTableFormat& format) const;
    void writeRuns();
    // Borders, widths and merges of the row just ended, from its definition.
    void finishRow(OpenTable& table);
    QTextTableCellFormat cellFormat(int column) const;
    void setColumnWidths(OpenTable& table);
    void mergeCells(OpenTable& table);
    // Fits a row whose edges are not the table's columns to them, where its cells allow it.
    void fitToGrid(OpenTable& table);

    TextFormats m_formats;
    ParagraphMarks m_marks { &m_formats };
    PictureDecoder m_pictures;
    QTextCursor m_cursor;
    QString m_text;
    std::vector<Run> m_runs;
    QList<QTextImageFormat> m_images;
    std::vector<OpenTable> m_tables;
    qsizetype m_longestRun = 0; // without a space or line break
    qsizetype m_longestRunInCell = 0;
    qreal m_pictureHeight = 0; // of the paragraph's pictures so far
    qint64 m_tableCost = 0; // of the outermost table open, spare rows included
    qint64 m_tableText = 0; // its characters so far, each counted as its cells are
    qsizetype m_cellChars = 0; // in the cell being written, before the paragraph that ends
    bool m_tableAsText = false; // the table being read is written as text
    qint64 m_cells = 0; // in the document, spare ones included
    Content::RowDef m_rowDef;
    bool m_rowDefFresh = false; // m_rowDef came since a row was last begun
    // The paragraph written last may be joined by the next one of its format: its end is not
    // written yet.
    bool m_joining = false;
    QTextBlockFormat m_joinedFormat;
    qsizetype m_joinedLength = 0; // of the block they join, the text waiting included
    QString m_joinedText; // written, not yet in the document
    QTextCharFormat m_joinedTextFormat;
    // The paragraph written last, when the next one may follow it directly.
    struct Previous {
        bool followable = false; // false when the next paragraph cannot follow it
        // Kept only for a paragraph of contextual spacing: finding the cursor's block costs a
        // search of the document, which a million short paragraphs would feel.
        QTextBlock block;
        int level = 0;
        int style = 0;
        bool contextualSpace = false;
    } m_previous;
    bool m_endedAtCharacter = false; // some block was ended at a space or a tab
    // The block the text goes into and its tabs so far.
    QTextBlock m_tabsBlock;
    qsizetype m_blockTabs = 0;
    // The table the block where text goes next follows, while that block holds nothing.
    QTextTable* m_tableBefore = nullptr;
    Content::CharProps m_lastChars; // of the last text: an empty paragraph's line is in them
    QHash<Content::CharProps, qreal> m_singleLines; // 0: the text engine's own
    // The format blockFormatOf gave a paragraph of one run of text or none, and what it came from.
    struct LastBlock {
        bool valid = false;
        std::size_t runs = 0;
        Content::CharProps chars; // of the run
        QTextCharFormat textBefore; // of the text before an empty paragraph
        Content::ParaProps para;
        QTextBlockFormat format;
    } m_lastBlock;
    struct {
        QTextBlockFormat from;
        qreal line = -1;
        QTextBlockFormat format;
    } m_spaced;
    QHash<QString, qreal> m_emptyLines; // by font and line spacing
    struct EmptyLine {
        QTextCharFormat format;
        int type = 0;
        qreal spacing = 0;
        qreal height = -1;
    } m_lastEmptyLine;
};
