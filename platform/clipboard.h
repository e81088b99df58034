#pragma once

#include "forms/seam.h"

#include <QString>

// The system clipboard, plain text only: the program puts characters there and gets characters
// back, never formatting, and never asks which other formats the clipboard holds.
namespace Clipboard {

// Puts the text on the clipboard in its standard text format. Raises AppError when the
// clipboard cannot be reached.
void setText(const QString& text);

// The clipboard's plain text; the empty text when it holds none (a picture, say, or nothing).
// Raises AppError when the clipboard cannot be reached.
QString text();

// Where the text goes. The program uses the system clipboard; tests put in a clipboard of their
// own (one that fails, for instance).
class Backend {
public:
    virtual ~Backend() = default;
    virtual void putText(const QString& text) = 0;
    virtual QString getText() = 0;
};

class SystemClipboard : public Backend {
public:
    void putText(const QString& text) override;
    QString getText() override;
};

using Current = Seam<Backend, SystemClipboard>;

} // namespace Clipboard
