// The Edit menu's clipboard, line-selection and date/time commands.
#include "app/form1.h"
#include "platform/clipboard.h"
#include "platform/datetimetext.h"
#include "platform/keystrokes.h"
#include "view/documentview.h"

#include <QAction>

// Paste becomes available with the first Cut or Copy, whatever the clipboard held before and
// whether or not the clipboard step then succeeds; nothing takes it away again.
void Form1::menucopy_Click()
{
    menuPaste->setEnabled(true);
    const QString text = Rtf1->SelText();
    Clipboard::setText(text);
}

void Form1::menucut_Click()
{
    menucopy_Click();
    // Only once the characters are safely on the clipboard do they leave the view.
    Rtf1->setSelText(QString());
}

void Form1::menuPaste_Click() { Rtf1->setSelText(Clipboard::text()); }

// Selects the line the caret is on: Home, then Shift+End, handled by the focused view once this
// command has returned.
void Form1::menuselectall_Click() { Keystrokes::send(QStringLiteral("{home}+{end}")); }

void Form1::menuinsertdate_Click()
{
    // The date is read before the time: a stamp made at midnight may pair the old day's date
    // with the new day's time.
    const std::tm date = DateTimeText::now();
    const std::tm time = DateTimeText::now();
    const QString stamp
        = DateTimeText::shortDate(date) + QStringLiteral("  ") + DateTimeText::longTime(time);
    Rtf1->setSelText(stamp);
}
