#pragma once

class QWidget;

// Requests to the window manager that Qt has no setting for.
namespace WindowHints {

// Asks task bars and pagers to leave the window out (on X11, _NET_WM_STATE_SKIP_TASKBAR). Call
// it while the window is about to be mapped, from its show event: the window manager takes the
// state of a window as it is when mapped, and drops it when the window is withdrawn. Where the
// windowing system has no such request (Wayland), the call does nothing.
void keepOffTaskBar(QWidget* window);

} // namespace WindowHints
