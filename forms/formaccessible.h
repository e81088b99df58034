#pragma once

#include <QAccessible>

// What assistive technology is told of the program's windows: a main window is a frame, a
// dialog (a tool window too) is a dialog, each named by its caption. Without this a window of
// the program would be a mere container to a screen reader, which does not announce it.
namespace FormAccessible {

// The role a window of the program has for assistive technology.
QAccessible::Role roleOf(const QWidget* window);

// Puts the windows' interface in place, once; after the application's own, so it is asked first.
void install();

} // namespace FormAccessible
