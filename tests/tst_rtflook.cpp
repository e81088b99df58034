// How RTF documents look: the faces runs are drawn in, symbol faces, tab stops, line spacing,
// capitals and underlines, text that is not shown, table borders, widths and merges, fields and
// note marks, measured on the laid-out document.
#include "rtf/rtfreader.h"
#include "support/testsupport.h"
#include "view/documentview.h"
#include "view/documentwriter.h"
#include "view/terminalfont.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <memory>

namespace {

std::unique_ptr<QTextDocument> load(const QByteArray& rtf)
{
    // The view's face is the document's default, as in the view.
    auto document = DocumentWriter::fromRtf(rtf, TerminalFont::font());
    document->setDocumentMargin(0);
    document->setTextWidth(1000);
    // Lay the whole document out now.
    document->documentLayout()->blockBoundingRect(document->lastBlock());
    return document;
}

// The font a character is drawn in, as the layout completes its format.
QFont fontAt(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);
    return cursor.charFormat().font().resolve(document->defaultFont());
}

QFont fontOf(QTextDocument* document, const QString& word)
{
    const int at = document->toPlainText().indexOf(word);
    return at < 0 ? QFont() : fontAt(document, at);
}

// Where a character starts, in document coordinates.
qreal xOf(QTextDocument* document, int position)
{
    const QTextBlock block = document->findBlock(position);
    const QTextLayout* layout = block.layout();
    const QTextLine line = layout->lineForTextPosition(position - block.position());
    return layout->position().x() + line.cursorToX(position - block.position());
}

qreal xOfWord(QTextDocument* document, const QString& word)
{
    return xOf(document, document->toPlainText().indexOf(word));
}

// The document drawn on white.
QImage render(QTextDocument* document)
{
    QImage image(document->size().toSize() + QSize(4, 4), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    document->drawContents(&painter);
    return image;
}

bool isDark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(qBound(0, x, image.width() - 1), qBound(0, y, image.height() - 1)))
        < 128;
}

bool hasPrivateUse(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF)
            return true;
    }
    return false;
}

// An RTF document shown in a real view of the given size, painted.
void showRtf(DocumentView& view, const QByteArray& rtf, QSize size)
{
    view.resize(size);
    view.showDocument(DocumentWriter::fromRtf(rtf, view.font()));
    view.show();
    QCoreApplication::processEvents();
}

} // namespace

class TestRtfLook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void facesResolveAwayFromTheDosFace();
    void dosFaceWhereAsked();
    void postScriptNames();
    void eastAsianTextHasGlyphs();
    void textWithoutAUsableFont();
    void symbolFaces_data();
    void symbolFaces();
    void symbolFacesDrawnInAFaceThatHasThem();
    void tabStops();
    void tabLeadersAreDrawn();
    void paragraphBordersAreDrawn();
    void doubleAndThickUnderlines();
    void lineSpacing();
    void contextualSpacing();
    void capitalsAndUnderlines();
    void raisedScaledAndSpacedText();
    void shadingIsDrawn();
    void hangingFirstLineStaysOnThePage();
    void hiddenAndDeletedText();
    void tableBorders();
    void tableWidthsAndMerges();
    void spaceInsideCellsAndSharedSides();
    void rowsOfOtherEdges();
    void rowsDefinedAtTheirEnd();
    void fields();
    void noteMarks();
    void textBoxesAreShownOnce();
    void documentStartingWithATable();
    void spaceAroundTables();
};

void TestRtfLook::facesResolveAwayFromTheDosFace()
{
    const QString dos = TerminalFont::resolvedFamily();
    auto doc = load(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}"
        "{\\f2\\fmodern\\fprq1 Courier New;}{\\f3\\fswiss\\fprq2 No Such Face;}"
        "{\\f4\\froman No Such Face Either{\\*\\falt Courier New};}{\\f5\\fnil HelveticaNeue;}}"
        "\\f0\\fs28 iiiiiiiiii\\par MMMMMMMMMM\\par{\\f1 arial}{\\f2 courier}"
        "{\\f3 unknown}{\\f4 alternative}{\\f5 classless}}");
    // The issue as a user sees it: narrow and wide letters in a proportional face differ.
    const QFont serif = fontAt(doc.get(), 0);
    const QFontMetricsF metrics(serif);
    QVERIFY(metrics.horizontalAdvance(QStringLiteral("iiiiiiiiii"))
        < metrics.horizontalAdvance(QStringLiteral("MMMMMMMMMM")) / 2);
    QVERIFY(!QFontInfo(serif).fixedPitch());
    QCOMPARE(serif.styleHint(), QFont::Serif);
    for (const char* word : { "iiii", "arial", "courier", "unknown", "alternative", "classless" })
        QVERIFY2(QFontInfo(fontOf(doc.get(), QLatin1String(word))).family() != dos, word);
    QVERIFY(!QFontInfo(fontOf(doc.get(), QStringLiteral("arial"))).fixedPitch());
    QVERIFY(!QFontInfo(fontOf(doc.get(), QStringLiteral("unknown"))).fixedPitch());
    // A face of no class the system does not know: its ordinary face, not a monospace one.
    QVERIFY(!QFontInfo(fontOf(doc.get(), QStringLiteral("classless"))).fixedPitch());
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("courier"))).fixedPitch());
    // A face that is not installed is tried under its alternative name.
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("alternative"))).fixedPitch());

    // Names of a face for one character set are the face's family: a serif face named for
    // Central European text is drawn in that face, not in the sans face of its class.
    QString serifFamily;
    for (const QString& name :
        { QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif") })
        if (serifFamily.isEmpty() && QFontDatabase::hasFamily(name))
            serifFamily = name;
    if (serifFamily.isEmpty())
        QSKIP("no DejaVu Serif or Liberation Serif installed");
    doc = load("{\\rtf1{\\fonttbl{\\f0\\fswiss " + serifFamily.toUtf8() + " CE;}{\\f1\\fswiss "
        + serifFamily.toUtf8() + ";}}\\f0 central \\f1 plain}");
    QCOMPARE(QFontInfo(fontOf(doc.get(), QStringLiteral("central"))).family(),
        QFontInfo(fontOf(doc.get(), QStringLiteral("plain"))).family());
    QCOMPARE(QFontInfo(fontOf(doc.get(), QStringLiteral("central"))).family(), serifFamily);
}

void TestRtfLook::textWithoutAUsableFont()
{
    const QString dos = TerminalFont::resolvedFamily();
    const auto proportional = [](QTextDocument* doc, int at) {
        const QFontMetricsF metrics(fontAt(doc, at));
        return metrics.horizontalAdvance(QStringLiteral("iiiiiiiiii"))
            < metrics.horizontalAdvance(QStringLiteral("MMMMMMMMMM")) / 2;
    };
    // No font table at all: the face Times New Roman is drawn in, as word processors show it;
    // not the DOS face.
    auto doc = load("{\\rtf1\\ansi plain text}");
    QVERIFY(QFontInfo(fontAt(doc.get(), 0)).family() != dos);
    auto times = load("{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0 times}");
    QCOMPARE(QFontInfo(fontAt(doc.get(), 0)).family(), QFontInfo(fontAt(times.get(), 0)).family());
    QVERIFY(proportional(doc.get(), 0));
    QCOMPARE(fontAt(doc.get(), 0).styleHint(), QFont::Serif);
    // A font the table lacks, and \plain: the default font; without \deff, the first entry.
    doc = load("{\\rtf1\\deff1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
               "\\f7 missing \\plain plain}");
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("missing"))).fixedPitch());
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("plain"))).fixedPitch());
    doc = load("{\\rtf1{\\fonttbl{\\f3\\fmodern Courier New;}{\\f5\\fswiss Arial;}}\\plain first}");
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("first"))).fixedPitch());
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("first"))).family() != dos);
}

void TestRtfLook::postScriptNames()
{
    // Names as Cocoa writes them draw in the family they name, in the style they name.
    auto doc = load("{\\rtf1{\\fonttbl{\\f0 Times-Roman;}{\\f1 Helvetica-BoldOblique;}"
                    "{\\f2 TimesNewRomanPSMT;}{\\f3 Courier;}{\\f4 Times;}}"
                    "\\f0 roman \\f1 helvetica \\f2 psmt \\f3 courier \\f4 times}");
    const QString times = QFontInfo(fontOf(doc.get(), QStringLiteral("times"))).family();
    QCOMPARE(QFontInfo(fontOf(doc.get(), QStringLiteral("roman"))).family(), times);
    const QFont helvetica = fontOf(doc.get(), QStringLiteral("helvetica"));
    QVERIFY(helvetica.bold());
    QVERIFY(helvetica.italic());
    QVERIFY(!QFontInfo(helvetica).fixedPitch());
    QVERIFY(QFontInfo(helvetica).family() != times);
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("psmt"))).family()
        != TerminalFont::resolvedFamily());
    QVERIFY(!QFontInfo(fontOf(doc.get(), QStringLiteral("psmt"))).fixedPitch());
}

void TestRtfLook::eastAsianTextHasGlyphs()
{
    // Japanese, Chinese and Korean in the faces their writers name: drawn in glyphs, not boxes.
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}{\\f1\\fcharset134 SimSun;}"
                    "{\\f2\\fcharset129 Gulim;}}\\f0\\'93\\'fa\\'96\\'7b\\'8c\\'ea "
                    "\\f1\\'d6\\'d0\\'ce\\'c4 \\f2\\'c7\\'d1\\'b1\\'b9\\'be\\'ee}");
    QCOMPARE(doc->toPlainText(), QString::fromUtf8("日本語 中文 한국어"));
    const QTextLayout* layout = doc->begin().layout();
    int glyphs = 0;
    QVERIFY(layout->lineCount() > 0);
    for (const QGlyphRun& run : layout->lineAt(0).glyphRuns(0, doc->begin().length())) {
        for (const quint32 glyph : run.glyphIndexes()) {
            QVERIFY2(glyph != 0, qPrintable(run.rawFont().familyName()));
            ++glyphs;
        }
    }
    QCOMPARE(glyphs, 10);
}

void TestRtfLook::dosFaceWhereAsked()
{
    const QString dos = TerminalFont::resolvedFamily();
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\fmodern Terminal;}{\\f1\\fcharset255 Fixedsys;}"
                    "{\\f2\\froman Times New Roman;}}{\\f0 terminal}{\\f1 oem}{\\f2 times} none}");
    QCOMPARE(QFontInfo(fontOf(doc.get(), QStringLiteral("terminal"))).family(), dos);
    QCOMPARE(QFontInfo(fontOf(doc.get(), QStringLiteral("oem"))).family(), dos);
    QVERIFY(QFontInfo(fontOf(doc.get(), QStringLiteral("times"))).family() != dos);
}

void TestRtfLook::symbolFaces_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("symbol by set") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\\f1\\'b7 abg\\f0  abg}")
                                   << QString::fromUtf8("• αβγ abg");
    QTest::newRow("symbol by name, any set")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset0 Symbol;}}\\f1 p\\'b3\\'ae\\'a5}")
        << QString::fromUtf8("π≥→∞");
    QTest::newRow("symbol as unicode")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\f1\\u-3913?\\u61623?}")
        << QString::fromUtf8("••");
    QTest::newRow("wingdings bullets") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f1\\fnil\\fcharset2 Wingdings;}}\\f1\\'a7\\'6c\\'d8\\'fc\\'76}")
                                       << QString::fromUtf8("▪●➢✓❖");
    QTest::newRow("wingdings 2 and 3") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Wingdings 2;}{\\f2\\fcharset2 Wingdings 3;}}"
        "\\f1\\'50\\'54\\f2\\'70}") << QString::fromUtf8("✓☒▲");
    QTest::newRow("webdings and zapf dingbats") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Webdings;}{\\f2 Zapf Dingbats;}}"
        "\\f1\\'3d\\f2\\'48\\'33\\'6c}") << QString::fromUtf8("⏺★✓●");
    QTest::newRow("a byte without a glyph")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Wingdings 3;}}\\f1\\'ff}")
        << QString(QChar(0xFFFD));
    QTest::newRow("unknown symbol set face")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Marlett;}}\\f1\\'b7\\'93}")
        << QString::fromUtf8("·“");
}

void TestRtfLook::symbolFaces()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    auto doc = load(rtf);
    QCOMPARE(doc->toPlainText(), text);
    QVERIFY(!hasPrivateUse(doc->toPlainText()));
}

void TestRtfLook::symbolFacesDrawnInAFaceThatHasThem()
{
    auto doc = load("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
                    "\\f1\\'b7\\'61\\f2\\'a7\\'6c}");
    const QString text = doc->toPlainText();
    for (int i = 0; i < text.size(); ++i) {
        const QFont font = fontAt(doc.get(), i);
        QVERIFY2(QFontMetricsF(font).inFontUcs4(text.at(i).unicode()),
            qPrintable(QStringLiteral("%1 in %2").arg(text.at(i), QFontInfo(font).family())));
    }
}

void TestRtfLook::tabStops()
{
    // 1440 twips an inch, 96 pixels an inch: 2880 twips are 192 pixels.
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0"
                    "\\pard\\tx2880 A\\tab B\\par"
                    "\\pard\\li1440\\tx2880 C\\tab D\\par"
                    "\\pard\\li720\\fi-360\\tx1800 x\\tab hanging\\tab E\\par"
                    "\\pard\\tqr\\tx5760 left\\tab right\\par"
                    "\\pard\\tqc\\tx2880\\tab centred\\par"
                    "\\pard\\tqdec\\tx2880\\tab 12.5\\par"
                    "\\pard no stops\\tab F\\par}");
    QCOMPARE(qRound(xOfWord(doc.get(), QStringLiteral("B"))), 192);
    QCOMPARE(qRound(xOfWord(doc.get(), QStringLiteral("D"))), 192);
    // The hanging first line's own stop lies where the other lines start.
    QCOMPARE(qRound(xOfWord(doc.get(), QStringLiteral("hanging"))), 48);
    QCOMPARE(qRound(xOfWord(doc.get(), QStringLiteral("E"))), 120);
    const int right = doc->toPlainText().indexOf(QStringLiteral("right")) + 5;
    QVERIFY(qAbs(xOf(doc.get(), right) - 384) <= 1);
    const int centred = doc->toPlainText().indexOf(QStringLiteral("centred"));
    QVERIFY(qAbs((xOf(doc.get(), centred) + xOf(doc.get(), centred + 7)) / 2 - 192) <= 1);
    const int point = doc->toPlainText().indexOf(QStringLiteral("12.5")) + 2;
    QVERIFY(qAbs(xOf(doc.get(), point) - 192) <= 1);
    // Without stops of its own a paragraph uses the document's, every half inch.
    QCOMPARE(qRound(xOfWord(doc.get(), QStringLiteral("F"))) % 48, 0);
}

void TestRtfLook::tabLeadersAreDrawn()
{
    TestSupport::closeAllWindows();
    DocumentView view;
    showRtf(view,
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 \\tldot\\tqr\\tx6000 Contents\\tab 1\\par"
        "\\pard\\tqr\\tx6000 Plain\\tab 2\\par}",
        QSize(500, 200));
    // The text is the file's: the leader is only drawn.
    QCOMPARE(view.Text(), QStringLiteral("Contents\t1\nPlain\t2\n"));
    const QImage shot = view.viewport()->grab().toImage();
    // Ink runs between the word and the number along the first line, none along the second.
    const auto inkRuns = [&](int blockNumber) {
        const QTextBlock block = view.document()->findBlockByNumber(blockNumber);
        const QTextLine line = block.layout()->lineAt(0);
        const QPointF origin = block.layout()->position();
        const int from = int(origin.x() + line.cursorToX(block.text().indexOf(u'\t'))) + 8;
        const int to = int(origin.x() + line.cursorToX(block.text().indexOf(u'\t') + 1)) - 8;
        int runs = 0;
        for (int y = int(origin.y() + line.y()); y < int(origin.y() + line.y() + line.height());
             ++y) {
            int here = 0;
            for (int x = from; x < to; ++x)
                here += isDark(shot, x, y) && !isDark(shot, x - 1, y);
            runs = qMax(runs, here);
        }
        return runs;
    };
    QVERIFY2(inkRuns(0) > 20, qPrintable(QString::number(inkRuns(0))));
    QCOMPARE(inkRuns(1), 0);
}

void TestRtfLook::paragraphBordersAreDrawn()
{
    TestSupport::closeAllWindows();
    DocumentView view;
    showRtf(view,
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0 Before\\par"
        "\\pard\\box\\brdrs\\brdrw20\\brdrcf1 Boxed\\par Also\\par\\pard After\\par}",
        QSize(500, 200));
    QCOMPARE(view.Text(), QStringLiteral("Before\nBoxed\nAlso\nAfter\n"));
    const QImage shot = view.viewport()->grab().toImage();
    const auto isRed = [&](int x, int y) {
        const QColor c = shot.pixelColor(x, y);
        return c.red() > 150 && c.green() < 80 && c.blue() < 80;
    };
    // A red line across the view above the boxed paragraph, none above the first one, and red
    // down its left side.
    const QTextBlock boxed = view.document()->findBlockByNumber(1);
    const QRectF text = boxed.layout()->boundingRect().translated(boxed.layout()->position());
    const auto redAcross = [&](int y) {
        int red = 0;
        for (int x = 0; x < shot.width(); ++x)
            red += isRed(x, y);
        return red;
    };
    int top = 0;
    for (int y = int(text.top()) - 3; y <= int(text.top()) + 1; ++y)
        top = qMax(top, redAcross(y));
    QVERIFY2(top > shot.width() * 3 / 4, qPrintable(QString::number(top)));
    QCOMPARE(redAcross(1), 0);
    int left = 0;
    for (int y = int(text.top()) + 2; y < int(text.bottom()) - 2; ++y) {
        bool any = false;
        for (int x = 0; x < 6; ++x)
            any = any || isRed(x, y);
        left += any;
    }
    QVERIFY2(left >= int(text.height()) - 6, qPrintable(QString::number(left)));
    // The next paragraph has the same box: one box around both, no line between them.
    const QTextBlock also = boxed.next();
    const QRectF alsoText = also.layout()->boundingRect().translated(also.layout()->position());
    for (int y = int(text.bottom()) - 1; y <= int(alsoText.top()) + 1; ++y)
        QVERIFY2(redAcross(y) < shot.width() / 2, qPrintable(QString::number(y)));
}

void TestRtfLook::doubleAndThickUnderlines()
{
    TestSupport::closeAllWindows();
    DocumentView view;
    showRtf(view,
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs32 {\\ul single} {\\uldb double} {\\ulth thick}}",
        QSize(500, 100));
    const QImage shot = view.viewport()->grab().toImage();
    const QTextBlock block = view.document()->begin();
    const QTextLine line = block.layout()->lineAt(0);
    const QPointF origin = block.layout()->position();
    // The rows with ink below the baseline, in the middle of a word (between its letters'
    // descenders there is only the underline).
    const auto inkRows = [&](const QString& word, int letter) {
        const int at = int(block.text().indexOf(word)) + letter;
        const int x = int(origin.x() + (line.cursorToX(at) + line.cursorToX(at + 1)) / 2);
        QList<int> rows;
        for (int y = int(origin.y() + line.y() + line.ascent()) + 1;
             y < int(origin.y() + line.y() + line.height()) + 4; ++y) {
            if (isDark(shot, x, y))
                rows << y;
        }
        return rows;
    };
    const auto runsOf = [](const QList<int>& rows) {
        int runs = 0;
        for (int i = 0; i < rows.size(); ++i)
            runs += i == 0 || rows[i] != rows[i - 1] + 1;
        return runs;
    };
    const QList<int> single = inkRows(QStringLiteral("single"), 1); // under the i
    const QList<int> twice = inkRows(QStringLiteral("double"), 1); // under the o
    const QList<int> thick = inkRows(QStringLiteral("thick"), 2); // under the i
    QCOMPARE(runsOf(single), 1);
    QCOMPARE(runsOf(twice), 2);
    QCOMPARE(runsOf(thick), 1);
    QVERIFY2(thick.size() > single.size(),
        qPrintable(QStringLiteral("%1 %2").arg(thick.size()).arg(single.size())));
}

void TestRtfLook::lineSpacing()
{
    const QByteArray words = QByteArray("word ").repeated(200);
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 " + words
        + "\\par\\sl480\\slmult1 " + words + "\\par\\pard\\sl-600\\slmult0 " + words + "\\par}");
    const auto lineStep = [&](int blockNumber) {
        const QTextLayout* layout = doc->findBlockByNumber(blockNumber).layout();
        return layout->lineAt(1).y() - layout->lineAt(0).y();
    };
    const qreal single = lineStep(0);
    QVERIFY(single > 10);
    QVERIFY(qAbs(lineStep(1) - 2 * single) <= 1);
    QCOMPARE(qRound(lineStep(2)), 40); // exactly 600 twips

    // Single lines as word processors set them, the faces' own line metrics: Helvetica 12 pt
    // (drawn as its metric twin) 19 pixels, Calibri 11 pt 18, and 1.15 times that at \\sl276.
    doc = load("{\\rtf1{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fswiss Calibri;}}\\f0\\fs24 "
        + words + "\\par\\f1\\fs22 " + words + "\\par\\sl276\\slmult1 " + words + "\\par}");
    if (QFontInfo(fontAt(doc.get(), 0)).family().startsWith(QLatin1String("DejaVu")))
        QSKIP("no face with Helvetica's metrics is installed");
    QCOMPARE(qRound(lineStep(0)), 19);
    QCOMPARE(qRound(lineStep(1)), 18);
    QVERIFY2(qAbs(lineStep(2) - 20.5) <= 0.6, qPrintable(QString::number(lineStep(2))));
}

void TestRtfLook::contextualSpacing()
{
    // Items of one style that ask for it have no space between them (10 pt before and after
    // each); a paragraph of another style keeps its space from them, and so do items that do not
    // ask.
    const QByteArray item = "\\pard\\s34\\sb200\\sa200\\contextualspace item\\par ";
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 " + item + item + item
        + "\\pard\\s0\\sb200\\sa200 other\\par \\pard\\s34\\sb200\\sa200 plain\\par "
          "\\pard\\s34\\sb200\\sa200 plain\\par}");
    const auto top = [&](int blockNumber) {
        return doc->documentLayout()->blockBoundingRect(doc->findBlockByNumber(blockNumber)).top()
            + doc->findBlockByNumber(blockNumber).layout()->lineAt(0).y();
    };
    const qreal line = doc->findBlockByNumber(0).layout()->lineAt(0).height();
    QVERIFY(qAbs(top(1) - top(0) - line) <= 1);
    QVERIFY(qAbs(top(2) - top(1) - line) <= 1);
    // 10 pt after the last item and 10 pt before the other paragraph, of which the layout
    // keeps the larger: 10 pt (13.3 px) between them.
    QVERIFY(top(3) - top(2) >= line + 12);
    QVERIFY(top(5) - top(4) >= line + 12);
}

// The topmost row with ink between two x positions.
int inkTop(const QImage& image, int from, int to)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = from; x < to; ++x) {
            if (isDark(image, x, y))
                return y;
        }
    }
    return -1;
}

void TestRtfLook::raisedScaledAndSpacedText()
{
    // The TeX logo as latex2rtf writes it: T, a lowered E, X.
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs48 "
                    "HHHH{\\up12 HHHH}HHHH{\\dn12 HHHH}\\par "
                    "ab{\\charscalex200 MMMM}cd\\par ab{\\expndtw200 MMMM}cd\\par ab MMMM cd}");
    const QImage image = render(doc.get());
    const int a = int(xOfWord(doc.get(), QStringLiteral("HHHH")));
    const int quarter = int(xOf(doc.get(), 4)) - a;
    const int base = inkTop(image, a, a + quarter);
    const int up = inkTop(image, a + quarter, a + 2 * quarter);
    const int down = inkTop(image, a + 3 * quarter, a + 4 * quarter);
    QVERIFY2(up < base - 4, qPrintable(QStringLiteral("%1 %2").arg(up).arg(base)));
    QVERIFY2(down > base + 4, qPrintable(QStringLiteral("%1 %2").arg(down).arg(base)));
    // Scaled and spaced words take more room than the same word as written.
    const QString text = doc->toPlainText();
    QList<int> words; // scaled, spaced, as written
    for (qsizetype at = text.indexOf(QStringLiteral("MMMM")); at >= 0;
         at = text.indexOf(QStringLiteral("MMMM"), at + 4))
        words << int(at);
    QCOMPARE(words.size(), 3);
    const auto width = [&](int at) { return xOf(doc.get(), at + 4) - xOf(doc.get(), at); };
    const qreal scaled = width(words[0]);
    const qreal spaced = width(words[1]);
    const qreal plain = width(words[2]);
    QVERIFY2(scaled > plain * 1.6, qPrintable(QStringLiteral("%1 %2").arg(scaled).arg(plain)));
    // Four letters with 10 px after each.
    QVERIFY2(spaced > plain + 30, qPrintable(QStringLiteral("%1 %2").arg(spaced).arg(plain)));
}

void TestRtfLook::shadingIsDrawn()
{
    // White text on a red cell, a green paragraph, characters on blue, a grey of 25 % black.
    auto doc
        = load("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green160\\blue0;"
               "\\red0\\green0\\blue255;\\red255\\green255\\blue255;}"
               "\\trowd\\clcbpat1\\cellx3000\\pard\\intbl\\cf4 warning\\cell\\row"
               "\\pard\\cbpat2 panel\\par\\pard {\\chcbpat3 marked} {\\chshdng2500 grey}\\par}");
    const QImage image = render(doc.get());
    // Near the top of the line, above letters without ascenders.
    const auto colourAt = [&](int position, qreal dx) {
        const QTextBlock block = doc->findBlock(position);
        const QRectF rect = doc->documentLayout()->blockBoundingRect(block);
        const QTextLine line = block.layout()->lineAt(0);
        const int y = int(rect.top() + line.y() + line.ascent() / 3);
        return QColor(image.pixel(int(xOf(doc.get(), position) + dx), y));
    };
    const QString text = doc->toPlainText();
    // Beside the cell's text, inside the cell.
    QCOMPARE(colourAt(int(text.indexOf(QStringLiteral("warning"))) + 7, 20), QColor(255, 0, 0));
    // Far right of the paragraph: its background spans the line.
    QCOMPARE(colourAt(int(text.indexOf(QStringLiteral("panel"))) + 5, 200), QColor(0, 160, 0));
    const int marked = int(text.indexOf(QStringLiteral("marked")));
    QCOMPARE(colourAt(marked, 1).blue(), 255);
    const QColor grey = colourAt(int(text.indexOf(QStringLiteral("grey"))) + 1, 2);
    QVERIFY2(qAbs(grey.red() - 191) <= 2 && grey.red() == grey.blue(), qPrintable(grey.name()));
}

void TestRtfLook::hangingFirstLineStaysOnThePage()
{
    // A first line indented left of the page starts at its edge, where its letters show whole.
    auto doc = load("{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\li0\\fi-720 "
                    "Wrapped first line\\par\\li1440\\fi-720 hanging}");
    QCOMPARE(xOf(doc.get(), 0), 0.0);
    QCOMPARE(xOfWord(doc.get(), QStringLiteral("hanging")), 48.0);
}

void TestRtfLook::capitalsAndUnderlines()
{
    auto doc = load("{\\rtf1 {\\caps caps} {\\scaps small} {\\uld dots} {\\ulwave wave} "
                    "{\\uldash dash} {\\uldb double\\ul0  none}}");
    // The letters stay as written: only their look changes.
    QCOMPARE(doc->toPlainText(), QStringLiteral("caps small dots wave dash double none"));
    QCOMPARE(fontOf(doc.get(), QStringLiteral("caps")).capitalization(), QFont::AllUppercase);
    QCOMPARE(fontOf(doc.get(), QStringLiteral("small")).capitalization(), QFont::SmallCaps);
    const auto underline = [&](const char* word) {
        QTextCursor c(doc.get());
        c.setPosition(doc->toPlainText().indexOf(QLatin1String(word)) + 1);
        return c.charFormat().underlineStyle();
    };
    QCOMPARE(underline("dots"), QTextCharFormat::DotLine);
    QCOMPARE(underline("wave"), QTextCharFormat::WaveUnderline);
    QCOMPARE(underline("dash"), QTextCharFormat::DashUnderline);
    QCOMPARE(underline("double"), QTextCharFormat::SingleUnderline);
    QCOMPARE(underline("none"), QTextCharFormat::NoUnderline);
}

void TestRtfLook::hiddenAndDeletedText()
{
    auto doc = load("{\\rtf1 shown{\\v hidden} text\\v  gone\\v0  back {\\deleted removed}"
                    "{\\revised added}{\\v {\\pict\\pngblip 00}}.}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("shown text back added."));
}

void TestRtfLook::tableBorders()
{
    // Row one: every side of the first cell, a thick top on the second; row two: none declared.
    auto doc = load("{\\rtf1\\trowd\\clbrdrt\\brdrs\\brdrw15\\clbrdrl\\brdrs\\brdrw15"
                    "\\clbrdrb\\brdrs\\brdrw15\\clbrdrr\\brdrs\\brdrw15\\cellx1500"
                    "\\clbrdrt\\brdrs\\brdrw45\\cellx3000\\pard\\intbl one\\cell two\\cell\\row"
                    "\\trowd\\cellx1500\\cellx3000\\pard\\intbl three\\cell four\\cell\\row}");
    QTextCursor c(doc.get());
    c.setPosition(doc->toPlainText().indexOf(QStringLiteral("one")));
    QTextTable* table = c.currentTable();
    QVERIFY(table);
    const QImage image = render(doc.get());
    const auto cellBox = [&](int row, int column) {
        const QTextBlock block = table->cellAt(row, column).firstCursorPosition().block();
        return doc->documentLayout()->blockBoundingRect(block);
    };
    // Scan a short line of pixels across where a border would be.
    const auto darkAcross = [&](int x0, int y0, int dx, int dy) {
        int dark = 0;
        for (int i = -4; i <= 4; ++i)
            dark += isDark(image, x0 + i * dx, y0 + i * dy) ? 1 : 0;
        return dark;
    };
    const QRectF one = cellBox(0, 0);
    const QRectF two = cellBox(0, 1);
    const QRectF three = cellBox(1, 0);
    const QRectF four = cellBox(1, 1);
    const int midOne = int(one.center().x()) + 30;
    QVERIFY(darkAcross(midOne, int(one.top()) - 3, 0, 1) > 0); // top of "one"
    QVERIFY(darkAcross(int(two.center().x()) + 40, int(two.top()) - 3, 0, 1) >= 3); // thick
    // Below "one" its bottom border; nothing between "two" and "four", around "three".
    QVERIFY(darkAcross(midOne, int((one.bottom() + three.top()) / 2), 0, 1) > 0);
    QCOMPARE(
        darkAcross(int(four.center().x()) + 40, int((two.bottom() + four.top()) / 2), 0, 1), 0);
    QCOMPARE(darkAcross(int(three.left()) - 5, int(three.center().y()), 1, 0), 0);
    QCOMPARE(darkAcross(int(four.left()) - 5, int(four.center().y()), 1, 0), 0);

    // Sides the row declares (\trbrdr*) go to cells that declare none of their own.
    doc = load("{\\rtf1\\trowd\\trbrdrt\\brdrs\\brdrw15\\trbrdrv\\brdrs\\brdrw15\\cellx1500"
               "\\cellx3000\\pard\\intbl five\\cell six\\cell\\row}");
    c = QTextCursor(doc.get());
    c.setPosition(doc->toPlainText().indexOf(QStringLiteral("six")));
    table = c.currentTable();
    QVERIFY(table);
    const QImage rowImage = render(doc.get());
    const QRectF six = doc->documentLayout()->blockBoundingRect(
        table->cellAt(0, 1).firstCursorPosition().block());
    int dark = 0;
    for (int i = -4; i <= 4; ++i)
        dark += isDark(rowImage, int(six.center().x()) + 40, int(six.top()) - 3 + i) ? 1 : 0;
    QVERIFY(dark > 0); // the row's top
    dark = 0;
    for (int i = -4; i <= 4; ++i)
        dark += isDark(rowImage, int(six.left()) - 5 + i, int(six.center().y())) ? 1 : 0;
    QVERIFY(dark > 0); // the row's line between cells
}

void TestRtfLook::rowsOfOtherEdges()
{
    // Word's irregular tables: three narrow cells, then a row the width of all three, then the
    // three again. Each row keeps its own edges; none runs past the table's right edge.
    auto doc = load("{\\rtf1\\trowd\\cellx1500\\cellx3000\\cellx4500\\pard\\intbl one\\cell "
                    "two\\cell three\\cell\\row"
                    "\\trowd\\cellx4500\\pard\\intbl wide\\cell\\row"
                    "\\trowd\\cellx1500\\cellx3000\\cellx4500\\pard\\intbl four\\cell five\\cell "
                    "six\\cell\\row}");
    const QString text = doc->toPlainText();
    const auto cellRect = [&](const char* word) {
        QTextCursor c(doc.get());
        c.setPosition(int(text.indexOf(QLatin1String(word))));
        QTextTable* table = c.currentTable();
        return table ? doc->documentLayout()->frameBoundingRect(table) : QRectF();
    };
    // Where a cell's text starts, in the document.
    const auto left = [&](const char* word) {
        return doc->documentLayout()
            ->blockBoundingRect(doc->findBlock(int(text.indexOf(QLatin1String(word)))))
            .left();
    };
    const QRectF narrow = cellRect("one");
    const QRectF wide = cellRect("wide");
    const QRectF again = cellRect("four");
    QVERIFY(!wide.isEmpty());
    // The wide row is as wide as the three cells together, and starts where they start.
    QVERIFY2(qAbs(wide.width() - narrow.width()) <= 2,
        qPrintable(QStringLiteral("%1 %2").arg(wide.width()).arg(narrow.width())));
    QCOMPARE(wide.left(), narrow.left());
    QVERIFY2(
        qAbs(xOfWord(doc.get(), QStringLiteral("five")) - xOfWord(doc.get(), QStringLiteral("two")))
            <= 1,
        "the columns after the wide row are those before it");
    QVERIFY(wide.top() >= narrow.bottom() - 1 && again.top() >= wide.bottom() - 1);
    // Three columns of 100 pixels: the wide row's text is not squeezed into the first.
    const qreal column = left("two") - left("one");
    QVERIFY2(column >= 99, qPrintable(QString::number(column)));
    const qreal wideText
        = doc->documentLayout()
              ->blockBoundingRect(doc->findBlock(int(text.indexOf(QLatin1String("wide")))))
              .width();
    QVERIFY2(wideText >= 290, qPrintable(QString::number(wideText)));

    // \\trqc and \\trqr place the table.
    doc = load("{\\rtf1\\trowd\\trqc\\cellx1500\\pard\\intbl centred\\cell\\row\\pard\\par"
               "\\trowd\\trqr\\cellx1500\\pard\\intbl right\\cell\\row}");
    const QString placed = doc->toPlainText();
    const auto start = [&](const char* word) {
        return doc->documentLayout()
            ->blockBoundingRect(doc->findBlock(int(placed.indexOf(QLatin1String(word)))))
            .left();
    };
    QVERIFY2(start("centred") > 400, qPrintable(QString::number(start("centred"))));
    QVERIFY2(start("right") > 850, qPrintable(QString::number(start("right"))));
}

void TestRtfLook::rowsDefinedAtTheirEnd()
{
    // Rows whose definitions come at their ends, after their cells: a heading of one cell across
    // the table between rows of three, then the same heading first and rows of three after it.
    const QByteArray three = "\\trowd\\clbrdrt\\brdrs\\cellx2100\\clbrdrt\\brdrs\\cellx2700"
                             "\\clbrdrt\\brdrs\\cellx9000\\pard\\intbl\\row";
    const QByteArray one = "\\trowd\\clbrdrt\\brdrs\\cellx9000\\pard\\intbl\\row";
    auto doc = load("{\\rtf1\\pard\\intbl Mon\\cell M1\\cell soup\\cell" + three
        + "\\pard\\intbl\\qc heading\\cell" + one + "\\pard\\intbl Tue\\cell M2\\cell fish\\cell"
        + three + "\\pard after\\par\\pard\\intbl\\qc second\\cell" + one
        + "\\pard\\intbl Wed\\cell M3\\cell meat\\cell" + three
        + "\\pard\\intbl Thu\\cell M4\\cell rice\\cell" + three + "}");
    QCOMPARE(doc->toPlainText().simplified(),
        QStringLiteral("Mon M1 soup heading Tue M2 fish after second Wed M3 meat Thu M4 rice"));
    const auto box = [&](const char* word) {
        return doc->documentLayout()->blockBoundingRect(
            doc->findBlock(doc->toPlainText().indexOf(QLatin1String(word))));
    };
    // 9000 twips are 600 pixels: the headings are centred across all three columns.
    QVERIFY(qAbs(box("heading").center().x() - 300) <= 4);
    QVERIFY(qAbs(box("second").center().x() - 300) <= 4);
    // The rows of three keep their columns, in both tables: the second at 140 pixels.
    for (const char* word : { "M1", "M2", "M3", "M4" })
        QVERIFY2(qAbs(box(word).left() - 140) <= 2, word);
}

void TestRtfLook::tableWidthsAndMerges()
{
    auto doc
        = load("{\\rtf1\\trowd\\clmgf\\cellx1500\\clmrg\\cellx3000\\clvmgf\\cellx6000"
               "\\pard\\intbl across\\cell\\cell down\\cell\\row"
               "\\trowd\\cellx1500\\cellx3000\\clvmrg\\cellx6000"
               "\\pard\\intbl a\\cell b\\cell\\cell\\row"
               "\\trowd\\cellx1500\\cellx3000\\cellx6000\\pard\\intbl ccc\\cell ddd\\cell eee\\cell"
               "\\row}");
    QTextCursor c(doc.get());
    c.setPosition(doc->toPlainText().indexOf(QStringLiteral("across")));
    QTextTable* table = c.currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 3);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(table->cellAt(0, 0).columnSpan(), 2);
    QCOMPARE(table->cellAt(0, 2).rowSpan(), 2);
    QCOMPARE(table->cellAt(2, 2).rowSpan(), 1);
    QCOMPARE(doc->toPlainText().count(QStringLiteral("down")), 1);
    // Widths from \cellx: 1500 twips are 100 pixels, 3000 are 200.
    const auto left = [&](const char* word) {
        const QTextBlock block = doc->findBlock(doc->toPlainText().indexOf(QLatin1String(word)));
        return doc->documentLayout()->blockBoundingRect(block).left();
    };
    QVERIFY(qAbs(left("ddd") - left("ccc") - 100) <= 2);
    QVERIFY(qAbs(left("eee") - left("ddd") - 100) <= 2);
    QVERIFY(qAbs(doc->documentLayout()->frameBoundingRect(table).width() - 400) <= 8);

    // Row marks with nothing between them finish the row once: its merge took a cell away.
    doc = load("{\\rtf1\\trowd\\clbrdrt\\brdrs\\clmgf\\cellx1000\\clbrdrt\\brdrs\\clmrg"
               "\\cellx2000\\clbrdrt\\brdrs\\clvmgf\\cellx3000\\pard\\intbl a\\cell\\cell c\\cell"
               "\\row\\row\\trowd\\clbrdrt\\brdrs\\cellx1000\\clbrdrt\\brdrs\\cellx2000"
               "\\clbrdrt\\brdrs\\clvmrg\\cellx3000\\pard\\intbl d\\cell e\\cell\\cell\\row\\row"
               "\\pard after}");
    QCOMPARE(doc->toPlainText().simplified(), QStringLiteral("a c d e after"));
    c = QTextCursor(doc.get());
    c.setPosition(doc->toPlainText().indexOf(QStringLiteral("d")));
    table = c.currentTable();
    QVERIFY(table);
    QCOMPARE(table->cellAt(0, 0).columnSpan(), 2);
    QCOMPARE(table->cellAt(0, 2).rowSpan(), 2);

    // A cell to be merged away that holds text (a nested table here) is kept apart, its text in
    // place.
    doc = load("{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\pard\\intbl a\\cell"
               "\\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}"
               "\\pard\\intbl\\itap1 b\\cell\\row\\pard after}");
    QCOMPARE(doc->toPlainText().simplified(), QStringLiteral("a n b after"));
    c = QTextCursor(doc.get());
    c.setPosition(doc->toPlainText().indexOf(QStringLiteral("a")));
    table = c.currentTable();
    QVERIFY(table);
    QCOMPARE(table->cellAt(0, 0).columnSpan(), 1);

    // Rows with more cells than edges, then more cells than the table has: the widths keep one
    // entry a column as the table grows.
    doc = load("{\\rtf1\\trowd\\cellx1000\\pard\\intbl a\\cell b\\cell c\\cell\\row"
               "\\trowd\\cellx1000\\cellx2000\\pard\\intbl d\\cell e\\cell f\\cell g\\cell\\row}");
    c = QTextCursor(doc.get());
    c.setPosition(doc->toPlainText().indexOf(QStringLiteral("g")));
    table = c.currentTable();
    QVERIFY(table);
    QCOMPARE(table->columns(), 4);
    QCOMPARE(table->format().columnWidthConstraints().size(), 4);
    QCOMPARE(table->format().columnWidthConstraints().at(0).rawValue(), 67.0);

    // Cells defined before the \\trowd that comes in their row keep their widths.
    doc = load("{\\rtf1\\cellx1500\\cellx3000\\intbl p\\cell q\\cell\\trowd\\row"
               "\\cellx1500\\cellx3000\\intbl r\\cell\\trowd\\intbl s\\cell\\row}");
    QCOMPARE(doc->toPlainText().simplified(), QStringLiteral("p q r s"));
    QVERIFY(qAbs(left("q") - left("p") - 100) <= 2);
    QVERIFY(qAbs(left("s") - left("r") - 100) <= 2);
}

void TestRtfLook::spaceInsideCellsAndSharedSides()
{
    // Two rows of two cells, every side a pixel wide, 108 twips (7 pixels) left and right of
    // the text and none above or below it, as word processors lay rows out.
    const QByteArray row = "\\trowd\\trgaph108\\trbrdrt\\brdrs\\brdrw15\\trbrdrl\\brdrs\\brdrw15"
                           "\\trbrdrb\\brdrs\\brdrw15\\trbrdrr\\brdrs\\brdrw15\\trbrdrh\\brdrs"
                           "\\brdrw15\\trbrdrv\\brdrs\\brdrw15\\cellx1500\\cellx3000";
    auto doc = load("{\\rtf1" + row + "\\pard\\intbl one\\cell two\\cell\\row" + row
        + "\\pard\\intbl three\\cell four\\cell\\row}");
    const QImage image = render(doc.get());
    const auto box = [&](const char* word) {
        return doc->documentLayout()->blockBoundingRect(
            doc->findBlock(doc->toPlainText().indexOf(QLatin1String(word))));
    };
    const QRectF one = box("one");
    const int y = int(one.center().y());
    int leftSide = 0;
    while (leftSide < image.width() && !isDark(image, leftSide, y))
        ++leftSide;
    QVERIFY(qAbs(xOfWord(doc.get(), QStringLiteral("one")) - leftSide - 8) <= 1);
    // Where the two cells meet, one side is drawn, not one for each cell.
    int shared = 0;
    for (int x = int(one.right()); x < int(box("two").left()); ++x)
        shared += isDark(image, x, y) ? 1 : 0;
    QCOMPARE(shared, 1);
    // A row is its line and one side high.
    const qreal line = QFontMetricsF(fontOf(doc.get(), QStringLiteral("one"))).height();
    QVERIFY2(box("three").top() - one.top() <= line + 2,
        qPrintable(QString::number(box("three").top() - one.top())));

    // A cell's own space: Word writes its left as \clpadt and its top as \clpadl.
    doc = load("{\\rtf1\\trowd\\clpadt300\\clpadft3\\clpadl150\\clpadfl3\\cellx3000"
               "\\pard\\intbl one\\cell\\row\\pard after\\par}");
    QVERIFY(qAbs(xOfWord(doc.get(), QStringLiteral("one")) - 20) <= 1);
    QVERIFY(qAbs(box("one").top() - 10) <= 1);

    // What a writer puts for readers without nested tables (\nonesttables) stays out of the
    // inner rows: each is a line high.
    doc = load("{\\rtf1\\pard\\intbl\\itap2 a\\nestcell b\\nestcell{\\*\\nesttableprops\\trowd"
               "\\cellx500\\cellx900\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\itap2 c\\nestcell"
               " d\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}"
               "{\\nonesttables\\par}\\pard\\intbl\\itap1 \\cell\\row}");
    const qreal nestedLine = QFontMetricsF(fontOf(doc.get(), QStringLiteral("a"))).height();
    QVERIFY2(box("c").top() - box("a").top() <= nestedLine + 2,
        qPrintable(QString::number(box("c").top() - box("a").top())));
}

void TestRtfLook::fields()
{
    // A SYMBOL field shows its character when its stored result is empty, and only the result
    // when there is one.
    auto doc = load("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\\f0 a"
                    "{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt }}b"
                    "{\\field{\\*\\fldinst {SYMBOL 97 \\\\f \"Symbol\"}}{\\fldrslt x}}c"
                    "{\\field{\\*\\fldinst SYMBOL 0x263A \\\\u}{\\fldrslt }}d"
                    "{\\field{\\*\\fldinst PAGE}{\\fldrslt }}e"
                    "{\\field{\\*\\fldinst SYMBOL 108 \\\\f \"Wingdings\"}}f}");
    QCOMPARE(doc->toPlainText(), QString::fromUtf8("a•bxc☺de●f"));
}

void TestRtfLook::noteMarks()
{
    // Footnotes and endnotes count on their own, each in its own style.
    auto doc
        = load("{\\rtf1\\ftnnar\\aftnnrlc a{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} x}"
               " b{\\super\\chftn{\\footnote\\ftnalt\\pard{\\super\\chftn} y}}"
               " c{\\super\\chftn}{\\*\\footnote\\ftnalt z}"
               " d{\\super\\chftn}{\\footnote w}}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("a1 bi cii d2"));
    doc = load("{\\rtf1\\fet1\\aftnnauc\\aftnstart3 a{\\chftn}{\\footnote x}}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("aC"));
}

void TestRtfLook::textBoxesAreShownOnce()
{
    // A text box's text is drawn where its shape is anchored; the shape's result, the same text
    // for older readers (a drawing object, or plain paragraphs), is not drawn again.
    for (const QByteArray& result :
        { QByteArray("{\\shprslt{\\*\\do\\dptxbx{\\dptxbxtext boxed\\par}}}"),
            QByteArray("{\\shprslt\\pard boxed\\par}") }) {
        auto doc
            = load("{\\rtf1\\pard before\\par{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}"
                   "{\\shptxt\\pard boxed\\par}}"
                + result + "}after\\par}");
        const QString text = doc->toPlainText();
        QCOMPARE(text.count(QStringLiteral("boxed")), 1);
        QVERIFY(text.indexOf(QStringLiteral("before")) < text.indexOf(QStringLiteral("boxed")));
        const QImage image = render(doc.get());
        const QRectF box = doc->documentLayout()->blockBoundingRect(
            doc->findBlock(text.indexOf(QStringLiteral("boxed"))));
        int ink = 0;
        for (int x = int(box.left()); x < int(box.left()) + 40; ++x)
            for (int y = int(box.top()); y < int(box.bottom()); ++y)
                ink += isDark(image, x, y) ? 1 : 0;
        QVERIFY(ink > 10);
    }
}

void TestRtfLook::spaceAroundTables()
{
    // A blank paragraph between two tables parts them by its line; the paragraph after a table
    // keeps its space before. Measured against the same tables without them.
    const auto tops = [](const QByteArray& between, const QByteArray& before) {
        auto doc = load(
            "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 \\trowd\\cellx2000\\pard\\intbl A\\cell\\row"
            + between + "\\trowd\\cellx2000\\pard\\intbl B\\cell\\row\\pard" + before
            + " after\\par}");
        const QString text = doc->toPlainText();
        QList<qreal> y;
        for (const char* word : { "A", "B", "after" }) {
            const QTextBlock block = doc->findBlock(int(text.indexOf(QLatin1String(word))));
            y << doc->documentLayout()->blockBoundingRect(block).top();
        }
        return y;
    };
    const QList<qreal> touching = tops("", "");
    const QList<qreal> spaced = tops("\\pard\\par", "\\sb600");
    const qreal blank = (spaced[1] - spaced[0]) - (touching[1] - touching[0]);
    QVERIFY2(blank >= 15, qPrintable(QString::number(blank)));
    const qreal before = (spaced[2] - spaced[1]) - (touching[2] - touching[1]);
    QVERIFY2(qAbs(before - 40) <= 1, qPrintable(QString::number(before)));
}

void TestRtfLook::documentStartingWithATable()
{
    TestSupport::closeAllWindows();
    DocumentView view;
    view.showDocument(
        DocumentWriter::fromRtf("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl alpha\\cell "
                                "beta\\cell\\row\\pard gamma\\par}",
            view.font()));
    view.resize(400, 300);
    view.show();
    const QString text = view.Text();
    // The view shows the table's first cell first; Text has only the table's start mark before
    // it, as at every table, and no paragraph of its own.
    QCOMPARE(text.indexOf(QStringLiteral("alpha")), 1);
    QCOMPARE(view.document()->characterAt(0).unicode(), char16_t(0xFDD0));
    for (const char* word : { "alpha", "beta", "gamma" }) {
        const QString w = QLatin1String(word);
        const int at = text.indexOf(w);
        view.setSelStart(at);
        view.setSelLength(int(w.size()));
        QCOMPARE(view.SelStart(), at);
        QCOMPARE(view.SelText(), w);
    }
    // The caret put at the very start stays there, and a selection from there reads what Text
    // has there.
    view.setSelStart(0);
    QCOMPARE(view.SelStart(), 0);
    view.setSelLength(int(text.indexOf(QStringLiteral("alpha")) + 5));
    QCOMPARE(view.SelText(), text.left(view.SelLength()));
}

QTEST_MAIN(TestRtfLook)
#include "tst_rtflook.moc"
