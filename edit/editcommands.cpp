#include "edit/editcommands.h"

#include "platform/clipboard.h"
#include "platform/datetimetext.h"
#include "platform/keystrokes.h"
#include "view/documentview.h"

namespace EditCommands {

void copy(DocumentView& view)
{
    const QString text = view.SelText();
    Clipboard::setText(text);
}

void cut(DocumentView& view)
{
    copy(view);
    // Only once the characters are safely on the clipboard do they leave the view.
    view.setSelText(QString());
}

void paste(DocumentView& view) { view.setSelText(Clipboard::text()); }

// The keys are handled by the focused view once the command that sent them has returned.
void selectLine() { Keystrokes::send(QStringLiteral("{home}+{end}")); }

void insertDateTime(DocumentView& view)
{
    // The date is read before the time: a stamp made at midnight may pair the old day's date
    // with the new day's time.
    const std::tm date = DateTimeText::now();
    const std::tm time = DateTimeText::now();
    const QString stamp
        = DateTimeText::shortDate(date) + QStringLiteral("  ") + DateTimeText::longTime(time);
    view.setSelText(stamp);
}

} // namespace EditCommands
