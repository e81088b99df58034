// Registry export files, the read-only registry made of them, and Windows path text on the
// local file tree.
#include "forms/apperror.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/winpath.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray utf16File(const QString& text) { return TestSupport::utf16WithMark(text); }

QByteArray utf16(const QString& text) { return utf16File(text).mid(2); }

// An export as the registry editor writes it in the older format: CR LF, ANSI text.
const QByteArray Regedit4Export
    = "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"
      "\"PATH\"=\"C:\\\\Program Files\\\\Common Files\\\\msinfo32.exe\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer Test]\r\n"
      "@=\"caf\xE9 \x80 5\"\r\n"
      "\"Quote \\\"x\\\"\"=\"a\\\\b\"\r\n"
      "\"Count\"=dword:0000002a\r\n"
      "\"Expand\"=hex(2):25,77,69,6e,64,69,72,25,00\r\n"
      "\"Bytes\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
      "  15,16\r\n"
      "\"Broken\"=dword:xyz\r\n"
      "\"After broken\"=\"still read\"\r\n"
      "\r\n";

QString version5Text()
{
    return QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\r\n"
        "\"MSINFO\"=\"C:\\\\Program Files\\\\Common Files\\\\Microsoft Shared\\\\MSInfo\"\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer Test]\r\n"
        "\"Text\"=hex(1):e9,00,ac,20,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Wide\"=\"\u4e2d\"\r\n"
        "\"Gone\"=\"x\"\r\n"
        "\"Gone\"=-\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
}

class TstRegistry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsAnOlderFormatExport()
    {
        const RegFile::Hive hive = RegFile::parse(Regedit4Export);
        QCOMPARE(hive.format, RegFile::Format::Regedit4);
        // Names match without regard to case; the keys on the way exist too.
        const RegFile::Key* key = hive.root.find(u"hkey_local_machine\\software\\GLIMMER TEST");
        QVERIFY(key);
        QVERIFY(hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft"));
        QCOMPARE(key->name, QStringLiteral("Glimmer Test"));

        const RegFile::Value* byDefault = key->value(u"");
        QVERIFY(byDefault);
        QCOMPARE(byDefault->type, 1u);
        QCOMPARE(
            byDefault->data, utf16(QStringLiteral("caf\u00e9 \u20ac 5")) + QByteArray(2, '\0'));
        QCOMPARE(
            key->value(u"quote \"X\"")->data, utf16(QStringLiteral("a\\b")) + QByteArray(2, '\0'));
        QCOMPARE(key->value(u"Count")->type, 4u);
        QCOMPARE(key->value(u"Count")->data, QByteArray("\x2a\0\0\0", 4));
        // Text types written as bytes are ANSI in this format.
        QCOMPARE(key->value(u"Expand")->type, 2u);
        QCOMPARE(
            key->value(u"Expand")->data, utf16(QStringLiteral("%windir%")) + QByteArray(2, '\0'));
        // Hexadecimal data runs on over the next line.
        QCOMPARE(key->value(u"Bytes")->type, 3u);
        QCOMPARE(key->value(u"Bytes")->data.size(), 23);
        QCOMPARE(key->value(u"Bytes")->data.back(), '\x16');
        // A line that cannot be read is passed over, and the rest is read.
        QVERIFY(!key->value(u"Broken"));
        QVERIFY(key->value(u"After broken"));
    }

    void readsAVersion5Export()
    {
        const RegFile::Hive hive = RegFile::parse(utf16File(version5Text()));
        QCOMPARE(hive.format, RegFile::Format::Version5);
        QVERIFY(hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"));
        const RegFile::Key* key = hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer Test");
        QVERIFY(key);
        QCOMPARE(key->value(u"Text")->data, QByteArray("\xe9\x00\xac\x20\x00\x00", 6));
        QCOMPARE(key->value(u"Multi")->type, 7u);
        QCOMPARE(key->value(u"Wide")->data, QByteArray("\x2d\x4e\0\0", 4));
        QVERIFY(!key->value(u"Gone"));
        QVERIFY(!hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"));
    }

    // A text editor's save of either format: UTF-8, with or without a byte-order mark (the older
    // header only with the mark, since without one it is the ANSI file it always was).
    void readsExportsSavedAsUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<RegFile::Format>("format");
        const QByteArray mark("\xEF\xBB\xBF");
        const QByteArray version5 = version5Text().toUtf8();
        QTest::newRow("version 5, UTF-8 with mark") << mark + version5 << RegFile::Format::Version5;
        QTest::newRow("version 5, UTF-8 without mark") << version5 << RegFile::Format::Version5;
        QTest::newRow("version 5, LF line ends")
            << QByteArray(version5).replace("\r\n", "\n") << RegFile::Format::Version5;
        QTest::newRow("REGEDIT4, UTF-8 with mark") << mark
                + version5Text()
                      .replace(QStringLiteral("Windows Registry Editor Version 5.00"),
                          QStringLiteral("REGEDIT4"))
                      .toUtf8() << RegFile::Format::Regedit4;
    }
    void readsExportsSavedAsUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(RegFile::Format, format);
        const RegFile::Hive hive = RegFile::parse(bytes);
        QCOMPARE(hive.format, format);
        const RegFile::Key* location
            = hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location");
        QVERIFY(location);
        QCOMPARE(location->value(u"MSINFO")->data,
            utf16(QStringLiteral("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo"))
                + QByteArray(2, '\0'));
        // Characters beyond ASCII are read as UTF-8, not byte by byte.
        const RegFile::Key* key = hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer Test");
        QVERIFY(key);
        QCOMPARE(key->value(u"Wide")->data, QByteArray("\x2d\x4e\0\0", 4));
        QVERIFY(!key->value(u"Gone"));
        QVERIFY(!hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"));
    }

    void rejectsFilesInTheWrongShape_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no header") << QByteArray("[HKEY_LOCAL_MACHINE\\A]\r\n");
        QTest::newRow("odd header after a UTF-8 mark")
            << QByteArray("\xEF\xBB\xBFWindows Registry Editor\r\n[HKEY_LOCAL_MACHINE\\A]\r\n");
        QTest::newRow("version 5 in UTF-16 without mark") << utf16(
            QStringLiteral("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"));
        QTest::newRow("REGEDIT4 in UTF-16")
            << utf16File(QStringLiteral("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"));
        QTest::newRow("odd header") << QByteArray("REGEDIT5\r\n[HKEY_LOCAL_MACHINE\\A]\r\n");
    }
    void rejectsFilesInTheWrongShape()
    {
        QFETCH(QByteArray, bytes);
        const RegFile::Hive hive = RegFile::parse(bytes);
        QCOMPARE(hive.format, RegFile::Format::Invalid);
        QVERIFY(hive.root.subkeys.empty());
    }

    void passesOverKeysItCannotHold()
    {
        const QByteArray file
            = "REGEDIT4\n[HKEY_NOWHERE\\A]\n\"v\"=\"1\"\n[HKEY_LOCAL_MACHINE\\\\B]\n\"v\"=\"2\"\n"
              "[HKEY_LOCAL_MACHINE\\"
            + QByteArray(256, 'x') + "]\n\"v\"=\"3\"\n[HKEY_LOCAL_MACHINE\\C]\n\"v\"=\"4\"\n";
        const RegFile::Hive hive = RegFile::parse(file);
        QCOMPARE(hive.root.subkeys.size(), std::size_t(1));
        const RegFile::Key* machine = hive.root.subkey(u"HKEY_LOCAL_MACHINE");
        QCOMPARE(machine->subkeys.size(), std::size_t(1));
        QVERIFY(machine->subkey(u"C")->value(u"v"));
    }
};

// The registry layer over the machine's export file.
class TstRegistryLayer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString hivePath() const { return m_dir.filePath(QStringLiteral("HKEY_LOCAL_MACHINE.reg")); }

    QByteArray query(Registry::Api& registry, const QByteArray& key, const QByteArray& value,
        Registry::Status* status, std::uint32_t* type = nullptr, std::uint32_t room = 1024)
    {
        Registry::Key handle = 0;
        *status = registry.openKey(Registry::LocalMachine, key, 0, Registry::Read, &handle);
        if (*status != Registry::Success)
            return {};
        QByteArray buffer(int(room), '\0');
        std::uint32_t size = room;
        *status = registry.queryValue(handle, value, type, buffer.data(), &size);
        registry.closeKey(handle);
        return *status == Registry::Success ? buffer.left(int(size)) : QByteArray::number(size);
    }

private Q_SLOTS:
    void init() { QFile::remove(hivePath()); }

    void opensQueriesAndCloses()
    {
        QVERIFY(writeFile(hivePath(), Regedit4Export));
        Registry::ExportFileRegistry registry(hivePath());
        Registry::Status status;
        std::uint32_t type = 99;
        // Text comes back as ANSI bytes with its terminator.
        QCOMPARE(query(registry, "SOFTWARE\\Glimmer Test", "", &status, &type),
            QByteArray("caf\xE9 \x80 5\0", 9));
        QCOMPARE(status, Registry::Success);
        QCOMPARE(type, 1u);
        QCOMPARE(query(registry, "software\\glimmer test", "COUNT", &status, &type),
            QByteArray("\x2a\0\0\0", 4));
        QCOMPARE(type, 4u);
        query(registry, "SOFTWARE\\Nothing", "x", &status);
        QCOMPARE(status, Registry::FileNotFound);
        query(registry, "SOFTWARE\\Glimmer Test", "Nothing", &status);
        QCOMPARE(status, Registry::FileNotFound);

        Registry::Key key = 0;
        QCOMPARE(registry.openKey(Registry::LocalMachine, "SOFTWARE", 0, Registry::Read, &key),
            Registry::Success);
        Registry::Key sub = 0;
        QCOMPARE(registry.openKey(key, "Glimmer Test", 0, Registry::Read, &sub), Registry::Success);
        QVERIFY(sub != key && sub != 0);
        std::uint32_t size = 0;
        QCOMPARE(registry.queryValue(sub, "Count", nullptr, nullptr, &size), Registry::Success);
        QCOMPARE(size, 4u);
        QCOMPARE(registry.closeKey(sub), Registry::Success);
        QCOMPARE(registry.closeKey(sub), Registry::InvalidHandle);
        QCOMPARE(
            registry.queryValue(sub, "Count", nullptr, nullptr, &size), Registry::InvalidHandle);
        QCOMPARE(registry.closeKey(key), Registry::Success);
        QCOMPARE(registry.closeKey(0), Registry::InvalidHandle);
        QCOMPARE(registry.openKey(Registry::CurrentUser, "SOFTWARE", 0, Registry::Read, &key),
            Registry::FileNotFound);
        QCOMPARE(key, 0u);
    }

    void moreDataBeyondTheRoom()
    {
        const QByteArray text1023(1023, 'a');
        QVERIFY(writeFile(hivePath(),
            "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"fits\"=\"" + text1023 + "\"\r\n\"over\"=\""
                + text1023 + "b\"\r\n"));
        Registry::ExportFileRegistry registry(hivePath());
        Registry::Status status;
        QCOMPARE(query(registry, "K", "fits", &status), text1023 + '\0');
        QCOMPARE(status, Registry::Success);
        QCOMPARE(query(registry, "K", "over", &status), QByteArray("1025")); // the size it needs
        QCOMPARE(status, Registry::MoreData);
    }

    void systemInfoKeysFromAUtf8Export()
    {
        // The keys the About box looks for, in a file saved by a text editor with a mark.
        QVERIFY(writeFile(hivePath(),
            "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
            "\"PATH\"=\"/opt/caf\xC3\xA9/tool\"\n"));
        Registry::ExportFileRegistry registry(hivePath());
        Registry::Status status;
        QCOMPARE(query(registry, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", &status),
            QByteArray("/opt/caf\xE9/tool\0", 15));
        QCOMPARE(status, Registry::Success);
    }

    void textTypesComeBackInTheAnsiCodePage()
    {
        QVERIFY(writeFile(hivePath(), utf16File(version5Text())));
        Registry::ExportFileRegistry registry(hivePath());
        Registry::Status status;
        QCOMPARE(query(registry, "SOFTWARE\\Glimmer Test", "Text", &status),
            QByteArray("\xe9\x80\0", 3));
        QCOMPARE(query(registry, "SOFTWARE\\Glimmer Test", "Wide", &status), QByteArray("?\0", 2));
        QCOMPARE(
            query(registry, "SOFTWARE\\Glimmer Test", "Multi", &status), QByteArray("a\0b\0\0", 5));
    }

    void readsTheFileAfreshOnEveryOpen()
    {
        Registry::ExportFileRegistry registry(hivePath());
        Registry::Status status;
        query(registry, "K", "v", &status);
        QCOMPARE(status, Registry::FileNotFound);
        QVERIFY(writeFile(hivePath(), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n"));
        QCOMPARE(query(registry, "K", "v", &status), QByteArray("1\0", 2));
        QVERIFY(writeFile(hivePath(), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"2\"\n"));
        QCOMPARE(query(registry, "K", "v", &status), QByteArray("2\0", 2));
        QVERIFY(writeFile(hivePath(), "not an export\n[HKEY_LOCAL_MACHINE\\K]\n"));
        query(registry, "K", "v", &status);
        QCOMPARE(status, Registry::BadDatabase);
    }

    void moreThanReadAccessNeedsWriteRights()
    {
        QVERIFY(writeFile(hivePath(), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n"));
        bool mayWrite = false;
        Registry::ExportFileRegistry registry(
            hivePath(), [&](const QString& path) { return path == hivePath() && mayWrite; });
        Registry::Key key = 1;
        QCOMPARE(registry.openKey(Registry::LocalMachine, "K", 0, Registry::AllAccess, &key),
            Registry::AccessDenied);
        QCOMPARE(key, 0u);
        QCOMPARE(registry.openKey(Registry::LocalMachine, "K", 0, Registry::SetValue, &key),
            Registry::AccessDenied);
        QCOMPARE(registry.openKey(
                     Registry::LocalMachine, "K", 0, Registry::Read | Registry::Wow64Key64, &key),
            Registry::Success);
        registry.closeKey(key);
        mayWrite = true;
        QCOMPARE(registry.openKey(Registry::LocalMachine, "K", 0, Registry::AllAccess, &key),
            Registry::Success);
        registry.closeKey(key);
    }

    void writeRightsAreTheCurrentUsers()
    {
        QVERIFY(writeFile(hivePath(), "REGEDIT4\n"));
        QVERIFY(Registry::ExportFileRegistry::userMayWrite(hivePath()));
        QVERIFY(QFile::setPermissions(
            hivePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
        // An administrator may write anything: look through the eyes of an ordinary user.
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::seteuid(65534) == 0);
        const bool mayWrite = Registry::ExportFileRegistry::userMayWrite(hivePath());
        const bool mayRead = QFile(hivePath()).open(QIODevice::ReadOnly);
        if (root)
            QVERIFY(::seteuid(0) == 0);
        QVERIFY(!mayWrite);
        QVERIFY(mayRead);
        QVERIFY(
            !Registry::ExportFileRegistry::userMayWrite(m_dir.filePath(QStringLiteral("absent"))));
        QFile::setPermissions(hivePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
};

// Windows path text on the local file tree, and the directory listing.
class TstPaths : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_windowsDir; // the temporary folder written the Windows way

    void touch(const QString& relative)
    {
        QFile f(m_dir.filePath(relative));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_windowsDir = QDir(m_dir.path()).canonicalPath().replace(u'/', u'\\');
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Tools/Sub")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Folder/MSINFO32.EXE")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Hidden")));
        touch(QStringLiteral("Tools/msinfo32.exe"));
        touch(QStringLiteral("Hidden/.msinfo32.exe"));
        QVERIFY(
            ::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0600)
            == 0);
    }

    void pathsBecomeLocal()
    {
        const QString local = QDir(m_dir.path()).canonicalPath();
        QCOMPARE(WinPath::toLocal(m_windowsDir + QStringLiteral("\\TOOLS\\MSInfo32.exe")),
            local + QStringLiteral("/Tools/msinfo32.exe"));
        QCOMPARE(WinPath::toLocal(m_windowsDir + QStringLiteral("\\tools\\\\sub\\")),
            local + QStringLiteral("/Tools/Sub"));
        QCOMPARE(WinPath::toLocal(
                     QStringLiteral("C:") + m_windowsDir + QStringLiteral("\\Tools\\..\\folder")),
            local + QStringLiteral("/Folder"));
        QCOMPARE(WinPath::toLocal(QStringLiteral("\\")), QStringLiteral("/"));
        QCOMPARE(WinPath::toLocal(m_windowsDir + QStringLiteral("\\Nothing\\Here")),
            local + QStringLiteral("/Nothing/Here"));
        const QString oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        const QString relative = WinPath::toLocal(QStringLiteral("tools\\MSINFO32.EXE"));
        QDir::setCurrent(oldDir);
        QCOMPARE(relative, local + QStringLiteral("/Tools/msinfo32.exe"));
        try {
            WinPath::toLocal(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
            QFAIL("no error raised");
        } catch (const AppError& error) {
            QCOMPARE(error.number(), 52);
        }
    }

    void listingFindsOnlyNormalFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found");
        QTest::newRow("other case")
            << QStringLiteral("\\Tools\\MSINFO32.EXE") << QStringLiteral("msinfo32.exe");
        QTest::newRow("folder in other case")
            << QStringLiteral("\\TOOLS\\msinfo32.exe") << QStringLiteral("msinfo32.exe");
        QTest::newRow("doubled backslash")
            << QStringLiteral("\\Tools\\\\MSINFO32.EXE") << QStringLiteral("msinfo32.exe");
        QTest::newRow("a folder of that name")
            << QStringLiteral("\\Folder\\MSINFO32.EXE") << QString();
        QTest::newRow("hidden") << QStringLiteral("\\Hidden\\.msinfo32.exe") << QString();
        QTest::newRow("a pipe") << QStringLiteral("\\fifo") << QString();
        QTest::newRow("absent") << QStringLiteral("\\Tools\\other.exe") << QString();
        QTest::newRow("no such folder") << QStringLiteral("\\Nothing\\MSINFO32.EXE") << QString();
        QTest::newRow("the folder itself") << QStringLiteral("\\Tools\\") << QString();
    }
    void listingFindsOnlyNormalFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, found);
        QCOMPARE(DirListing::current().firstFile(m_windowsDir + path), found);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    {
        TstRegistry t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TstRegistryLayer t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TstPaths t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_registry.moc"
