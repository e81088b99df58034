// The view's change events on their way to assistive technology.
#include "view/documentaccessible.h"

#include "view/documentview.h"
#include "view/textrange.h"

namespace {

QAccessible::UpdateHandler g_next = nullptr;

void filterChange(QAccessibleEvent* event);

// Hands the event on to whoever listened before the filter: another handler, or the platform's
// bridge, which Qt calls when no handler is in place.
void handOn(QAccessibleEvent* event)
{
    if (g_next) {
        g_next(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(filterChange);
}

void filterChange(QAccessibleEvent* event)
{
    const std::unique_ptr<QAccessibleEvent> replacement = DocumentAccessible::translate(event);
    handOn(replacement ? replacement.get() : event);
}

} // namespace

void DocumentAccessible::installChangeFilter()
{
    static const bool installed = [] {
        g_next = QAccessible::installUpdateHandler(filterChange);
        return true;
    }();
    Q_UNUSED(installed);
}

std::unique_ptr<QAccessibleEvent> DocumentAccessible::translate(QAccessibleEvent* event)
{
    const QAccessible::Event type = event->type();
    if (type != QAccessible::TextInserted && type != QAccessible::TextRemoved
        && type != QAccessible::TextUpdated)
        return nullptr;
    auto* view = qobject_cast<DocumentView*>(event->object());
    if (!view)
        return nullptr;
    // The editor reports a change of formatting as the text replaced by itself.
    if (view->changingFormatsOnly())
        return std::make_unique<QAccessibleEvent>(view, QAccessible::TextAttributeChanged);
    // The editor gives the inserted text with its own separators; what was removed is gone, and
    // it says only how long it was.
    const QTextDocument* document = view->document();
    if (type == QAccessible::TextInserted) {
        const auto* insert = static_cast<QAccessibleTextInsertEvent*>(event);
        const int at = insert->changePosition();
        return std::make_unique<QAccessibleTextInsertEvent>(
            view, at, TextRange::text(document, at, at + int(insert->textInserted().size())));
    }
    if (type == QAccessible::TextUpdated) {
        const auto* update = static_cast<QAccessibleTextUpdateEvent*>(event);
        const int at = update->changePosition();
        return std::make_unique<QAccessibleTextUpdateEvent>(view, at, update->textRemoved(),
            TextRange::text(document, at, at + int(update->textInserted().size())));
    }
    return nullptr;
}
