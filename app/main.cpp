#include "app/form1.h"
#include "platform/windowsystem.h"
#include "resources/identity.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Qt stops the process with an abort when it cannot reach a display; say so plainly instead.
    const std::optional<QByteArray> platform = WindowSystem::platformFor(WindowSystem::probe());
    if (!platform) {
        std::fputs("glimmer: no display to show a window on (no X server at DISPLAY and no "
                   "Wayland compositor at WAYLAND_DISPLAY)\n",
            stderr);
        return 1;
    }

    // The program reads no command-line arguments, and Qt gets none of them either (no
    // -reverse, -style or -platform from the command line): only the program's name, and the
    // platform when one display alone answers, Wayland or X (with X alone, Qt left to choose
    // would first try a Wayland display left over from a session gone).
    char fallbackName[] = "glimmer";
    char platformOption[] = "-platform";
    QByteArray platformName = *platform;
    char* qtArgv[] = { argc > 0 && argv[0] ? argv[0] : fallbackName, platformOption,
        platformName.data(), nullptr };
    int qtArgc = platformName.isEmpty() ? 1 : 3;
    if (platformName.isEmpty())
        qtArgv[1] = nullptr;

    QApplication app(qtArgc, qtArgv);
    Identity::apply();
    Form1::instance().show();
    return app.exec();
}
