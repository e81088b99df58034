#include "forms/formaccessible.h"

#include "forms/forms.h"

#include <QAccessibleWidget>

namespace FormAccessible {

namespace {

    QAccessibleInterface* formFactory(const QString& className, QObject* object)
    {
        // Asked with the most derived class name first: answer there and only for windows.
        auto* form = qobject_cast<Form*>(object);
        if (!form || !form->isWindow()
            || className != QLatin1String(object->metaObject()->className()))
            return nullptr;
        return new QAccessibleWidget(form, roleOf(form));
    }

} // namespace

QAccessible::Role roleOf(const QWidget* window)
{
    switch (window->windowType()) {
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool:
        return QAccessible::Dialog;
    default:
        return QAccessible::Window;
    }
}

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(formFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace FormAccessible
