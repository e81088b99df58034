// Windows metafiles in RTF documents: WMF and EMF drawn at the size the document declares by the
// decoder program, and what a decoder that crashes, hangs or writes too much leaves (the empty
// frame of that size, no process behind); the budget of decoders per document.
#include "support/testsupport.h"
#include "view/documentwriter.h"
#include "view/layoutbudget.h"
#include "view/metafiledecoder.h"
#include "view/terminalfont.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <csignal>
#include <memory>

namespace {

// Little-endian words, as metafiles are written.
class Words {
public:
    Words& u16(int value)
    {
        m_bytes.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
        return *this;
    }
    Words& u32(quint32 value) { return u16(int(value & 0xffff)).u16(int(value >> 16)); }
    QByteArray& bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The picture both metafiles below draw, 100 x 50 units: the left half red, the right half blue,
// the top left quarter of the red half green; as rectangles (left, top, right, bottom) in
// colours 0x00BBGGRR.
struct Rectangle {
    quint32 colour;
    int left, top, right, bottom;
};
const Rectangle Drawing[]
    = { { 0x0000FF, 0, 0, 50, 50 }, { 0xFF0000, 50, 0, 100, 50 }, { 0x00FF00, 0, 0, 25, 25 } };

// As a WMF, drawn with no outline.
QByteArray drawingAsWmf()
{
    Words records;
    const auto record = [&records](int words, int function) -> Words& {
        return records.u32(quint32(words)).u16(function);
    };
    record(5, 0x020B).u16(0).u16(0); // window origin y, x
    record(5, 0x020C).u16(50).u16(100); // window extent y, x
    record(8, 0x02FA).u16(5).u32(0).u32(0); // a null pen (object 0)
    record(4, 0x012D).u16(0);
    for (const Rectangle& r : Drawing) {
        record(7, 0x02FC).u16(0).u32(r.colour).u16(0); // a solid brush (object 1)
        record(4, 0x012D).u16(1);
        record(7, 0x041B).u16(r.bottom).u16(r.right).u16(r.top).u16(r.left);
        record(4, 0x01F0).u16(1); // deleted: the next brush takes its number
    }
    record(3, 0x0000);
    const QByteArray body = records.bytes();
    Words header;
    header.u16(1).u16(9).u16(0x0300).u32(quint32((18 + body.size()) / 2)).u16(2).u32(8).u16(0);
    return header.bytes() + body;
}

// As an EMF of 100 x 50 pixels.
QByteArray drawingAsEmf()
{
    Words records;
    int count = 1; // the header
    const auto record = [&](int type, int size) -> Words& {
        ++count;
        return records.u32(quint32(type)).u32(quint32(size));
    };
    record(37, 12).u32(0x80000008); // the stock null pen selected
    for (const Rectangle& r : Drawing) {
        record(39, 24).u32(1).u32(0).u32(r.colour).u32(0); // a solid brush as object 1
        record(37, 12).u32(1);
        record(43, 24).u32(r.left).u32(r.top).u32(r.right).u32(r.bottom);
        record(40, 12).u32(1); // deleted
    }
    record(14, 20).u32(0).u32(16).u32(20);
    const QByteArray body = records.bytes();
    Words header;
    header.u32(1).u32(88); // type and size
    header.u32(0).u32(0).u32(99).u32(49); // bounds, in pixels
    header.u32(0).u32(0).u32(2646).u32(1323); // frame, in hundredths of millimetres
    header.u32(0x464D4520).u32(0x10000).u32(quint32(88 + body.size())).u32(quint32(count));
    header.u16(2).u16(0).u32(0).u32(0).u32(0); // handles, reserved, no description or palette
    header.u32(1024).u32(768).u32(320).u32(240); // the reference device in pixels and millimetres
    return header.bytes() + body;
}

// A document of one picture between two words, shown 1440 x 720 twips (96 x 48 pixels).
QByteArray oneMetafile(const char* keyword, const QByteArray& data)
{
    return QByteArray("{\\rtf1 a{\\pict\\") + keyword + "\\picwgoal1440\\pichgoal720 "
        + data.toHex() + "}b}";
}

std::unique_ptr<QTextDocument> load(const QByteArray& rtf)
{
    return DocumentWriter::fromRtf(rtf, TerminalFont::font());
}

QTextImageFormat pictureAt(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);
    return cursor.charFormat().toImageFormat();
}

QImage imageOf(QTextDocument* document, const QTextImageFormat& format)
{
    return document->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
}

// The shared pale image of pictures that are not drawn.
bool isEmptyFrame(const QTextImageFormat& format)
{
    return format.name() == QLatin1String("rtfpicture:omitted");
}

// The picture data of the first group that begins with the keyword, in a corpus document.
QByteArray pictureData(const QString& file, const QString& keyword)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(in.readAll());
    const int at = text.indexOf(keyword);
    if (at < 0)
        return {};
    static const QRegularExpression hex(QStringLiteral("(?:[0-9a-fA-F]{2}\\s*){64,}"));
    const QRegularExpressionMatch found = hex.match(text, at);
    return QByteArray::fromHex(found.captured().toLatin1());
}

// The mean colour of a square of an image, as a point in RGB.
QColor meanColour(const QImage& image, QRect square)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = square.top(); y <= square.bottom(); ++y) {
        for (int x = square.left(); x <= square.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red(), g += c.green(), b += c.blue(), ++n;
        }
    }
    return QColor(int(r / n), int(g / n), int(b / n));
}

// A decoder program of the test's making: a shell script that is given the width and height.
class ScriptedDecoder : public MetafileProgram {
public:
    explicit ScriptedDecoder(const QString& script)
    {
        m_path = TestSupport::writeFile(
            m_dir.path(), QStringLiteral("decoder"), "#!/bin/sh\n" + script.toUtf8() + "\n");
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner);
    }
    QString path() override { return m_path; }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
    MetafileProgramSeam::Override m_override { *this };
};

} // namespace

class TestMetafiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawnAtTheDeclaredSize_data();
    void drawnAtTheDeclaredSize();
    void corpusWmfDrawnAsItsBitmap();
    void hostileMetafilesShowTheirFrame_data();
    void hostileMetafilesShowTheirFrame();
    void misbehavingDecoderLeavesTheFrame_data();
    void misbehavingDecoderLeavesTheFrame();
    void decoderRunsWithinLimits();
    void budgetOfDecoders();
};

void TestMetafiles::drawnAtTheDeclaredSize_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("wmf") << oneMetafile("wmetafile8", drawingAsWmf());
    QTest::newRow("emf") << oneMetafile("emfblip", drawingAsEmf());
    // Labelled wrongly: the data says what is drawn.
    QTest::newRow("emf labelled wmf") << oneMetafile("wmetafile8", drawingAsEmf());
}

void TestMetafiles::drawnAtTheDeclaredSize()
{
    QFETCH(QByteArray, rtf);
    auto doc = load(rtf);
    QCOMPARE(doc->toPlainText(), QStringLiteral("a\uFFFCb"));
    const QTextImageFormat format = pictureAt(doc.get(), 1);
    QVERIFY(!isEmptyFrame(format));
    QCOMPARE(format.width(), 96.0);
    QCOMPARE(format.height(), 48.0);
    const QImage image = imageOf(doc.get(), format);
    QCOMPARE(image.size(), QSize(96, 48));
    // Stretched to the frame, the right way up and round: the middle of each part, and the
    // corners, which only a drawing scaled to the whole frame reaches.
    for (const QPoint p : { QPoint(6, 6), QPoint(20, 20) })
        QCOMPARE(image.pixelColor(p), QColor(Qt::green));
    for (const QPoint p : { QPoint(36, 12), QPoint(12, 36), QPoint(2, 45) })
        QCOMPARE(image.pixelColor(p), QColor(Qt::red));
    for (const QPoint p : { QPoint(72, 24), QPoint(93, 2), QPoint(93, 45) })
        QCOMPARE(image.pixelColor(p), QColor(Qt::blue));
}

void TestMetafiles::corpusWmfDrawnAsItsBitmap()
{
    // Writers store a picture twice, as PNG or JPEG and as a WMF holding the same bitmap for
    // readers that know no better: drawn, the WMF looks like the other.
    const QString file = TestSupport::corpusDir() + "/rtf/tika__testRTFRegularImages.rtf";
    const QByteArray wmf = pictureData(file, QStringLiteral("\\wmetafile8"));
    const QByteArray jpeg = pictureData(file, QStringLiteral("\\jpegblip"));
    if (wmf.isEmpty() || jpeg.isEmpty())
        QSKIP("the corpus is not here");
    auto doc = load("{\\rtf1{\\pict\\wmetafile8\\picwgoal1200\\pichgoal1200 " + wmf.toHex()
        + "}{\\pict\\jpegblip\\picwgoal1200\\pichgoal1200 " + jpeg.toHex() + "}}");
    const QTextImageFormat drawn = pictureAt(doc.get(), 0), decoded = pictureAt(doc.get(), 1);
    QVERIFY(!isEmptyFrame(drawn));
    // The JPEG is decoded no larger than its own size, and compared at the drawing's.
    const QImage a = imageOf(doc.get(), drawn);
    QCOMPARE(a.size(), QSize(80, 80));
    const QImage b = imageOf(doc.get(), decoded).scaled(a.size());
    // Square by square the two agree (a picture upside down, shifted or cut would not).
    int squaresApart = 0;
    for (int y = 0; y < 80; y += 20) {
        for (int x = 0; x < 80; x += 20) {
            const QColor p = meanColour(a, QRect(x, y, 20, 20));
            const QColor q = meanColour(b, QRect(x, y, 20, 20));
            const int apart
                = qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) + qAbs(p.blue() - q.blue());
            squaresApart += apart > 60;
        }
    }
    QCOMPARE(squaresApart, 0);
}

void TestMetafiles::hostileMetafilesShowTheirFrame_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray wmf = drawingAsWmf(), emf = drawingAsEmf();
    QTest::newRow("wmf cut after its header") << wmf.left(24);
    QTest::newRow("wmf records of garbage") << wmf.left(18) + QByteArray(400, '\xff');
    QTest::newRow("wmf records of zero size") << wmf.left(18) + QByteArray(64, '\0');
    QTest::newRow("emf cut in its header") << emf.left(90);
    QTest::newRow("emf of a record larger than the file")
        << emf.left(88) + QByteArray::fromHex("2b000000ffffff7f") + QByteArray(16, '\0');
    QTest::newRow("emf header of garbage") << emf.left(44) + QByteArray(200, '\xee');
}

void TestMetafiles::hostileMetafilesShowTheirFrame()
{
    // The decoder fails on each of these (a header that says one thing and records that say
    // another); the view goes on, and the picture keeps its place at its declared size.
    QFETCH(QByteArray, data);
    for (const char* keyword : { "wmetafile8", "emfblip" }) {
        auto doc = load(oneMetafile(keyword, data));
        QCOMPARE(doc->toPlainText(), QStringLiteral("a\uFFFCb"));
        const QTextImageFormat format = pictureAt(doc.get(), 1);
        QCOMPARE(format.width(), 96.0);
        QCOMPARE(format.height(), 48.0);
        QVERIFY(isEmptyFrame(format));
    }
}

void TestMetafiles::misbehavingDecoderLeavesTheFrame_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("crashes") << QStringLiteral("kill -SEGV $$");
    QTest::newRow("hangs") << QStringLiteral("echo $$ > \"$(dirname \"$0\")/pid\"; exec sleep 60");
    QTest::newRow("writes without end") << QStringLiteral("exec cat /dev/zero");
    QTest::newRow("writes too little") << QStringLiteral("head -c 100 /dev/zero");
    QTest::newRow("writes a pixel too many")
        << QStringLiteral("head -c $(($1 * $2 * 4 + 4)) /dev/zero");
    QTest::newRow("fails after writing")
        << QStringLiteral("head -c $(($1 * $2 * 4)) /dev/zero; exit 3");
    QTest::newRow("is not there") << QStringLiteral("exit 0");
}

void TestMetafiles::misbehavingDecoderLeavesTheFrame()
{
    QFETCH(QString, script);
    ScriptedDecoder decoder(script);
    if (QTest::currentDataTag() == QLatin1String("is not there"))
        QFile::remove(decoder.path());
    auto doc = load(oneMetafile("emfblip", drawingAsEmf()));
    QCOMPARE(doc->toPlainText(), QStringLiteral("a\uFFFCb"));
    const QTextImageFormat format = pictureAt(doc.get(), 1);
    QVERIFY(isEmptyFrame(format));
    QCOMPARE(format.width(), 96.0);
    QCOMPARE(format.height(), 48.0);
    // A decoder that hangs is ended, not left behind.
    QFile pid(decoder.folder() + "/pid");
    if (pid.open(QIODevice::ReadOnly)) {
        const int id = pid.readAll().trimmed().toInt();
        QVERIFY(id > 0);
        QCOMPARE(::kill(id, 0), -1);
    }
}

void TestMetafiles::decoderRunsWithinLimits()
{
    // A decoder that draws only when it finds itself limited in processor time, and allowed no
    // core dump.
    ScriptedDecoder decoder(QStringLiteral("[ \"$(ulimit -t)\" = %1 ] && [ \"$(ulimit -c)\" = 0 ] "
                                           "&& head -c $(($1 * $2 * 4)) /dev/zero")
                                .arg(LayoutBudget::MetafileCpuSeconds));
    auto doc = load(oneMetafile("wmetafile8", drawingAsWmf()));
    QVERIFY(!isEmptyFrame(pictureAt(doc.get(), 1)));
}

void TestMetafiles::budgetOfDecoders()
{
    // A decoder that draws every picture see-through, and counts how often it is started.
    ScriptedDecoder decoder(
        QStringLiteral("echo >> \"$(dirname \"$0\")/starts\"; head -c $(($1 * $2 * 4)) /dev/zero"));
    const int pictures = LayoutBudget::MaxMetafileDraws + 10;
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 0; i < pictures; ++i)
        rtf += "{\\pict\\wmetafile8\\picwgoal150\\pichgoal150 " + drawingAsWmf().toHex() + "}";
    // Past the budget of pixels a picture is not drawn either: 64 inches square, drawn at
    // 4096 x 4096, is two documents' worth.
    rtf += "{\\pict\\emfblip\\picwgoal92160\\pichgoal92160 " + drawingAsEmf().toHex() + "}}";
    auto doc = load(rtf);
    int drawn = 0;
    for (int i = 0; i <= pictures; ++i) {
        const QTextImageFormat format = pictureAt(doc.get(), i);
        QVERIFY(format.isValid());
        drawn += !isEmptyFrame(format);
        if (i < LayoutBudget::MaxMetafileDraws)
            QVERIFY(!isEmptyFrame(format)); // the first ones, in order
    }
    QCOMPARE(drawn, LayoutBudget::MaxMetafileDraws);
    QFile starts(decoder.folder() + "/starts");
    QVERIFY(starts.open(QIODevice::ReadOnly));
    QCOMPARE(starts.readAll().count('\n'), LayoutBudget::MaxMetafileDraws);
}

QTEST_MAIN(TestMetafiles)
#include "tst_metafiles.moc"
