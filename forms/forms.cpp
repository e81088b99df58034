#include "forms/forms.h"

#include "forms/formaccessible.h"
#include "forms/msgbox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>

namespace Forms {

namespace {
    bool g_ended = false;
    int g_pointer = DefaultPointer;
}

void reportError(const AppError& error)
{
    MsgBox::show(
        QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description()),
        MsgBox::OkOnly | MsgBox::Critical);
}

void guard(const std::function<void()>& procedure)
{
    if (g_ended)
        return;
    try {
        procedure();
    } catch (const AppError& error) {
        reportError(error);
    } catch (const std::bad_alloc&) {
        reportError(AppError(7, QStringLiteral("Out of memory")));
    } catch (const std::exception& error) {
        reportError(AppError(
            51, QStringLiteral("Internal error: %1").arg(QString::fromUtf8(error.what()))));
    }
}

void end()
{
    if (g_ended)
        return;
    g_ended = true;
    CurrentEnding::current().finish();
}

void QuitProgram::finish()
{
    // Take every window down at once, without asking any of them, then leave the event loop.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

bool hasEnded() { return g_ended; }

void resetEnded() { g_ended = false; }

void setMousePointer(int pointer)
{
    if (pointer == g_pointer)
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (pointer == ArrowHourglass)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    g_pointer = pointer;
}

int mousePointer() { return g_pointer; }

} // namespace Forms

Form::Form(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    FormAccessible::install();
}

void Form::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Forms::guard([this] { Form_Load(); });
}

void Form::showModeless()
{
    load();
    // A window the user minimised comes back as it was before (window managers give even
    // dialogs a minimise button, whatever the window asks for).
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool Form::unload(int unloadMode)
{
    if (m_unloading)
        return true;
    m_pendingUnloadMode = unloadMode;
    const bool closed = close();
    m_pendingUnloadMode = Forms::FormControlMenu;
    return closed;
}

void Form::Form_QueryUnload(int&, int) { }

void Form::closeEvent(QCloseEvent* event)
{
    if (Forms::hasEnded() || m_unloading) {
        event->accept();
        return;
    }
    int cancel = 0;
    const int mode = m_pendingUnloadMode;
    Forms::guard([&] { Form_QueryUnload(cancel, mode); });
    if (cancel != 0 || Forms::hasEnded()) {
        // Ended windows are already gone with the program; a cancelled one stays as it was.
        if (cancel != 0)
            event->ignore();
        else
            event->accept();
        return;
    }
    m_unloading = true;
    event->accept();
}
