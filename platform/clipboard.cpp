#include "platform/clipboard.h"

#include "forms/apperror.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Clipboard {

namespace {

    Backend* g_backend = nullptr;

    QClipboard* systemClipboard()
    {
        QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
            ? QGuiApplication::clipboard()
            : nullptr;
        if (!clipboard)
            throw AppError(
                AppError::ClipboardError, QStringLiteral("The clipboard cannot be opened"));
        return clipboard;
    }

} // namespace

void setText(const QString& text)
{
    if (g_backend) {
        g_backend->putText(text);
        return;
    }
    // setText offers the characters as text/plain (UTF-8) and nothing else.
    systemClipboard()->setText(text, QClipboard::Clipboard);
}

QString text()
{
    if (g_backend)
        return g_backend->getText();
    // text() reads the plain text only and gives the empty text when there is none.
    return systemClipboard()->text(QClipboard::Clipboard);
}

void setBackend(Backend* backend) { g_backend = backend; }

} // namespace Clipboard
