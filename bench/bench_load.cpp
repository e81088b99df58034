// Times opening documents through the real LoadFile into the real main window (offscreen) and
// the start of the program up to the first paint of its window.
//
//   bench_load [big] [--against OTHER]   every case, each in a process of its own, as a table
//   bench_load CASE [FILE]               one case (startup, or load FILE), one line of figures
//
// big adds the hostile one-line documents (200 MiB, 10 MB and 256 MiB). Each case runs in a fresh
// process so that its peak memory is its own. The documents are made by the parent before the child
// starts, so making them costs the child neither time nor memory. With --against, every case is
// run by OTHER too, the bench_load of another build (an earlier commit's, say), so that both are
// measured in one run on the same machine.
#include "app/form1.h"
#include "view/documentview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

double monotonicMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Processor time this process has used, user and system: on a machine shared with other work
// it says more than the clock does.
double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// The high-water mark of this process's resident memory (unlike getrusage's, it starts afresh
// with the program and does not include the parent's).
long peakRssMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    }
    return -1;
}

// 80-column lines of block and box characters in code page 437, CR LF at each end.
bool writeArtLines(QFile& file, qsizetype size)
{
    static const char pattern[] = "\xDB\xDB\xB2\xB2\xB1\xB1\xB0\xB0 \xC9\xCD\xCD\xBB \xBA"
                                  "x\xBA \xC8\xCD\xCD\xBC  RELEASE NFO  ";
    QByteArray line;
    while (line.size() < 78)
        line += pattern;
    line.truncate(78);
    line += "\r\n";
    QByteArray chunk;
    while (chunk.size() < 64 * 1024)
        chunk += line;
    for (qsizetype written = 0; written < size; written += chunk.size()) {
        const qsizetype n = qMin(chunk.size(), size - written);
        if (file.write(chunk.constData(), n) != n)
            return false;
    }
    return true;
}

enum class Content { ArtLines, LongLine, Zeros, ShortWords, Separators, RtfBook, RtfShort };

// An RTF book: paragraphs of prose in a serif face, a heading in a sans-serif face before every
// twentieth, the same bytes every time.
bool writeRtfBook(QFile& file, qsizetype size)
{
    static const char* const words[] = { "the", "of", "and", "a", "to", "in", "is", "you", "that",
        "it", "he", "was", "for", "on", "are", "as", "with", "his", "they", "at", "be", "this",
        "have", "from", "or", "one", "had", "by", "word", "but", "not", "what", "all" };
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}"
                     "{\\f1\\fswiss Arial;}}\n";
    quint32 seed = 1;
    const auto next = [&seed](quint32 below) {
        seed = seed * 1103515245 + 12345;
        return (seed >> 16) % below;
    };
    for (int paragraph = 0; rtf.size() < size; ++paragraph) {
        const bool heading = paragraph % 20 == 0;
        rtf += heading ? "\\pard\\sb240\\sa120\\f1\\b\\fs32 " : "\\pard\\sa120\\f0\\fs24 ";
        const quint32 count = heading ? 4 + next(6) : 26 + next(45);
        for (quint32 i = 0; i < count; ++i) {
            rtf += words[next(sizeof words / sizeof *words)];
            rtf += i + 1 < count ? " " : ".";
        }
        rtf += heading ? "\\b0\\par\n" : "\\par\n";
    }
    return file.write(rtf + "}") == rtf.size() + 1;
}

// RTF of paragraphs of one letter each.
bool writeRtfShortParagraphs(QFile& file, qsizetype size)
{
    QByteArray chunk;
    while (chunk.size() < 64 * 1024)
        chunk += "a\\par ";
    if (file.write("{\\rtf1\\ansi ") < 0)
        return false;
    for (qsizetype written = 0; written < size; written += chunk.size()) {
        if (file.write(chunk) != chunk.size())
            return false;
    }
    return file.write("}") == 1;
}

// UTF-8 text of short lines, each ended by a paragraph separator (U+2029) and no line break, in
// whole chunks of 64 KiB (a little more than size).
bool writeSeparatedLines(QFile& file, qsizetype size)
{
    QByteArray chunk;
    for (int i = 0; chunk.size() < 64 * 1024; ++i)
        chunk += "line " + QByteArray::number(i % 1000) + " of text\xE2\x80\xA9";
    // Whole chunks, so that no character is cut at the end.
    for (qsizetype written = 0; written < size; written += chunk.size()) {
        if (file.write(chunk) != chunk.size())
            return false;
    }
    return true;
}

// One line with no break: block characters with no space, NUL bytes (shown as spaces), or short
// words.
bool writeOneLine(QFile& file, qsizetype size, Content content)
{
    QByteArray chunk(1024 * 1024, '\0');
    if (content == Content::LongLine) {
        chunk.fill('\xDB');
        for (qsizetype i = 0; i < chunk.size(); i += 7)
            chunk[i] = '\xB1';
    } else if (content == Content::ShortWords) {
        static const char words[] = "an ox is at my door ";
        for (qsizetype i = 0; i < chunk.size(); ++i)
            chunk[i] = words[i % (sizeof words - 1)];
    }
    for (qsizetype written = 0; written < size; written += chunk.size()) {
        const qsizetype n = qMin(chunk.size(), size - written);
        if (file.write(chunk.constData(), n) != n)
            return false;
    }
    return true;
}

// Paints the view's visible part now and returns how long it took.
double paintMs(DocumentView* view)
{
    const double start = monotonicMs();
    view->viewport()->repaint();
    return monotonicMs() - start;
}

// Runs the event loop until the program is idle (a layout that goes on in the background has
// finished): less than 20 ms of processor time in a quarter of a second. Returns the processor
// time the background work took.
double backgroundCpuMs()
{
    const double start = cpuMs();
    for (;;) {
        const double windowStart = cpuMs();
        const double until = monotonicMs() + 250;
        while (monotonicMs() < until) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        if (cpuMs() - windowStart < 20)
            return cpuMs() - start - (cpuMs() - windowStart);
    }
}

int runStartup(double processStart)
{
    // The parent passes when it started the process; everything after is ours to count.
    Form1& form = Form1::instance();
    form.show();
    struct PaintWatch : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override
        {
            painted = painted || e->type() == QEvent::Paint;
            return false;
        }
    } watch;
    form.Rtf1->viewport()->installEventFilter(&watch);
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    // The paint event has been delivered and handled once processEvents returns to us.
    const double done = monotonicMs();
    std::printf("startup %.0f %ld\n", done - processStart, peakRssMiB());
    return 0;
}

int runLoad(const QString& path)
{
    Form1& form = Form1::instance();
    form.show();
    QApplication::processEvents();
    DocumentView* view = form.Rtf1;
    const long before = peakRssMiB();

    // A large file's first screen may be painted before LoadFile returns. The watch sees when
    // that paint begins; what it takes is measured by painting the same screen again after.
    struct FirstPaint : QObject {
        double at = -1;
        double cpuAt = -1;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (at < 0 && e->type() == QEvent::Paint) {
                at = monotonicMs();
                cpuAt = cpuMs();
            }
            return false;
        }
    } watch;
    view->viewport()->installEventFilter(&watch);
    const double start = monotonicMs();
    const double startCpu = cpuMs();
    view->LoadFile(path);
    const double loaded = monotonicMs() - start;
    const double firstPaint
        = watch.at < 0 ? loaded + paintMs(view) : watch.at - start + paintMs(view);
    const double firstPaintCpu = (watch.at < 0 ? cpuMs() : watch.cpuAt) - startCpu;
    view->viewport()->removeEventFilter(&watch);

    // Scrolling: a paint at each of ten places down the document (or along the long line).
    double worstScroll = 0;
    QScrollBar* bar = view->verticalScrollBar();
    for (int step = 1; step <= 10; ++step) {
        bar->setValue(bar->maximum() * step / 10);
        worstScroll = qMax(worstScroll, paintMs(view));
    }
    const double background = backgroundCpuMs();

    // A keystroke at the end of the document: the character typed and the view repainted.
    view->moveCursor(QTextCursor::End);
    QApplication::processEvents();
    double keystroke = 0;
    for (int i = 0; i < 3; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        const double typed = monotonicMs();
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
        QApplication::processEvents();
        view->viewport()->repaint();
        keystroke = qMax(keystroke, monotonicMs() - typed);
    }
    // Moving there: End, then Shift+Left, each with the view repainted.
    double moves = 0;
    for (const auto& [key, modifiers] : { std::pair { Qt::Key_End, Qt::NoModifier },
             std::pair { Qt::Key_Left, Qt::ShiftModifier } }) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        const double pressed = monotonicMs();
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
        QApplication::processEvents();
        view->viewport()->repaint();
        moves = qMax(moves, monotonicMs() - pressed);
    }
    std::printf("load %.0f %.0f %.0f %.0f %.0f %ld %ld %.1f %.1f\n", loaded, firstPaint,
        firstPaintCpu, worstScroll, background, before, peakRssMiB(), keystroke, moves);
    return 0;
}

struct Case {
    QString name;
    qsizetype size;
    Content content;
};

QStringList runChild(const QString& program, const QStringList& args)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double start = monotonicMs();
    child.start(program, args + QStringList { QString::number(start, 'f', 3) });
    child.waitForFinished(-1);
    return QString::fromLocal8Bit(child.readAllStandardOutput())
        .simplified()
        .split(QLatin1Char(' '));
}

bool writeDocument(QFile& file, const Case& c)
{
    switch (c.content) {
    case Content::ArtLines:
        return writeArtLines(file, c.size);
    case Content::Separators:
        return writeSeparatedLines(file, c.size);
    case Content::RtfBook:
        return writeRtfBook(file, c.size);
    case Content::RtfShort:
        return writeRtfShortParagraphs(file, c.size);
    default:
        return writeOneLine(file, c.size, c.content);
    }
}

int runAll(const QStringList& programs, bool big)
{
    const QString& program = programs.first();
    QTemporaryDir dir;
    const qsizetype MiB = 1024 * 1024;
    QList<Case> cases {
        { QStringLiteral("cp437 1 MB, 80 columns"), 1 * MiB, Content::ArtLines },
        { QStringLiteral("cp437 5 MB, 80 columns"), 5 * MiB, Content::ArtLines },
        { QStringLiteral("cp437 10 MB, 80 columns"), 10 * MiB, Content::ArtLines },
        { QStringLiteral("cp437 50 MB, 80 columns"), 50 * MiB, Content::ArtLines },
        { QStringLiteral("one 5 MB line, no break"), 5 * MiB, Content::LongLine },
        { QStringLiteral("UTF-8 2.8 MB, paragraph separators"), 2800 * 1000, Content::Separators },
        { QStringLiteral("RTF book 10 MB, two faces"), 10 * 1000 * 1000, Content::RtfBook },
        { QStringLiteral("RTF 60 MB, 10,000,000 one-letter paragraphs"), 60 * 1000 * 1000,
            Content::RtfShort },
    };
    if (big) {
        cases << Case { QStringLiteral("one 200 MiB line, no break"), 200 * MiB, Content::LongLine }
              << Case { QStringLiteral("one 10 MB line of NUL bytes"), 10 * MiB, Content::Zeros }
              << Case { QStringLiteral("one 10 MB line of short words"), 10 * MiB,
                     Content::ShortWords }
              << Case { QStringLiteral("256 MiB of NUL bytes"), 256 * MiB, Content::Zeros };
    }

    QTextStream out(stdout);
    const QStringList start = runChild(program, { QStringLiteral("startup") });
    out << "process start to first paint of the window: " << start.value(1) << " ms, peak "
        << start.value(2) << " MiB\n\n";
    out << "| document | build | LoadFile | first paint done | processor time to first paint | "
           "worst scroll paint | background layout (processor) | peak RSS | keystroke at the "
           "end | End, Shift+Left |\n";
    out << "|---|---|---|---|---|---|---|---|---|---|\n";
    out.flush();
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("doc.nfo"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !writeDocument(file, c))
            return 1;
        file.close();
        for (qsizetype p = 0; p < programs.size(); ++p) {
            const QStringList f = runChild(programs[p], { QStringLiteral("load"), path });
            out << "| " << c.name << " | " << (p == 0 ? "this" : "other") << " | " << f.value(1)
                << " ms | " << f.value(2) << " ms | " << f.value(3) << " ms | " << f.value(4)
                << " ms | " << f.value(5) << " ms | " << f.value(7) << " MiB (" << f.value(6)
                << " before) | " << f.value(8) << " ms | " << f.value(9) << " ms |\n";
            out.flush();
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // The parent only makes files and starts children: it stays small, so that what a child
    // inherits does not blur the child's figures.
    const bool parent
        = argc < 2 || QByteArray(argv[1]) == "big" || QByteArray(argv[1]) == "--against";
    if (parent) {
        QCoreApplication app(argc, argv);
        QStringList args = app.arguments().mid(1);
        QStringList programs { app.applicationFilePath() };
        const qsizetype against = args.indexOf(QStringLiteral("--against"));
        if (against >= 0 && against + 1 < args.size())
            programs << args.at(against + 1);
        return runAll(programs, args.contains(QStringLiteral("big")));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args[1] == QLatin1String("startup"))
        return runStartup(args[2].toDouble());
    if (args.size() >= 4 && args[1] == QLatin1String("load"))
        return runLoad(args[2]);
    return 2;
}
