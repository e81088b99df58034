// Hostile files: documents and registry exports built to crash, freeze or exhaust the program,
// and the files the loader refuses. Each case is read twice: by the readers alone, on a thread
// with a small stack (a reader that recursed as deep as the input asks would overflow it), and
// through LoadFile into a view that lays the whole document out. A watchdog ends the program
// with a failure when a case runs for more than a minute, so a hang cannot stall a test run.
// Finds of the fuzzers (fuzz/regressions/) are replayed the same way.
//
// Time and memory are not asserted (the machine may be busy); the program prints them as a
// report at the end: the readers' time on the small stack, LoadFile until the view has painted
// the document, the rest of its layout, and the growth of the peak resident memory over both,
// beside the size of the file.
#include "find/highlightsearch.h"
#include "forms/apperror.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "rtf/rtfreader.h"
#include "support/testsupport.h"
#include "support/watchdog.h"
#include "text/textdecoding.h"
#include "view/documenttext.h"
#include "view/documentview.h"
#include "view/documentwriter.h"
#include "view/windowlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QThread>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using TestSupport::resetPeakMemory;
using TestSupport::statusKiB;
using TestSupport::Watchdog;

constexpr std::uint32_t ReaderStack = 256 * 1024;

// Runs work on a thread with a small stack and waits for it.
void onSmallStack(const std::function<void()>& work)
{
    QThread* thread = QThread::create(work);
    thread->setStackSize(ReaderStack);
    thread->start();
    thread->wait();
    delete thread;
}

struct Figures {
    QString name;
    qint64 bytes = 0;
    double readerMs = 0;
    double loadMs = 0;
    double layoutMs = 0;
    double endMs = 0; // to the end and painted there, then a search
    double peakGrowthMiB = 0;
};

QList<Figures>& report()
{
    static QList<Figures> figures;
    return figures;
}

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * qsizetype(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// A table nested depth deep: each level's row has a cell of text and a cell holding the next
// level, as word processors write them.
QByteArray nestedTables(int depth)
{
    QByteArray rtf = "{\\rtf1 before\\par ";
    for (int level = 1; level <= depth; ++level)
        rtf += "\\pard\\intbl\\itap" + QByteArray::number(level) + " level"
            + QByteArray::number(level) + (level == 1 ? "\\cell " : "\\nestcell ");
    for (int level = depth; level > 1; --level)
        rtf += "\\pard\\intbl\\itap" + QByteArray::number(level) + " end"
            + QByteArray::number(level)
            + "\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}"
              "{\\nonesttables\\par}";
    return rtf + "\\pard\\intbl\\itap1 last\\cell\\row\\pard after}";
}

// Paragraphs whose \itap climbs to depth and back, again and again.
QByteArray itapStaircase(int depth, int flights)
{
    QByteArray rtf = "{\\rtf1 before\\par ";
    for (int flight = 0; flight < flights; ++flight) {
        for (int level = 1; level <= depth; ++level)
            rtf += "\\pard\\intbl\\itap" + QByteArray::number(level) + " up\\par ";
        for (int level = depth; level >= 1; --level)
            rtf += "\\pard\\intbl\\itap" + QByteArray::number(level) + " down\\par ";
    }
    return rtf + "\\pard after}";
}

// A one-colour PNG of the given size, made once.
const QByteArray& bigPng()
{
    static const QByteArray png = [] {
        QImage image(5000, 5000, QImage::Format_RGB32);
        image.fill(QColor(30, 90, 200));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes.toHex();
    }();
    return png;
}

QByteArray pictureBomb(int pictures)
{
    return "{\\rtf1 before " + repeated("{\\pict\\pngblip " + bigPng() + "}", pictures) + " after}";
}

QByteArray colouredCharacters(int count)
{
    QByteArray table = "{\\colortbl;";
    for (int i = 0; i < 2000; ++i)
        table += "\\red" + QByteArray::number(i % 256) + "\\green" + QByteArray::number(i / 8 % 256)
            + "\\blue" + QByteArray::number(i / 16 % 256) + ";";
    QByteArray rtf = "{\\rtf1" + table + "}before ";
    for (int i = 0; i < count; ++i)
        rtf += "\\cf" + QByteArray::number(i % 2000 + 1) + (i % 2 ? "\\b " : "\\b0 ") + "x";
    return rtf + "}";
}

QByteArray fontFlood(int fonts)
{
    QByteArray rtf = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < fonts; ++i)
        rtf += "{\\f" + QByteArray::number(i) + "\\fcharset" + QByteArray::number(i % 256) + "\\cpg"
            + QByteArray::number(i) + " Face" + QByteArray::number(i) + ";}";
    rtf += "}before ";
    for (int i = 0; i < fonts; i += 7)
        rtf += "\\f" + QByteArray::number(i) + " \\'e9";
    return rtf + " after}";
}

QByteArray deepRegistryKeys(int depth)
{
    QByteArray path = "HKEY_LOCAL_MACHINE";
    for (int i = 1; i < depth; ++i)
        path += "\\k";
    return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer]\r\n\"Path\"=\"before\"\r\n\r\n["
        + path + "]\r\n\"v\"=dword:00000001\r\n";
}

using Check = std::function<void(DocumentView&)>;

// Every table in the document nests at most this deep.
Check tablesAtMost(int depth)
{
    return [depth](DocumentView& view) {
        int deepest = 0;
        for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
            int d = 0;
            for (QTextFrame* f = QTextCursor(b).currentFrame(); f; f = f->parentFrame())
                d += qobject_cast<QTextTable*>(f) != nullptr;
            deepest = qMax(deepest, d);
        }
        QVERIFY2(deepest <= depth, qPrintable(QStringLiteral("tables %1 deep").arg(deepest)));
        QVERIFY(deepest > 0);
    };
}

Check wrapsAnywhere()
{
    return [](DocumentView& view) {
        QCOMPARE(view.document()->defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
    };
}

// The pictures' decoded pixels together stay within what a document may keep.
Check picturesWithinBudget(qint64 pixels)
{
    return [pixels](DocumentView& view) {
        qint64 total = 0;
        int frames = 0;
        for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (!f.isImageFormat())
                    continue;
                const QImage image
                    = view.document()
                          ->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name()))
                          .value<QImage>();
                QVERIFY(!image.isNull());
                total += qint64(image.width()) * image.height();
                ++frames;
                QCOMPARE(f.toImageFormat().width(), 5000.0);
            }
        }
        QVERIFY(frames > 0);
        QVERIFY2(total <= pixels, qPrintable(QStringLiteral("%1 pixels").arg(total)));
    };
}

} // namespace

// ---- Registry exports in the shapes of a hostile author, read as System Info reads them ----
namespace {

const QByteArray SysInfoKey1 = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray SysInfoKey2 = "SOFTWARE\\Microsoft\\Shared Tools Location";
// Just under the registry's cap of 16 MiB.
constexpr qsizetype ShapeSize = 16 * 1000 * 1000;

// An older-format export of about ShapeSize bytes: the head, the filler lines made of their
// number until the size is reached, and at the end the two places System Info looks, the first
// without its value and the second naming a folder (stated twice: the later one counts).
QByteArray exportShape(const QByteArray& head, const std::function<QByteArray(int)>& line)
{
    const QByteArray tail = "\r\n[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]\r\n\"Other\"=\"x\"\r\n"
        + "[HKEY_LOCAL_MACHINE\\" + SysInfoKey2 + "]\r\n\"MSINFO\"=\"C:\\\\Wrong\"\r\n"
        + "\"MSINFO\"=\"C:\\\\Tools\"\r\n";
    QByteArray bytes = "REGEDIT4\r\n\r\n" + head;
    bytes.reserve(ShapeSize);
    for (int i = 0; bytes.size() + tail.size() < ShapeSize; ++i)
        bytes += line(i);
    return bytes + tail;
}

// Distinct paths of 511 keys, each line about 1 KB.
QByteArray keyChains()
{
    const QByteArray chain = repeated("\\k", 509);
    return exportShape({}, [&chain](int i) {
        return "[HKEY_LOCAL_MACHINE\\" + QByteArray::number(i) + chain + "]\r\n";
    });
}

// A million short values under the key System Info looks in first.
QByteArray manyValues()
{
    return exportShape("[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]\r\n",
        [](int i) { return "\"v" + QByteArray::number(i) + "\"=\"x\"\r\n"; });
}

// The same, named beyond ASCII: no name matches without being folded first.
QByteArray manyValuesBeyondAscii()
{
    return exportShape("[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]\r\n",
        [](int i) { return "\"\xC9" + QByteArray::number(i) + "\"=\"x\"\r\n"; });
}

// One key line of 16 MB, a path far too deep below the key System Info looks in first.
QByteArray oneLongKeyLine()
{
    QByteArray bytes = exportShape(
        "[HKEY_LOCAL_MACHINE\\" + SysInfoKey1, [](int) { return QByteArrayLiteral("\\k"); });
    return bytes.insert(bytes.lastIndexOf("\r\n[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]"), ']');
}

QByteArray newlinesOnly()
{
    return exportShape({}, [](int) { return QByteArrayLiteral("\n"); });
}

// The value System Info asks for first, hexadecimal text continued over 16 MB of lines: too long
// for its buffer.
QByteArray continuedWantedValue()
{
    QByteArray bytes
        = exportShape("[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]\r\n\"PATH\"=hex(1):41,\\\r\n",
            [](int) { return QByteArrayLiteral("  41,\\\r\n"); });
    // The last line of the value goes on no further.
    return bytes.remove(bytes.lastIndexOf(",\\\r\n"), 2);
}

// Gives memory freed by earlier cases back to the system, and has buffers of a mebibyte or more
// come fresh from it from now on (for the rest of the run), so that the peak of a case counts
// all its memory and no more.
void releaseFreedMemory()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    malloc_trim(0);
#endif
}

// The same on one line.
QByteArray longWantedValue()
{
    QByteArray bytes
        = exportShape("[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]\r\n\"PATH\"=hex(1):41",
            [](int) { return QByteArrayLiteral(",41"); });
    return bytes.insert(bytes.lastIndexOf("\r\n[HKEY_LOCAL_MACHINE\\" + SysInfoKey1 + "]"), "\r\n");
}

// A lookup as the About box makes it: the key opened for reading, the value asked for with a
// buffer of 1024 bytes, the key closed. Returns the status; *data gets the bytes read.
Registry::Status sysInfoLookup(
    Registry::Api& registry, const QByteArray& key, const QByteArray& name, QByteArray* data)
{
    Registry::Key handle = 0;
    Registry::Status status
        = registry.openKey(Registry::LocalMachine, key, 0, Registry::Read, &handle);
    if (status != Registry::Success)
        return status;
    QByteArray buffer(1024, '\0');
    std::uint32_t size = 1024;
    std::uint32_t type = 0;
    status = registry.queryValue(handle, name, &type, buffer.data(), &size);
    registry.closeKey(handle);
    *data = status == Registry::Success ? buffer.left(qsizetype(size)) : QByteArray();
    return status;
}

} // namespace

Q_DECLARE_METATYPE(Check)

class TestHostile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Reads the file the way LoadFile does, without a view, on a small stack.
    static void readOnSmallStack(const QByteArray& bytes, QString* text)
    {
        onSmallStack([&] {
            if (Rtf::looksLikeRtf(bytes)) {
                *text = DocumentText::whole(DocumentWriter::fromRtf(bytes, QFont()).get());
            } else {
                *text = TextDecoding::decode(bytes);
            }
        });
    }

    // Reads a file of hostile bytes both ways and checks that what comes before the damage is
    // shown; returns the view's text.
    void walkDocument(const QString& name, const QByteArray& bytes, const QStringList& shown,
        const Check& check = {})
    {
        const QString file = TestSupport::writeFile(m_dir.path(), name, bytes);
        Figures figures { name, bytes.size() };
        Watchdog watchdog(name);
        QElapsedTimer timer;
        timer.start();
        QString readerText;
        readOnSmallStack(bytes, &readerText);
        figures.readerMs = timer.nsecsElapsed() / 1e6;

        {
            DocumentView view;
            view.resize(800, 600);
            view.show();
            const long before = statusKiB("VmRSS:");
            resetPeakMemory();
            timer.restart();
            view.LoadFile(file);
            // Shown: the view has laid out what it shows first and painted it.
            view.repaint();
            figures.loadMs = timer.nsecsElapsed() / 1e6;
            // The whole document laid out, as scrolling to its end would.
            view.document()->documentLayout()->documentSize();
            figures.layoutMs = timer.nsecsElapsed() / 1e6 - figures.loadMs;
            // As a user goes on: to the end, painted there, and a search for a word it shows.
            timer.restart();
            QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
            view.repaint();
            const QString text = view.Text();
            QCOMPARE(view.SelStart(), int(text.size()));
            // Rich text: the caret shown where it is (the character grid keeps its own caret).
            if (qobject_cast<WindowLayout*>(view.document()->documentLayout()))
                QVERIFY(view.viewport()->rect().intersects(view.cursorRect()));
            if (!shown.isEmpty())
                QVERIFY(HighlightSearch::markAll(view, shown.last()) > 0);
            figures.endMs = timer.nsecsElapsed() / 1e6;
            figures.peakGrowthMiB = (statusKiB("VmHWM:") - before) / 1024.0;
            report().append(figures);

            for (const QString& expected : shown) {
                QVERIFY2(text.contains(expected), qPrintable(expected));
                QVERIFY2(readerText.contains(expected), qPrintable(expected));
            }
            if (check)
                check(view);
        }
        QFile::remove(file);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void cleanupTestCase()
    {
        std::printf("\nhostile files: the readers alone on a %u KiB stack; LoadFile until the view "
                    "is painted; the rest of the layout; Ctrl+End, painted, and a search; growth "
                    "of the peak memory\n",
            ReaderStack / 1024);
        std::printf("%-38s %8s %9s %9s %9s %9s %9s %7s\n", "case", "KiB", "reader ms", "shown ms",
            "layout ms", "end ms", "peak MiB", "x size");
        for (const Figures& f : report()) {
            std::printf("%-38s %8.0f %9.0f %9.0f %9.0f %9.0f %9.1f %7.1f\n", qPrintable(f.name),
                f.bytes / 1024.0, f.readerMs, f.loadMs, f.layoutMs, f.endMs, f.peakGrowthMiB,
                f.bytes > 0 ? f.peakGrowthMiB * 1024 * 1024 / f.bytes : 0.0);
        }
    }

    void documents_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<Check>("check");
        QTest::newRow("300,000 escapes without digits")
            << "{\\rtf1 a" + repeated("\\'", 300000) + " b}" << QStringList { "a", "b" } << Check();
        QTest::newRow("tables nested 16 deep")
            << nestedTables(16) << QStringList { "before", "level1", "level16", "after" }
            << tablesAtMost(4);
        QTest::newRow("tables nested 200 deep")
            << nestedTables(200) << QStringList { "before", "level200", "end2", "after" }
            << tablesAtMost(4);
        QTest::newRow("itap staircase")
            << itapStaircase(16, 3) << QStringList { "before", "up", "down", "after" }
            << tablesAtMost(4);
        QTest::newRow("1 MB of one letter")
            << "{\\rtf1 before\\par " + QByteArray(1000000, 'A') + "}"
            << QStringList { "before", "AAAA" } << wrapsAnywhere();
        QTest::newRow("100,000 letters in colours")
            << colouredCharacters(100000) << QStringList { "before", "xxxx" } << wrapsAnywhere();
        QTest::newRow("200,000 cells in a row")
            << "{\\rtf1 before\\par\\trowd " + repeated("\\intbl x\\cell", 200000) + "\\row after}"
            << QStringList { "before", "x\nx", "after" } << Check();
        QTest::newRow("10,000 rows of 3 cells") << "{\\rtf1 before\\par "
                + repeated("\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl aaaa\\cell "
                           "bbbb\\cell cccc\\cell\\row",
                    10000)
                + "\\pard after}" << QStringList { "before", "cccc", "after" }
                                                << Check();
        QTest::newRow("50,000 rows of 1 cell")
            << "{\\rtf1 before\\par " + repeated("\\intbl a\\cell\\row", 50000) + "\\pard after}"
            << QStringList { "before", "a\na", "after" } << Check();
        QTest::newRow("a wide row, then 100,000 narrow ones")
            << "{\\rtf1 before\\par " + repeated("\\intbl w\\cell", 64) + "\\row"
                + repeated("\\intbl n\\cell\\row", 100000) + "\\pard after}"
            << QStringList { "before", "w\nw", "n\nn", "after" } << Check();
        QTest::newRow("5 pictures of 5000 x 5000") << pictureBomb(
            5) << QStringList { "before", "after" } << picturesWithinBudget(8 * 1024 * 1024);
        QTest::newRow("20 pictures of 5000 x 5000") << pictureBomb(
            20) << QStringList { "before", "after" } << picturesWithinBudget(8 * 1024 * 1024);
        QTest::newRow("50 MB colour table")
            << "{\\rtf1 before{\\colortbl" + QByteArray(50 * 1000 * 1000, ';') + "} after}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("30,000 fonts")
            << fontFlood(30000) << QStringList { "before", "after" } << Check();
        QTest::newRow("10 MB RTF paragraph of short words")
            << "{\\rtf1 before\\par " + repeated("ab cd ", 1700000) + "}"
            << QStringList { "before", "ab cd" } << Check();
        QTest::newRow("10 MB plain line of short words")
            << repeated("ab cd ", 1700000) << QStringList { "ab cd" } << Check();
        QTest::newRow("10 MB plain line of zero bytes")
            << QByteArray(10 * 1000 * 1000, '\0') << QStringList {} << Check();
        QTest::newRow("1,000,000 nested groups")
            << "{\\rtf1 before" + QByteArray(1000000, '{') + "deep" + QByteArray(1000000, '}')
                + " after}"
            << QStringList { "before", "deep", "after" } << Check();
        QTest::newRow("huge parameters")
            << QByteArray("{\\rtf1 before\\bin99999999999999999999 \\uc2147483647\\u-99999999999 "
                          "after}")
            << QStringList { "before" } << Check();
        QTest::newRow("pictures 100 deep in groups")
            << "{\\rtf1 before" + repeated("{\\pict\\pngblip 89504e47", 100) + QByteArray(100, '}')
                + " after}"
            << QStringList { "before", "after" } << Check();
        // What the layout is asked to do, at the most: note marks, tab stops, cells narrower
        // than their text, nested that way, and paragraphs by the million.
        QTest::newRow("1,000 note marks in signs")
            << "{\\rtf1\\ftnnchi before " + repeated("x{\\chftn}{\\footnote n}", 1000) + " after}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("2,000 note marks in letters")
            << "{\\rtf1\\ftnnalc before " + repeated("x{\\chftn}{\\footnote n}", 2000) + " after}"
            << QStringList { "before", "after" } << Check();
        QByteArray stops;
        for (int i = 0; i < 100000; ++i)
            stops += "\\tx" + QByteArray::number(i * 15);
        QTest::newRow("100,000 tab stops, then tabs")
            << "{\\rtf1 " + stops + " before" + repeated("\\tab x", 1000) + " after\\par}"
            << QStringList { "before", "after" } << Check();
        QByteArray renames = "{\\rtf1 before\\par ";
        for (int i = 0; i < 20000; ++i)
            renames
                += "{\\fonttbl{\\f0\\fswiss Face" + QByteArray::number(i) + ";}}\\f0 text\\par ";
        QTest::newRow("a new face name before each of 20,000 paragraphs")
            << renames + "after}" << QStringList { "before", "after" } << Check();
        QTest::newRow("10,000 tabs in a paragraph on 200 stops")
            << "{\\rtf1 " + stops.left(stops.indexOf("\\tx3000")) + " before"
                + repeated("\\tab x", 10000) + " after\\par}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("tables 4 deep in 7-twip cells around 8,000 letters")
            << "{\\rtf1 before\\par\\pard\\intbl\\itap1 \\pard\\intbl\\itap2 \\pard\\intbl\\itap3 "
               "\\pard\\intbl\\itap4 "
                + QByteArray(8000, 'x')
                + repeated("\\nestcell{\\*\\nesttableprops\\trowd\\cellx7\\nestrow}", 3)
                + "\\cell\\trowd\\cellx7\\row\\pard after}"
            << QStringList { "before", "after" } << tablesAtMost(4);
        QByteArray narrow = "{\\rtf1 before\\par\\trowd";
        for (int c = 1; c <= 64; ++c)
            narrow += "\\cellx" + QByteArray::number(15 * c);
        narrow += "\\pard\\intbl " + repeated(QByteArray(2000, 'y') + "\\cell ", 64)
            + "\\row\\pard after}";
        QTest::newRow("64 cells of 15 twips around 2,000 letters each")
            << narrow << QStringList { "before", "after" } << Check();
        // Documents taller than the text engine can count, or than a window could be asked to
        // lay out whole.
        QTest::newRow("4,000 paragraphs 22 inches apart")
            << "{\\rtf1 before" + repeated("\\pard\\sl31680 line\\par ", 4000) + " after}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("10,000 paragraphs with 22 inches before and after")
            << "{\\rtf1 before" + repeated("\\pard\\sb31680\\sa31680 line\\par ", 10000) + " after}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("3,000 empty picture frames 100 inches tall") << "{\\rtf1 before"
                + repeated(
                    "{\\pict\\pngblip\\picw10\\pich10\\picwgoal1440\\pichgoal144000 00}", 3000)
                + " after}" << QStringList { "before", "after" } << Check();
        QTest::newRow("20,000 words at 300 points")
            << "{\\rtf1\\fs600 before " + repeated("word ", 20000) + " after}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("200,000 short paragraphs")
            << "{\\rtf1 before\\par " + repeated("a short paragraph\\par ", 200000) + " after}"
            << QStringList { "before", "after" } << Check();
        QByteArray levels = "{\\rtf1 before\\par ";
        for (int level = 1; level <= 1000; ++level)
            levels += "\\pard\\intbl\\itap" + QByteArray::number(level) + " level\\par ";
        QTest::newRow("1,000 levels of nested cells")
            << levels + "\\pard after}" << QStringList { "before", "after" } << tablesAtMost(4);
        QTest::newRow("1,000,000 empty paragraphs")
            << "{\\rtf1 before" + repeated("\\par", 1000000) + " after}"
            << QStringList { "before", "after" } << Check();
        QTest::newRow("UTF-16 with lone surrogates") << QByteArray("\xff\xfe"
                                                                   "a\0\x00\xd8"
                                                                   "b\0\x00\xdc"
                                                                   "c\0",
            12) << QStringList { QString::fromUtf8("a\uFFFDb\uFFFDc") }
                                                     << Check();
    }

    void documents()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, shown);
        QFETCH(Check, check);
        walkDocument(
            QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'), bytes, shown, check);
    }

    // Files the loader refuses before it reads a byte; the view keeps what it showed.
    void refusedFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("folder") << "folder";
        QTest::newRow("symbolic link loop") << "loop";
        QTest::newRow("no permission") << "unreadable";
        QTest::newRow("over the limit") << "large";
        QTest::newRow("missing") << "missing";
    }

    void refusedFiles()
    {
        QFETCH(QString, kind);
        const QString file = path(QStringLiteral("refused-") + kind);
        if (kind == u"fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else if (kind == u"device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
        } else if (kind == u"folder") {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == u"loop") {
            QVERIFY(QFile::link(file + QStringLiteral("-other"), file));
            QVERIFY(QFile::link(file, file + QStringLiteral("-other")));
        } else if (kind == u"unreadable") {
            if (::geteuid() == 0)
                QSKIP("permissions do not stop the superuser");
            TestSupport::writeFile(m_dir.path(), QStringLiteral("refused-unreadable"), "secret");
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
        } else if (kind == u"large") {
            QFile big(file);
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(DocumentView::MaxFileSize + 1));
        }
        DocumentView view;
        view.setText(QStringLiteral("kept"));
        Watchdog watchdog(kind);
        QVERIFY_THROWS_EXCEPTION(AppError, view.LoadFile(file));
        QCOMPARE(view.Text(), QStringLiteral("kept"));
    }

    // Registry exports, read on a small stack, and the registry reader given things that are no
    // export file at all.
    void registryExports_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readable");
        QTest::newRow("keys 512 deep") << deepRegistryKeys(512) << true;
        QTest::newRow("keys 100,000 deep") << deepRegistryKeys(100000) << true;
        QTest::newRow("100,000 keys")
            << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer]\n\"Path\"=\"before\"\n"
                + repeated(
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n\"x\"=hex:01,02,\\\n  03\n", 100000)
            << true;
        QTest::newRow("a continued line of 15 MB")
            << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer]\n\"Path\"=\"before\"\n\"big\"="
               "hex:"
                + repeated("00,\\\n", 3000000) + "00\n"
            << true;
        QTest::newRow("UTF-16 with lone surrogates") << TestSupport::utf16WithMark(
            QStringLiteral("Windows Registry Editor Version 5.00\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer]\r\n"
                           "\"Path\"=\"before\"\r\n\"\xd800\"=\"\xdc00\"\r\n"))
                                                     << true;
        QTest::newRow("over the limit")
            << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer]\n\"Path\"=\"before\"\n"
                + QByteArray(Registry::ExportFileRegistry::MaxFileSize, ';')
            << false;
    }

    void registryExports()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, readable);
        const QString file
            = TestSupport::writeFile(m_dir.path(), QStringLiteral("hive.reg"), bytes);
        Watchdog watchdog(QString::fromLatin1(QTest::currentDataTag()));
        bool found = false;
        onSmallStack([&] {
            found = RegFile::Export(bytes).hasKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer");
        });
        QVERIFY(found);

        Registry::ExportFileRegistry registry(file);
        Registry::Key key = 0;
        const Registry::Status status = registry.openKey(
            Registry::LocalMachine, "SOFTWARE\\Glimmer", 0, Registry::Read, &key);
        QCOMPARE(status == Registry::Success, readable);
        if (readable) {
            char data[16] = {};
            std::uint32_t size = sizeof data;
            std::uint32_t type = 0;
            QCOMPARE(registry.queryValue(key, "Path", &type, data, &size), Registry::Success);
            QCOMPARE(QByteArray(data, int(size)), QByteArray("before\0", 7));
            registry.closeKey(key);
        }
        QFile::remove(file);
    }

    // ---- Registry exports in the shapes of a hostile author, read as System Info reads them ----
    // Both lookups read the whole file (the first finds its key without the value); the second
    // finds the folder. Time and peak memory of the two are printed beside the file's size.
    void systemInfoShapes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("firstStatus");
        QTest::newRow("key chains 511 deep") << keyChains() << int(Registry::FileNotFound);
        QTest::newRow("a million values") << manyValues() << int(Registry::FileNotFound);
        QTest::newRow("a million values named beyond ASCII")
            << manyValuesBeyondAscii() << int(Registry::FileNotFound);
        QTest::newRow("one key line of 16 MB") << oneLongKeyLine() << int(Registry::FileNotFound);
        QTest::newRow("newlines only") << newlinesOnly() << int(Registry::FileNotFound);
        QTest::newRow("wanted value continued over 16 MB")
            << continuedWantedValue() << int(Registry::MoreData);
        QTest::newRow("wanted value of 16 MB on one line")
            << longWantedValue() << int(Registry::MoreData);
    }

    void systemInfoShapes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, firstStatus);
        QVERIFY(bytes.size() <= Registry::ExportFileRegistry::MaxFileSize);
        const QString file
            = TestSupport::writeFile(m_dir.path(), QStringLiteral("shape.reg"), bytes);
        Watchdog watchdog(QString::fromLatin1(QTest::currentDataTag()));
        Registry::ExportFileRegistry registry(file);
        Registry::Status first = Registry::Success;
        Registry::Status second = Registry::Success;
        QByteArray path;
        QByteArray folder;
        // Memory earlier cases freed goes back to the system first, or it would hide the growth.
        releaseFreedMemory();
        const long before = statusKiB("VmRSS:");
        resetPeakMemory();
        QElapsedTimer timer;
        timer.start();
        onSmallStack([&] {
            first = sysInfoLookup(registry, SysInfoKey1, "PATH", &path);
            second = sysInfoLookup(registry, SysInfoKey2, "MSINFO", &folder);
        });
        const double ms = timer.nsecsElapsed() / 1e6;
        const double peakMiB = (statusKiB("VmHWM:") - before) / 1024.0;
        std::printf("registry export \"%s\": %.0f KiB, System Info's two lookups %.0f ms, "
                    "peak memory +%.1f MiB (%.1f x the file)\n",
            QTest::currentDataTag(), bytes.size() / 1024.0, ms, peakMiB,
            peakMiB * 1024 * 1024 / bytes.size());
        QCOMPARE(int(first), firstStatus);
        QCOMPARE(second, Registry::Success);
        QCOMPARE(folder, QByteArray("C:\\Tools\0", 9));
        QFile::remove(file);
    }

    // Whatever lies at the registry path that is no regular file gives an answer at once.
    void registryPathThatIsNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("folder") << "folder";
    }

    void registryPathThatIsNoFile()
    {
        QFETCH(QString, kind);
        const QString file = path(QStringLiteral("registry-") + kind);
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (kind == u"device")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
        else
            QVERIFY(QDir().mkpath(file));
        Watchdog watchdog(kind);
        Registry::ExportFileRegistry registry(file);
        Registry::Key key = 0;
        QCOMPARE(registry.openKey(Registry::LocalMachine, "SOFTWARE", 0, Registry::Read, &key),
            Registry::AccessDenied);
        QCOMPARE(key, 0u);
    }

    // Inputs the fuzzers once found troublesome, each read as its target reads it.
    void fuzzRegressions()
    {
        const QString root = QStringLiteral(GLIMMER_SOURCE_DIR "/fuzz/regressions");
        int replayed = 0;
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (file.endsWith(QLatin1String(".md")))
                continue;
            QFile in(file);
            QVERIFY(in.open(QIODevice::ReadOnly));
            const QByteArray bytes = in.readAll();
            const QString target = QFileInfo(file).dir().dirName();
            Watchdog watchdog(file);
            if (target == u"fuzz_regfile") {
                onSmallStack([&] {
                    RegFile::Export(bytes).value(
                        u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", u"PATH");
                });
            } else if (target == u"fuzz_rtf") {
                // Whatever the bytes start with, as the target reads them.
                bool whole = false;
                onSmallStack([&] {
                    const auto document = DocumentWriter::fromRtf(bytes, QFont());
                    whole = document->toPlainText().size() + 1 == document->characterCount();
                });
                QVERIFY2(whole, qPrintable(file));
            } else {
                QString text;
                readOnSmallStack(bytes, &text);
                DocumentView view;
                view.resize(800, 600);
                view.LoadFile(file);
                view.document()->documentLayout()->documentSize();
            }
            ++replayed;
        }
        if (replayed == 0)
            QSKIP("no regressions recorded");
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
