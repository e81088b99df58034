#include "view/loadingwindow.h"

#include <QApplication>
#include <QCursor>
#include <QDropEvent>
#include <QEventLoop>

LoadingWindow::LoadingWindow()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
    m_clock.start();
}

LoadingWindow::~LoadingWindow()
{
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
    if (m_closing) {
        QWidget* window = m_closing;
        QMetaObject::invokeMethod(
            window, [window] { window->close(); }, Qt::QueuedConnection);
    }
}

void LoadingWindow::pace()
{
    if (m_clock.elapsed() < FrameMs)
        return;
    // Keys, clicks and the wheel stay queued as they came, for after.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_clock.restart();
}

bool LoadingWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Close:
        // Closing asks the user first, and would end the program under the reading.
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isWindow()) {
            m_closing = widget;
            event->ignore();
            return true;
        }
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        // A file dropped would be opened in the middle of opening this one.
        static_cast<QDropEvent*>(event)->ignore();
        return true;
    default:
        return false;
    }
}
