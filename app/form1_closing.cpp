// Closing the main window: every way of closing it passes the same test, and a confirmed close
// ends the whole program.
#include "app/form1.h"
#include "forms/msgbox.h"
#include "view/documentview.h"

#include <QGuiApplication>
#include <QSessionManager>

void Form1::menuExit_Click() { unload(Forms::FormCode); }

void Form1::Form_QueryUnload(int& cancel, int /*unloadMode*/)
{
    // The same test as an empty Text(), without copying a large document out of the view.
    if (Rtf1->document()->isEmpty()) {
        Forms::end();
        return;
    }
    const int answer = MsgBox::show(QStringLiteral("Are you sure you want to exit?"),
        MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton1);
    if (answer == MsgBox::Yes) {
        Forms::end();
        return;
    }
    cancel = 1;
}

void Form1::connectSessionEnd()
{
    // No keeps the session from ending, as it keeps the window open.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        const bool mayAsk = manager.allowsInteraction();
        const bool letEnd = sessionEnding(mayAsk);
        if (mayAsk)
            manager.release();
        if (!letEnd)
            manager.cancel();
    });
}

bool Form1::sessionEnding(bool mayAsk)
{
    int cancel = 0;
    if (mayAsk)
        Forms::guard([&] { Form_QueryUnload(cancel, Forms::AppWindows); });
    else if (!Rtf1->document()->isEmpty())
        cancel = 1; // without leave to ask, keep the document rather than drop it unasked
    else
        Forms::end();
    return cancel == 0;
}
