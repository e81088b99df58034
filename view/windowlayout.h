#pragma once

#include "view/heightindex.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QHash>
#include <QTextBlock>
#include <QTextOption>
#include <algorithm>
#include <memory>
#include <vector>

// The layout of rich documents. Qt's own layout lays a document out from its start up to any
// place asked for, and computes in fixed point that overflows past about 8 million pixels: a
// document that is long or tall enough freezes whoever asks for its end. This layout hands Qt
// only a window of the document at a time, around what is shown: the window's part is copied
// into a document of its own (the shadow), which Qt lays out and draws; everything else has a
// height estimated from its characters until it is shown, and keeps the height measured once it
// has been. Reaching any place costs what is shown there, wherever it is.
//
// The lines of the window's paragraphs are given to the document's own paragraphs too, at their
// place in the whole document, so that the caret, its movements by line and page, and whatever
// reads a paragraph's lines work as with Qt's layout. Positions in the shadow are those of the
// document less where the window begins: the copy holds the same characters, table marks and
// all.
class WindowLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit WindowLayout(QTextDocument* document);
    ~WindowLayout() override;

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    // The size as known now, without laying the window out: heights estimated where nothing has
    // been measured yet.
    QSizeF estimatedSize() const { return sizeNow(); }
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // The view shows the part from top on, height high (document coordinates): the window is
    // moved when that part is not inside it. Returns where the view's top must be for what it
    // showed at its top to stay where it was (heights measured anew move it).
    qreal showArea(qreal top, qreal height);
    // The window is moved to hold the paragraph at a document position, if it does not.
    void showPosition(int position);
    bool windowHolds(int position) const;
    // Many changes of formats are coming (the marks of a search): the window's lines are put
    // away, as the text engine would go over every line of a block at each change in it. The
    // window is laid out again, where it was, when it is next needed.
    void setWindowAside();

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // One thing of the document's top level: a paragraph or a table. Each starts at a position
    // and goes on to where the next one starts.
    struct Item {
        int position;
        bool table;
        int depth = 0; // of tables: 1 for a table with none in its cells
    };

    void rebuildItems();
    static int depthOf(const QTextFrame* frame);
    void updateMetrics();
    qreal estimate(int item) const;
    int itemStart(int item) const { return m_items[size_t(item)].position; }
    int itemEnd(int item) const; // where the next one begins
    // One past the window's last character. An empty paragraph before a table has no
    // characters of its own as an item (its end is the table's first character) but is a block
    // the window lays out.
    int windowEnd() const { return std::max(itemEnd(m_last), itemStart(m_last) + 1); }
    int itemAt(int position) const;
    // The most the window may be asked to lay out for an item, from its characters and sizes.
    qreal heightBound(int item) const;
    // The paragraphs of an item, those of a table's cells included.
    int blocksOf(int item) const;
    bool fitsWhole() const;
    // Chooses the window around item anchor to cover [top, bottom] and lays it out.
    void placeWindow(int anchor, qreal top, qreal bottom);
    void layoutWindow();
    // Lays the window out again if the document changed since.
    void ensureWindow() const;
    // The size with the window as it is.
    QSizeF sizeNow() const;
    void copyLines();
    void clearWindow();
    qreal shadowTop(int item) const;
    QPointF shift() const;
    QTextBlock shadowBlock(const QTextBlock& block) const;

    std::vector<Item> m_items;
    HeightIndex m_heights;
    std::vector<bool> m_measured; // laid out at the present width
    std::unique_ptr<QTextDocument> m_shadow;
    int m_first = 0; // the window's items, [m_first, m_last]
    int m_last = -1;
    int m_base = 0; // the document position of the shadow's position 0
    // What the layout was last told of the document as a whole: Qt asks for everything to be
    // laid out again whenever any of it is set, changed or not.
    struct Settings {
        qreal width = 0;
        qreal margin = 0;
        qreal indent = 0;
        QFont font;
        Qt::Alignment alignment;
        QTextOption::Flags flags;
        QTextOption::WrapMode wrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
        qreal tabDistance = 0;
        QList<QTextOption::Tab> tabs;
        bool operator==(const Settings&) const = default;
    };
    static Settings settingsOf(const QTextDocument* doc);
    Settings m_settings; // its width and margin are the layout's
    qreal m_lineHeight = 16;
    qreal m_charsPerLine = 80;
    bool m_dirty = true;
    int m_blockCount = 0;
    mutable QHash<int, qreal> m_tallest; // the tallest line of each character format
    int m_anchor = 0; // a document position the window is laid out around
};
