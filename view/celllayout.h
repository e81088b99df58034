#pragma once

#include "view/layoutbudget.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextOption>
#include <memory>
#include <vector>

class QTextLayout;

// The layout of documents read from plain text. In the DOS face every character takes one cell
// and every line one cell's height, so where a row of text starts, which row a point falls on
// and how tall the document is are arithmetic on character counts: nothing has to be shaped to
// know them. Only the paragraphs that are painted, or that the caret moves through, are shaped,
// each with the rows this layout decided for it. Paragraphs longer than LongBlock characters are
// never shaped as a whole: their visible rows are shaped one by one.
//
// Rows wrap at the document's width: at spaces when the document's wrap mode asks for word
// boundaries (a word longer than a row is cut), anywhere in WrapAnywhere, never in NoWrap. Spaces
// at the end of a row stay on it, and a line separator ends its row.
class CellLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    // What the loader knows of a paragraph of plain text before it is put in the document: its
    // length, its lines (separated by line separators) and the cells of the longest.
    struct Paragraph {
        int length = 0;
        int lines = 1;
        int longestLine = 0;
    };
    // Paragraphs measured by the loader, in document order, spare the layout a pass over the
    // text; when they do not match the document, it measures the text itself.
    explicit CellLayout(QTextDocument* document, std::vector<Paragraph> paragraphs = {});
    ~CellLayout() override;

    static constexpr int LongBlock = LayoutBudget::LongBlock;

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Where the caret stands at a document position, in document coordinates.
    QRectF caretRect(int position) const;
    // True for a paragraph too long to be shaped as a whole: the caret's line movements in it
    // are the view's to make (see rowBounds).
    bool isLong(const QTextBlock& block) const;
    // The document positions where the row holding a position begins and ends (its last
    // character, a line separator or the paragraph's end excluded), and the position in the row
    // above or below (rowsDown rows away) nearest to the same cell.
    struct Row {
        int start;
        int end;
    };
    Row rowAt(int position) const;
    int positionRowsAway(int position, int rowsDown) const;
    // Where the caret goes from a position in a long paragraph, pages being that many rows.
    enum class CaretMove { RowStart, RowEnd, Up, Down, PageUp, PageDown };
    int caretTarget(int position, CaretMove move, int pageRows) const;
    qreal rowHeight() const { return m_cellHeight; }
    // Says that the next change of the document changes formats only, not a character: the
    // paragraphs keep their measures.
    void expectFormatsOnly(bool formatsOnly) { m_formatsOnly = formatsOnly; }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // What is known of a paragraph. Lines and the longest line do not depend on the width; rows
    // do. A paragraph wrapped at the width keeps where each of its rows starts, worked out once
    // for each width: shaping it and moving through it use those rows.
    struct Block {
        int lines = 1;
        int longestLine = 0;
        int rows = 1;
        bool laidOut = false;
        std::vector<int> rowStarts; // empty when every line fits: then a row a line
    };
    // One row of a long paragraph, shaped: kept for the rows last painted, hit or stood on.
    struct ShapedRow {
        int blockPosition;
        int from;
        std::unique_ptr<QTextLayout> layout;
    };

    // Takes the document's font, width and wrapping; true when rows may have changed.
    bool updateMetrics();
    void rebuild();
    void rewrap();
    Block measure(const QTextBlock& block) const;
    // Finds the rows of a paragraph; of a long one whose rows are known, from row fromRow on.
    void wrap(const QTextBlock& block, Block& info, int fromRow = 0) const;
    void ensureLaidOut(const QTextBlock& block) const;
    void drawCut(QPainter* painter, const PaintContext& context, const QTextBlock& block,
        char16_t cut) const;
    void drawLongBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block,
        qint64 topRow, const QRectF& clip) const;
    // The text of a part of the document, copied from that part alone.
    QString textOf(int from, int to) const;
    // Calls feed with the text of a paragraph from a position in it to its end, in pieces.
    template <class Feed> static void forEachPiece(const QTextBlock& block, int from, Feed&& feed);
    // A one-row layout of part of a long paragraph, with the document's formats.
    void layoutRow(QTextLayout& layout, const QTextBlock& block, int from, int to) const;
    // Row r of a long paragraph: where it starts and ends in the paragraph, and its layout.
    struct RowSpan {
        int from;
        int to;
        bool last;
    };
    RowSpan rowSpan(const QTextBlock& block, int r) const;
    const QTextLayout& shapedRow(const QTextBlock& block, const RowSpan& span) const;
    // Where the rows of a paragraph whose lines all fit start: at its lines.
    static std::vector<int> lineStarts(QStringView text);
    // Rows above paragraph number n.
    qint64 rowsAbove(int n) const;
    // The paragraph number holding document row r.
    int blockAtRow(qint64 row) const;
    qreal top(qint64 row) const;
    qint64 totalRows() const { return rowsAbove(int(m_blocks.size())); }
    QTextBlock blockNumber(int n) const;
    int rowInLongBlock(const Block& info, int relative) const;

    mutable std::vector<Block> m_blocks;
    mutable std::vector<ShapedRow> m_shapedRows; // the most recently used last
    static constexpr size_t KeptShapedRows = 128;
    mutable std::vector<qint64> m_rowsAbove;
    mutable bool m_rowsAboveDirty = true;
    int m_characters = 0;
    bool m_formatsOnly = false;
    int m_columns = 80;
    QTextOption::WrapMode m_wrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
    qreal m_cellWidth = 8;
    qreal m_cellHeight = 16;
    qreal m_margin = 0;
    qreal m_textWidth = -1;
    qreal m_tabStop = 0;
    QFont m_font;
    mutable QSizeF m_size;
};
