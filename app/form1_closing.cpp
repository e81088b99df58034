// Closing the main window: every way of closing it passes the same test, and a confirmed close
// ends the whole program.
#include "app/documentview.h"
#include "app/form1.h"
#include "app/msgbox.h"

#include <QGuiApplication>
#include <QSessionManager>

void Form1::menuExit_Click()
{
    unload(Forms::FormCode);
}

void Form1::Form_QueryUnload(int& cancel, int /*unloadMode*/)
{
    if (Rtf1->Text().isEmpty()) {
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
    // The end of the user's session asks the same question; No keeps the session from ending.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        int cancel = 0;
        if (manager.allowsInteraction()) {
            Forms::guard([&] { Form_QueryUnload(cancel, Forms::AppWindows); });
            manager.release();
        } else if (!Rtf1->Text().isEmpty()) {
            // Without leave to ask, keep the document rather than drop it unasked.
            cancel = 1;
        } else {
            Forms::end();
        }
        if (cancel != 0)
            manager.cancel();
    });
}
