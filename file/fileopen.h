#pragma once

#include <QString>
#include <functional>

class CommonDialog;
class DocumentView;
class QLabel;

// File > Open and File > Close File: the file dialog set up for documents, a file loaded into
// the view and named in the status text, and what the user is told when it cannot be shown.
// The error handler itself belongs to the command that runs these steps.
namespace FileOpen {

// Where the path of the file shown is written: the main window's status text.
using StatusText = std::function<void(const QString& text)>;

// Sets up the dialog (the document filters, "NFO Files" preselected, no name) and shows it. A
// cancelled dialog leaves the file name empty.
void choose(CommonDialog& dialog);

// Loads the file into the view, then names it in the status text; a file that cannot be
// loaded raises its error and the status text stays as it was.
void show(DocumentView& view, const QString& path, const StatusText& status);

// Empties the view and the status text.
void close(DocumentView& view, const StatusText& status);

// Tells the user that the chosen file could not be shown: "Open Error" in the caption beneath
// the view and, when a file was chosen, a message box with the reason and the name.
void reportError(QLabel& caption, const QString& reason, const QString& chosen);

} // namespace FileOpen
