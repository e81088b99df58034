// Hostile plain text: files made to have the view build a paragraph per character, hold a line of
// hundreds of megabytes, or decode a file cut into pieces at the wrong places. Each file is made
// here when the test runs, loaded through LoadFile into a shown view, and checked for what must
// hold: the view's text is the file's, character for character, and the keys a user presses at
// the end of the document answer. A watchdog ends the program with a failure when a case runs
// for more than a minute. Time and memory are not asserted (the machine may be busy); each case
// prints them.
#include "find/highlightsearch.h"
#include "support/watchdog.h"
#include "text/cp437.h"
#include "view/documentview.h"
#include "view/layoutbudget.h"
#include "view/textrange.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

using TestSupport::resetPeakMemory;
using TestSupport::statusKiB;
using TestSupport::Watchdog;

constexpr qsizetype MiB = 1024 * 1024;

// Short lines of letters, each ended by one of the characters the document keeps for itself
// (mostly paragraph separators), with the file's own look-alikes of their stand-ins among them.
QString separatedLines(qsizetype length)
{
    static const char16_t ends[] = { 0x2029, 0x2029, 0x2029, 0x2028, 0xFDD0, 0xFDD1 };
    QString text;
    text.reserve(length);
    for (int i = 0; text.size() < length; ++i) {
        text += QStringLiteral("line%1 ab").arg(i % 997);
        if (i % 50 == 0)
            text += QStringLiteral(" \u00B6\u25D9\u25A0\u25AC");
        text += QChar(ends[i % 6]);
    }
    return text;
}

QByteArray blockArt(qsizetype size)
{
    QByteArray bytes(size, '\xDB');
    for (qsizetype i = 0; i < size; i += 7)
        bytes[i] = '\xB1';
    return bytes;
}

} // namespace

class TestHostilePlain : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Loads the file into a shown view and prints what it took.
    void load(DocumentView& view, const QString& path, const char* what)
    {
        view.resize(800, 600);
        view.show();
        const long before = statusKiB("VmRSS:");
        resetPeakMemory();
        QElapsedTimer timer;
        timer.start();
        view.LoadFile(path);
        view.repaint();
        qInfo("%s: loaded and painted in %.0f ms, peak %.0f MiB over the %.0f MiB before, "
              "%d paragraphs",
            what, timer.nsecsElapsed() / 1e6, (statusKiB("VmHWM:") - before) / 1024.0,
            before / 1024.0, view.document()->blockCount());
    }

    // The keys a user presses at the end: each answers, and each is timed.
    void keysAtTheEnd(DocumentView& view, const char* what)
    {
        const QString text = view.Text();
        view.setFocus();
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        view.repaint();
        const double end = timer.nsecsElapsed() / 1e6;
        QCOMPARE(view.SelStart(), int(text.size()));
        timer.restart();
        QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
        view.repaint();
        const double shiftLeft = timer.nsecsElapsed() / 1e6;
        QCOMPARE(view.SelText(), text.right(1));
        QTest::keyClick(&view, Qt::Key_End);
        timer.restart();
        QTest::keyClick(&view, Qt::Key_X);
        view.repaint();
        const double typed = timer.nsecsElapsed() / 1e6;
        QCOMPARE(view.SelStart(), int(text.size()) + 1);
        QVERIFY(view.Text().endsWith(text.right(20) + u'x'));
        qInfo("%s: Ctrl+End %.1f ms, Shift+Left %.1f ms, a letter typed %.1f ms", what, end,
            shiftLeft, typed);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Separators in the file are characters of one cell each, not paragraphs of the document:
    // the view's text, a search, a selection and typing beside them keep them as they are.
    void separatorsStayCharacters()
    {
        Watchdog watchdog(QStringLiteral("separators"));
        const QString text = separatedLines(3 * MiB);
        DocumentView view;
        load(view, write(QStringLiteral("separators.txt"), text.toUtf8()), "3 MiB of separators");
        QCOMPARE(view.Text(), text);
        // Paragraphs of thousands of characters, as any long line has, not one for each line.
        QVERIFY(view.document()->blockCount() < text.size() / 1000);

        QVERIFY(HighlightSearch::markAll(view, QStringLiteral("line996 ab")) > 0);
        QCOMPARE(view.Text(), text);
        const int at = int(text.indexOf(QChar(0x2029)));
        view.setSelStart(at - 1);
        view.setSelLength(3);
        QCOMPARE(view.SelText(), text.mid(at - 1, 3));
        // Assistive technology reads the same characters.
        QCOMPARE(TextRange::text(view.document(), at - 1, at + 2), text.mid(at - 1, 3));

        // Typed after a separator, the letters are themselves, and so is a typed look-alike.
        view.setSelStart(at + 1);
        view.setFocus();
        QTest::keyClicks(&view, QStringLiteral("q\u00B6"));
        QCOMPARE(view.Text(), text.left(at + 1) + QStringLiteral("q\u00B6") + text.mid(at + 1));
        keysAtTheEnd(view, "3 MiB of separators");
    }

    // One line of hundreds of megabytes (here fewer, which shows the same): the text whole, and
    // no paragraph of the document that the editor would go over at every key.
    void oneLongLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("24 MiB of block art") << blockArt(24 * MiB);
        QTest::newRow("24 MiB of short words")
            << QByteArray("an ox is at my door ").repeated(24 * MiB / 20);
    }

    void oneLongLine()
    {
        QFETCH(QByteArray, bytes);
        Watchdog watchdog(QString::fromLatin1(QTest::currentDataTag()));
        DocumentView view;
        load(view, write(QStringLiteral("line.nfo"), bytes), QTest::currentDataTag());
        int longest = 0;
        for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
            longest = qMax(longest, b.length() - 1);
        QVERIFY(longest <= LayoutBudget::PlainCut);
        QCOMPARE(view.Text(), Cp437::decode(bytes));
        // A selection across a cut has the character the cut stands for.
        const int cut = view.document()->begin().length() - 1;
        view.setSelStart(cut - 1);
        view.setSelLength(3);
        QCOMPARE(view.SelText(), Cp437::decode(bytes.mid(cut - 1, 3)));
        QCOMPARE(TextRange::text(view.document(), cut - 1, cut + 2), view.SelText());
        keysAtTheEnd(view, QTest::currentDataTag());
    }

    // A file of zero bytes that takes no room on the disk: one line of spaces.
    void sparseZeros()
    {
        Watchdog watchdog(QStringLiteral("sparse zeros"));
        const QString path = m_dir.filePath(QStringLiteral("zeros.nfo"));
        const qsizetype size = 32 * MiB;
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(::ftruncate(file.handle(), size), 0);
        }
        DocumentView view;
        load(view, path, "32 MiB sparse file of zeros");
        QCOMPARE(view.Text(), QString(size, u' '));
        keysAtTheEnd(view, "32 MiB sparse file of zeros");
    }

    // The file is read a mebibyte at a time: a CR LF, a UTF-8 sequence and a UTF-16 surrogate
    // pair cut by the end of a piece are each read as one.
    void piecesCutWhatBelongsTogether_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF") << QByteArray(MiB - 1, 'a') + "\r\nb"
                               << QString(MiB - 1, u'a') + QStringLiteral("\nb");
        const QByteArray euro = QStringLiteral("\u20AC").toUtf8();
        QTest::newRow("UTF-8 sequence")
            << QByteArray(MiB - 1, 'a') + euro + "b" << QString(MiB - 1, u'a') + u'\u20AC' + u'b';
        QString pair = QString(MiB / 2 - 2, u'a') + QStringLiteral("\U0001F600b");
        QTest::newRow("UTF-16 surrogate pair")
            << "\xFF\xFE" + QStringEncoder(QStringConverter::Utf16LE)(pair) << pair;
    }

    void piecesCutWhatBelongsTogether()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        DocumentView view;
        view.LoadFile(write(QStringLiteral("pieces.txt"), bytes));
        QCOMPARE(view.Text(), text);
    }
};

QTEST_MAIN(TestHostilePlain)
#include "tst_hostile_plain.moc"
