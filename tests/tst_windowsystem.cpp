// Which display the program starts on, decided before Qt starts: Qt's own choice when an X
// server and a compositor both answer, X11 or Wayland by name when only one of them does, and
// nothing at all (the program says so and exits) when neither does or the chosen one is absent.
#include "platform/windowsystem.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {
// The variables the probe reads, all unset but the ones given, for as long as it lives; what
// was there before comes back at the end.
class Environment {
public:
    using Values = QList<QPair<QByteArray, QByteArray>>;
    explicit Environment(const Values& values)
    {
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM",
                 "XDG_RUNTIME_DIR" }) {
            m_saved.append({ name,
                qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                : std::nullopt });
            qunsetenv(name);
        }
        for (const auto& [name, value] : values)
            qputenv(name.constData(), value);
    }
    ~Environment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

private:
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_saved;
};
}

class TestWindowSystem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void platformFor_data()
    {
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<bool>("x11");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<std::optional<QByteArray>>("expected");
        const std::optional<QByteArray> qtChooses = QByteArray();
        const std::optional<QByteArray> none;
        // No Wayland display to try first, not even one WAYLAND_DISPLAY names that is gone.
        QTest::newRow("X11 alone")
            << QByteArray() << true << false << std::optional<QByteArray>("xcb");
        QTest::newRow("X11 and Wayland") << QByteArray() << true << true << qtChooses;
        QTest::newRow("Wayland alone")
            << QByteArray() << false << true << std::optional<QByteArray>("wayland");
        QTest::newRow("nothing") << QByteArray() << false << false << none;
        QTest::newRow("offscreen chosen") << QByteArray("offscreen") << false << false << qtChooses;
        QTest::newRow("xcb chosen, X server there")
            << QByteArray("xcb") << true << false << qtChooses;
        QTest::newRow("xcb chosen, no X server") << QByteArray("xcb") << false << true << none;
        QTest::newRow("wayland chosen, none there")
            << QByteArray("wayland") << true << false << none;
        QTest::newRow("a list to try") << QByteArray("wayland;xcb") << false << false << qtChooses;
    }
    void platformFor()
    {
        QFETCH(QByteArray, chosen);
        QFETCH(bool, x11);
        QFETCH(bool, wayland);
        QFETCH(std::optional<QByteArray>, expected);
        QCOMPARE(WindowSystem::platformFor({ chosen, x11, wayland }), expected);
    }

    void probeFindsNothingWithoutDisplays()
    {
        // No DISPLAY, no WAYLAND_DISPLAY, and a runtime folder without a default socket.
        const Environment environment(
            Environment::Values { { "XDG_RUNTIME_DIR", "/nonexistent-runtime-folder" } });
        const WindowSystem::Surroundings found = WindowSystem::probe();
        QVERIFY(!found.x11);
        QVERIFY(!found.wayland);
        QVERIFY(!WindowSystem::platformFor(found));
    }

    // A compositor counts when it takes a connection at its socket, not when a socket file is
    // there: one left behind by a compositor that has ended refuses it.
    void probeConnectsToTheWaylandSocket_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("a compositor listens") << true;
        QTest::newRow("a socket left behind") << false;
    }
    void probeConnectsToTheWaylandSocket()
    {
        QFETCH(bool, listening);
        QTemporaryDir runtime;
        const QByteArray path = QFile::encodeName(runtime.filePath(QStringLiteral("wayland-9")));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        if (listening)
            QCOMPARE(::listen(fd, 1), 0);
        const Environment environment(
            Environment::Values { { "XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()) },
                { "WAYLAND_DISPLAY", "wayland-9" } });
        const WindowSystem::Surroundings found = WindowSystem::probe();
        ::close(fd);
        QCOMPARE(found.wayland, listening);
        QCOMPARE(WindowSystem::platformFor(found),
            listening ? std::optional<QByteArray>("wayland") : std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestWindowSystem)
#include "tst_windowsystem.moc"
