// Times what a user waits for in a document view: opens a file as the view does (800 x 600,
// shown), then goes to its end with Ctrl+End, to the middle with the scroll bar and five pages on
// with PageDown, each painted, and prints how long each took and the peak memory; of the opening
// also when the view was first painted and the longest time the program answered nothing.
//
// usage: timeview FILE   (run with QT_QPA_PLATFORM=offscreen for no window)
#include "view/documentview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

// The process's high-water mark of resident memory.
static long peakKiB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// A key pressed and released on the widget, as the keyboard sends it.
static void key(QWidget* w, int k, Qt::KeyboardModifiers m = {})
{
    QKeyEvent press(QEvent::KeyPress, k, m);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, m);
    QApplication::sendEvent(w, &release);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: timeview FILE\n");
        return 2;
    }
    DocumentView view;
    view.resize(800, 600);
    view.show();
    // Shown on the screen before the clock starts, as a window the user opens a file in is.
    QElapsedTimer shown;
    shown.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && shown.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    QElapsedTimer t;
    // The first paint of the view, and the longest time between two rounds of the event loop.
    struct FirstPaint : QObject {
        QElapsedTimer* clock = nullptr;
        double at = -1;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (at < 0 && e->type() == QEvent::Paint)
                at = clock->nsecsElapsed() / 1e6;
            return false;
        }
    } firstPaint;
    firstPaint.clock = &t;
    view.viewport()->installEventFilter(&firstPaint);
    double lastRound = 0;
    double longestWait = 0;
    QTimer rounds;
    rounds.setTimerType(Qt::PreciseTimer);
    QObject::connect(&rounds, &QTimer::timeout, [&] {
        const double now = t.nsecsElapsed() / 1e6;
        longestWait = std::max(longestWait, now - lastRound);
        lastRound = now;
    });
    rounds.start(1);
    t.start();
    view.LoadFile(QString::fromLocal8Bit(argv[1]));
    view.repaint();
    double open = t.nsecsElapsed() / 1e6;
    longestWait = std::max(longestWait, open - lastRound);
    rounds.stop();
    view.viewport()->removeEventFilter(&firstPaint);
    t.restart();
    key(&view, Qt::Key_End, Qt::ControlModifier);
    view.repaint();
    double end = t.nsecsElapsed() / 1e6;
    t.restart();
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    view.repaint();
    double middle = t.nsecsElapsed() / 1e6;
    t.restart();
    for (int i = 0; i < 5; ++i) {
        key(&view, Qt::Key_PageDown);
        view.repaint();
    }
    double pages = t.nsecsElapsed() / 1e6;
    std::printf("open %.1f ms (first paint %.1f ms, longest wait %.1f ms)  end %.1f ms  "
                "middle %.1f ms  pgdn5 %.1f ms  peak %.0f MiB  caret %d of %d\n",
        open, firstPaint.at, longestWait, end, middle, pages, peakKiB() / 1024.0, view.SelStart(),
        int(view.Text().size()));
    return 0;
}
