// How fast RTF documents are read: a document of about 10 MB built from the shared corpus, read
// by the reader alone (its events counted), read into the view's document, then read and shown
// in a real (offscreen) document view.
//
// usage: bench_rtf [MEGABYTES]   (prints figures; asserts nothing)
#include "content/sink.h"
#include "rtf/rtfreader.h"
#include "view/documentview.h"
#include "view/documentwriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Takes the reader's events and keeps only their count.
struct Tally : Content::Sink {
    qint64 events = 0;
    void font(int, const Content::FontEntry&) override { ++events; }
    void defaultFont(int) override { ++events; }
    void colorTable(const std::vector<Content::ColorEntry>&) override { ++events; }
    void defaultTab(int) override { ++events; }
    void text(QStringView, const Content::CharProps&) override { ++events; }
    void picture(const Content::Picture&) override { ++events; }
    void rowDefinition(const Content::RowDef&) override { ++events; }
    void listLabel(const Content::ListLabel&) override { ++events; }
    void checkBox(bool, const Content::CharProps&) override { ++events; }
    void endParagraph(const Content::ParaProps&, Content::ParagraphEnd) override { ++events; }
};

// True when the file's braces close exactly at its end, so that it can stand as one group
// inside a larger document.
bool isBalanced(const QByteArray& bytes)
{
    if (bytes.contains("\\bin"))
        return false; // raw data could hold braces
    qint64 depth = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\\') {
            ++i; // an escaped brace or backslash is text
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return bytes.indexOf('{', i) < 0 && bytes.indexOf('}', i + 1) < 0;
        }
    }
    return false;
}

// One document made of every usable corpus file, as groups, repeated up to the size asked.
QByteArray buildDocument(const QString& corpus, qint64 size)
{
    QDir dir(corpus + QStringLiteral("/rtf"));
    std::vector<QByteArray> parts;
    for (const QString& name :
        dir.entryList({ QStringLiteral("*.rtf") }, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray bytes = file.readAll();
        const qsizetype end = bytes.lastIndexOf('}');
        bytes.truncate(end + 1);
        if (isBalanced(bytes))
            parts.push_back(bytes);
    }
    QByteArray document("{\\rtf1\\ansi\\ansicpg1252\\deff0 ");
    while (!parts.empty() && document.size() < size) {
        for (const QByteArray& part : parts) {
            document += part;
            document += "\\par\n";
        }
    }
    document += '}';
    return document;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString corpus = QStringLiteral(GLIMMER_CORPUS_DIR);
    if (!QDir(corpus + QStringLiteral("/rtf")).exists()) {
        std::puts("bench_rtf: the shared corpus is not here; nothing to time");
        return 0;
    }
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 10;
    const QByteArray rtf = buildDocument(corpus, qMax<qint64>(1, megabytes) * 1000 * 1000);
    const double mb = rtf.size() / 1e6;
    DocumentView view;
    view.resize(800, 600);
    view.show();

    constexpr int rounds = 5;
    std::vector<double> eventTimes;
    for (int i = 0; i < rounds; ++i) {
        Tally tally;
        QElapsedTimer timer;
        timer.start();
        Rtf::read(rtf, &tally);
        eventTimes.push_back(timer.nsecsElapsed() / 1e9);
    }

    std::vector<double> readTimes;
    int characters = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const std::unique_ptr<QTextDocument> document = DocumentWriter::fromRtf(rtf, view.font());
        readTimes.push_back(timer.nsecsElapsed() / 1e9);
        characters = document->characterCount();
    }

    std::vector<double> shownTimes;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.showDocument(DocumentWriter::fromRtf(rtf, view.font()));
        // Shown: laid out whole (the scroll range needs every line) and painted once.
        (void)view.document()->size();
        view.viewport()->repaint();
        QCoreApplication::processEvents();
        shownTimes.push_back(timer.nsecsElapsed() / 1e9);
    }

    const double events = median(eventTimes);
    const double read = median(readTimes);
    const double shown = median(shownTimes);
    std::printf("RTF document: %.1f MB, %d characters in the view\n", mb, characters);
    std::printf("%-28s %10s %10s\n", "", "median s", "MB/s");
    std::printf("%-28s %10.3f %10.1f\n", "reader alone (its events)", events, mb / events);
    std::printf("%-28s %10.3f %10.1f\n", "read into a document", read, mb / read);
    std::printf("%-28s %10.3f %10.1f\n", "read and shown in the view", shown, mb / shown);
    return 0;
}
