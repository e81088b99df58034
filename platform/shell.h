#pragma once

#include "forms/seam.h"

#include <QByteArray>
#include <QWidget>
#include <cstdint>

// Hands a document or a link to the program the desktop associates with it.
namespace Shell {

// Show commands for the program that receives the document.
enum ShowCommand : int { Hide = 0, Normal = 1, Minimized = 2, Maximized = 3 };

// Results above 32 mean the request was handed on; smaller ones are errors.
enum Result : std::intptr_t { FileNotFound = 2, NoAssociation = 31, Handed = 42 };

class Api {
public:
    virtual ~Api() = default;
    // operation "open", file the document or link, parameters for a program (nullptr: none),
    // directory the one to work in; the texts are ANSI.
    virtual std::intptr_t execute(WId owner, const QByteArray& operation, const QByteArray& file,
        const QByteArray* parameters, const QByteArray& directory, int showCommand)
        = 0;
};

// The desktop's opener, xdg-open, started with the link as its one argument in the given
// directory: detached, without a shell. It cannot be told how to show its window, nor take
// parameters; any operation other than "open" has no association.
class DesktopShell : public Api {
public:
    std::intptr_t execute(WId owner, const QByteArray& operation, const QByteArray& file,
        const QByteArray* parameters, const QByteArray& directory, int showCommand) override;
};

using Current = Seam<Api, DesktopShell>;
inline Api& current() { return Current::current(); }

} // namespace Shell
