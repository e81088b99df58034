// Files dropped on the main window outside the view (the view takes its own drops).
#include "app/form1.h"
#include "forms/forms.h"
#include "view/filedrop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (FileDrop::fileToOpen(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void Form1::dragMoveEvent(QDragMoveEvent* event)
{
    if (FileDrop::fileToOpen(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void Form1::dropEvent(QDropEvent* event)
{
    const std::optional<QString> file = FileDrop::fileToOpen(event->mimeData());
    if (!file) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QString path = *file;
    Forms::guard([this, path] { openDropped(path); });
}
