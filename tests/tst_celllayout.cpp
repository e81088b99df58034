// Plain text on the character grid: where rows break, where the caret and the mouse land, and
// that editing and marking keep the rows and the document's height in step.
#include "view/celllayout.h"
#include "view/documentview.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

// A shown view of a fixed size, and the measures of its grid as the font gives them.
struct GridView {
    DocumentView view;
    qreal cellWidth = 0;
    qreal cellHeight = 0;
    qreal margin = 0;

    // Put in as one: a file's long lines are cut into paragraphs, text typed or pasted is not.
    enum class Source { Loaded, PutIn };
    explicit GridView(const QString& text, Source source = Source::Loaded)
    {
        view.resize(500, 300);
        view.show();
        if (source == Source::Loaded) {
            view.setText(text);
        } else {
            view.setSelText(text);
            view.moveCursor(QTextCursor::Start);
        }
        QCoreApplication::processEvents();
        const QFontMetricsF metrics(view.document()->defaultFont());
        cellWidth = metrics.horizontalAdvance(QLatin1Char(' '));
        cellHeight = metrics.height();
        margin = view.document()->documentMargin();
    }

    CellLayout* layout() const
    {
        return qobject_cast<CellLayout*>(view.document()->documentLayout());
    }
    QRectF caret(int position) const { return layout()->caretRect(position); }
    int row(int position) const { return qRound((caret(position).top() - margin) / cellHeight); }
    int column(int position) const { return qRound((caret(position).left() - margin) / cellWidth); }
    // Columns a row holds, found where a line without spaces first moves to the next row.
    int columns(int lineStart) const
    {
        int p = lineStart;
        while (row(p + 1) == row(lineStart))
            ++p;
        return p + 1 - lineStart;
    }
    qreal height() const { return view.document()->documentLayout()->documentSize().height(); }
    // The document position under the middle of a cell on the screen.
    int at(int column, int screenRow) const
    {
        const QPoint point(int(margin + (column + 0.5) * cellWidth),
            int(margin + (screenRow + 0.5) * cellHeight)
                - view.verticalScrollBar()->value() % int(cellHeight));
        return view.cursorForPosition(point).position();
    }
};

} // namespace

class TestCellLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plainTextIsOnTheGrid()
    {
        const QString text = QStringLiteral("abc\n\n") + QString(200, QLatin1Char('x'));
        GridView grid(text);
        QVERIFY(grid.layout());
        const int longStart = 5;
        const int columns = grid.columns(longStart);
        QVERIFY2(columns > 10 && columns < 200, qPrintable(QString::number(columns)));
        // Every character in its cell: rows of equal length, columns one cell apart.
        for (int i = 0; i < 200; ++i) {
            QCOMPARE(grid.row(longStart + i), 2 + i / columns);
            QCOMPARE(grid.column(longStart + i), i % columns);
        }
        QCOMPARE(grid.row(4), 1);
        const int rows = 2 + (200 + columns - 1) / columns;
        QCOMPARE(grid.height(), rows * grid.cellHeight + 2 * grid.margin);
    }

    void wordsMoveToTheNextRowWhole()
    {
        QString text;
        for (int i = 0; text.size() < 2000; ++i)
            text += QStringLiteral("w%1 ").arg(i % 1000, 3, 10, QLatin1Char('0'));
        GridView grid(text);
        int rows = 1;
        for (int p = 1; p < text.size(); ++p) {
            if (grid.row(p) == grid.row(p - 1))
                continue;
            ++rows;
            // A row starts with a word, after the space that ended the row above.
            QCOMPARE(text.at(p - 1), QLatin1Char(' '));
            QCOMPARE(grid.column(p), 0);
        }
        QVERIFY(rows > 4);
        QCOMPARE(grid.height(), rows * grid.cellHeight + 2 * grid.margin);
    }

    void theMouseFindsTheCell()
    {
        QString text;
        for (int line = 0; line < 30; ++line)
            text += QStringLiteral("%1 line of text\n").arg(line, 2, 10, QLatin1Char('0'));
        GridView grid(text);
        const int lineLength = 16; // "00 line of text" and its break
        QCOMPARE(grid.at(0, 0), 0);
        QCOMPARE(grid.at(3, 2), 2 * lineLength + 3);
        // Past the end of a row: the end of that line.
        QCOMPARE(grid.at(40, 4), 4 * lineLength + lineLength - 1);
        grid.view.verticalScrollBar()->setValue(int(10 * grid.cellHeight));
        QCOMPARE(grid.at(5, 1), 11 * lineLength + 5);
    }

    void aLongParagraphIsDrawnAndHitRowByRow()
    {
        // No space in it: such a paragraph wraps anywhere.
        const int length = CellLayout::LongBlock + 5000;
        QString text(length, QChar(0x2588));
        text += QStringLiteral("\nlast line");
        GridView grid(text, GridView::Source::PutIn);
        QVERIFY(grid.layout()->isLong(grid.view.document()->begin()));
        const int columns = grid.columns(0);
        QCOMPARE(grid.row(length - 1), (length - 1) / columns);
        QCOMPARE(grid.row(length + 1), (length + columns - 1) / columns);
        QCOMPARE(grid.height(),
            ((length + columns - 1) / columns + 1) * grid.cellHeight + 2 * grid.margin);

        const int topRow = 500;
        grid.view.verticalScrollBar()->setValue(int(topRow * grid.cellHeight));
        QCOMPARE(grid.at(7, 2), (topRow + 2) * columns + 7);
        // The visible rows paint without shaping the paragraph whole.
        QImage image(grid.view.viewport()->size(), QImage::Format_RGB32);
        grid.view.viewport()->render(&image);
        QVERIFY(grid.view.document()->begin().layout()->lineCount() == 0);
    }

    void theCaretMovesByRowsInALongParagraph()
    {
        const int length = CellLayout::LongBlock + 5000;
        QString text(length, QLatin1Char('a'));
        GridView grid(text, GridView::Source::PutIn);
        const int columns = grid.columns(0);
        DocumentView& view = grid.view;
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(view.textCursor().position(), 2 * columns);
        QTest::keyClick(&view, Qt::Key_Right);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.textCursor().position(), columns + 1);
        // Home, Shift+End: the row the caret is on (the program's Select All).
        QTest::keyClick(&view, Qt::Key_Home);
        QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(view.textCursor().selectionStart(), columns);
        QCOMPARE(view.textCursor().selectedText(), text.mid(columns, columns));

        // Far down the paragraph the caret stays in view.
        const auto caretInView = [&] {
            const QRectF caret = grid.caret(view.textCursor().position());
            const int top = view.verticalScrollBar()->value();
            return caret.top() >= top && caret.bottom() <= top + view.viewport()->height();
        };
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&view, Qt::Key_PageDown);
        QVERIFY(view.textCursor().position() > 10 * columns);
        QVERIFY(caretInView());
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view.textCursor().position(), length);
        QVERIFY(caretInView());
        QVERIFY(view.verticalScrollBar()->value() > view.verticalScrollBar()->maximum() / 2);
    }

    void editsKeepRowsAndHeightInStep()
    {
        const int length = CellLayout::LongBlock + 100;
        GridView grid(
            QString(length, QLatin1Char('z')) + QStringLiteral("\nshort"), GridView::Source::PutIn);
        const int columns = grid.columns(0);
        const qreal before = grid.height();
        DocumentView& view = grid.view;
        view.setFocus();
        view.moveCursor(QTextCursor::End);
        QTest::keyClicks(&view, QStringLiteral("typed"));
        QVERIFY(view.Text().endsWith(QStringLiteral("shorttyped")));
        QCOMPARE(grid.height(), before);
        // A line break in the middle of the long line: two paragraphs, a row more or the same.
        view.setSelStart(columns / 2);
        view.setSelText(QStringLiteral("\n"));
        const int firstRows = 1;
        const int secondRows = (length - columns / 2 + columns - 1) / columns;
        QCOMPARE(grid.height(), (firstRows + secondRows + 1) * grid.cellHeight + 2 * grid.margin);
        QCOMPARE(grid.row(columns / 2 + 1), 1);
        QCOMPARE(grid.column(columns / 2 + 1), 0);
    }

    void batchesOfMarksAndOfEditsBothLeaveTheRowsRight()
    {
        QString text;
        for (int line = 0; line < 2000; ++line)
            text += QStringLiteral("needle in a line\n");
        GridView grid(text);
        const qreal before = grid.height();
        {
            DocumentView::Batch batch(&grid.view);
            for (int line = 0; line < 2000; line += 7) {
                grid.view.setSelStart(line * 17);
                grid.view.setSelLength(6);
                grid.view.setSelColor(255);
                grid.view.setSelBold(true);
            }
        }
        QCOMPARE(grid.height(), before);
        QCOMPARE(grid.row(7 * 17 + 3), 7);
        QTextCursor c(grid.view.document());
        c.setPosition(7 * 17 + 1);
        QCOMPARE(c.charFormat().foreground().color(), QColor(Qt::red));
        // A batch that changes characters has its paragraphs measured again.
        {
            DocumentView::Batch batch(&grid.view);
            grid.view.setSelStart(3);
            grid.view.setSelText(QStringLiteral("\n\n"));
            grid.view.setSelStart(0);
            grid.view.setSelLength(2);
            grid.view.setSelColor(255);
        }
        QCOMPARE(grid.height(), before + 2 * grid.cellHeight);
        QCOMPARE(grid.row(5), 2);
    }
};

QTEST_MAIN(TestCellLayout)
#include "tst_celllayout.moc"
