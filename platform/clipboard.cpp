#include "platform/clipboard.h"

#include "forms/apperror.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Clipboard {

namespace {

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

void setText(const QString& text) { Current::current().putText(text); }

QString text() { return Current::current().getText(); }

void SystemClipboard::putText(const QString& text)
{
    // setText offers the characters as text/plain (UTF-8) and nothing else.
    systemClipboard()->setText(text, QClipboard::Clipboard);
}

QString SystemClipboard::getText()
{
    // text() reads the plain text only and gives the empty text when there is none.
    return systemClipboard()->text(QClipboard::Clipboard);
}

} // namespace Clipboard
