// The RTF reader, through the events it hands on: groups, destinations, code pages, Unicode,
// special characters, formatting, the tables of fonts and colours, rows, pictures, notes and
// input meant to break it.
#include "content/recorder.h"
#include "rtf/rtfnotes.h"
#include "rtf/rtfreader.h"
#include "support/testsupport.h"

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

using Content::CharProps;
using Content::ColorEntry;
using Content::ParagraphEnd;
using Content::ParaProps;
using Event = Content::Recorder::Event;

Content::Recorder read(const QByteArray& rtf)
{
    Content::Recorder recorder;
    Rtf::read(rtf, &recorder);
    return recorder;
}

QString textOf(const QByteArray& rtf) { return read(rtf).plainText(); }

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detectsRtf();
    void groupsRestoreFormatting();
    void resetsAndColours();
    void paragraphFormatting();
    void fontTable();
    void rowDefinitions();
    void pictures();
    void noteMarks();
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
};

void TestRtfReader::detectsRtf()
{
    QVERIFY(Rtf::looksLikeRtf("{\\rtf1\\ansi hello}"));
    QVERIFY(!Rtf::looksLikeRtf("rtf1 {\\rtf"));
    QVERIFY(!Rtf::looksLikeRtf("{\\rt"));
}

void TestRtfReader::groupsRestoreFormatting()
{
    Content::Recorder r
        = read("{\\rtf1 a{\\b\\i\\ul\\strike\\super b{\\b0 c}d}e\\sub f\\nosupersub g}");
    QCOMPARE(r.plainText(), QStringLiteral("abcdefg"));
    QVERIFY(!r.charsAt(0).bold);
    const CharProps b = r.charsAt(1);
    QVERIFY(b.bold && b.italic && b.strike);
    QCOMPARE(b.underline, CharProps::Single);
    QCOMPARE(b.vertical, CharProps::Super);
    QVERIFY(!r.charsAt(2).bold);
    QVERIFY(r.charsAt(2).italic);
    QVERIFY(r.charsAt(3).bold);
    QCOMPARE(r.charsAt(4), CharProps());
    QCOMPARE(r.charsAt(5).vertical, CharProps::Sub);
    QCOMPARE(r.charsAt(6).vertical, CharProps::Baseline);

    // Fonts and sizes as numbers; \plain goes back to the default font.
    r = read("{\\rtf1\\deff1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
             "\\f0\\fs36 x\\plain y}");
    QCOMPARE(r.charsAt(0).font, 0);
    QCOMPARE(r.charsAt(0).halfPoints, 36);
    QCOMPARE(r.charsAt(1).font, 1);
    QCOMPARE(r.charsAt(1).halfPoints, 24);
    // The file's sizes are handed on as they are, whatever the view then shows.
    r = read("{\\rtf1\\fs600 a\\fs2200 b\\fs0 c}");
    QCOMPARE(r.charsAt(0).halfPoints, 600);
    QCOMPARE(r.charsAt(1).halfPoints, 2200);
    QCOMPARE(r.charsAt(2).halfPoints, 1);
}

void TestRtfReader::resetsAndColours()
{
    // The first entry is empty: auto. The table comes before the text that uses it.
    Content::Recorder r
        = read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
               "\\cf1 a\\cf2 b\\cf0 c\\cf1\\highlight2 e\\plain f}");
    QCOMPARE(r.events().front().kind, Event::Colors);
    const std::vector<ColorEntry> colors = r.events().front().colors;
    QCOMPARE(colors.size(), size_t(3));
    QVERIFY(colors[0].automatic);
    QCOMPARE(colors[1], (ColorEntry { false, 255, 0, 0 }));
    QCOMPARE(colors[2], (ColorEntry { false, 0, 0, 255 }));
    QCOMPARE(r.charsAt(0).color, 1);
    QCOMPARE(r.charsAt(1).color, 2);
    QCOMPARE(r.charsAt(2).color, 0);
    QCOMPARE(r.charsAt(3).highlight, 2);
    QCOMPARE(r.charsAt(4), CharProps());

    // A table whose first entry is a colour has no auto entry; the last may lack its ';'.
    r = read("{\\rtf1{\\colortbl\\red0\\green128\\blue0;\\red1}\\cf0 a}");
    QCOMPARE(r.eventsOf(Event::Colors).front().colors,
        (std::vector<ColorEntry> { { false, 0, 128, 0 }, { false, 1, 0, 0 } }));
}

void TestRtfReader::paragraphFormatting()
{
    Content::Recorder r = read("{\\rtf1\\qc\\li1440\\ri720\\fi-360\\sb300\\sa150 centred\\par"
                               "\\pard right\\qr\\par\\pard\\tqr\\tx2000\\tx3000 plain}");
    QCOMPARE(r.plainText(), QStringLiteral("centred\nright\nplain"));
    const std::vector<Event> ends = r.eventsOf(Event::End);
    QCOMPARE(ends.size(), size_t(3));
    const ParaProps& first = ends[0].para;
    QCOMPARE(first.align, ParaProps::Center);
    QCOMPARE(first.leftIndent, 1440);
    QCOMPARE(first.rightIndent, 720);
    QCOMPARE(first.firstIndent, -360);
    QCOMPARE(first.spaceBefore, 300);
    QCOMPARE(first.spaceAfter, 150);
    // Paragraph properties given anywhere before \par apply to the whole paragraph.
    QCOMPARE(ends[1].para.align, ParaProps::Right);
    QCOMPARE(ends[1].para.leftIndent, 0);
    QCOMPARE(ends[2].end, ParagraphEnd::Document);
    QCOMPARE(ends[2].para.tabCount, 2);
    QCOMPARE(ends[2].para.tabKinds[0], ParaProps::RightTab);
    QCOMPARE(ends[2].para.tabPositions[1], 3000);
    QCOMPARE(ends[2].para.tabKinds[1], ParaProps::LeftTab);
}

void TestRtfReader::fontTable()
{
    // Entries are handed on when the table ends, before the text; names in their code page.
    Content::Recorder r = read(
        "{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\froman\\fprq2 Times New Roman{\\*\\falt Times};}"
        "{\\f1\\fswiss\\fcharset204 \\'c0rial;}{\\f2\\fnil\\fcharset2 Symbol;}"
        "\\f3\\fmodern Courier}\\f1 x}");
    std::vector<Event> fonts = r.eventsOf(Event::Font);
    QCOMPARE(fonts.size(), size_t(4));
    QCOMPARE(r.events()[4].kind, Event::Text);
    const Content::FontEntry& times = fonts[0].fontEntry;
    QCOMPARE(times.name, QStringLiteral("Times New Roman"));
    QCOMPARE(times.altName, QStringLiteral("Times"));
    QCOMPARE(times.family, Content::FontFamily::Roman);
    QCOMPARE(times.pitch, 2);
    QCOMPARE(fonts[1].fontEntry.name, QString::fromUtf8("Аrial"));
    QCOMPARE(fonts[1].fontEntry.codePage, 1251);
    QCOMPARE(fonts[2].fontEntry.symbolFace, Content::SymbolFace::Symbol);
    // An entry without its ';' or its own group still has its name.
    QCOMPARE(fonts[3].number, 3);
    QCOMPARE(fonts[3].fontEntry.name, QStringLiteral("Courier"));
    QCOMPARE(fonts[3].fontEntry.family, Content::FontFamily::Modern);

    // A second table hands on only what it defines.
    r = read("{\\rtf1{\\fonttbl{\\f0 A;}{\\f1 B;}}a{\\fonttbl{\\f1 C;}}b}");
    fonts = r.eventsOf(Event::Font);
    QCOMPARE(fonts.size(), size_t(3));
    QCOMPARE(fonts[2].number, 1);
    QCOMPARE(fonts[2].fontEntry.name, QStringLiteral("C"));
}

void TestRtfReader::rowDefinitions()
{
    const Content::Recorder r
        = read("{\\rtf1\\trowd\\trleft-108\\trgaph72\\trbrdrt\\brdrs\\brdrw10 "
               "\\clvmgf\\clvertalc\\clbrdrb\\brdrdb\\brdrw15\\brdrcf2\\cellx1000"
               "\\clmgf\\brdrt\\brdrth\\cellx2000\\clmrg\\cellx3000"
               "\\pard\\intbl a\\cell b\\cell\\cell\\row}");
    // The definition comes as soon as the row's first cell ends, and again with the row's end.
    const std::vector<Event> rows = r.eventsOf(Event::Row);
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(r.events()[1].kind, Event::Row);
    QVERIFY(rows[0].row.looksLike(rows[1].row));
    const Content::RowDef& row = rows[0].row;
    QCOMPARE(row.rowLeft, -108);
    QCOMPARE(row.gap, 72);
    QCOMPARE(row.top.style, Content::Border::Single);
    QCOMPARE(row.top.width, 10);
    QCOMPARE(row.cells.size(), size_t(3));
    const Content::CellDef& first = row.cells[0];
    QCOMPARE(first.rightEdge, 1000);
    QVERIFY(first.verticalFirst);
    QCOMPARE(first.alignment, Content::CellDef::Middle);
    QCOMPARE(first.bottom.style, Content::Border::Double);
    QCOMPARE(first.bottom.width, 15);
    QCOMPARE(first.bottom.color, 2);
    // A paragraph border word takes the border words after it away from the cell.
    QVERIFY(row.cells[1].mergeFirst);
    QVERIFY(!row.cells[1].top.declared);
    QVERIFY(row.cells[2].merged);
    // The definition comes before the end of its row, the cells' ends before that.
    const std::vector<Event> ends = r.eventsOf(Event::End);
    QCOMPARE(ends[2].end, ParagraphEnd::Cell);
    QCOMPARE(ends[3].end, ParagraphEnd::Row);
    QCOMPARE(r.events()[r.events().size() - 3].kind, Event::Row);
}

void TestRtfReader::pictures()
{
    // The data and every size as the file gives them, whatever the kind.
    const Content::Recorder r
        = read("{\\rtf1{\\pict\\emfblip\\picw100\\pich50\\picwgoal1440\\pichgoal720"
               "\\picscalex50\\picscaley200 01 02\\'41ff}{\\pict\\pngblip 0}x}");
    const std::vector<Event> pictures = r.eventsOf(Event::Picture);
    QCOMPARE(pictures.size(), size_t(2));
    const Content::Picture& emf = pictures[0].picture;
    QCOMPARE(emf.kind, Content::Picture::Metafile);
    QCOMPARE(emf.data, QByteArray::fromHex("0102ff"));
    QCOMPARE(emf.width, 100);
    QCOMPARE(emf.height, 50);
    QCOMPARE(emf.widthGoal, 1440);
    QCOMPARE(emf.heightGoal, 720);
    QCOMPARE(emf.scaleX, 50);
    QCOMPARE(emf.scaleY, 200);
    QCOMPARE(pictures[1].picture.kind, Content::Picture::Png);
    QVERIFY(pictures[1].picture.data.isEmpty()); // half a byte is none

    // A shape's picture: its fill ("pib") when it has no result, once when it has one too;
    // its other properties are no text.
    const QByteArray shape = "{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 75}}"
                             "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip 0102}}}}";
    Content::Recorder alone = read("{\\rtf1 a" + shape + "}b}");
    QCOMPARE(alone.plainText(), QStringLiteral("a\uFFFCb"));
    QCOMPARE(alone.eventsOf(Event::Picture).front().picture.data, QByteArray("\x01\x02"));
    Content::Recorder twice
        = read("{\\rtf1 a" + shape + "{\\shprslt{\\pict\\pngblip 0304}}}b{\\shprslt shown}}");
    QCOMPARE(twice.plainText(), QStringLiteral("a\uFFFCbshown"));
}

void TestRtfReader::noteMarks()
{
    // Each kind numbered on its own, in its style; the notes themselves are not text.
    QCOMPARE(textOf("{\\rtf1\\ftnnalc\\aftnnrlc\\aftnstart4 a{\\chftn}{\\footnote{\\chftn} n}"
                    "b{\\chftn}{\\footnote\\ftnalt{\\chftn} e}c{\\chftn}{\\footnote x}}"),
        QStringLiteral("aabivcb"));
    QCOMPARE(textOf("{\\rtf1\\fet1 {\\chftn}{\\footnote x}}"), QStringLiteral("i"));
    QCOMPARE(Rtf::noteNumber(6, '*'), QString::fromUtf8("††"));
    QCOMPARE(Rtf::noteNumber(28, 'A'), QStringLiteral("BB"));
    // However many notes, a mark stays short.
    QCOMPARE(Rtf::noteNumber(104, 'a'), QStringLiteral("zzzz"));
    QCOMPARE(Rtf::noteNumber(105, 'a'), QStringLiteral("105"));
    QCOMPARE(Rtf::noteNumber(16, '*'), QString::fromUtf8("§§§§"));
    QCOMPARE(Rtf::noteNumber(1000, '*'), QStringLiteral("1000"));
    QCOMPARE(Rtf::noteNumber(3999, 'I'), QStringLiteral("MMMCMXCIX"));
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
    // A picture is handed on whatever its kind; the view decides what it can show.
    QTest::newRow("metafile handed on")
        << QByteArray("{\\rtf1 a{\\pict\\wmetafile8 0102ff}b}") << "a\uFFFCb";
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
                            << "a\u2028b\tc\nd\ne\nf\ng";
    QTest::newRow("escapes") << QByteArray("{\\rtf1 \\{\\}\\\\}") << "{}\\";
    QTest::newRow("spaces and hyphens")
        << QByteArray("{\\rtf1 a\\~b\\_c\\-d}") << QString::fromUtf8("a\u00a0b\u2011c\u00add");
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
    const QByteArray png = TestSupport::imageData("PNG", Qt::red);
    const Content::Recorder r = read(
        "{\\rtf1 a{\\pict\\pngblip\\bin" + QByteArray::number(png.size()) + " " + png + "}b}");
    QCOMPARE(r.plainText(), QStringLiteral("a\uFFFCb"));
    QCOMPARE(r.eventsOf(Event::Picture).front().picture.data, png);
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
    // Ends of rows are handed on as they come; the view makes nothing of those with no table.
    QTest::newRow("row without table") << QByteArray("{\\rtf1\\row\\row\\nestrow x}") << "\n\n\nx";
}

void TestRtfReader::hostileInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
