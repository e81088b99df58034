// The writer of RTF documents into the view's document: tables, nested tables and their bounds,
// pictures and their budget, and the position contract with both, on the document built.
#include "support/testsupport.h"
#include "view/documentview.h"
#include "view/documentwriter.h"
#include "view/terminalfont.h"

#include <QBuffer>
#include <QFontInfo>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <memory>

namespace {

std::unique_ptr<QTextDocument> load(const QByteArray& rtf)
{
    return DocumentWriter::fromRtf(rtf, TerminalFont::font());
}

// The character format of the character at a position.
QTextCharFormat formatAt(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

} // namespace

namespace {
// How many tables deep each block lies, the deepest found.
int deepestTable(QTextDocument* doc)
{
    int deepest = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        int depth = 0;
        for (QTextFrame* f = QTextCursor(b).currentFrame(); f; f = f->parentFrame())
            depth += qobject_cast<QTextTable*>(f) != nullptr;
        deepest = qMax(deepest, depth);
    }
    return deepest;
}

QList<QTextTable*> topTables(QTextDocument* doc)
{
    QList<QTextTable*> tables;
    for (QTextFrame* f : doc->rootFrame()->childFrames()) {
        if (auto* t = qobject_cast<QTextTable*>(f))
            tables.append(t);
    }
    return tables;
}
} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void characterFormats();
    void coloursAndResets();
    void paragraphFormats();
    void tables();
    void nestedTables();
    void pictures();
    void charactersNoFaceDrawsStayInTheirFace();
    void picturesDecodedByTheirData();
    void positionContractWithTablesAndPictures();
    void boundedTables();
    void boundedPictures();
    void boundedTablesOfFontsAndColours();
};

void TestRtfWriter::tables()
{
    auto doc = load(
        "{\\rtf1 before\\par\\trowd\\cellx1000\\cellx2000"
        "\\pard\\intbl a1\\cell b\\par 1\\cell\\row"
        "\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl a2\\cell b2\\cell c2\\cell\\row"
        "\\pard after}");
    // Rows of other edges are laid out on their own columns: a table of their own.
    const auto tableOf = [&](const char* word) {
        QTextCursor cursor(doc.get());
        cursor.setPosition(int(doc->toPlainText().indexOf(QLatin1String(word))));
        return cursor.currentTable();
    };
    QTextTable* table = tableOf("a1");
    QVERIFY(table);
    QCOMPARE(table->rows(), 1);
    QCOMPARE(table->columns(), 2);
    QTextTable* second = tableOf("a2");
    QVERIFY(second && second != table);
    QCOMPARE(second->rows(), 1);
    QCOMPARE(second->columns(), 3);
    const auto cellText = [&](QTextTable* t, int row, int column) {
        QTextCursor c = t->cellAt(row, column).firstCursorPosition();
        c.setPosition(
            t->cellAt(row, column).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return c.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    };
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("a1"));
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("b\n1"));
    QCOMPARE(cellText(second, 0, 2), QStringLiteral("c2"));
    // Each on its own widths: 1000 twips a cell.
    QCOMPARE(second->format().columnWidthConstraints().value(2).rawValue(), 67.0);
    QCOMPARE(doc->lastBlock().text(), QStringLiteral("after"));
    QVERIFY(!QTextCursor(doc->lastBlock()).currentTable());

    // Text written before \intbl in the same paragraph still belongs to the cell.
    doc = load("{\\rtf1\\trowd\\cellx1000 cell 1\\intbl\\cell cell 2\\intbl\\cell\\row}");
    QTextCursor first(doc.get());
    first.setPosition(doc->toPlainText().indexOf(QLatin1String("cell 1")));
    QVERIFY(first.currentTable());
    QCOMPARE(first.currentTable()->columns(), 2);
    QCOMPARE(first.block().text(), QStringLiteral("cell 1"));
}

void TestRtfWriter::nestedTables()
{
    auto doc = load("{\\rtf1\\pard\\intbl outer\\par"
                    "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell{\\*\\nesttableprops\\trowd"
                    "\\cellx500\\cellx900\\nestrow}{\\nonesttables\\par}"
                    "\\pard\\intbl\\itap1 \\cell right\\cell\\row\\pard end}");
    const QString text = doc->toPlainText();
    for (const char* word : { "outer", "in1", "in2", "right", "end" })
        QVERIFY2(text.contains(QLatin1String(word)), word);
    QVERIFY(!text.contains(QLatin1String("nonesttables")));
    const int inner = text.indexOf(QLatin1String("in1"));
    QTextCursor c(doc.get());
    c.setPosition(inner);
    QTextTable* innerTable = c.currentTable();
    QVERIFY(innerTable);
    QCOMPARE(innerTable->columns(), 2);
    QTextTable* outerTable = qobject_cast<QTextTable*>(innerTable->parentFrame());
    QVERIFY(outerTable);
    QCOMPARE(outerTable->columns(), 2);
    c.setPosition(text.indexOf(QLatin1String("right")));
    QCOMPARE(c.currentTable(), outerTable);
    QCOMPARE(outerTable->cellAt(c).column(), 1);
}

void TestRtfWriter::pictures()
{
    const QByteArray png = TestSupport::imageData("PNG", Qt::green).toHex();
    const QByteArray jpeg = TestSupport::imageData("JPG", Qt::blue).toHex();
    auto doc = load("{\\rtf1 a{\\*\\shppict{\\pict\\pngblip\\picwgoal1500\\pichgoal750 " + png
        + "}}{\\nonshppict{\\pict\\wmetafile8 0102}}b{\\pict\\jpegblip\\picscalex200 " + jpeg
        + "}c{\\pict\\pngblip 00ff}d{\\pict\\emfblip\\picwgoal1440\\pichgoal720 0102}e"
          "{\\pict\\wmetafile8 0102}f}");
    // The broken picture shows as nothing; the good ones as one object character each, and so
    // does a metafile that declares its size (an empty frame); one that declares none is left out.
    QCOMPARE(doc->toPlainText(), QStringLiteral("a\uFFFCb\uFFFCcd\uFFFCef"));
    const QTextImageFormat frame = formatAt(doc.get(), 6).toImageFormat();
    QVERIFY(frame.isValid());
    QCOMPARE(frame.width(), 96.0); // an inch
    QCOMPARE(frame.height(), 48.0);
    QVERIFY(
        !doc->resource(QTextDocument::ImageResource, QUrl(frame.name())).value<QImage>().isNull());
    const QTextImageFormat first = formatAt(doc.get(), 1).toImageFormat();
    QVERIFY(first.isValid());
    QCOMPARE(first.width(), 100.0);
    QCOMPARE(first.height(), 50.0);
    const QImage shown
        = doc->resource(QTextDocument::ImageResource, QUrl(first.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(4, 3));
    QCOMPARE(shown.pixelColor(1, 1), QColor(Qt::green));
    const QTextImageFormat second = formatAt(doc.get(), 3).toImageFormat();
    QVERIFY(second.isValid());
    QCOMPARE(second.width(), 8.0);
}

void TestRtfWriter::charactersNoFaceDrawsStayInTheirFace()
{
    // Control characters are not looked for in every installed face (a line of them took
    // seconds); letters and a character beyond the first plane, a surrogate pair, are.
    auto doc = load("{\\rtf1\\ansi a\\'90\\'90b \\u55357?\\u56489? c}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("a\u0090\u0090b \U0001F4A9 c"));
    const auto merges = [&](int at) {
        return !(formatAt(doc.get(), at).fontStyleStrategy() & QFont::NoFontMerging);
    };
    QVERIFY(merges(0));
    QVERIFY(!merges(1));
    QVERIFY(!merges(2));
    QVERIFY(merges(3));
    QVERIFY(merges(5));
    QVERIFY(merges(6));
}

void TestRtfWriter::picturesDecodedByTheirData()
{
    // PNG data under the label of JPEG, of a metafile, or of none is drawn as the PNG it is; GIF
    // data as the GIF it is.
    const QByteArray png = TestSupport::imageData("PNG", Qt::magenta).toHex();
    auto doc = load("{\\rtf1 a{\\pict\\jpegblip " + png + "}b{\\pict\\emfblip " + png + "}c{\\pict "
        + png + "}d}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("a\uFFFCb\uFFFCc\uFFFCd"));
    for (const int at : { 1, 3, 5 }) {
        const QTextImageFormat image = formatAt(doc.get(), at).toImageFormat();
        const QImage shown
            = doc->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
        QCOMPARE(shown.size(), QSize(4, 3));
        QCOMPARE(shown.pixelColor(1, 1), QColor(Qt::magenta));
    }
    // GIF, which has no word of its own, under the label of PNG: one red pixel.
    const QByteArray gif = QByteArray::fromHex("47494638396101000100800000ff000000000021f904000000"
                                               "00002c00000000010001000002024401003b");
    doc = load("{\\rtf1 a{\\pict\\pngblip " + gif.toHex() + "}b}");
    const QTextImageFormat image = formatAt(doc.get(), 1).toImageFormat();
    const QImage shown
        = doc->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(1, 1));
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::red));
}

void TestRtfWriter::positionContractWithTablesAndPictures()
{
    TestSupport::closeAllWindows();
    const QByteArray png = TestSupport::imageData("PNG", Qt::red).toHex();
    DocumentView view;
    view.showDocument(DocumentWriter::fromRtf("{\\rtf1 intro {\\pict\\pngblip " + png
            + "} alpha\\par"
              "\\trowd\\cellx1000\\cellx2000\\pard\\intbl beta\\cell {\\pict\\pngblip "
            + png
            + "}gamma\\cell\\row\\pard\\intbl\\itap1 x\\cell\\pard\\intbl\\itap2 delta\\nestcell"
              "{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}\\pard\\intbl\\itap1\\cell\\row"
              "\\pard omega\\line end}",
        view.font()));
    view.show();
    const QString text = view.Text();
    QCOMPARE(text.count(QChar(0xFFFC)), 2);
    // What a search does: find the word in Text, select it by position, read the selection.
    for (const char* word : { "intro", "alpha", "beta", "gamma", "delta", "omega", "end" }) {
        const QString w = QLatin1String(word);
        const int at = text.indexOf(w);
        QVERIFY2(at >= 0, word);
        view.setSelStart(at);
        view.setSelLength(int(w.size()));
        QCOMPARE(view.SelStart(), at);
        QCOMPARE(view.SelText(), w);
    }
    // Every character: the document's character at position i is character i of Text.
    for (int i = 0; i < text.size(); ++i) {
        QChar c = view.document()->characterAt(i);
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c.unicode() == 0xFDD0
            || c.unicode() == 0xFDD1)
            c = u'\n';
        QCOMPARE(c, text.at(i));
    }
}

void TestRtfWriter::boundedTables()
{
    // Deep nesting is flattened into the deepest table allowed; no text is lost.
    QByteArray rtf = "{\\rtf1 ";
    for (int level = 1; level <= 12; ++level)
        rtf += "\\pard\\intbl\\itap" + QByteArray::number(level) + " t" + QByteArray::number(level)
            + (level == 1 ? "\\cell " : "\\nestcell ");
    rtf += "\\nestrow\\pard\\intbl\\itap1 \\row\\pard after}";
    auto doc = load(rtf);
    QCOMPARE(deepestTable(doc.get()), 4);
    for (int level = 1; level <= 12; ++level)
        QVERIFY(doc->toPlainText().contains(QStringLiteral("t%1").arg(level)));

    // A row of more cells than a table takes goes on in the next row, in order.
    rtf = "{\\rtf1 ";
    for (int i = 0; i < 70; ++i)
        rtf += "\\intbl c" + QByteArray::number(i) + "\\cell";
    doc = load(rtf + "\\row\\pard after}");
    QList<QTextTable*> tables = topTables(doc.get());
    QCOMPARE(tables.size(), 1);
    QCOMPARE(tables[0]->columns(), 64);
    QCOMPARE(tables[0]->rows(), 2);
    QTextCursor c = tables[0]->cellAt(1, 5).firstCursorPosition();
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QCOMPARE(c.selectedText(), QStringLiteral("c69"));
    QVERIFY(tables[0]->cellAt(1, 6).firstCursorPosition().block().text().isEmpty());

    // A long table is written as several, rows kept whole and in order, no row left empty.
    rtf = "{\\rtf1 ";
    for (int i = 0; i < 5000; ++i)
        rtf += "\\intbl a" + QByteArray::number(i) + "\\cell b\\cell\\row";
    doc = load(rtf + "\\pard after}");
    tables = topTables(doc.get());
    QVERIFY(tables.size() > 1);
    int rows = 0;
    for (QTextTable* t : tables) {
        QCOMPARE(t->columns(), 2);
        QVERIFY(qint64(t->rows()) * t->columns() <= 2000);
        for (int r = 0; r < t->rows(); ++r) {
            QCOMPARE(t->cellAt(r, 0).firstCursorPosition().block().text(),
                QStringLiteral("a%1").arg(rows));
            QCOMPARE(t->cellAt(r, 1).firstCursorPosition().block().text(), QStringLiteral("b"));
            ++rows;
        }
    }
    QCOMPARE(rows, 5000);
    QCOMPARE(doc->lastBlock().text(), QStringLiteral("after"));

    // Past the cells a document may hold, the rest of its tables are text: a tab after each
    // cell, a line for each row.
    rtf = "{\\rtf1 ";
    for (int i = 0; i < 30000; ++i)
        rtf += "\\intbl a" + QByteArray::number(i) + "\\cell b\\cell\\row";
    doc = load(rtf + "\\pard after}");
    const QTextBlock last = doc->lastBlock().previous();
    QCOMPARE(last.text(), QStringLiteral("a29999\tb\t"));
    QVERIFY(!QTextCursor(last).currentTable());
    QVERIFY(doc->toPlainText().contains(QStringLiteral("a0")));
}

void TestRtfWriter::boundedPictures()
{
    // Decoded at the size shown, not the picture's own.
    const QByteArray big = TestSupport::imageData("PNG", Qt::red, QSize(1000, 800)).toHex();
    auto doc = load("{\\rtf1 a{\\pict\\pngblip\\picwgoal1500\\pichgoal1200 " + big + "}b}");
    QTextImageFormat format = formatAt(doc.get(), 1).toImageFormat();
    QCOMPARE(format.width(), 100.0);
    QCOMPARE(format.height(), 80.0);
    QImage shown = doc->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(100, 80));
    QCOMPARE(shown.pixelColor(50, 40), QColor(Qt::red));

    // Past the document's budget, pictures show as empty frames of their size.
    const QByteArray large = TestSupport::imageData("PNG", Qt::blue, QSize(3000, 2000)).toHex();
    doc = load("{\\rtf1 " + QByteArray("{\\pict\\pngblip " + large + "}").repeated(3) + "}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("\uFFFC\uFFFC\uFFFC"));
    qint64 pixels = 0;
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        format = formatAt(doc.get(), i).toImageFormat();
        QCOMPARE(format.width(), 3000.0);
        QCOMPARE(format.height(), 2000.0);
        shown = doc->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
        QVERIFY(!shown.isNull());
        pixels += qint64(shown.width()) * shown.height();
        names.append(format.name());
    }
    QCOMPARE(doc->resource(QTextDocument::ImageResource, QUrl(names[0])).value<QImage>().size(),
        QSize(3000, 2000));
    QCOMPARE(names[1], names[2]); // both frames
    QVERIFY(pixels <= 8 * 1024 * 1024);

    // A picture too large to decode is a frame without being decoded.
    const QByteArray huge = TestSupport::imageData("PNG", Qt::green, QSize(5000, 4000)).toHex();
    doc = load("{\\rtf1{\\pict\\pngblip\\picwgoal150\\pichgoal120 " + huge + "}}");
    format = formatAt(doc.get(), 0).toImageFormat();
    QCOMPARE(format.width(), 10.0);
    shown = doc->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(1, 1));
}

void TestRtfWriter::boundedTablesOfFontsAndColours()
{
    QByteArray colours = "{\\colortbl;";
    for (int i = 1; i <= 1500; ++i)
        colours += "\\red" + QByteArray::number(i % 256) + "\\green1\\blue2;";
    auto doc = load("{\\rtf1" + colours + "}\\cf999 a\\cf1000 b\\cf1001 c}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("abc"));
    QCOMPARE(formatAt(doc.get(), 0).foreground().color(), QColor(999 % 256, 1, 2));
    QVERIFY(!formatAt(doc.get(), 2).hasProperty(QTextFormat::ForegroundBrush));

    QByteArray fonts = "{\\fonttbl";
    for (int i = 0; i < 1200; ++i)
        fonts
            += "{\\f" + QByteArray::number(i) + "\\fcharset204 Face" + QByteArray::number(i) + ";}";
    doc = load("{\\rtf1" + fonts + "}\\f5 \\'c0\\f1100 \\'c0}");
    // Fonts within the table keep their code page; those past it read as the document's.
    QCOMPARE(doc->toPlainText(), QString::fromUtf8("А\u00c0"));
}

void TestRtfWriter::characterFormats()
{
    auto doc = load("{\\rtf1 a{\\b\\i\\ul\\strike\\super b{\\b0 c}d}e\\sub f\\nosupersub g}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("abcdefg"));
    QVERIFY(!formatAt(doc.get(), 0).font().bold());
    const QTextCharFormat b = formatAt(doc.get(), 1);
    QVERIFY(b.font().bold());
    QVERIFY(b.fontItalic());
    QVERIFY(b.fontUnderline());
    QVERIFY(b.fontStrikeOut());
    QCOMPARE(b.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QVERIFY(!formatAt(doc.get(), 2).font().bold());
    QVERIFY(formatAt(doc.get(), 2).fontItalic());
    QVERIFY(formatAt(doc.get(), 3).font().bold());
    const QTextCharFormat e = formatAt(doc.get(), 4);
    QVERIFY(!e.font().bold() && !e.fontItalic() && !e.fontUnderline());
    QCOMPARE(e.verticalAlignment(), QTextCharFormat::AlignNormal);
    QCOMPARE(formatAt(doc.get(), 5).verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(doc.get(), 6).verticalAlignment(), QTextCharFormat::AlignNormal);

    // Font family and size from the font table; \plain goes back to the default font.
    doc = load("{\\rtf1\\deff1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
               "\\f0\\fs36 x\\plain y}");
    // The faces are those the system gives for the names (their substitutes where the faces
    // themselves are not installed).
    const QFont arial = formatAt(doc.get(), 0).font();
    const QFont courier = formatAt(doc.get(), 1).font();
    QVERIFY(arial.families() != courier.families());
    QVERIFY(!QFontInfo(arial).fixedPitch());
    QVERIFY(QFontInfo(courier).fixedPitch());
    QCOMPARE(formatAt(doc.get(), 0).fontPointSize(), 18.0);
    QCOMPARE(formatAt(doc.get(), 1).fontPointSize(), 12.0);
    // Sizes past 300 points are shown at 300: a single character must not outgrow a line.
    doc = load("{\\rtf1\\fs600 a\\fs2200 b}");
    QCOMPARE(formatAt(doc.get(), 0).fontPointSize(), 300.0);
    QCOMPARE(formatAt(doc.get(), 1).fontPointSize(), 300.0);
}

void TestRtfWriter::coloursAndResets()
{
    // The first entry is empty: auto. \cf0 and numbers past the table are auto too.
    auto doc = load("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                    "\\cf1 a\\cf2 b\\cf0 c\\cf9 d\\cf1\\highlight2 e\\plain f}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("abcdef"));
    QCOMPARE(formatAt(doc.get(), 0).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(doc.get(), 1).foreground().color(), QColor(0, 0, 255));
    QVERIFY(!formatAt(doc.get(), 2).hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!formatAt(doc.get(), 3).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatAt(doc.get(), 4).background().color(), QColor(0, 0, 255));
    QVERIFY(!formatAt(doc.get(), 5).hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!formatAt(doc.get(), 5).hasProperty(QTextFormat::BackgroundBrush));

    // A table whose first entry is a colour has no auto entry.
    doc = load("{\\rtf1{\\colortbl\\red0\\green128\\blue0;}\\cf0 a}");
    QVERIFY(!formatAt(doc.get(), 0).hasProperty(QTextFormat::ForegroundBrush));
}

void TestRtfWriter::paragraphFormats()
{
    auto doc = load("{\\rtf1\\qc\\li1440\\ri720\\fi-360\\sb300\\sa150 centred\\par\\pard right"
                    "\\qr\\par\\pard plain}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("centred\nright\nplain"));
    const QTextBlockFormat first = doc->begin().blockFormat();
    QCOMPARE(first.alignment(), Qt::AlignHCenter);
    QCOMPARE(first.leftMargin(), 96.0);
    QCOMPARE(first.rightMargin(), 48.0);
    QCOMPARE(first.textIndent(), -24.0);
    QCOMPARE(first.topMargin(), 20.0);
    QCOMPARE(first.bottomMargin(), 10.0);
    // Paragraph properties given anywhere before \par apply to the whole paragraph.
    QCOMPARE(doc->begin().next().blockFormat().alignment(), Qt::AlignRight);
    QCOMPARE(doc->lastBlock().blockFormat().alignment(), Qt::AlignLeft);
    QCOMPARE(doc->lastBlock().blockFormat().leftMargin(), 0.0);
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
