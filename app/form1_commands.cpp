// The event procedures of the File, Edit and About menus: each hands the work to the room that
// owns it (file/, edit/, find/, about/) with the controls it acts on.
#include "about/frmabout.h"
#include "app/form1.h"
#include "app/statusbar.h"
#include "edit/editcommands.h"
#include "file/fileopen.h"
#include "find/form2.h"
#include "forms/apperror.h"
#include "platform/commondialog.h"

#include <QAction>
#include <QLabel>

#include <new>

namespace {
FileOpen::StatusText statusText(StatusBar& bar)
{
    return [&bar](const QString& text) { bar.setSimpleText(text); };
}
} // namespace

void Form1::menuOpen_Click()
{
    // One handler covers every step, from setting up the dialog to the status text.
    try {
        FileOpen::choose(*diag);
        FileOpen::show(*Rtf1, diag->FileName(), statusText(*sbar));
    } catch (const AppError& error) {
        FileOpen::reportError(*Label1, error.description(), diag->FileName());
    } catch (const std::bad_alloc&) {
        FileOpen::reportError(*Label1, QStringLiteral("Out of memory"), diag->FileName());
    }
}

void Form1::openDropped(const QString& path)
{
    // The dropped file takes the place of the chosen one; the file dialog is left alone.
    try {
        FileOpen::show(*Rtf1, path, statusText(*sbar));
    } catch (const AppError& error) {
        FileOpen::reportError(*Label1, error.description(), path);
    } catch (const std::bad_alloc&) {
        FileOpen::reportError(*Label1, QStringLiteral("Out of memory"), path);
    }
}

void Form1::closefile_Click() { FileOpen::close(*Rtf1, statusText(*sbar)); }

// Paste becomes available with the first Cut or Copy, whatever the clipboard held before and
// whether or not the clipboard step then succeeds; nothing takes it away again.
void Form1::menucopy_Click()
{
    menuPaste->setEnabled(true);
    EditCommands::copy(*Rtf1);
}

void Form1::menucut_Click()
{
    menuPaste->setEnabled(true);
    EditCommands::cut(*Rtf1);
}

void Form1::menuPaste_Click() { EditCommands::paste(*Rtf1); }

void Form1::menuselectall_Click() { EditCommands::selectLine(); }

void Form1::menuinsertdate_Click() { EditCommands::insertDateTime(*Rtf1); }

// Edit > Find: the one find dialog, loaded if need be, shown beside the main window with no
// owner. Choosing Find while it is visible simply shows it again.
void Form1::menuFind_Click() { Form2::instance().showModeless(); }

void Form1::menupadu_Click() { frmAbout::instance().showModeless(); }
