// Which display the program starts on, decided before Qt starts: X11 when an X server answers
// (Qt's own choice stands), Wayland alone when only a compositor does, and nothing at all
// (the program says so and exits) when neither does or the chosen one is absent.
#include "platform/windowsystem.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<QByteArray>)

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
        QTest::newRow("X11") << QByteArray() << true << false << qtChooses;
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
        const QList<QByteArray> names { "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
            "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR" };
        QList<std::optional<QByteArray>> saved;
        for (const QByteArray& name : names) {
            saved << (qEnvironmentVariableIsSet(name.constData())
                    ? std::optional<QByteArray>(qgetenv(name.constData()))
                    : std::nullopt);
            qunsetenv(name.constData());
        }
        qputenv("XDG_RUNTIME_DIR", QByteArray("/nonexistent-runtime-folder"));
        const WindowSystem::Surroundings found = WindowSystem::probe();
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (saved[i])
                qputenv(names[i].constData(), *saved[i]);
            else
                qunsetenv(names[i].constData());
        }
        QVERIFY(!found.x11);
        QVERIFY(!found.wayland);
        QVERIFY(!WindowSystem::platformFor(found));
    }
};

QTEST_GUILESS_MAIN(TestWindowSystem)
#include "tst_windowsystem.moc"
