#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>

// While a long document is read, the program's windows are painted now and then (the first
// screen, a dialog moved away, a change of size) and the pointer says the program is busy. What
// the user types or clicks meanwhile waits, and comes once the document is shown; a file dragged
// over a window is refused, and a window asked to close closes after.
class LoadingWindow : public QObject {
public:
    LoadingWindow();
    ~LoadingWindow() override;
    LoadingWindow(const LoadingWindow&) = delete;
    LoadingWindow& operator=(const LoadingWindow&) = delete;

    // Paints what waits to be painted, when a frame's time has gone by since it last did.
    void pace();
    // A frame's time.
    static constexpr qint64 FrameMs = 20;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer m_clock;
    QPointer<QWidget> m_closing;
};
