#include "platform/windowsystem.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace WindowSystem {

std::optional<QByteArray> platformFor(const Surroundings& surroundings)
{
    if (!surroundings.chosenPlatform.isEmpty()) {
        // A choice of X11 or Wayland alone is no better than none when that display is absent;
        // any other platform (offscreen, a framebuffer, a list to try) is Qt's business.
        const QByteArray& chosen = surroundings.chosenPlatform;
        if ((chosen == "xcb" && !surroundings.x11)
            || (chosen == "wayland" && !surroundings.wayland))
            return std::nullopt;
        return QByteArray();
    }
    // With both, Qt's own choice stands (it prefers Wayland in a Wayland session). With X alone
    // X is named: left to choose, Qt would first try a Wayland display that does not answer (a
    // WAYLAND_DISPLAY left over from a session gone) and warn about it.
    if (surroundings.x11 && surroundings.wayland)
        return QByteArray();
    if (surroundings.x11)
        return QByteArrayLiteral("xcb");
    if (surroundings.wayland)
        return QByteArrayLiteral("wayland");
    return std::nullopt;
}

namespace {

    bool x11Answers()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return false;
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        const bool ok = connection && xcb_connection_has_error(connection) == 0;
        if (connection)
            xcb_disconnect(connection);
        return ok;
    }

    // The compositor's socket: WAYLAND_DISPLAY, a path or a name in XDG_RUNTIME_DIR, by default
    // "wayland-0". A socket handed over in WAYLAND_SOCKET counts as it is.
    bool waylandAnswers()
    {
        if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
            return true;
        QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
        if (name.isEmpty())
            name = QStringLiteral("wayland-0");
        if (!QDir::isAbsolutePath(name)) {
            const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
            if (runtime.isEmpty())
                return false;
            name = runtime + QLatin1Char('/') + name;
        }
        const QByteArray path = QFile::encodeName(name);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof(address.sun_path))
            return false;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        const bool ok
            = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        ::close(fd);
        return ok;
    }

} // namespace

Surroundings probe()
{
    Surroundings s;
    s.chosenPlatform = qgetenv("QT_QPA_PLATFORM");
    if (s.chosenPlatform.isEmpty() || s.chosenPlatform == "xcb")
        s.x11 = x11Answers();
    if (s.chosenPlatform.isEmpty() || s.chosenPlatform == "wayland")
        s.wayland = waylandAnswers();
    return s;
}

} // namespace WindowSystem
