// The writer of the view's document: long RTF paragraphs, and those of many tabs, are laid out as
// several blocks, and that split shows nowhere (Text, SelText, positions, the clipboard, a search);
// the document comes configured for the view.
#include "find/highlightsearch.h"
#include "support/testsupport.h"
#include "view/documenttext.h"
#include "view/documentview.h"
#include "view/documentwriter.h"
#include "view/layoutbudget.h"

#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

const QByteArray Phrase = "lorem ipsum dolor sit amet ";

// Loads RTF bytes through a file, as File > Open does.
void loadRtf(DocumentView& view, const QByteArray& rtf)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("long.rtf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(rtf);
    file.close();
    view.LoadFile(file.fileName());
}

} // namespace

class TestDocumentWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }

    void longParagraphKeepsItsText()
    {
        DocumentView view;
        view.resize(600, 400);
        view.show();
        const QByteArray words = Phrase.repeated(800);
        loadRtf(view, "{\\rtf1\\ansi " + words + "\\par}");
        // The paragraph is laid out as several blocks ...
        QVERIFY(view.document()->blockCount() > 3);
        for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.length() <= LayoutBudget::MaxBlockLength + 1);
        // ... and reads as the one it is.
        const QString text = view.Text();
        QCOMPARE(text, QString::fromLatin1(words) + u'\n');
        QCOMPARE(text.count(QStringLiteral("lorem ipsum")), 800);

        // A selection across every block boundary reads as that part of Text, and Copy takes it.
        const int from = 100;
        const int length = int(text.size()) - 200;
        view.setSelStart(from);
        view.setSelLength(length);
        QCOMPARE(view.SelText(), text.mid(from, length));
        view.copy();
        QCOMPARE(QApplication::clipboard()->text(), text.mid(from, length));

        // A search finds every occurrence, those across a boundary too, at Text's positions.
        QCOMPARE(HighlightSearch::markAll(view, QStringLiteral("amet lorem")), 799);
        QCOMPARE(view.SelStart(), text.lastIndexOf(QStringLiteral("amet lorem")));
        QCOMPARE(view.SelText(), QStringLiteral("amet lorem"));
        QCOMPARE(view.Text(), text);
    }

    void aRunWithNoSpaceIsEndedAtACharacterTheViewDraws()
    {
        // Twenty thousand characters and no space: laid out as blocks ended at a character,
        // which reads as itself, is found by a search, and is drawn after its block's last line
        // in its own format.
        DocumentView view;
        view.resize(600, 400);
        view.show();
        const QByteArray run = QByteArray("0123456789ABCDEFGHIJ").repeated(1000);
        loadRtf(view, "{\\rtf1\\ansi\\fs24 " + run + "\\par}");
        QTextDocument* doc = view.document();
        QVERIFY(doc->blockCount() >= 3);
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            QVERIFY(b.length() <= LayoutBudget::MaxBlockLength + 1);
        QCOMPARE(view.Text(), QString::fromLatin1(run) + u'\n');
        QCOMPARE(HighlightSearch::markAll(view, QStringLiteral("BCD")), 1000);

        const QTextBlock first = doc->begin();
        const int cut = first.position() + first.length() - 1;
        const QChar character = view.Text().at(cut);
        QCOMPARE(view.Text().mid(cut - 1, 3).contains(QStringLiteral("BCD")),
            QStringLiteral("BCD").contains(character));
        view.setSelStart(cut);
        view.ensureCursorVisible();
        view.repaint();
        // The character cut at stands right of the caret placed before it; marked red when it is
        // part of a match.
        const QRect caret = view.cursorRect();
        const QFontMetrics metrics(first.next().charFormat().font());
        const QImage shot = view.viewport()->grab().toImage();
        int inked = 0;
        int red = 0;
        for (int y = caret.top(); y <= caret.bottom(); ++y) {
            for (int x = caret.right() + 2;
                 x < caret.right() + metrics.horizontalAdvance(character); ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                inked += pixel.lightness() < 160;
                red += pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100;
            }
        }
        QVERIFY2(inked > 10, qPrintable(QString::number(inked)));
        QCOMPARE(red > 0, QStringLiteral("BCD").contains(character));
    }

    void longParagraphKeepsItsSpacingAndIndent()
    {
        // Space before and the first-line indent on the first block, space after on the last.
        const auto doc = DocumentWriter::fromRtf(
            "{\\rtf1 \\sb300\\sa600\\fi720 " + Phrase.repeated(800) + "\\par x}", QFont());
        const QTextBlock first = doc->begin();
        QTextBlock last = first;
        while (last.next().isValid() && last.next().text() != QStringLiteral("x"))
            last = last.next();
        QVERIFY(first != last);
        QVERIFY(first.blockFormat().topMargin() > 0);
        QVERIFY(first.blockFormat().textIndent() > 0);
        QCOMPARE(first.blockFormat().bottomMargin(), 0.0);
        QCOMPARE(last.blockFormat().topMargin(), 0.0);
        QCOMPARE(last.blockFormat().textIndent(), 0.0);
        QVERIFY(last.blockFormat().bottomMargin() > 0);
        QCOMPARE(doc->toPlainText().count(u'\n'), 1 + first.blockNumber() + last.blockNumber());
    }

    void paragraphsOfManyTabsLookAndReadTheSame()
    {
        // Rows of tabs set apart by line breaks: the paragraph is laid out as several blocks,
        // ended at line breaks, and every row's columns stand where they would in one block.
        DocumentView view;
        view.resize(600, 400);
        view.show();
        QByteArray rows;
        QString expected;
        for (int row = 0; row < 100; ++row) {
            rows += "a\\tab b\\tab c\\line ";
            expected += QStringLiteral("a\tb\tc\n");
        }
        loadRtf(view, "{\\rtf1\\ansi\\pard\\fi720\\tx1500\\tx3000 " + rows + "\\par}");
        QCOMPARE(view.Text(), expected + u'\n');
        QVERIFY(view.document()->blockCount() > 3);
        for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.text().count(u'\t') <= LayoutBudget::MaxTabsInBlock);
        auto xOf = [&](int position) {
            QTextCursor c(view.document());
            c.setPosition(position);
            return view.cursorRect(c).x();
        };
        const qsizetype firstRow = expected.indexOf(u'\n') + 1;
        for (qsizetype row = firstRow; row < expected.size(); row += 6) {
            QCOMPARE(xOf(int(row)), xOf(int(firstRow))); // no first-line indent
            QCOMPARE(xOf(int(row + 4)), xOf(int(firstRow + 4))); // "c" at the second stop
        }
        QVERIFY(xOf(0) > xOf(int(firstRow))); // the first line's indent

        // With no line break, blocks end at a tab, which the text keeps.
        loadRtf(view, "{\\rtf1\\ansi " + QByteArray("x\\tab ").repeated(1000) + "\\par}");
        const QString tabs = QStringLiteral("x\t").repeated(1000) + u'\n';
        QCOMPARE(view.Text(), tabs);
        QVERIFY(view.document()->blockCount() > 10);
        const int cut = view.document()->begin().length() - 1;
        view.setSelStart(cut - 1);
        view.setSelLength(3);
        QCOMPARE(view.SelText(), tabs.mid(cut - 1, 3));
        QCOMPARE(HighlightSearch::markAll(view, QStringLiteral("x")), 1000);
        QCOMPARE(view.Text(), tabs);
    }

    void paragraphsAlikeShareABlockAndLookTheSame_data()
    {
        QTest::addColumn<QByteArray>("spacing");
        QTest::newRow("single") << QByteArray();
        QTest::newRow("1.15 lines") << QByteArray("\\sl276\\slmult1");
        QTest::newRow("exactly 20 points") << QByteArray("\\sl-400");
    }

    void paragraphsAlikeShareABlockAndLookTheSame()
    {
        // Plain paragraphs of one format are lines of one block, and so are empty ones. Beside
        // the same paragraphs justified every other one (a paragraph of one line looks the same
        // either way, and they stay blocks of their own), each starts at the same place, and the
        // text and its bold words read the same; a block of many tabs ends between two of them.
        QFETCH(QByteArray, spacing);
        QByteArray joined = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Helvetica;}}\\f0\\fs24 ";
        QByteArray apart = joined;
        for (int i = 0; i < 300; ++i) {
            const QByteArray text = i >= 100 && i < 200
                ? QByteArray()
                : "line {\\b " + QByteArray::number(i) + "}" + (i % 3 ? "" : "\\tab t");
            joined += "\\pard" + spacing + " " + text + "\\par ";
            apart += (i % 2 ? "\\pard\\qj" : "\\pard") + spacing + " " + text + "\\par ";
        }
        DocumentView a;
        DocumentView b;
        for (DocumentView* view : { &a, &b }) {
            view->resize(600, 400);
            view->show();
        }
        loadRtf(a, joined + "end}");
        loadRtf(b, apart + "end}");
        const QString text = a.Text();
        QCOMPARE(b.Text(), text);
        QVERIFY(a.document()->blockCount() * 10 < b.document()->blockCount());
        auto rectAt = [](DocumentView& view, int position) {
            QTextCursor c(view.document());
            c.setPosition(position);
            return view.cursorRect(c);
        };
        for (qsizetype at = 0; at >= 0; at = text.indexOf(u'\n', at + 1)) {
            const int start = at == 0 ? 0 : int(at) + 1;
            QCOMPARE(rectAt(a, start), rectAt(b, start));
        }
        auto weightAt = [](DocumentView& view, int position) {
            QTextCursor c(view.document());
            c.setPosition(position + 1);
            return c.charFormat().fontWeight();
        };
        for (int at = 0; at < text.size(); ++at) {
            if (text[at] != u'\n')
                QCOMPARE(weightAt(a, at), weightAt(b, at));
        }
        // Selections across the joins read as the text.
        a.setSelStart(3);
        a.setSelLength(200);
        QCOMPARE(a.SelText(), text.mid(3, 200));
    }

    void textAfterARightStopEndsAtIt()
    {
        // Paragraphs alike with a right-aligned stop, as in a table of contents: each number
        // ends at the stop, whatever the length of the text before it.
        DocumentView view;
        view.resize(600, 400);
        view.show();
        QByteArray rtf = "{\\rtf1\\ansi ";
        for (int i = 0; i < 20; ++i)
            rtf += "\\pard\\tqr\\tldot\\tx5000 " + QByteArray(1 + i % 7, 'c') + "\\tab "
                + QByteArray::number(i * 7) + "\\par ";
        loadRtf(view, rtf + "}");
        const QString text = view.Text();
        QList<int> ends;
        for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1)) {
            QTextCursor c(view.document());
            c.setPosition(int(at));
            ends.append(view.cursorRect(c).x());
        }
        QCOMPARE(ends.size(), 20);
        for (int x : ends)
            QCOMPARE(x, ends.first());
    }

    void runsWithoutSpaceWrapAnywhereWhenLong()
    {
        // A run with no space is wrapped anywhere when it is too long to wrap at words.
        auto doc = DocumentWriter::fromRtf("{\\rtf1 " + QByteArray(9000, 'x') + "}", QFont());
        QCOMPARE(DocumentText::whole(doc.get()), QString(9000, u'x'));
        QVERIFY(doc->defaultTextOption().wrapMode() != QTextOption::WrapAnywhere);
        doc = DocumentWriter::fromRtf("{\\rtf1 " + QByteArray(30000, 'x') + "}", QFont());
        QCOMPARE(doc->defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
    }

    void lastParagraphKeepsItsProperties()
    {
        // A document whose last paragraph has no \par of its own: the brace that closes the
        // document ends it, with its properties.
        const auto doc = DocumentWriter::fromRtf("{\\rtf1 a\\par\\qc\\li720 centred}", QFont());
        QCOMPARE(doc->lastBlock().text(), QStringLiteral("centred"));
        QCOMPARE(doc->lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(doc->lastBlock().blockFormat().leftMargin(), 48.0);
        QCOMPARE(doc->begin().blockFormat().alignment(), Qt::AlignLeft);
    }

    void documentsComeConfiguredForTheView()
    {
        const QFont face(QStringLiteral("Monospace"), 9);
        for (const auto& doc : { DocumentWriter::fromPlainText(QStringLiteral("a\tb"), face),
                 DocumentWriter::fromRtf("{\\rtf1\\deftab1440 a\\tab b}", face) }) {
            QCOMPARE(doc->defaultFont(), face);
            QVERIFY(!doc->isUndoRedoEnabled());
            QCOMPARE(doc->documentMargin(), 2.0);
        }
        // Plain text has the view's tab stops, RTF its own (1440 twips: 96 pixels).
        QCOMPARE(
            DocumentWriter::fromPlainText(QString(), face)->defaultTextOption().tabStopDistance(),
            DocumentWriter::tabDistance(face));
        QCOMPARE(DocumentWriter::fromRtf("{\\rtf1\\deftab1440 x}", face)
                     ->defaultTextOption()
                     .tabStopDistance(),
            96.0);
    }
};

QTEST_MAIN(TestDocumentWriter)
#include "tst_documentwriter.moc"
