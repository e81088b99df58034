#pragma once

#include <QByteArray>
#include <optional>

// The display the program's windows go to. Qt gives up with an abort when the windowing system
// it tries cannot be reached; the program looks first, so that it can say in one line that
// there is nowhere to show a window, and so that a desktop with Wayland alone is used.
namespace WindowSystem {

// What the surroundings offer.
struct Surroundings {
    QByteArray chosenPlatform; // QT_QPA_PLATFORM: a choice made for Qt by whoever started us
    bool x11 = false; // an X server answers at DISPLAY
    bool wayland = false; // a Wayland compositor listens at WAYLAND_DISPLAY (or its default)
};

// The Qt platform to start: an empty name leaves the choice to Qt (an X server and a Wayland
// compositor both answer, or the platform was chosen for us); "xcb" or "wayland" when only that
// display answers; nothing when there is no display at all.
std::optional<QByteArray> platformFor(const Surroundings& surroundings);

// Looks at the process's environment and tries the displays it names.
Surroundings probe();

} // namespace WindowSystem
