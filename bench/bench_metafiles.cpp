// What drawing Windows metafiles costs a document: each is drawn by a process of its own
// (view/metafiledecoder.h), so a document of N of them waits N times for one to start and draw.
// Documents of 1, 4 and 16 WMFs (the corpus's photograph of a cat, a bitmap in a WMF) and EMFs
// (a small drawing made here), and the same drawing as a WMF, are read into the view's document,
// and one of 10,000 tiny WMFs, which the budget of draws per document keeps from taking minutes.
//
// usage: bench_metafiles   (prints figures; asserts nothing)
#include "view/documentwriter.h"
#include "view/layoutbudget.h"
#include "view/terminalfont.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>
#include <cstdio>

namespace {

void put16(QByteArray& out, quint32 value)
{
    out.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// An EMF of 100 x 50 pixels holding one red rectangle: brush made, selected, rectangle, end.
QByteArray smallEmf()
{
    QByteArray emf;
    for (const quint32 word : { 1u, 88u, 0u, 0u, 99u, 49u, 0u, 0u, 2646u, 1323u, 0x464D4520u,
             0x10000u, 88u + 80u, 5u, 2u, 0u, 0u, 0u, 1024u, 768u, 320u, 240u, // the header
             39u, 24u, 1u, 0u, 0x0000FFu, 0u, 37u, 12u, 1u, 43u, 24u, 0u, 0u, 100u, 50u, 14u, 20u,
             0u, 16u, 20u })
        put32(emf, word);
    return emf;
}

// A WMF of 100 x 50 units holding the same, in 16-bit words (a 32-bit size before each record).
QByteArray smallWmf()
{
    QByteArray wmf;
    for (const quint32 word : { 1u, 9u, 0x0300u, 9u + 27u, 0u, 1u, 7u, 0u, 0u })
        put16(wmf, word); // the header: its size and largest record are 32-bit, low word first
    const quint32 records[][8] = { { 5, 0x020C, 50, 100 }, { 7, 0x02FC, 0, 0x00FF, 0, 0 },
        { 4, 0x012D, 0 }, { 7, 0x041B, 50, 100, 0, 0 }, { 3, 0 } };
    for (const auto& record : records) {
        put32(wmf, record[0]);
        for (quint32 i = 1; i < record[0] - 1; ++i)
            put16(wmf, record[i]);
    }
    return wmf;
}

// The data of the first picture of the kind in a corpus document.
QByteArray corpusWmf()
{
    QFile in(QStringLiteral(GLIMMER_CORPUS_DIR "/rtf/tika__testRTFRegularImages.rtf"));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(in.readAll());
    const int at = text.indexOf(QLatin1String("\\wmetafile8"));
    static const QRegularExpression hex(QStringLiteral("(?:[0-9a-fA-F]{2}\\s*){64,}"));
    return at < 0 ? QByteArray() : QByteArray::fromHex(hex.match(text, at).captured().toLatin1());
}

QByteArray document(const char* keyword, const QByteArray& data, int count, int twips)
{
    const QByteArray picture = QByteArray("{\\pict\\") + keyword + "\\picwgoal"
        + QByteArray::number(twips) + "\\pichgoal" + QByteArray::number(twips) + " " + data.toHex()
        + "}";
    return "{\\rtf1 " + picture.repeated(count) + "}";
}

// Reads the document into the view's document; wall-clock milliseconds and pictures drawn.
void measure(const char* what, const QByteArray& rtf, int count)
{
    QElapsedTimer clock;
    clock.start();
    auto doc = DocumentWriter::fromRtf(rtf, TerminalFont::font());
    const double ms = clock.nsecsElapsed() / 1e6;
    int drawn = 0;
    for (int i = 1; i <= count; ++i)
        drawn += doc->resource(
                        QTextDocument::ImageResource, QUrl(QStringLiteral("rtfpicture:%1").arg(i)))
                     .isValid();
    std::printf("%-28s %6d pictures %5d drawn %9.1f ms %8.1f ms per drawn\n", what, count, drawn,
        ms, drawn ? ms / drawn : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QByteArray emf = smallEmf(), wmf = corpusWmf();
    for (const int count : { 1, 4, LayoutBudget::MaxMetafileDraws }) {
        if (!wmf.isEmpty())
            measure("WMF photograph, 1 inch", document("wmetafile8", wmf, count, 1440), count);
        measure("WMF drawing, 1 inch", document("wmetafile8", smallWmf(), count, 1440), count);
        measure("EMF drawing, 1 inch", document("emfblip", emf, count, 1440), count);
    }
    measure("tiny WMFs", document("wmetafile8", smallWmf(), 10000, 15), 10000);
    measure("tiny EMFs", document("emfblip", emf, 10000, 15), 10000);
    return 0;
}
