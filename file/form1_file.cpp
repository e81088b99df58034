// File > Open and File > Close File.
#include "app/form1.h"
#include "app/statusbar.h"
#include "forms/apperror.h"
#include "forms/msgbox.h"
#include "platform/commondialog.h"
#include "view/documentview.h"

#include <QLabel>

#include <new>

namespace {
QString openFilter()
{
    return QStringLiteral(
        "Batch Files(*.bat)|*.bat|Registry Files(*.reg)|*.reg|Text Files (*.txt) |*.txt|"
        "RTF Files (*.rtf)|*.rtf|NFO Files (*.nfo)|*.nfo|Diz Files (*.diz)|*.diz");
}
constexpr short NfoFilterIndex = 5;

// What the Open error handler tells the user: the caption beneath the view, and a message box
// when a file was chosen.
void reportOpenError(Form1* form, const QString& reason, const QString& chosen)
{
    form->Label1->setText(QStringLiteral("Open Error"));
    // The label lies beneath the view, so on its own it would leave the user with no sign that
    // the file could not be shown. A cancelled dialog is no failure to tell about.
    if (!chosen.isEmpty())
        MsgBox::show(QStringLiteral("Open Error\n%1: %2").arg(reason, chosen), MsgBox::Exclamation,
            MsgBox::applicationTitle());
}
}

void Form1::menuOpen_Click()
{
    // One handler covers every step, from setting up the dialog to the status text.
    try {
        diag->setFilter(openFilter());
        diag->setFilterIndex(NfoFilterIndex);
        diag->setFileName(QString());
        diag->ShowOpen();
        Rtf1->LoadFile(diag->FileName());
        sbar->setSimpleText(diag->FileName());
    } catch (const AppError& error) {
        reportOpenError(this, error.description(), diag->FileName());
    } catch (const std::bad_alloc&) {
        reportOpenError(this, QStringLiteral("Out of memory"), diag->FileName());
    }
}

void Form1::openDropped(const QString& path)
{
    // The dropped file takes the place of the chosen one; the file dialog is left alone.
    try {
        Rtf1->LoadFile(path);
        sbar->setSimpleText(path);
    } catch (const AppError& error) {
        reportOpenError(this, error.description(), path);
    } catch (const std::bad_alloc&) {
        reportOpenError(this, QStringLiteral("Out of memory"), path);
    }
}

void Form1::closefile_Click()
{
    Rtf1->setText(QString());
    sbar->setSimpleText(QString());
}
