// Lists and form check boxes in RTF documents: the labels the reader works out from the list
// tables and old-style numbering, where the view places and draws them, and the boxes it draws,
// looked at in the grabbed view. None of them is part of the view's text.
#include "content/recorder.h"
#include "rtf/rtfreader.h"
#include "support/testsupport.h"
#include "view/documentview.h"
#include "view/documentwriter.h"

#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// A list table: list 1 numbers 1. with letters a) below, list 2 is a Symbol bullet, list 3
// right-aligned lower roman; overrides 1 to 3 use them.
const QByteArray listTables
    = "{\\fonttbl{\\f0\\fswiss Arial;}{\\f2\\ftech Symbol;}}"
      "{\\*\\listtable"
      "{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
      "{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc4\\levelstartat1"
      "{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}}\\listid7}"
      "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}{\\levelnumbers;}"
      "\\f2}\\listid8}"
      "{\\list{\\listlevel\\levelnfc2\\leveljc2\\levelstartat1"
      "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid9}}"
      "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}"
      "{\\listoverride\\listid8\\ls2}{\\listoverride\\listid9\\ls3}}";

QByteArray document(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\deff0" + listTables + "\\f0\\fs24 " + body + "}";
}

QStringList labelsOf(const QByteArray& rtf)
{
    Content::Recorder recorder;
    Rtf::read(rtf, &recorder);
    QStringList labels;
    for (const auto& e : recorder.eventsOf(Content::Recorder::Event::Label))
        labels << (e.label.fileLength > 0 ? QStringLiteral("file:%1").arg(e.label.fileLength)
                                          : e.label.text);
    return labels;
}

void show(DocumentView& view, const QByteArray& rtf)
{
    view.resize(600, 400);
    view.showDocument(DocumentWriter::fromRtf(rtf, view.font()));
    view.show();
    QCoreApplication::processEvents();
}

bool isDark(const QImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height()
        && qGray(image.pixel(x, y)) < 160;
}

// The first line of block n, in the view's coordinates: its left edge, top, bottom and where its
// text starts.
struct Line {
    int top, bottom;
    qreal textStart;
};

Line firstLine(DocumentView& view, int n)
{
    const QTextBlock block = view.document()->findBlockByNumber(n);
    const QTextLayout* layout = block.layout();
    const QTextLine line = layout->lineAt(0);
    const QPointF origin = layout->position();
    return { int(origin.y() + line.y()), int(origin.y() + line.y() + line.height()),
        origin.x() + line.cursorToX(0) };
}

// The left and right edges of the ink between x from and to on a line, -1 when there is none.
std::pair<int, int> inkAcross(const QImage& shot, const Line& line, int from, int to)
{
    int left = -1, right = -1;
    for (int x = qMax(0, from); x < to; ++x) {
        for (int y = line.top; y < line.bottom; ++y) {
            if (isDark(shot, x, y)) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
        }
    }
    return { left, right };
}

// The last run of columns with ink between x from and to on a line.
std::pair<int, int> lastInkRun(const QImage& shot, const Line& line, int from, int to)
{
    int left = -1, right = -1;
    for (int x = qMax(0, from); x < to; ++x) {
        const bool ink = inkAcross(shot, line, x, x + 1).first >= 0;
        if (ink && (right < 0 || right < x - 1))
            left = x;
        if (ink)
            right = x;
    }
    return { left, right };
}

} // namespace

class TestRtfLists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void labelsFromTheLists_data();
    void labelsFromTheLists();
    void damagedListsStayBounded();
    void computedLabelsAreDrawnInTheHangingIndent();
    void rightAlignedLabelsEndAtTheIndent();
    void checkBoxesAreDrawn();
};

void TestRtfLists::labelsFromTheLists_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("numbers, letters below, numbering on after them") << QByteArray(
        "\\pard\\ls1 a\\par b\\par\\pard\\ls1\\ilvl1 c\\par d\\par\\pard\\ls1 e\\par"
        "\\pard\\ls1\\ilvl1 f\\par") << QStringList { "1.", "2.", "a)", "b)", "3.", "a)" };
    QTest::newRow("symbol bullet")
        << QByteArray("\\pard\\ls2 a\\par") << QStringList { QStringLiteral("\u2022") };
    QTest::newRow("roman") << QByteArray("\\pard\\ls3 a\\par b\\par c\\par d\\par")
                           << QStringList { "i.", "ii.", "iii.", "iv." };
    QTest::newRow("the file's own label is the file's")
        << QByteArray("{\\listtext 1.\\tab}\\pard\\ls1 a\\par{\\listtext 2.\\tab}b\\par")
        << QStringList { "file:3", "file:3" };
    QTest::newRow("an override the table lacks, and no list")
        << QByteArray("\\pard\\ls9 a\\par\\pard b\\par") << QStringList {};
    QTest::newRow("old-style numbering, continued and bulleted")
        << QByteArray(
               "\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart4{\\pntxta .}}a\\par"
               "\\pard{\\*\\pn\\pnlvlcont}b\\par"
               "\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart4{\\pntxta .}}c\\par"
               "\\pard{\\*\\pn\\pnlvlblt\\pnf2{\\pntxtb \\'b7}}d\\par"
               "\\pard{\\*\\pn\\pnlvlbody\\pnlcltr\\pnstart27{\\pntxtb (}{\\pntxta )}}e\\par")
        << QStringList { "IV.", "", "V.", QStringLiteral("\u2022"), "(aa)" };
}

void TestRtfLists::labelsFromTheLists()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, labels);
    QCOMPARE(labelsOf(document(body)), labels);
}

void TestRtfLists::damagedListsStayBounded()
{
    // A length past the text, level numbers that point past it or at no level's number, a start
    // no count reaches and a level the list does not have.
    const QByteArray rtf = "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelstartat2147483647"
                           "{\\leveltext\\'ff\\'00.\\'0c;}{\\levelnumbers\\'01\\'03\\'7f;}}"
                           "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                           "\\ls1\\ilvl40 a\\par b\\par}";
    QCOMPARE(labelsOf(rtf), (QStringList { "1073741824.;", "1073741824.;" }));
}

void TestRtfLists::computedLabelsAreDrawnInTheHangingIndent()
{
    DocumentView view;
    show(view,
        document("\\pard\\fi-360\\li720\\ls1 One\\par\\pard\\fi-360\\li1440\\ls1\\ilvl1 Sub\\par"
                 "\\pard\\fi-360\\li720\\ls2 Bullet\\par\\pard\\li720 Plain\\par"
                 "\\pard{\\*\\pn\\pnlvlblt\\pnf2\\pnindent1080{\\pntxtb \\'b7}}Old\\par"));
    // Nothing is added to the text.
    QCOMPARE(view.Text(), QStringLiteral("One\nSub\nBullet\nPlain\nOld\n"));
    const QImage shot = view.viewport()->grab().toImage();
    // Each item's text starts at its hanging indent, the label's ink stands between the first
    // line's indent and the text; the paragraph in no list has none there.
    const qreal margin = firstLine(view, 3).textStart - 48;
    const int indents[] = { 48, 96, 48 };
    for (int n = 0; n < 3; ++n) {
        const Line line = firstLine(view, n);
        QVERIFY2(qAbs(line.textStart - (margin + indents[n])) < 1, qPrintable(QString::number(n)));
        const auto [left, right]
            = inkAcross(shot, line, int(margin + indents[n] - 24) - 2, int(line.textStart) - 1);
        QVERIFY2(
            left >= margin + indents[n] - 24 - 1 && right > left, qPrintable(QString::number(n)));
    }
    const Line plain = firstLine(view, 3);
    QCOMPARE(inkAcross(shot, plain, int(plain.textStart) - 30, int(plain.textStart) - 1).first, -1);
    // An old-style bullet at the margin, its text where the numbering's indent says.
    const Line old = firstLine(view, 4);
    QVERIFY2(qAbs(old.textStart - (margin + 72)) < 1, qPrintable(QString::number(old.textStart)));
    QVERIFY(inkAcross(shot, old, int(margin), int(margin) + 12).first >= 0);
    // The empty block after the last item's paragraph mark ends no paragraph: no label.
    const Line after = firstLine(view, 5);
    QCOMPARE(inkAcross(shot, after, 0, int(margin) + 100).first, -1);
}

void TestRtfLists::rightAlignedLabelsEndAtTheIndent()
{
    // Labels the file carries, and labels worked out: either way "ii." and "iii." end where
    // "i." does, at the first line's indent, and the text after them starts at the hanging one.
    const QByteArray fileLabels = "{\\listtext i.\\tab}\\pard\\fi-360\\li1440\\ls3 a\\par"
                                  "{\\listtext ii.\\tab}b\\par{\\listtext iii.\\tab}c\\par";
    const QByteArray computed = "\\pard\\fi-360\\li1440\\ls3 a\\par b\\par c\\par";
    for (const bool file : { true, false }) {
        const QByteArray& body = file ? fileLabels : computed;
        DocumentView view;
        show(view, document(body + "\\pard Left\\par"));
        const QImage shot = view.viewport()->grab().toImage();
        const qreal margin = firstLine(view, 3).textStart;
        std::vector<int> ends;
        for (int n = 0; n < 3; ++n) {
            const Line line = firstLine(view, n);
            // The text proper: after the tab where the file has the label.
            const QTextBlock block = view.document()->findBlockByNumber(n);
            const qreal text = file ? block.layout()->position().x()
                    + block.layout()->lineAt(0).cursorToX(block.text().indexOf(u'\t') + 1)
                                    : line.textStart;
            QVERIFY2(qAbs(text - (margin + 96)) < 1, qPrintable(QString::number(text)));
            ends.push_back(inkAcross(shot, line, int(margin), int(margin + 80)).second);
        }
        QVERIFY2(qAbs(ends[0] - (margin + 72)) <= 2, qPrintable(QString::number(ends[0])));
        QVERIFY2(qAbs(ends[1] - ends[0]) <= 1 && qAbs(ends[2] - ends[0]) <= 1,
            qPrintable(QStringLiteral("%1 %2 %3").arg(ends[0]).arg(ends[1]).arg(ends[2])));
    }
}

void TestRtfLists::checkBoxesAreDrawn()
{
    const auto box = [](int checked) {
        return QByteArray("{\\field{\\*\\fldinst {FORMCHECKBOX {\\*\\formfield{\\fftype1\\ffres25"
                          "{\\*\\ffname C}\\ffdefres")
            + QByteArray::number(checked) + "}}}}{\\fldrslt }}";
    };
    DocumentView view;
    show(view, document(box(1) + " Yes\\par" + box(0) + " No\\par Agree:" + box(1) + "\\par"));
    QCOMPARE(view.Text(), QStringLiteral(" Yes\n No\nAgree:\n"));
    const QImage shot = view.viewport()->grab().toImage();
    // A square in front of the first two lines, crossed when checked; after "Agree:" a third.
    // 1 for a crossed square, 0 for an empty one, -1 for none.
    const auto square = [&](int n, qreal from, qreal to) {
        const Line line = firstLine(view, n);
        const auto [left, right] = lastInkRun(shot, line, int(from), int(to));
        if (left < 0 || right - left < 5)
            return -1;
        int side = 0;
        for (int y = line.top; y < line.bottom; ++y)
            side += isDark(shot, left, y);
        if (side < right - left - 1)
            return -1;
        const int middle = (left + right) / 2;
        int centre = 0;
        for (int y = line.top; y < line.bottom; ++y)
            centre += isDark(shot, middle, y) || isDark(shot, middle + 1, y);
        return centre > 2 ? 1 : 0; // the top and bottom sides, and the cross
    };
    const qreal margin = firstLine(view, 2).textStart;
    QCOMPARE(square(0, margin, firstLine(view, 0).textStart), 1);
    QCOMPARE(square(1, margin, firstLine(view, 1).textStart), 0);
    const QTextBlock agree = view.document()->findBlockByNumber(2);
    const QTextLine line = agree.layout()->lineAt(0);
    const qreal x = agree.layout()->position().x();
    QCOMPARE(square(2, x + line.cursorToX(5), x + line.cursorToX(6) + 1), 1);
}

QTEST_MAIN(TestRtfLists)
#include "tst_rtflists.moc"
