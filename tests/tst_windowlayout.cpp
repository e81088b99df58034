// Rich documents laid out a window at a time: any place is reached, shown and moved through as
// if the whole document were laid out, while only the part around it is.
#include "view/documentview.h"
#include "view/documentwriter.h"
#include "view/heightindex.h"
#include "view/layoutbudget.h"
#include "view/windowlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

namespace {

// Paragraphs numbered from 0, with a word of their own: far more than one window holds. Each has
// space after it, so that it is a block of its own.
QByteArray numberedParagraphs(int count)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs24\\sa20 ";
    for (int i = 0; i < count; ++i)
        rtf += "paragraph" + QByteArray::number(i) + " of the document\\par ";
    return rtf + "last}";
}

bool laidOut(const QTextBlock& block) { return block.layout() && block.layout()->lineCount() > 0; }

// The caret's line is in the view and laid out.
void verifyCaretShown(DocumentView& view)
{
    const QTextBlock block = view.textCursor().block();
    QVERIFY(laidOut(block));
    QVERIFY2(view.viewport()->rect().contains(view.cursorRect().center()),
        qPrintable(QStringLiteral("caret at %1,%2 of a view %3 high")
                       .arg(view.cursorRect().x())
                       .arg(view.cursorRect().y())
                       .arg(view.viewport()->height())));
}

} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<DocumentView> showLong(int paragraphs)
    {
        auto view = std::make_unique<DocumentView>();
        view->resize(600, 400);
        view->show();
        view->showDocument(DocumentWriter::fromRtf(numberedParagraphs(paragraphs), QFont()));
        view->repaint();
        return view;
    }

private Q_SLOTS:
    void heightsAboveAndAt()
    {
        // Against sums worked out one by one, through changes.
        QRandomGenerator random(7);
        std::vector<double> heights(1000);
        for (double& h : heights)
            h = random.bounded(50);
        HeightIndex index;
        index.assign(heights);
        for (int change = 0; change < 200; ++change) {
            const size_t part = random.bounded(1000);
            heights[part] = random.bounded(50);
            index.set(part, heights[part]);
        }
        double sum = 0;
        for (size_t part = 0; part < heights.size(); ++part) {
            QCOMPARE(index.above(part), sum);
            if (heights[part] > 0) {
                QCOMPARE(index.partAt(sum), part);
                QCOMPARE(index.partAt(sum + heights[part] / 2), part);
            }
            sum += heights[part];
        }
        QCOMPARE(index.total(), sum);
        QCOMPARE(index.partAt(sum + 10), heights.size() - 1);
    }

    void endIsReachedWithoutLayingOutWhatIsAbove()
    {
        auto view = showLong(30000);
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        view->repaint();
        QCOMPARE(view->SelStart(), int(view->Text().size()));
        verifyCaretShown(*view);
        // At the end of the scroll bar, the document's margin below aside.
        QCoreApplication::processEvents();
        QVERIFY(view->verticalScrollBar()->value() >= view->verticalScrollBar()->maximum() - 4);
        // The beginning, far above, is not laid out.
        QVERIFY(!laidOut(view->document()->begin()));
        QVERIFY(!laidOut(view->document()->findBlockByNumber(15000)));

        QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view->SelStart(), 0);
        QVERIFY(view->verticalScrollBar()->value() <= 2); // the top margin may be scrolled past
        verifyCaretShown(*view);
        QVERIFY(!laidOut(view->document()->lastBlock()));
    }

    void theScrollBarShowsThePlaceItIsDraggedTo()
    {
        auto view = showLong(30000);
        QScrollBar* bar = view->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        view->repaint();
        // The paragraph at the middle of the view is laid out where the view shows it, and is
        // one from around the middle of the document.
        const QPoint middle = view->viewport()->rect().center();
        const QTextBlock block = view->cursorForPosition(middle).block();
        QVERIFY(laidOut(block));
        const QRectF shown = view->document()->documentLayout()->blockBoundingRect(block);
        QVERIFY(shown.top() <= bar->value() + middle.y() + 1);
        QVERIFY(shown.bottom() >= bar->value() + middle.y() - 1);
        QVERIFY2(
            block.blockNumber() > 10000 && block.blockNumber() < 20000, qPrintable(block.text()));
    }

    void theCaretMovesOnPastTheWindow()
    {
        // Line by line and page by page, down past where the first window ends and back.
        auto view = showLong(5000);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        int last = view->SelStart();
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(view.get(), Qt::Key_PageDown);
            QVERIFY2(view->SelStart() > last, qPrintable(QString::number(i)));
            last = view->SelStart();
            verifyCaretShown(*view);
        }
        const int line = view->textCursor().block().blockNumber();
        QVERIFY2(line > 1000, qPrintable(QString::number(line)));
        for (int i = 0; i < 300; ++i) {
            QTest::keyClick(view.get(), Qt::Key_Up);
            QVERIFY(view->SelStart() < last);
            last = view->SelStart();
        }
        QCOMPARE(view->textCursor().block().blockNumber(), line - 300);
        verifyCaretShown(*view);
    }

    void marksOfASearchKeepTheWindowShown()
    {
        // A change of formats across the whole document (the marks of Find) while the view is
        // at its end: still there, laid out, with the marks.
        auto view = showLong(20000);
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        const int top = view->verticalScrollBar()->value();
        {
            DocumentView::Batch batch(view.get());
            const QString text = view->Text();
            for (qsizetype at = text.indexOf(u"document"); at >= 0;
                 at = text.indexOf(u"document", at + 1)) {
                view->setSelStart(int(at));
                view->setSelLength(8);
                view->setSelBold(true);
            }
        }
        view->repaint();
        QVERIFY(qAbs(view->verticalScrollBar()->value() - top) < view->viewport()->height());
        verifyCaretShown(*view);
        QTextCursor mark(view->document());
        mark.setPosition(int(view->Text().lastIndexOf(u"document")) + 1);
        QCOMPARE(mark.charFormat().fontWeight(), int(QFont::Bold));
    }

    void manyShortParagraphsAreLaidOutAWindowAtATime()
    {
        // Few characters, but more paragraphs than a window takes: not laid out whole.
        auto view = std::make_unique<DocumentView>();
        view->resize(600, 400);
        view->show();
        QByteArray rtf = "{\\rtf1\\ansi\\sa20 ";
        for (int i = 0; i < 3 * LayoutBudget::WindowBlocks; ++i)
            rtf += "x\\par ";
        view->showDocument(DocumentWriter::fromRtf(rtf + "}", QFont()));
        view->repaint();
        QVERIFY(view->document()->characterCount() < LayoutBudget::WindowChars);
        QVERIFY(laidOut(view->document()->begin()));
        QVERIFY(!laidOut(view->document()->lastBlock()));
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        view->repaint();
        verifyCaretShown(*view);
        QVERIFY(!laidOut(view->document()->begin()));
    }

    void tablesOneAfterAnotherAreLaidOutWithWhatIsBetween()
    {
        // Tables with nothing between them, more than a window holds: the empty paragraph
        // between two ends one window and begins another, and the window's copy holds exactly
        // what the document does there.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("window's copy")));
        QByteArray rtf = "{\\rtf1\\ansi ";
        // Rows of one cell and of two take turns: each is a table of its own.
        for (int i = 0; i < 16; ++i) {
            const QByteArray text = QByteArray(10000, 'a' + char(i));
            rtf += i % 2
                ? "\\trowd\\cellx5000\\pard\\intbl " + text + "\\cell\\row "
                : "\\trowd\\cellx2500\\cellx5000\\pard\\intbl " + text + "\\cell x\\cell\\row ";
        }
        auto view = std::make_unique<DocumentView>();
        view->resize(600, 400);
        view->show();
        view->showDocument(DocumentWriter::fromRtf(rtf + "}", QFont()));
        view->repaint();
        QVERIFY(view->document()->characterCount() > 2 * LayoutBudget::WindowChars);
        int between = 0;
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
            QTextCursor at(block);
            if (at.currentTable() || block.length() != 1 || !block.next().isValid())
                continue;
            view->setSelStart(block.position());
            view->ensureCursorVisible();
            view->repaint();
            verifyCaretShown(*view);
            ++between;
        }
        QVERIFY(between >= 15);
    }

    void tablesCountByTheirDepth()
    {
        // A thousand levels of cells, which the writer makes tables four deep of a few hundred
        // cells each: few paragraphs, but each costs Qt's layout many times over, so the window
        // takes some of those tables, not all.
        QByteArray rtf = "{\\rtf1\\ansi \\pard\\intbl\\itap1000 x";
        for (int level = 1000; level > 1; --level)
            rtf += "\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000\\nestrow}\\itap"
                + QByteArray::number(level - 1) + " ";
        auto view = std::make_unique<DocumentView>();
        view->resize(600, 400);
        view->show();
        view->showDocument(
            DocumentWriter::fromRtf(rtf + "\\cell\\trowd\\cellx2000\\row }", QFont()));
        view->repaint();
        QTextDocument* doc = view->document();
        QVERIFY(doc->blockCount() < LayoutBudget::WindowBlocks);
        QVERIFY(doc->rootFrame()->childFrames().size() >= 4);
        QVERIFY(laidOut(doc->begin().next()));
        QVERIFY(!laidOut(doc->lastBlock().previous()));
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        view->repaint();
        verifyCaretShown(*view);
        QVERIFY(!laidOut(doc->begin().next()));
    }

    void aShortDocumentIsLaidOutWhole()
    {
        auto doc = DocumentWriter::fromRtf(numberedParagraphs(50), QFont());
        doc->setTextWidth(500);
        const qreal height = doc->documentLayout()->documentSize().height();
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
            QVERIFY(laidOut(block));
        const QRectF last = doc->documentLayout()->blockBoundingRect(doc->lastBlock());
        QVERIFY(last.bottom() <= height);
        QVERIFY(last.bottom() > height - 30);
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
