// Times the highlight-all search the way a user runs it: a document in the main window's view,
// Edit > Find, a word, Search, and the repaint that follows. Prints a table; asserts nothing.
//
//   bench_find [--against OTHER] [megabytes occurrences]...     (default: 1 10000  10 100000)
//
// The figures come from a process of their own; with --against, the same runs follow in OTHER,
// the bench_find of another build (an earlier commit's, say), so that both are measured in one
// run on the same machine.
#include "app/form1.h"
#include "find/form2.h"
#include "find/highlightsearch.h"
#include "view/documentview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTextDocument>
#include <QToolButton>
#include <cstdio>

namespace {

constexpr auto Word = u"needle";

// A document of the given size in which the word occurs the given number of times, evenly
// spread over lines of filler.
QString makeDocument(qsizetype bytes, qsizetype occurrences)
{
    const QString filler = QStringLiteral("lorem ipsum dolor sit amet consectetur adipiscing "
                                          "elit sed do eiusmod tempor incididunt ut labore ");
    const qsizetype unit = bytes / occurrences; // characters per occurrence
    QString text;
    text.reserve(bytes);
    for (qsizetype i = 0; i < occurrences; ++i) {
        QString piece = QString::fromUtf16(Word);
        while (piece.size() < unit - 1)
            piece += filler.left(unit - 1 - piece.size());
        piece += QLatin1Char('\n');
        text += piece;
    }
    return text;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QString g_breakdown;

double ms(QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

void runOnce(qsizetype megabytes, qsizetype occurrences)
{
    Form1& main = Form1::instance();
    DocumentView& view = *main.Rtf1;
    const QString text = makeDocument(megabytes * 1000 * 1000, occurrences);
    QElapsedTimer timer;
    timer.start();
    view.setText(text);
    main.show();
    QCoreApplication::processEvents();
    const double fill = ms(timer);

    timer.start();
    const qsizetype found
        = HighlightSearch::forEachOccurrence(view.Text(), Word, [](std::int32_t) {});
    const double scan = ms(timer);

    Form2& dialog = Form2::instance();
    dialog.showModeless();
    dialog.Text1->setText(QString::fromUtf16(Word));
    QCoreApplication::processEvents();

    double run[3] = {}, paint[3] = {};
    long rss[4] = { residentKb() };
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            main.menuFind->trigger();
            QCoreApplication::processEvents();
        }
        timer.start();
        dialog.Command1->click();
        run[i] = ms(timer);
        timer.start();
        view.viewport()->repaint();
        QCoreApplication::processEvents();
        paint[i] = ms(timer);
        rss[i + 1] = residentKb();
    }
    // Where the time of a run goes: the same operations as a run, timed in their parts.
    view.setText(text);
    QCoreApplication::processEvents();
    timer.start();
    const QString once = view.Text();
    const double read = ms(timer);
    double marking = 0;
    timer.start();
    {
        DocumentView::Batch batch(&view);
        HighlightSearch::forEachOccurrence(once, Word, [&](std::int32_t start) {
            view.setSelStart(start);
            view.setSelLength(6);
            view.setSelColor(HighlightSearch::MarkColor);
            view.setSelBold(true);
        });
        marking = ms(timer);
        timer.start();
    }
    const double batchEnd = ms(timer);
    g_breakdown += QString::asprintf("| %4lld MB | %7lld | %8.1f | %8.0f | %8.0f |\n",
        qlonglong(megabytes), qlonglong(occurrences), read, marking, batchEnd);

    std::printf("| %4lld MB | %7lld | %7lld | %8.0f | %6.1f | %8.0f | %8.0f | %8.0f | %8.0f | %6ld "
                "| %6ld | %6ld | %d |\n",
        qlonglong(megabytes), qlonglong(occurrences), qlonglong(found), fill, scan, run[0],
        paint[0], run[0] + paint[0], run[2] + paint[2], (rss[1] - rss[0]) / 1024,
        (rss[2] - rss[1]) / 1024, (rss[3] - rss[2]) / 1024, view.document()->availableUndoSteps());
    std::fflush(stdout);
}

} // namespace

// Runs this program again, and the other build's where one is given, with the same arguments.
int runEachBuild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QStringList programs { app.applicationFilePath() };
    const qsizetype against = args.indexOf(QStringLiteral("--against"));
    if (against >= 0 && against + 1 < args.size()) {
        programs << args.at(against + 1);
        args.remove(against, 2);
    }
    args.prepend(QStringLiteral("--child"));
    for (const QString& program : programs) {
        std::printf("### %s\n\n", qPrintable(program));
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(program, args);
        child.waitForFinished(-1);
        std::printf("\n");
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 2 || QByteArray(argv[1]) != "--child")
        return runEachBuild(argc, argv);
    --argc;
    ++argv;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<qsizetype> sizes;
    for (int i = 1; i + 1 < argc; i += 2)
        sizes << QByteArray(argv[i]).toLongLong() << QByteArray(argv[i + 1]).toLongLong();
    if (sizes.isEmpty())
        sizes = { 1, 10000, 10, 100000 };

    std::printf("All times in ms. fill: setText + first show (not part of the run); scan: finding "
                "the occurrences in Text() alone;\nrun 1: Search pressed on the plain document; "
                "paint 1: the repaint that follows; total 1 = run 1 + paint 1; total 3: the third "
                "run over the marks already there.\nRSS growth in MB after runs 1, 2, 3; undo: "
                "undo steps the document holds.\n\n");
    std::printf("| size | matches | found | fill | scan | run 1 | paint 1 | total 1 | total 3 "
                "| RSS +1 | RSS +2 | RSS +3 | undo |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (qsizetype i = 0; i + 1 < sizes.size(); i += 2)
        runOnce(sizes[i], sizes[i + 1]);
    std::printf(
        "\nBreakdown of one run: Text() read; the marks set inside a DocumentView::Batch; the "
        "end of the batch (where the view lays out the changed range).\n\n"
        "| size | matches | read | marks | batch end |\n|---|---|---|---|---|\n%s",
        qPrintable(g_breakdown));
    return 0;
}
