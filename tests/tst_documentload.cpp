// Loading files into the document view: how bytes become text (byte-order marks, UTF-16 without
// a mark, UTF-8, code page 437 with its DOS glyphs), line breaks, every way a load can fail
// (the content stays as it was), RTF told from plain text, and the shared corpus of real files.
#include "forms/apperror.h"
#include "support/testsupport.h"
#include "text/cp437.h"
#include "text/textdecoding.h"
#include "view/documentview.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(TextDecoding::Encoding)

namespace {

// The DOS screen glyphs of code page 437, byte 0x00 to 0xFF, written out independently of the
// program's table.
const char16_t DosGlyphs[] = u" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼"
                             u"►◄↕‼¶§▬↨↑↓→←∟↔▲▼"
                             u" !\"#$%&'()*+,-./"
                             u"0123456789:;<=>?"
                             u"@ABCDEFGHIJKLMNO"
                             u"PQRSTUVWXYZ[\\]^_"
                             u"`abcdefghijklmno"
                             u"pqrstuvwxyz{|}~⌂"
                             u"ÇüéâäàåçêëèïîìÄÅ"
                             u"ÉæÆôöòûùÿÖÜ¢£¥₧ƒ"
                             u"áíóúñÑªº¿⌐¬½¼¡«»"
                             u"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
                             u"└┴┬├─┼╞╟╚╔╩╦╠═╬╧"
                             u"╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
                             u"αßΓπΣσµτΦΘΩδ∞φε∩"
                             u"≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
static_assert(sizeof(DosGlyphs) / sizeof(char16_t) == 257);

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding)(text);
}

bool isRedAt(DocumentView& view, int position)
{
    QTextCursor c(view.document());
    c.setPosition(position + 1);
    return c.charFormat().foreground().color() == QColor(255, 0, 0);
}

} // namespace

class TestDocumentLoad : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        return TestSupport::writeFile(m_dir.path(), name, bytes);
    }

    QString loaded(const QByteArray& bytes)
    {
        DocumentView view;
        view.LoadFile(writeFile(QStringLiteral("doc.txt"), bytes));
        return view.Text();
    }

private Q_SLOTS:
    void cp437TableIsTheDosGlyphs()
    {
        for (int byte = 0; byte < 256; ++byte) {
            const auto b = static_cast<unsigned char>(byte);
            QCOMPARE(Cp437::glyph(b), DosGlyphs[byte]);
            const bool control = b == '\t' || b == '\n' || b == '\r';
            QCOMPARE(Cp437::textChar(b), control ? char16_t(b) : DosGlyphs[byte]);
        }
    }

    void everyByteLoadsAsItsGlyph()
    {
        QByteArray bytes;
        for (int byte = 0; byte < 256; ++byte)
            bytes += char(byte);
        QString expected = QString::fromUtf16(DosGlyphs, 256);
        expected[9] = u'\t';
        expected[10] = u'\n';
        expected[13] = u'\n'; // a lone CR (the next byte is 0x0E) is a line break of its own
        QCOMPARE(loaded(bytes), expected);
    }

    void encodingDetection_data()
    {
        using E = TextDecoding::Encoding;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<E>("encoding");
        QTest::addColumn<QString>("text");

        const QString german = QStringLiteral("Grüße, Käse\r\nx");
        const QString germanLf = QStringLiteral("Grüße, Käse\nx");
        QTest::newRow("UTF-8 with mark")
            << QByteArray("\xEF\xBB\xBF") + german.toUtf8() << E::Utf8WithMark << germanLf;
        QTest::newRow("UTF-16LE with mark")
            << QByteArray("\xFF\xFE") + utf16(german, QStringConverter::Utf16LE) << E::Utf16LE
            << germanLf;
        QTest::newRow("UTF-16BE with mark")
            << QByteArray("\xFE\xFF") + utf16(german, QStringConverter::Utf16BE) << E::Utf16BE
            << germanLf;
        QTest::newRow("UTF-16LE without mark")
            << utf16(QStringLiteral("REGEDIT4\r\n[HKEY_CURRENT_USER]"), QStringConverter::Utf16LE)
            << E::Utf16LE << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER]");
        QTest::newRow("UTF-16BE without mark")
            << utf16(QStringLiteral("@echo off\r\n"), QStringConverter::Utf16BE) << E::Utf16BE
            << QStringLiteral("@echo off\n");
        // A surrogate without its other half is no character, in either byte order.
        QTest::newRow("UTF-16LE lone surrogates") << QByteArray("\xFF\xFE"
                                                                "a\0\x00\xD8"
                                                                "b\0\x3D\xD8\x4A\xDC\x00\xDC",
            14) << E::Utf16LE << QStringLiteral("a\uFFFDb\U0001F44A\uFFFD");
        QTest::newRow("UTF-16BE lone surrogate at the end")
            << QByteArray("\xFE\xFF\0a\xDB\xFF", 6) << E::Utf16BE << QStringLiteral("a\uFFFD");
        QTest::newRow("valid UTF-8 with non-ASCII bytes")
            << QStringLiteral("caf\u00E9 \u2591\u2588").toUtf8() << E::Utf8
            << QStringLiteral("caf\u00E9 \u2591\u2588");
        // Plain ASCII is valid UTF-8 too, but only code page 437 shows its control bytes.
        QTest::newRow("ASCII with control bytes")
            << QByteArray("a\001b\177") << E::Cp437 << QStringLiteral("a\u263Ab\u2302");
        QTest::newRow("box art") << QByteArray("\xC9\xCD\xBB") << E::Cp437
                                 << QStringLiteral("\u2554\u2550\u2557");
        // Valid UTF-8 at first, broken at the very end: the whole file is code page 437.
        QTest::newRow("UTF-8 broken at the end")
            << QByteArray("caf\xC3\xA9 \xDB") << E::Cp437 << QStringLiteral("caf├⌐ █");
        QTest::newRow("truncated sequence at the end")
            << QByteArray("x\xE2\x96") << E::Cp437 << QStringLiteral("xΓû");
        QTest::newRow("overlong form")
            << QByteArray("\xC0\xAF") << E::Cp437 << QStringLiteral("└»");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << E::Cp437 << QStringLiteral("φáÇ");
        QTest::newRow("past U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << E::Cp437 << QStringLiteral("⌠ÉÇÇ");
        // Zero bytes that are not in every other position are not UTF-16.
        QTest::newRow("one zero byte")
            << QByteArray("ABCDEFG\0", 8) << E::Cp437 << QStringLiteral("ABCDEFG ");
        QTest::newRow("zeros in both positions")
            << QByteArray("AB\0\0CD\0\0", 8) << E::Cp437 << QStringLiteral("AB  CD  ");
        QTest::newRow("empty file") << QByteArray() << E::Cp437 << QString();
    }

    void encodingDetection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TextDecoding::Encoding, encoding);
        QFETCH(QString, text);
        QCOMPARE(TextDecoding::detect(bytes), encoding);
        QCOMPARE(loaded(bytes), text);
    }

    // A file read in pieces decodes as it does whole wherever the pieces end: sequences,
    // surrogate pairs, CR LF and the final end-of-file byte cut in two included.
    void decodingInPieces_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString mixed = QStringLiteral("caf\u00E9\r\n\u2588\u20AC\U0001F600\rz\r");
        const QString mixedLf = QStringLiteral("caf\u00E9\n\u2588\u20AC\U0001F600\nz\n");
        QTest::newRow("UTF-8") << mixed.toUtf8() << mixedLf;
        QTest::newRow("UTF-8 with mark, a mark inside")
            << "\xEF\xBB\xBF\xEF\xBB\xBF" + mixed.toUtf8() + "\x1A" << u'\uFEFF' + mixedLf;
        QTest::newRow("UTF-8 with mark, broken") << QByteArray("\xEF\xBB\xBF"
                                                               "a\xE2\x82\r")
                                                 << QStringLiteral("a\uFFFD\uFFFD\n");
        QTest::newRow("UTF-16LE") << "\xFF\xFE" + utf16(mixed + u'\x1A', QStringConverter::Utf16LE)
                                  << mixedLf;
        QTest::newRow("UTF-16BE, a lone surrogate at the end")
            << "\xFE\xFF" + utf16(mixed, QStringConverter::Utf16BE) + "\xD8\x3D"
            << mixedLf + u'\uFFFD';
        QTest::newRow("UTF-16LE, an odd byte at the end")
            << "\xFF\xFE" + utf16(QStringLiteral("ab\x1A"), QStringConverter::Utf16LE) + "c"
            << QStringLiteral("ab\x1A\uFFFD");
        QTest::newRow("code page 437")
            << QByteArray("\xDB\r\n\x1A\r\r\n\x1A") << QStringLiteral("\u2588\n\u2192\n\n");
    }

    void decodingInPieces()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TextDecoding::decode(bytes), text);
        for (const qsizetype size : { 1, 2, 3, 5 }) {
            TextDecoding::Decoder decoder(TextDecoding::detect(bytes), bytes);
            QString pieces;
            for (qsizetype at = 0; at < bytes.size(); at += size)
                decoder.decode(
                    QByteArrayView(bytes).sliced(at, qMin(size, bytes.size() - at)), pieces);
            decoder.finish(pieces);
            QCOMPARE(pieces, text);
        }
    }

    // The encoding told piece by piece: a sequence cut between two pieces is still one.
    void detectionInPieces()
    {
        const QByteArray ascii(TextDecoding::Utf16Sample, 'a');
        const auto detected = [&](const QList<QByteArray>& pieces) {
            TextDecoding::Detector detector;
            for (const QByteArray& piece : pieces)
                detector.feed(piece);
            return detector.encoding();
        };
        using E = TextDecoding::Encoding;
        QCOMPARE(detected({ ascii + "\xE2", "\x96", "\x88." }), E::Utf8);
        QCOMPARE(detected({ ascii + "\xE2", "\x96" }), E::Cp437);
        QCOMPARE(detected({ ascii + "\xE2", "\x41" }), E::Cp437);
        QCOMPARE(detected({ ascii, "\x01" }), E::Cp437);
        QCOMPARE(detected({ "\xFF\xFE" + ascii, "\xDB" }), E::Utf16LE);
    }

    void lineBreaksAndEndOfFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF, LF, lone CR")
            << QByteArray("a\r\nb\nc\rd\r\r\ne\n") << QStringLiteral("a\nb\nc\nd\n\ne\n");
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QStringLiteral("a\n\nb");
        QTest::newRow("CR at the very end") << QByteArray("a\r") << QStringLiteral("a\n");
        QTest::newRow("final end-of-file byte")
            << QByteArray("art\r\n\x1A") << QStringLiteral("art\n");
        QTest::newRow("end-of-file byte inside")
            << QByteArray("x\x1Ay") << QStringLiteral("x\u2192y");
        QTest::newRow("only the last one goes")
            << QByteArray("x\x1A\x1A") << QStringLiteral("x\u2192");
        QTest::newRow("UTF-8 with a final one")
            << QByteArray("\xC3\xA9\r\n\x1A") << QStringLiteral("\u00E9\n");
        QTest::newRow("UTF-16 with a final one")
            << QByteArray("\xFF\xFE") + utf16(QStringLiteral("a\rb\x1A"), QStringConverter::Utf16LE)
            << QStringLiteral("a\nb");
    }

    void lineBreaksAndEndOfFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(loaded(bytes), text);
    }

    void positionsMatchTheTextAfterLoading()
    {
        // Enough short and long lines that the view groups them into several paragraphs.
        QByteArray bytes;
        QString expected;
        for (int line = 0; line < 400; ++line) {
            const QByteArray body = QByteArray(line % 7 * 13, char(0xB0 + line % 3)) + "|";
            bytes += body + (line % 3 == 0 ? "\r\n" : line % 3 == 1 ? "\n" : "\r");
            expected += Cp437::decode(body) + QLatin1Char('\n');
        }
        DocumentView view;
        view.LoadFile(writeFile(QStringLiteral("lines.nfo"), bytes));
        const QString text = view.Text();
        QCOMPARE(text, expected);
        QVERIFY(view.document()->blockCount() > 1);
        for (int position = 0; position < text.size(); position += 5) {
            view.setSelStart(position);
            view.setSelLength(3);
            QCOMPARE(view.SelText(), text.mid(position, 3));
        }
        // Every line break, wherever the paragraphs end, selects as one '\n'.
        for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1)) {
            view.setSelStart(int(at));
            view.setSelLength(1);
            QCOMPARE(view.SelText(), QStringLiteral("\n"));
        }
    }

    void largeFilesPaintTheirBeginningFirst_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QByteArray plain;
        QString plainText;
        for (int line = 0; plain.size() <= 5 * 1024 * 1024; ++line) {
            const QByteArray body = "line " + QByteArray::number(line) + " \xB1\xDB";
            plain += body + "\r\n";
            plainText += Cp437::decode(body) + QLatin1Char('\n');
        }
        QTest::newRow("plain") << QStringLiteral("large.nfo") << plain << plainText;
        // Word processors write tables of fonts, colours and styles before the first word.
        QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}}"
                         "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet";
        for (int style = 0; style < 500; ++style)
            rtf += "{\\s" + QByteArray::number(style) + " Style number " + QByteArray::number(style)
                + " of the document;}";
        rtf += "}\\f0\\fs24 ";
        QString rtfText;
        for (int line = 0; rtf.size() <= 3 * 1024 * 1024; ++line) {
            const QByteArray body = "Paragraph " + QByteArray::number(line) + " of the book";
            rtf += body + "\\par ";
            rtfText += QString::fromLatin1(body) + QLatin1Char('\n');
        }
        QTest::newRow("rtf") << QStringLiteral("large.rtf") << rtf + "}" << rtfText;
    }

    void largeFilesPaintTheirBeginningFirst()
    {
        // A file that takes several frames to read shows its first screen before the rest is in,
        // and then all of it. Meanwhile the program answers (the window is painted) and the
        // pointer says it is busy.
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        DocumentView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
        struct FirstPaint : QObject {
            DocumentView* view = nullptr;
            QString shown;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (shown.isNull() && e->type() == QEvent::Paint)
                    shown = view->Text();
                return false;
            }
        } watch;
        watch.view = &view;
        view.viewport()->installEventFilter(&watch);
        const QString path = writeFile(name, bytes);
        bool loading = true;
        bool answered = false;
        bool busy = false;
        QTimer::singleShot(0, &view, [&] {
            answered = loading;
            busy = QGuiApplication::overrideCursor()
                && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        });
        view.LoadFile(path);
        loading = false;
        QVERIFY(!watch.shown.isEmpty());
        QVERIFY2(watch.shown.size() < expected.size() / 10,
            qPrintable(QString::number(watch.shown.size())));
        // The first screen's lines are whole: the file's beginning up to a break.
        const QString lines = watch.shown.left(watch.shown.lastIndexOf(u'\n') + 1);
        QVERIFY(expected.startsWith(lines));
        QVERIFY(watch.shown.count(u'\n') > 100);
        QCOMPARE(view.Text(), expected);
        QVERIFY(answered);
        QVERIFY(busy);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(view.SelStart(), 0);
    }

    void homeAndEndKeepToTheDisplayedLine()
    {
        // Select Line relies on Home and Shift+End selecting one line of the file.
        DocumentView view;
        view.LoadFile(writeFile(QStringLiteral("three.nfo"), "first\r\nsecond line\r\nthird"));
        view.setSelStart(9);
        QTest::keyClick(&view, Qt::Key_Home);
        QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(view.SelText(), QStringLiteral("second line"));
        QCOMPARE(view.SelStart(), 6);
    }

    void loadingReplacesTheFormatting()
    {
        DocumentView view;
        view.setText(QStringLiteral("old text"));
        view.setSelStart(0);
        view.setSelLength(3);
        view.setSelColor(0x0000FF);
        view.setSelBold(true);
        view.LoadFile(writeFile(QStringLiteral("new.txt"), "new text"));
        QCOMPARE(view.Text(), QStringLiteral("new text"));
        QVERIFY(!isRedAt(view, 0));
        QTextCursor c(view.document());
        c.setPosition(1);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Normal));
        QCOMPARE(view.SelStart(), 0);
        QCOMPARE(view.SelLength(), 0);
    }

    void errorsLeaveTheContentAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : { "empty path", "missing file", "file as folder", "folder",
                 "no permission", "FIFO", "device", "read error", "too large" })
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void errorsLeaveTheContentAsItWas()
    {
        QFETCH(QString, kind);
        const QString fileName = writeFile(QStringLiteral("kept.nfo"), "kept \xDB\r\nsecond");
        QString path;
        int number = 0;
        if (kind == QLatin1String("empty path")) {
            number = AppError::PathFileAccessError;
        } else if (kind == QLatin1String("missing file")) {
            path = m_dir.filePath(QStringLiteral("nowhere.nfo"));
            number = AppError::FileNotFound;
        } else if (kind == QLatin1String("file as folder")) {
            path = fileName + QStringLiteral("/inside.nfo");
            number = AppError::PathNotFound;
        } else if (kind == QLatin1String("folder")) {
            path = m_dir.path();
            number = AppError::PathFileAccessError;
        } else if (kind == QLatin1String("no permission")) {
            path = writeFile(QStringLiteral("secret.nfo"), "secret");
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0) == 0);
            number = AppError::PermissionDenied;
        } else if (kind == QLatin1String("FIFO")) {
            // Nobody writes to it: reading it would wait for ever.
            path = m_dir.filePath(QStringLiteral("pipe.nfo"));
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
            number = AppError::NotAFile;
        } else if (kind == QLatin1String("device")) {
            path = QStringLiteral("/dev/zero"); // it has no end
            number = AppError::NotAFile;
        } else if (kind == QLatin1String("read error")) {
            path = QStringLiteral("/proc/self/mem"); // a regular file whose first page fails
            number = AppError::DeviceIoError;
        } else if (kind == QLatin1String("too large")) {
            path = m_dir.filePath(QStringLiteral("huge.nfo"));
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize(DocumentView::MaxFileSize + 1)); // sparse: it takes no disk
            number = AppError::FileTooLarge;
        }

        DocumentView view;
        view.LoadFile(fileName);
        view.setSelStart(0);
        view.setSelLength(4);
        view.setSelColor(0x0000FF);
        const QString before = view.Text();
        // The superuser may read any file: the refused read is made as an ordinary user.
        const bool asNobody = kind == QLatin1String("no permission") && geteuid() == 0;
        struct FilesystemUser {
            bool active;
            ~FilesystemUser()
            {
                if (active)
                    setfsuid(0);
            }
        } user { asNobody };
        if (asNobody)
            setfsuid(65534);
        try {
            view.LoadFile(path);
            QFAIL("LoadFile did not fail");
        } catch (const AppError& error) {
            QCOMPARE(error.number(), number);
            QVERIFY(!error.description().isEmpty());
            if (number == AppError::FileTooLarge)
                QVERIFY2(error.description().contains(QLatin1String("256 MiB")),
                    qPrintable(error.description()));
        }
        QCOMPARE(view.Text(), before);
        QVERIFY(isRedAt(view, 0));
        QVERIFY(!isRedAt(view, 4));
    }

    void rtfIsToldByItsStart()
    {
        DocumentView view;
        view.LoadFile(writeFile(QStringLiteral("doc.rtf"), "{\\rtf1\\ansi {\\b Bold} plain}"));
        QVERIFY2(!view.Text().contains(QLatin1String("\\rtf")), qPrintable(view.Text()));
        QVERIFY(view.Text().contains(QLatin1String("plain")));

        // Anything before the brace makes it plain text, shown as it is.
        view.LoadFile(writeFile(QStringLiteral("doc.txt"), " {\\rtf1 x}"));
        QCOMPARE(view.Text(), QStringLiteral(" {\\rtf1 x}"));
    }

    void longRunsWrapAnywhere()
    {
        // Word wrapping a run without a break opportunity costs the square of its length.
        DocumentView view;
        view.LoadFile(writeFile(QStringLiteral("long.nfo"), QByteArray(200000, '\xDB')));
        QCOMPARE(view.document()->defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(view.wordWrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(view.Text().size(), 200000);

        // The next document is prose again and wraps at word boundaries.
        view.LoadFile(writeFile(QStringLiteral("prose.txt"), "some words and more words"));
        QCOMPARE(view.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(view.document()->defaultTextOption().wrapMode(),
            QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    void corpusFilesReadAsTheirReference()
    {
        const QString corpus = TestSupport::corpusDir();
        if (corpus.isEmpty() || !QDir(corpus + QStringLiteral("/nfo")).exists())
            QSKIP("the shared corpus is not here");
        QDir dir(corpus + QStringLiteral("/nfo"));
        int checked = 0;
        DocumentView view;
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            if (name.endsWith(QLatin1String(".utf8.txt")) || name.endsWith(QLatin1String(".tsv")))
                continue;
            QFile reference(dir.filePath(name + QStringLiteral(".utf8.txt")));
            QVERIFY2(reference.open(QIODevice::ReadOnly), qPrintable(name));
            view.LoadFile(dir.filePath(name));
            QCOMPARE(view.Text(), QString::fromUtf8(reference.readAll()));
            ++checked;
        }
        QVERIFY(checked > 0);
    }
};

QTEST_MAIN(TestDocumentLoad)
#include "tst_documentload.moc"
