// What leaves the document view by selecting and dragging, and what a drop brings into it.
#include "view/documentview.h"
#include "view/filedrop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

QMimeData* DocumentView::createMimeDataFromSelection() const
{
    // Selected text goes to the X selection (a middle-click elsewhere pastes it) and into drags
    // as characters only, the same plain text the clipboard commands give.
    auto* data = new QMimeData;
    data->setText(SelText());
    return data;
}

void DocumentView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!FileDrop::carriesLinks(event->mimeData())) {
        QTextEdit::dragEnterEvent(event);
        return;
    }
    // A file is taken whole, wherever it is let go; the caret does not follow the pointer.
    if (FileDrop::fileToOpen(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DocumentView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!FileDrop::carriesLinks(event->mimeData())) {
        QTextEdit::dragMoveEvent(event);
        return;
    }
    if (FileDrop::fileToOpen(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DocumentView::dropEvent(QDropEvent* event)
{
    if (!FileDrop::carriesLinks(event->mimeData())) {
        QTextEdit::dropEvent(event); // text: inserted where it is let go, as plain text
        return;
    }
    const std::optional<QString> file = FileDrop::fileToOpen(event->mimeData());
    if (!file) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT fileDropped(*file);
}
