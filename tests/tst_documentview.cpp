// The document view's operations and their position contract: character i of Text() is the
// character at selection position i, line breaks counting as one in both.
#include "forms/apperror.h"
#include "forms/units.h"
#include "support/testsupport.h"
#include "view/documentview.h"
#include "view/documentwriter.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {
QTextCharFormat formatAt(DocumentView& view, int position)
{
    QTextCursor c(view.document());
    c.setPosition(position + 1); // the format of the character before the cursor
    return c.charFormat();
}
}

class TestDocumentView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textGoesInAsPlainText()
    {
        DocumentView view;
        const QString markup = QStringLiteral("<b>RELEASE</b> &amp; <i>x</i>");
        view.setText(markup);
        QCOMPARE(view.Text(), markup);
        QCOMPARE(formatAt(view, 4).fontWeight(), int(QFont::Normal));
    }

    void positionsMatchTextAcrossLineBreaks()
    {
        DocumentView view;
        const QString text = QStringLiteral("first line\nsecond\n\n\tlast \u2588\u2591 line");
        view.setText(text);
        QCOMPARE(view.Text(), text);
        for (int start = 0; start < text.size(); start += 3) {
            for (int length : { 0, 1, 4, 11 }) {
                view.setSelStart(start);
                QCOMPARE(view.SelStart(), start);
                QCOMPARE(view.SelLength(), 0);
                view.setSelLength(length);
                QCOMPARE(view.SelText(), text.mid(start, length));
            }
        }
    }

    void selectionIsClampedToTheText()
    {
        DocumentView view;
        view.setText(QStringLiteral("abc"));
        view.setSelStart(99);
        QCOMPARE(view.SelStart(), 3);
        view.setSelStart(1);
        view.setSelLength(99);
        QCOMPARE(view.SelText(), QStringLiteral("bc"));
        QVERIFY_THROWS_EXCEPTION(AppError, view.setSelStart(-1));
        QVERIFY_THROWS_EXCEPTION(AppError, view.setSelLength(-1));
    }

    void selTextReplacesOrInserts()
    {
        DocumentView view;
        view.setText(QStringLiteral("hello world"));
        view.setSelStart(6);
        view.setSelLength(5);
        view.setSelText(QStringLiteral("there\nfriend"));
        QCOMPARE(view.Text(), QStringLiteral("hello there\nfriend"));
        QCOMPARE(view.SelLength(), 0);
        QCOMPARE(view.SelStart(), 18);
        view.setSelStart(0);
        view.setSelText(QStringLiteral(">"));
        QCOMPARE(view.Text(), QStringLiteral(">hello there\nfriend"));
        view.setSelStart(0);
        view.setSelLength(1);
        view.setSelText(QString());
        QCOMPARE(view.Text(), QStringLiteral("hello there\nfriend"));
    }

    void colourAndBoldTouchOnlyTheSelection()
    {
        DocumentView view;
        view.setText(QStringLiteral("one two three"));
        view.setSelStart(4);
        view.setSelLength(3);
        view.setSelColor(Units::rgb(255, 0, 0));
        view.setSelBold(true);
        for (int i = 0; i < 13; ++i) {
            const bool marked = i >= 4 && i < 7;
            const QTextCharFormat f = formatAt(view, i);
            QCOMPARE(f.fontWeight() == QFont::Bold, marked);
            QCOMPARE(f.foreground().color() == QColor(Qt::red), marked);
        }
        QCOMPARE(view.SelText(), QStringLiteral("two"));
        // Copying out of the view gives characters only.
        QCOMPARE(view.SelText(), view.Text().mid(4, 3));
    }

    void boldShowsInTheDosFace()
    {
        // The DOS face has no bold of its own: bold must still thicken the strokes on screen.
        DocumentView view;
        view.resize(300, 60);
        view.setText(QStringLiteral("cat cat"));
        const auto darkPixels = [&view](int from, int to) {
            const QImage image = view.viewport()->grab().toImage();
            const QRect first = view.cursorRect(QTextCursor(view.document()));
            int dark = 0;
            for (int y = first.top(); y <= first.bottom(); ++y) {
                for (int x = from * 8; x < to * 8 + 4; ++x)
                    dark += qGray(image.pixel(x + first.left(), y)) < 128;
            }
            return dark;
        };
        const int regular = darkPixels(0, 3);
        view.setSelStart(4);
        view.setSelLength(3);
        view.setSelColor(0); // black, as the regular word
        view.setSelBold(true);
        view.setSelStart(0);
        QCOMPARE(formatAt(view, 5).fontWeight(), int(QFont::Bold));
        QVERIFY2(darkPixels(4, 7) > regular * 5 / 4,
            qPrintable(QStringLiteral("%1 vs %2").arg(darkPixels(4, 7)).arg(regular)));
        // Recolouring bold text recolours its outline too.
        view.setSelStart(4);
        view.setSelLength(3);
        view.setSelColor(Units::rgb(255, 0, 0));
        QCOMPARE(formatAt(view, 5).textOutline().color(), QColor(Qt::red));
    }

    void faceWithABoldStyleIsNotOutlined()
    {
        // A monospace face with a bold style of its own draws bold itself: no outline on top.
        const QString mono = QStringLiteral("DejaVu Sans Mono");
        if (!QFontDatabase::families().contains(mono))
            QSKIP("DejaVu Sans Mono is not installed");
        DocumentView view;
        auto doc = DocumentWriter::fromPlainText(QString(), view.font());
        QTextCharFormat format;
        format.setFontFamilies({ mono });
        QTextCursor(doc.get()).insertText(QStringLiteral("mono"), format);
        view.showDocument(std::move(doc));
        view.setSelStart(0);
        view.setSelLength(4);
        view.setSelBold(true);
        QCOMPARE(formatAt(view, 1).fontWeight(), int(QFont::Bold));
        QVERIFY(formatAt(view, 1).textOutline().style() == Qt::NoPen);
    }

    void newTextDropsEarlierFormatting()
    {
        DocumentView view;
        view.setText(QStringLiteral("marked"));
        view.setSelStart(0);
        view.setSelLength(6);
        view.setSelBold(true);
        view.setText(QStringLiteral("plain"));
        QCOMPARE(formatAt(view, 0).fontWeight(), int(QFont::Normal));
        QVERIFY(formatAt(view, 0).foreground().style() == Qt::NoBrush
            || formatAt(view, 0).foreground().color() != QColor(Qt::red));
        view.setText(QString());
        QCOMPARE(view.Text(), QString());
    }

    void batchGivesTheSameResultAsSingleOperations()
    {
        const QString text = QStringLiteral("aXbXcX\nXX");
        DocumentView single, batched;
        single.setText(text);
        batched.setText(text);
        const auto mark = [](DocumentView& view) {
            for (int i = 0; i < 9; ++i) {
                if (view.Text()[i] != QLatin1Char('X'))
                    continue;
                view.setSelStart(i);
                view.setSelLength(1);
                view.setSelColor(255);
                view.setSelBold(true);
            }
        };
        mark(single);
        {
            DocumentView::Batch batch(&batched);
            mark(batched);
            QCOMPARE(batched.SelStart(), 8); // the batch sees its own selection
        }
        QCOMPARE(batched.textCursor().selectionStart(), single.textCursor().selectionStart());
        QCOMPARE(batched.textCursor().selectionEnd(), single.textCursor().selectionEnd());
        for (int i = 0; i < text.size(); ++i)
            QCOMPARE(formatAt(batched, i).fontWeight(), formatAt(single, i).fontWeight());
        QVERIFY(!batched.document()->isUndoAvailable());
    }
};

QTEST_MAIN(TestDocumentView)
#include "tst_documentview.moc"
