#pragma once

class DocumentView;

// The Edit menu's work on the document view: plain text to and from the clipboard, the line
// under the caret selected, the date and time written at the caret.
namespace EditCommands {

// The selected text, as plain text, onto the clipboard.
void copy(DocumentView& view);
// Copy, then the selection leaves the view.
void cut(DocumentView& view);
// The clipboard's plain text replaces the selection.
void paste(DocumentView& view);
// Selects the line the caret is on, by the keys Home and Shift+End sent to the focused window.
void selectLine();
// Writes the short date and the long time, two spaces apart, over the selection.
void insertDateTime(DocumentView& view);

} // namespace EditCommands
