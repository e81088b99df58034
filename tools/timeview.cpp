// Times what a user waits for in a document view: opens a file as the view does (800 x 600,
// shown), then goes to its end with Ctrl+End, to the middle with the scroll bar and five pages on
// with PageDown, each painted, and prints how long each took and the peak memory.
//
// usage: timeview FILE   (run with QT_QPA_PLATFORM=offscreen for no window)
#include "view/documentview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
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
    QElapsedTimer t;
    t.start();
    view.LoadFile(QString::fromLocal8Bit(argv[1]));
    view.repaint();
    double open = t.nsecsElapsed() / 1e6;
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
    std::printf("open %.1f ms  end %.1f ms  middle %.1f ms  pgdn5 %.1f ms  peak %.0f MiB  "
                "caret %d of %d\n",
        open, end, middle, pages, peakKiB() / 1024.0, view.SelStart(), int(view.Text().size()));
    return 0;
}
