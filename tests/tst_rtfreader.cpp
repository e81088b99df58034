// The RTF reader: groups, destinations, code pages, Unicode, special characters, formatting,
// tables, pictures and input meant to break it.
#include "rtf/rtfreader.h"
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
#include <QTextTable>
#include <memory>

namespace {

std::unique_ptr<QTextDocument> load(const QByteArray& rtf)
{
    return DocumentWriter::fromRtf(rtf, TerminalFont::font());
}

QString textOf(const QByteArray& rtf) { return load(rtf)->toPlainText(); }

// The character format of the character at a position.
QTextCharFormat formatAt(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

QByteArray imageData(const char* format, QColor color, QSize size = QSize(4, 3))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detectsRtf();
    void groupsRestoreFormatting();
    void resetsAndColours();
    void paragraphFormatting();
    void destinations_data();
    void destinations();
    void codePages_data();
    void codePages();
    void unicode_data();
    void unicode();
    void specialCharacters_data();
    void specialCharacters();
    void binaryData();
    void hostileInput_data();
    void hostileInput();
    void tables();
    void nestedTables();
    void pictures();
    void positionContractWithTablesAndPictures();
    void boundedTables();
    void boundedPictures();
    void boundedTablesOfFontsAndColours();
};

void TestRtfReader::detectsRtf()
{
    QVERIFY(Rtf::looksLikeRtf("{\\rtf1\\ansi hello}"));
    QVERIFY(!Rtf::looksLikeRtf("rtf1 {\\rtf"));
    QVERIFY(!Rtf::looksLikeRtf("{\\rt"));
}

void TestRtfReader::groupsRestoreFormatting()
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

void TestRtfReader::resetsAndColours()
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

void TestRtfReader::paragraphFormatting()
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

void TestRtfReader::destinations_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("tables and stylesheet")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}body}")
        << "body";
    QTest::newRow("ignorable unknown") << QByteArray("{\\rtf1 a{\\*\\unknown b{c}d}e}") << "ae";
    QTest::newRow("star inside a group means nothing")
        << QByteArray("{\\rtf1{\\i\\*\\cs7 kept}}") << "kept";
    QTest::newRow("header footer footnote") << QByteArray(
        "{\\rtf1{\\header H}{\\footerl F}x{\\super\\chftn}{\\footnote\\pard{\\chftn} "
        "N}y}") << "x1y";
    QTest::newRow("field result, not instruction")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"http://a\"}}{\\fldrslt{link}}}}")
        << "link";
    QTest::newRow("field instruction without star")
        << QByteArray("{\\rtf1{\\field{\\fldinst PAGE}{\\fldrslt 3}}}") << "3";
    QTest::newRow("object result") << QByteArray(
        "{\\rtf1{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}"
        "{\\result shown}}}") << "shown";
    QTest::newRow("list text once") << QByteArray(
        "{\\rtf1{\\listtext 1.\\tab}one\\par{\\pntext 2.\\tab}{\\listtext 2.\\tab}two}")
                                    << "1.\tone\n2.\ttwo";
    QTest::newRow("old list text alone")
        << QByteArray("{\\rtf1{\\pntext a)\\tab}one{\\*\\pn\\pnlvlbody{\\pntxta )}}}") << "a)\tone";
    QTest::newRow("metafile not shown")
        << QByteArray("{\\rtf1 a{\\pict\\wmetafile8 0102ff}b}") << "ab";
    QTest::newRow("nonshppict copy skipped")
        << QByteArray("{\\rtf1 a{\\nonshppict{\\pict\\wmetafile8 01}}b}") << "ab";
    QTest::newRow("after the closing brace") << QByteArray("{\\rtf1 a}b{c}") << "a";
    QTest::newRow("stray closing brace") << QByteArray("}{\\rtf1 a}") << "a";
}

void TestRtfReader::destinations()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

void TestRtfReader::codePages_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("ansicpg 1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}")
                                  << QString::fromUtf8("При");
    QTest::newRow("ansicpg default 1252")
        << QByteArray("{\\rtf1\\ansi \\'e9\\'80}") << QString::fromUtf8("é€");
    QTest::newRow("font charset over ansicpg") << QByteArray(
        "{\\rtf1\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset238 B;}{\\f2\\fcharset161 "
        "C;}}\\f1\\'b9\\f2\\'e1\\f0\\'e9}") << QString::fromUtf8("ąαé");
    QTest::newRow("cpg names the code page")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\cpg1251\\fcharset0 A;}}\\f0\\'c0}")
        << QString::fromUtf8("А");
    QTest::newRow("mac roman") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset77 A;}}\\f0\\'8e}")
                               << QString::fromUtf8("é");
    QTest::newRow("oem 437 box") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f0\\fcharset255 Terminal;}}\\f0\\'c9\\'cd\\'bb\\'01}")
                                 << QString::fromUtf8("╔═╗☺");
    QTest::newRow("symbol font") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f0\\fcharset2 Symbol;}}\\f0\\'b7}")
                                 << QString(QChar(0x2022));
    QTest::newRow("shift-jis pairs")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0\\'93\\'fa\\'96\\'7b}")
        << QString::fromUtf8("日本");
    QTest::newRow("shift-jis raw trail byte")
        << QByteArray("{\\rtf1\\ansicpg932 \\'81f\\'82\\'a0}") << QString::fromUtf8("’あ");
    QTest::newRow("shift-jis trail backslash and brace")
        << QByteArray("{\\rtf1\\ansicpg932 \\'95\\ \\'83{x}") << QString::fromUtf8("表 ボx");
    QTest::newRow("gbk") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0\\'d6\\'d0}")
                         << QString::fromUtf8("中");
    QTest::newRow("big5") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset136 M;}}\\f0\\'a4\\'a4}")
                          << QString::fromUtf8("中");
    QTest::newRow("korean") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset129 G;}}\\f0\\'c7\\'d1}")
                            << QString::fromUtf8("한");
    QTest::newRow("font switch mid run") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f0\\fcharset204 A;}{\\f1\\fcharset0 B;}}\\f0\\'c0\\f1\\'c0}")
                                         << QString::fromUtf8("АÀ");
}

void TestRtfReader::codePages()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

void TestRtfReader::unicode_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("fallback skipped") << QByteArray("{\\rtf1\\u233?x}") << "\u00e9x";
    QTest::newRow("negative") << QByteArray("{\\rtf1\\uc0\\u-3913}") << QString(QChar(0xF0B7));
    QTest::newRow("surrogate pair")
        << QByteArray("{\\rtf1\\uc1\\u-10179?\\u-9047?}") << QString::fromUtf8("💩");
    QTest::newRow("lone surrogates")
        << QByteArray("{\\rtf1\\uc0\\u-10240 a\\u-9216 b}") << QString::fromUtf8("\uFFFDa\uFFFDb");
    QTest::newRow("hex counts one") << QByteArray("{\\rtf1\\uc2\\u26085\\'93\\'faz}") << "\u65e5z";
    QTest::newRow("control word counts one")
        << QByteArray("{\\rtf1\\uc1\\u233\\bullet x}") << "\u00e9x";
    QTest::newRow("brace ends skip") << QByteArray("{\\rtf1\\uc3\\u233{a}b}") << "\u00e9ab";
    QTest::newRow("uc scoped to group")
        << QByteArray("{\\rtf1{\\uc2\\u233xx}\\u233yz}") << "\u00e9\u00e9z";
    QTest::newRow("uc0") << QByteArray("{\\rtf1\\uc0\\u233 x}") << "\u00e9x";
    QTest::newRow("text run partly fallback")
        << QByteArray("{\\rtf1\\uc2\\u233abcd}") << "\u00e9cd";
}

void TestRtfReader::unicode()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

void TestRtfReader::specialCharacters_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("breaks") << QByteArray(
        "{\\rtf1 a\\line b\\tab c\\par d\\page e\\sect f\\column g}")
                            << "a\nb\tc\nd\ne\nf\ng";
    QTest::newRow("escapes") << QByteArray("{\\rtf1 \\{\\}\\\\}") << "{}\\";
    // toPlainText shows the no-break space as a space; the hyphens stay themselves.
    QTest::newRow("spaces and hyphens")
        << QByteArray("{\\rtf1 a\\~b\\_c\\-d}") << QString::fromUtf8("a b\u2011c\u00add");
    QTest::newRow("named") << QByteArray(
        "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote"
        "\\rdblquote}") << QString::fromUtf8("—–•‘’“”");
    // Only one space belongs to a control word; other characters end it and are text.
    QTest::newRow("delimiter") << QByteArray("{\\rtf1\\bullet  x\\tab-y\\b1z}") << "\u2022 x\t-yz";
    QTest::newRow("line breaks in the file") << QByteArray("{\\rtf1 a\r\nb\\\nc}") << "ab\nc";
}

void TestRtfReader::specialCharacters()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

void TestRtfReader::binaryData()
{
    // Braces and backslashes inside \bin data are data.
    QCOMPARE(textOf("{\\rtf1 a{\\*\\blob\\bin5 }}{\\\\}b}"), QStringLiteral("ab"));
    QCOMPARE(textOf("{\\rtf1 a\\bin3 {{{b}"), QStringLiteral("ab"));
    // A \bin longer than the file ends it without harm.
    QCOMPARE(textOf("{\\rtf1 a\\bin2000000000 b}"), QStringLiteral("a"));
    // A picture's \bin data is its bytes.
    const QByteArray png = imageData("PNG", Qt::red);
    auto doc = load(
        "{\\rtf1 a{\\pict\\pngblip\\bin" + QByteArray::number(png.size()) + " " + png + "}b}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("a\uFFFCb"));
}

void TestRtfReader::hostileInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    const int deep = 1000000;
    QTest::newRow("nesting a million deep")
        << "{\\rtf1 " + QByteArray(deep, '{') + "\\b deep" + QByteArray(deep, '}') + " after}"
        << "deep after";
    QTest::newRow("all open braces") << QByteArray(1000000, '{') << "";
    QTest::newRow("unclosed deep text") << "{\\rtf1 " + QByteArray(5000, '{') + "x"
                                        << "x";
    QTest::newRow("huge bin") << QByteArray("{\\rtf1 a\\bin99999999999999 bcd}") << "a";
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab";
    QTest::newRow("parameter 2^40") << QByteArray("{\\rtf1\\fs1099511627776\\uc1099511627776 "
                                                  "\\li-1099511627776 x\\u1099511627776 y}")
                                    << QStringLiteral("xy");
    QTest::newRow("1000-letter word") << "{\\rtf1 a\\" + QByteArray(1000, 'b') + " c}"
                                      << "ac";
    // An escape needs both its digits; a damaged one is dropped with the digit it has, and the
    // text goes on after it.
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 a\\'4") << "a";
    QTest::newRow("hex without digits") << QByteArray("{\\rtf1 a\\'zz}") << "azz";
    QTest::newRow("hex with one digit") << QByteArray("{\\rtf1 a\\'zzb\\'4zc}") << "azzbzc";
    QTest::newRow("hex escapes without digits in a row")
        << "{\\rtf1 a" + QByteArray(300000, '\\').replace("\\", "\\'") + "-b}"
        << "a-b";
    // A Unicode escape whose number no 16-bit writer gives: its fallback text is shown.
    QTest::newRow("unicode out of range")
        << QByteArray("{\\rtf1\\uc1\\u70000?x\\u-40000 y\\u65 z}") << "?xyA";
    QTest::newRow("lone backslash at end") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("truncated in font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << "";
    QTest::newRow("lone lead byte")
        << QByteArray("{\\rtf1\\ansicpg932 a\\'96\\tab b\\'81") << QString::fromUtf8("a–\tb\u0081");
    QTest::newRow("huge colour index")
        << QByteArray("{\\rtf1\\cf2147483647\\highlight-5 x}") << "x";
    QTest::newRow("row without table") << QByteArray("{\\rtf1\\row\\row\\nestrow x}") << "x";
}

void TestRtfReader::hostileInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

void TestRtfReader::tables()
{
    auto doc = load(
        "{\\rtf1 before\\par\\trowd\\cellx1000\\cellx2000"
        "\\pard\\intbl a1\\cell b\\par 1\\cell\\row"
        "\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl a2\\cell b2\\cell c2\\cell\\row"
        "\\pard after}");
    QTextCursor cursor(doc.get());
    cursor.setPosition(doc->toPlainText().indexOf(QLatin1String("a1")));
    QTextTable* table = cursor.currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 3);
    const auto cellText = [&](int row, int column) {
        QTextCursor c = table->cellAt(row, column).firstCursorPosition();
        c.setPosition(
            table->cellAt(row, column).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return c.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    };
    QCOMPARE(cellText(0, 0), QStringLiteral("a1"));
    QCOMPARE(cellText(0, 1), QStringLiteral("b\n1"));
    QCOMPARE(cellText(0, 2), QString());
    QCOMPARE(cellText(1, 2), QStringLiteral("c2"));
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

void TestRtfReader::nestedTables()
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

void TestRtfReader::pictures()
{
    const QByteArray png = imageData("PNG", Qt::green).toHex();
    const QByteArray jpeg = imageData("JPG", Qt::blue).toHex();
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

void TestRtfReader::positionContractWithTablesAndPictures()
{
    TestSupport::closeAllWindows();
    const QByteArray png = imageData("PNG", Qt::red).toHex();
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

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"

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
}

void TestRtfReader::boundedTables()
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

void TestRtfReader::boundedPictures()
{
    // Decoded at the size shown, not the picture's own.
    const QByteArray big = imageData("PNG", Qt::red, QSize(1000, 800)).toHex();
    auto doc = load("{\\rtf1 a{\\pict\\pngblip\\picwgoal1500\\pichgoal1200 " + big + "}b}");
    QTextImageFormat format = formatAt(doc.get(), 1).toImageFormat();
    QCOMPARE(format.width(), 100.0);
    QCOMPARE(format.height(), 80.0);
    QImage shown = doc->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(100, 80));
    QCOMPARE(shown.pixelColor(50, 40), QColor(Qt::red));

    // Past the document's budget, pictures show as empty frames of their size.
    const QByteArray large = imageData("PNG", Qt::blue, QSize(3000, 2000)).toHex();
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
    const QByteArray huge = imageData("PNG", Qt::green, QSize(5000, 4000)).toHex();
    doc = load("{\\rtf1{\\pict\\pngblip\\picwgoal150\\pichgoal120 " + huge + "}}");
    format = formatAt(doc.get(), 0).toImageFormat();
    QCOMPARE(format.width(), 10.0);
    shown = doc->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(1, 1));
}

void TestRtfReader::boundedTablesOfFontsAndColours()
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
