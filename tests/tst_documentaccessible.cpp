// What assistive technology reads of the document view: its text at the view's own positions
// with '\n' breaks, lines that end with their break, the formatting of the marks, and changes
// of formatting told apart from changes of text. Documents come in as files, as the user's do.
#include "support/testsupport.h"
#include "view/documentaccessible.h"
#include "view/documenttext.h"
#include "view/documentview.h"
#include "view/textrange.h"

#include <QAccessible>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QAccessibleTextInterface* textOf(DocumentView& view)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&view);
    return iface ? iface->textInterface() : nullptr;
}

// The line of Text() that holds position: after the '\n' before it, up to and with its own.
std::pair<int, int> lineOf(const QString& text, int position)
{
    const int start = position == 0 ? 0 : int(text.lastIndexOf(u'\n', position - 1)) + 1;
    const qsizetype end = position < text.size() ? text.indexOf(u'\n', position) : -1;
    return { start, end < 0 ? int(text.size()) : int(end) + 1 };
}

// A paragraph far longer than one the layout takes whole: the writer ends it at spaces.
QByteArray longRtfParagraph()
{
    QByteArray words;
    for (int i = 0; i < 3000; ++i)
        words += "word" + QByteArray::number(i % 10) + ' ';
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 " + words + "\\par next\\line line\\par}";
}

} // namespace

class TestDocumentAccessible : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void load(DocumentView& view, const QByteArray& bytes)
    {
        view.LoadFile(TestSupport::writeFile(m_dir.path(), QStringLiteral("doc"), bytes));
    }

private Q_SLOTS:
    void theViewIsEditableMultiLineText()
    {
        DocumentView view;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QVERIFY(iface->state().multiLine);
        QVERIFY(iface->state().editable);
        QVERIFY(iface->editableTextInterface());
    }

    void textAndLinesAreThoseOfText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF, LF and CR") << QByteArray("one\r\ntwo\nthree\rfour\r\n\r\nlast");
        QByteArray many;
        for (int i = 0; i < 900; ++i)
            many += "line " + QByteArray::number(i) + "\r\n";
        QTest::newRow("lines grouped into paragraphs") << many;
        QTest::newRow("code page 437 art") << QByteArray("\xC9\xCD\xBB\r\n\xBA\xDB\xBA\r\n\x1a");
        QTest::newRow("RTF paragraphs and a line break")
            << QByteArray("{\\rtf1\\ansi one\\par two\\line three\\par\\pard four}");
        QTest::newRow("RTF table") << QByteArray("{\\rtf1\\ansi before\\par\\trowd\\cellx1000"
                                                 "\\cellx2000 a\\cell b\\cell\\row after\\par}");
        QTest::newRow("RTF paragraph ended at its spaces") << longRtfParagraph();
    }
    void textAndLinesAreThoseOfText()
    {
        QFETCH(QByteArray, bytes);
        DocumentView view;
        load(view, bytes);
        QAccessibleTextInterface* text = textOf(view);
        QVERIFY(text);
        const QString whole = view.Text();
        if (QByteArray(QTest::currentDataTag()).contains("spaces"))
            QVERIFY(view.document()->property(DocumentText::HasCharacterEnds).toBool());
        const int length = int(whole.size());
        QCOMPARE(text->characterCount(), length);
        QCOMPARE(text->text(0, length), whole);

        // Pieces from every kind of place: short ones everywhere, long ones at random.
        const int step = std::max(1, length / 700);
        for (int from = 0; from <= length; from += step) {
            for (int size : { 0, 1, 2, 5, 80 })
                QCOMPARE(text->text(from, from + size), whole.mid(from, size));
        }
        QRandomGenerator random(21);
        for (int i = 0; i < 200; ++i) {
            const int a = random.bounded(length + 1);
            const int b = random.bounded(length + 1);
            QCOMPARE(text->text(std::min(a, b), std::max(a, b)),
                whole.mid(std::min(a, b), std::abs(a - b)));
        }

        for (int at = 0; at <= length; at += step) {
            int start = -1, end = -1;
            const QString line = text->textAtOffset(at, QAccessible::LineBoundary, &start, &end);
            const auto [wantStart, wantEnd] = lineOf(whole, at);
            QCOMPARE(std::make_pair(start, end), std::make_pair(wantStart, wantEnd));
            QCOMPARE(line, whole.mid(start, end - start));
            QVERIFY(!line.contains(u'\n') || line.indexOf(u'\n') == line.size() - 1);
        }
    }

    void linesBeforeAndAfter()
    {
        DocumentView view;
        load(view, "first\r\nsecond\r\nthird");
        QAccessibleTextInterface* text = textOf(view);
        int start = -1, end = -1;
        QCOMPARE(text->textAfterOffset(2, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("second\n"));
        QCOMPARE(std::make_pair(start, end), std::make_pair(6, 13));
        QCOMPARE(text->textBeforeOffset(13, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("second\n"));
        QCOMPARE(text->textBeforeOffset(3, QAccessible::LineBoundary, &start, &end), QString());
        QCOMPARE(text->textAfterOffset(15, QAccessible::LineBoundary, &start, &end), QString());
        // A word at a line's edge is found across the break, at the document's positions.
        QCOMPARE(text->textAfterOffset(2, QAccessible::WordBoundary, &start, &end),
            QStringLiteral("\n"));
        QCOMPARE(text->textAtOffset(8, QAccessible::WordBoundary, &start, &end),
            QStringLiteral("second"));
        QCOMPARE(std::make_pair(start, end), std::make_pair(6, 12));
        QCOMPARE(text->textBeforeOffset(13, QAccessible::WordBoundary, &start, &end),
            QStringLiteral("\n"));
    }

    void marksAreRedAndBoldRuns()
    {
        DocumentView view;
        load(view, "a cat\r\nsat");
        {
            DocumentView::Batch batch(&view);
            view.setSelStart(2);
            view.setSelLength(3);
            view.setSelColor(255);
            view.setSelBold(true);
        }
        QAccessibleTextInterface* text = textOf(view);
        int start = -1, end = -1;
        const QString marked = text->attributes(3, &start, &end);
        QCOMPARE(std::make_pair(start, end), std::make_pair(2, 5));
        QVERIFY2(marked.contains(QLatin1String("color:rgb(255,0,0);")), qPrintable(marked));
        QVERIFY2(marked.contains(QLatin1String("font-weight:700;")), qPrintable(marked));
        const QString plain = text->attributes(0, &start, &end);
        QCOMPARE(start, 0);
        QVERIFY2(!plain.contains(QLatin1String("rgb(255,0,0)")), qPrintable(plain));
        QVERIFY2(plain.contains(QLatin1String("font-weight:400;")), qPrintable(plain));
    }

    void formattingIsNoChangeOfText()
    {
        // What the editor reports of each change, as it reports it, and what it becomes.
        DocumentView view;
        load(view, "one cat\r\ntwo cats");
        QList<QAccessible::Event> told;
        QStringList texts;
        connect(view.document(), &QTextDocument::contentsChange, &view,
            [&](int from, int removed, int added) {
                QAccessibleTextUpdateEvent raw(
                    &view, from, QString(removed, u' '), QString(added, u'?'));
                const std::unique_ptr<QAccessibleEvent> event = DocumentAccessible::translate(&raw);
                told << (event ? event->type() : raw.type());
                if (event && event->type() == QAccessible::TextUpdated)
                    texts << static_cast<QAccessibleTextUpdateEvent*>(event.get())->textInserted();
            });
        {
            DocumentView::Batch batch(&view);
            for (int at : { 4, 13 }) {
                view.setSelStart(at);
                view.setSelLength(3);
                view.setSelColor(255);
                view.setSelBold(true);
            }
        }
        view.setSelStart(0);
        view.setSelLength(3);
        view.setSelColor(255); // outside a batch too
        QCOMPARE(told, QList<QAccessible::Event>(2, QAccessible::TextAttributeChanged));

        told.clear();
        view.setSelStart(3);
        view.setSelLength(1);
        view.setSelText(QStringLiteral("\n")); // a space replaced by a line break
        QCOMPARE(told, QList<QAccessible::Event> { QAccessible::TextUpdated });
        QCOMPARE(texts, QStringList { QStringLiteral("\n") });
        QCOMPARE(view.Text(), QStringLiteral("one\ncat\ntwo cats"));
    }
};

QTEST_MAIN(TestDocumentAccessible)
#include "tst_documentaccessible.moc"
