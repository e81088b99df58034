// The System Info button: the two registry lookups, the folder check and the start of the tool,
// with every way it can fail ending in one message.
#include "about/frmabout.h"
#include "forms/apperror.h"
#include "platform/ansi.h"
#include "platform/programstart.h"
#include "platform/registry.h"
#include "platform/winpath.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/stat.h>

namespace {
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");
const QByteArray Key1 = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray Key2 = "SOFTWARE\\Microsoft\\Shared Tools Location";

// The machine's registry from a file, with every open and close counted.
class RecordingRegistry : public Registry::Api {
public:
    RecordingRegistry(const QString& hive, const bool& mayWrite)
        : m_registry(hive, [&mayWrite](const QString&) { return mayWrite; })
    {
    }
    QList<QPair<QByteArray, std::uint32_t>> opened; // key and access asked for
    int open = 0;

    Registry::Status openKey(Registry::Key root, const QByteArray& subKey, std::uint32_t options,
        std::uint32_t access, Registry::Key* result) override
    {
        opened << qMakePair(subKey, access);
        const Registry::Status status = m_registry.openKey(root, subKey, options, access, result);
        open += status == Registry::Success ? 1 : 0;
        return status;
    }
    Registry::Status queryValue(Registry::Key key, const QByteArray& name, std::uint32_t* type,
        char* data, std::uint32_t* size) override
    {
        return m_registry.queryValue(key, name, type, data, size);
    }
    Registry::Status closeKey(Registry::Key key) override
    {
        const Registry::Status status = m_registry.closeKey(key);
        open -= status == Registry::Success ? 1 : 0;
        return status;
    }

private:
    Registry::ExportFileRegistry m_registry;
};

// Starts nothing: records the path, and fails as the real starter would for a path that names
// no file.
class FakeStarter : public ProgramStart::Api {
public:
    QStringList started;
    bool everyPathIsAProgram = false;
    std::int64_t start(const QString& path, int style) override
    {
        const bool exists = everyPathIsAProgram || QFileInfo(WinPath::toLocal(path)).isFile();
        if (style != 1 || path.isEmpty() || !exists)
            throw AppError(AppError::FileNotFound, QStringLiteral("File not found"));
        started << path;
        return 4242;
    }
};

class FakeListing : public DirListing::Api {
public:
    QStringList asked;
    QString firstFile(const QString& path) override
    {
        asked << path;
        return QStringLiteral("MSINFO32.EXE");
    }
};

QByteArray utf16File(const QString& text) { return TestSupport::utf16WithMark(text); }

// A value line's text: a quoted string with its backslashes doubled.
QByteArray quoted(const QString& text)
{
    return "\"" + QString(text).replace(QStringLiteral("\\"), QStringLiteral("\\\\")).toLatin1()
        + "\"";
}

QByteArray hexText(const QByteArray& bytes, int type = 1)
{
    QByteArray out = "hex(" + QByteArray::number(type, 16) + "):";
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out += (i ? "," : "") + QByteArray::number(static_cast<unsigned char>(bytes[i]), 16);
    return out;
}

QByteArray lookup1(const QByteArray& data)
{
    return "[HKEY_LOCAL_MACHINE\\" + Key1 + "]\r\n\"PATH\"=" + data + "\r\n\r\n";
}

QByteArray lookup2(const QByteArray& data)
{
    return "[HKEY_LOCAL_MACHINE\\" + Key2 + "]\r\n\"MSINFO\"=" + data + "\r\n\r\n";
}
}

class TstSysInfo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tools; // a folder holding MSINFO32.EXE, written the Windows way
    QString m_empty; // a folder without it
    bool m_mayWrite = false;
    std::unique_ptr<RecordingRegistry> m_registry;
    FakeStarter m_starter;
    std::optional<Registry::Current::Override> m_useRegistry;
    std::optional<ProgramStart::Current::Override> m_useStarter;

    QString hivePath() const { return m_dir.filePath(QStringLiteral("HKEY_LOCAL_MACHINE.reg")); }

    void writeHive(const QByteArray& body, bool version5 = false)
    {
        QFile f(hivePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (version5)
            f.write(utf16File(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n")
                + QString::fromLatin1(body)));
        else
            f.write("REGEDIT4\r\n\r\n" + body);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDir top(m_dir.path());
        QVERIFY(top.mkpath(QStringLiteral("Tools")) && top.mkpath(QStringLiteral("Empty")));
        QFile tool(top.filePath(QStringLiteral("Tools/MSINFO32.EXE")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        m_tools = top.canonicalPath().replace(u'/', u'\\') + QStringLiteral("\\Tools");
        m_empty = top.canonicalPath().replace(u'/', u'\\') + QStringLiteral("\\Empty");
    }

    void init()
    {
        TestSupport::closeAllWindows();
        m_mayWrite = false;
        m_registry = std::make_unique<RecordingRegistry>(hivePath(), m_mayWrite);
        m_starter.started.clear();
        m_useRegistry.emplace(*m_registry);
        m_useStarter.emplace(m_starter);
        QFile::remove(hivePath());
    }

    void cleanup()
    {
        m_useStarter.reset();
        m_useRegistry.reset();
        TestSupport::closeAllWindows();
    }

    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("hive");
        QTest::addColumn<bool>("version5");
        QTest::addColumn<QString>("started"); // empty: the message instead
        QTest::addColumn<int>("lookups");

        const QString tool = m_tools + QStringLiteral("\\MSINFO32.EXE");
        const QByteArray second = lookup2(quoted(m_tools));
        QTest::newRow("both places present")
            << lookup1(quoted(tool)) + lookup2(quoted(m_empty)) << false << tool << 1;
        QTest::newRow("both places, version 5 export")
            << lookup1(quoted(tool)) + second << true << tool << 1;
        QTest::newRow("only the folder") << second << false << tool << 2;
        QTest::newRow("folder ending in a backslash")
            << lookup2(quoted(m_tools + u'\\')) << false
            << m_tools + QStringLiteral("\\\\MSINFO32.EXE") << 2;
        QTest::newRow("folder without the file")
            << lookup2(quoted(m_empty)) << false << QString() << 2;
        QTest::newRow("neither place") << QByteArray() << false << QString() << 2;
        QTest::newRow("key 1 without its value")
            << "[HKEY_LOCAL_MACHINE\\" + Key1 + "]\r\n\"Other\"=" + quoted(tool) + "\r\n" + second
            << false << tool << 2;
        QTest::newRow("path of 1024 bytes is read")
            << lookup1(quoted(QString(1023, u'x'))) + second << false << QString() << 1;
        QTest::newRow("path of 1025 bytes counts as missing")
            << lookup1(quoted(QString(1024, u'x'))) + second << false << tool << 2;
        QTest::newRow("lookup 1 names no program")
            << lookup1(quoted(tool + u'x')) + second << false << QString() << 1;
        QTest::newRow("lookup 1 expandable text")
            << lookup1(hexText(tool.toLatin1() + '\0', 2)) + second << false << QString() << 1;
        QTest::newRow("lookup 1 a number")
            << lookup1("dword:0000002a") + second << false << QString() << 1;
        QTest::newRow("lookup 1 without data")
            << lookup1("hex(1):") + second << false << QString() << 1;
        QTest::newRow("lookup 2 without data") << lookup2("hex(1):") << false << QString() << 2;
        QTest::newRow("folder text with its NUL")
            << lookup2(hexText(m_tools.toLatin1() + '\0')) << false << tool << 2;
        QTest::newRow("folder text without its NUL")
            << lookup2(hexText(m_tools.toLatin1())) << false << tool << 2;
        QTest::newRow("folder text holding a NUL")
            << lookup2(hexText(m_tools.toLatin1() + QByteArray("\0x", 2))) << false << QString()
            << 2;
        if (!QFileInfo::exists(QStringLiteral("/MSINFO32.EXE")))
            QTest::newRow("lookup 2 expandable text")
                << lookup2(hexText(m_tools.toLatin1() + '\0', 2)) << false << QString() << 2;
    }
    void outcomes()
    {
        QFETCH(QByteArray, hive);
        QFETCH(bool, version5);
        QFETCH(QString, started);
        QFETCH(int, lookups);
        writeHive(hive, version5);
        TestSupport::MessageBoxes boxes;

        frmAbout::instance().StartSysInfo();

        QCOMPARE(m_starter.started, started.isEmpty() ? QStringList() : QStringList { started });
        QCOMPARE(boxes.shown().size(), started.isEmpty() ? 1 : 0);
        if (started.isEmpty()) {
            const TestSupport::ShownBox& box = boxes.shown().first();
            QCOMPARE(box.text, Unavailable);
            QCOMPARE(box.title, QStringLiteral("Glimmer"));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
            QCOMPARE(box.buttons, QList<QMessageBox::StandardButton> { QMessageBox::Ok });
        }
        // The lookups in their order, each asking for read access only, every key released.
        QCOMPARE(m_registry->opened.size(), lookups);
        QCOMPARE(m_registry->opened.first().first, Key1);
        if (lookups == 2)
            QCOMPARE(m_registry->opened.last().first, Key2);
        for (const auto& open : m_registry->opened)
            QCOMPARE(open.second, 0x20019u);
        QCOMPARE(m_registry->open, 0);
    }

    // A folder named beyond ASCII, in an older-format export as the registry editor writes it
    // (ANSI) and as a text editor saves it (UTF-8 without a byte-order mark).
    void folderNamedBeyondAscii_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::newRow("ANSI") << false;
        QTest::newRow("UTF-8 without a mark") << true;
    }
    void folderNamedBeyondAscii()
    {
        QFETCH(bool, utf8);
        const QString name = QStringLiteral("Outils \u00e9t\u00e9 \u20ac");
        QDir top(m_dir.path());
        QVERIFY(top.mkpath(name));
        QFile tool(top.filePath(name + QStringLiteral("/MSINFO32.EXE")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        const QString folder = top.canonicalPath().replace(u'/', u'\\') + u'\\' + name;
        const QString data
            = u'"' + QString(folder).replace(QStringLiteral("\\"), QStringLiteral("\\\\")) + u'"';
        QFile hive(hivePath());
        QVERIFY(hive.open(QIODevice::WriteOnly | QIODevice::Truncate));
        hive.write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Key2
            + "]\r\n\"MSINFO\"=" + (utf8 ? data.toUtf8() : Ansi::fromUnicode(data)) + "\r\n");
        hive.close();
        TestSupport::MessageBoxes boxes;

        frmAbout::instance().StartSysInfo();

        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(m_starter.started, QStringList { folder + QStringLiteral("\\MSINFO32.EXE") });
    }

    void hiveTheUserMayNotWriteStillServes()
    {
        writeHive(lookup1(quoted(m_tools + QStringLiteral("\\MSINFO32.EXE"))));
        TestSupport::MessageBoxes boxes;
        m_mayWrite = false;
        frmAbout::instance().StartSysInfo();
        QCOMPARE(m_starter.started.size(), 1);
        // Asking it for all access, as a writer would, is refused.
        Registry::Key key = 0;
        QCOMPARE(m_registry->openKey(Registry::LocalMachine, Key1, 0, Registry::AllAccess, &key),
            Registry::AccessDenied);
        QCOMPARE(boxes.shown().size(), 0);
    }

    void expandableFolderLooksAtTheRoot()
    {
        FakeListing listing;
        DirListing::Current::Override useListing(listing);
        writeHive(lookup2(hexText("C:\\Somewhere", 2)));
        TestSupport::MessageBoxes boxes;
        m_starter.everyPathIsAProgram = true;
        frmAbout::instance().StartSysInfo();
        m_starter.everyPathIsAProgram = false;
        // The empty folder text leaves the file name at the root of the drive.
        QCOMPARE(listing.asked, QStringList { QStringLiteral("\\MSINFO32.EXE") });
        QCOMPARE(m_starter.started, QStringList { QStringLiteral("\\MSINFO32.EXE") });
        QCOMPARE(boxes.shown().size(), 0);
    }

    void readerResults_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("value");
        QTest::newRow("text") << QByteArray("\"abc\"") << -1 << QStringLiteral("abc");
        QTest::newRow("text with a NUL inside")
            << hexText(QByteArray("a\0b", 3)) << -1 << QStringLiteral("a") + QChar(0) + u'b';
        QTest::newRow("ANSI text")
            << hexText("caf\xE9\x80") << -1 << QStringLiteral("caf\u00e9\u20ac");
        QTest::newRow("number 2A 00 00 00")
            << hexText(QByteArray("\x2a\0\0\0", 4), 4) << -1 << QStringLiteral("42");
        QTest::newRow("number with the top bit set")
            << QByteArray("dword:ffffffff") << -1 << QStringLiteral("-1");
        QTest::newRow("number 0x80000000")
            << QByteArray("dword:80000000") << -1 << QStringLiteral("-2147483648");
        QTest::newRow("largest positive")
            << QByteArray("dword:7fffffff") << -1 << QStringLiteral("2147483647");
        QTest::newRow("short number")
            << hexText(QByteArray("\x01\x02", 2), 4) << -1 << QStringLiteral("513");
        QTest::newRow("expandable text keeps KeyVal")
            << hexText("x\0", 2) << -1 << QStringLiteral("before");
        QTest::newRow("binary keeps KeyVal")
            << QByteArray("hex:01,02") << -1 << QStringLiteral("before");
        QTest::newRow("1024 bytes") << quoted(QString(1023, u'y')) << -1 << QString(1023, u'y');
        QTest::newRow("1025 bytes") << quoted(QString(1024, u'y')) << 0 << QString();
    }
    void readerResults()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, result);
        QFETCH(QString, value);
        writeHive("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n\"Value\"=" + data + "\r\n");
        Registry::Key root = Registry::LocalMachine;
        QString key = QStringLiteral("SOFTWARE\\Test"), name = QStringLiteral("Value");
        QString keyVal = QStringLiteral("before");
        QCOMPARE(int(frmAbout::instance().GetKeyValue(root, key, name, keyVal)), result);
        QCOMPARE(keyVal, value);
        QCOMPARE(root, Registry::LocalMachine);
        QCOMPARE(key, QStringLiteral("SOFTWARE\\Test"));
        QCOMPARE(name, QStringLiteral("Value"));
        QCOMPARE(m_registry->open, 0);
    }

    // Something other than a file at the hive's path (a FIFO no one writes to would block a
    // plain open for ever): the message, at once.
    void hivePathThatIsNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("device") << "device";
    }
    void hivePathThatIsNoFile()
    {
        QFETCH(QString, kind);
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(hivePath()).constData(), 0600), 0);
        else if (kind == u"folder")
            QVERIFY(QDir().mkpath(hivePath()));
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), hivePath()));
        TestSupport::MessageBoxes boxes;
        frmAbout::instance().StartSysInfo();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().text, Unavailable);
        QVERIFY(m_starter.started.isEmpty());
        QFile::remove(hivePath());
        QDir().rmdir(hivePath());
    }

    void readerFailures()
    {
        writeHive("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n\"Empty\"=hex:\r\n");
        Registry::Key root = Registry::LocalMachine;
        QString key = QStringLiteral("SOFTWARE\\Test"), name = QStringLiteral("Missing"),
                keyVal = QStringLiteral("x");
        QCOMPARE(int(frmAbout::instance().GetKeyValue(root, key, name, keyVal)), 0);
        QCOMPARE(keyVal, QString());
        key = QStringLiteral("SOFTWARE\\Nothing");
        keyVal = QStringLiteral("x");
        QCOMPARE(int(frmAbout::instance().GetKeyValue(root, key, name, keyVal)), 0);
        QCOMPARE(keyVal, QString());
        // No data leaves no last character to examine: an invalid-argument error, key released.
        key = QStringLiteral("SOFTWARE\\Test");
        name = QStringLiteral("Empty");
        try {
            frmAbout::instance().GetKeyValue(root, key, name, keyVal);
            QFAIL("no error raised");
        } catch (const AppError& error) {
            QCOMPARE(error.number(), 5);
        }
        QCOMPARE(m_registry->open, 0);
    }

    void startsTheRealTool()
    {
        // A stand-in tool, spelled in other case than the registry's file name, that leaves a mark.
        QTemporaryDir folder;
        const QString mark = folder.filePath(QStringLiteral("started"));
        QFile tool(folder.filePath(QStringLiteral("msinfo32.exe")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(QStringLiteral("#!/bin/sh\necho \"$#\" > '%1'\n").arg(mark).toUtf8());
        tool.close();
        tool.setPermissions(
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString windowsFolder = QDir(folder.path()).canonicalPath().replace(u'/', u'\\');
        writeHive(lookup2(quoted(windowsFolder)));
        ProgramStart::LocalStarter realStarter;
        ProgramStart::Current::Override useRealStarter(realStarter);
        TestSupport::MessageBoxes boxes;

        frmAbout::instance().showModeless();
        QVERIFY(QTest::qWaitForWindowActive(&frmAbout::instance()));
        QTest::keyClick(&frmAbout::instance(), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(boxes.shown().size(), 0);
        // Started with no arguments at all.
        auto written = [&mark] {
            QFile f(mark);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QTRY_COMPARE(written(), QByteArray("0\n"));
    }

    void realStarterFailures()
    {
        ProgramStart::LocalStarter starter;
        QFile plain(m_dir.filePath(QStringLiteral("Tools/MSINFO32.EXE"))); // not executable
        for (const QString& path :
            { QString(), QStringLiteral("   "), m_empty + QStringLiteral("\\none.exe"),
                m_tools + QStringLiteral("\\MSINFO32.EXE"), m_tools }) {
            try {
                starter.start(path, 1);
                QFAIL(qPrintable(QStringLiteral("no error raised for ") + path));
            } catch (const AppError& error) {
                QVERIFY(error.number() == AppError::FileNotFound
                    || error.number() == AppError::InvalidProcedureCall);
            }
        }
    }
};

QTEST_MAIN(TstSysInfo)
#include "tst_sysinfo.moc"
