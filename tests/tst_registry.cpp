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

// The data of a value, or "(none)" when the file has no such value. It is read twice, from the
// top of the file and from where the key's values begin, and both must agree.
QByteArray dataOf(const RegFile::Export& file, QStringView key, QStringView name)
{
    const std::optional<RegFile::Value> value = file.value(key, name);
    const std::optional<RegFile::Value> again = file.value(file.key(key), key, name);
    if (bool(value) != bool(again) || (value && again->data != value->data))
        return "(read differently from where its values begin)";
    return value ? value->data : QByteArray("(none)");
}

std::uint32_t typeOf(const RegFile::Export& file, QStringView key, QStringView name)
{
    const std::optional<RegFile::Value> value = file.value(key, name);
    return value ? value->type : 0xFFFFFFFFu;
}

QByteArray text(const QString& text) { return utf16(text) + QByteArray(2, '\0'); }

constexpr QStringView TestKey = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer Test";
}

class TstRegistry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsAnOlderFormatExport()
    {
        const RegFile::Export file(Regedit4Export);
        QCOMPARE(file.format(), RegFile::Format::Regedit4);
        QCOMPARE(file.encoding(), RegFile::Encoding::Ansi);
        // Names match without regard to case; the keys on the way exist too.
        const QStringView key = u"hkey_local_machine\\software\\GLIMMER TEST";
        QVERIFY(file.hasKey(key));
        QVERIFY(file.hasKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft"));
        QVERIFY(file.hasKey(u"HKEY_LOCAL_MACHINE"));
        QVERIFY(!file.hasKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Glimmer"));

        QCOMPARE(typeOf(file, key, u""), 1u);
        QCOMPARE(dataOf(file, key, u""), text(QStringLiteral("caf\u00e9 \u20ac 5")));
        QCOMPARE(dataOf(file, key, u"quote \"X\""), text(QStringLiteral("a\\b")));
        // A value keeps its name as written.
        QCOMPARE(file.value(key, u"quote \"X\"")->name, QStringLiteral("Quote \"x\""));
        QCOMPARE(typeOf(file, key, u"Count"), 4u);
        QCOMPARE(dataOf(file, key, u"Count"), QByteArray("\x2a\0\0\0", 4));
        // Text types written as bytes are ANSI in this format.
        QCOMPARE(typeOf(file, key, u"Expand"), 2u);
        QCOMPARE(dataOf(file, key, u"Expand"), text(QStringLiteral("%windir%")));
        // Hexadecimal data runs on over the next line.
        QCOMPARE(typeOf(file, key, u"Bytes"), 3u);
        QCOMPARE(dataOf(file, key, u"Bytes").size(), 23);
        QCOMPARE(dataOf(file, key, u"Bytes").back(), '\x16');
        // A line that cannot be read is passed over, and the rest is read.
        QCOMPARE(dataOf(file, key, u"Broken"), QByteArray("(none)"));
        QCOMPARE(dataOf(file, key, u"After broken"), text(QStringLiteral("still read")));
        // A value is looked for under its own key only.
        QCOMPARE(dataOf(file, u"HKEY_LOCAL_MACHINE\\SOFTWARE", u"Count"), QByteArray("(none)"));
    }

    void readsAVersion5Export()
    {
        const RegFile::Export file(utf16File(version5Text()));
        QCOMPARE(file.format(), RegFile::Format::Version5);
        QVERIFY(file.hasKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"));
        QVERIFY(file.hasKey(TestKey));
        QCOMPARE(dataOf(file, TestKey, u"Text"), QByteArray("\xe9\x00\xac\x20\x00\x00", 6));
        QCOMPARE(typeOf(file, TestKey, u"Multi"), 7u);
        QCOMPARE(dataOf(file, TestKey, u"Wide"), QByteArray("\x2d\x4e\0\0", 4));
        QCOMPARE(dataOf(file, TestKey, u"Gone"), QByteArray("(none)"));
        QVERIFY(!file.hasKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"));
    }

    // A text editor's save of either format: UTF-8, with or without a byte-order mark.
    void readsExportsSavedAsUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<RegFile::Format>("format");
        const QByteArray mark("\xEF\xBB\xBF");
        const QByteArray version5 = version5Text().toUtf8();
        const QByteArray regedit4
            = version5Text()
                  .replace(QStringLiteral("Windows Registry Editor Version 5.00"),
                      QStringLiteral("REGEDIT4"))
                  .toUtf8();
        QTest::newRow("version 5, UTF-8 with mark") << mark + version5 << RegFile::Format::Version5;
        QTest::newRow("version 5, UTF-8 without mark") << version5 << RegFile::Format::Version5;
        QTest::newRow("version 5, LF line ends")
            << QByteArray(version5).replace("\r\n", "\n") << RegFile::Format::Version5;
        QTest::newRow("REGEDIT4, UTF-8 with mark") << mark + regedit4 << RegFile::Format::Regedit4;
        QTest::newRow("REGEDIT4, UTF-8 without mark") << regedit4 << RegFile::Format::Regedit4;
    }
    void readsExportsSavedAsUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(RegFile::Format, format);
        const RegFile::Export file(bytes);
        QCOMPARE(file.format(), format);
        QCOMPARE(dataOf(file, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location",
                     u"MSINFO"),
            text(QStringLiteral("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo")));
        // Characters beyond ASCII are read as UTF-8, not byte by byte.
        QCOMPARE(dataOf(file, TestKey, u"Wide"), QByteArray("\x2d\x4e\0\0", 4));
        QCOMPARE(dataOf(file, TestKey, u"Gone"), QByteArray("(none)"));
        QVERIFY(!file.hasKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"));
    }

    // An older-format file without a mark is UTF-8 only when all of it is valid UTF-8 and not
    // all of it is ASCII; anything else is the ANSI text the registry editor writes.
    void olderFormatEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // in the key's name and in its value
        QTest::addColumn<QByteArray>("elsewhere"); // in a comment line further on
        QTest::addColumn<QString>("read");
        QTest::newRow("UTF-8") << QByteArray("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80")
                               << QByteArray() << QStringLiteral("Caf\u00e9 \u20ac \U0001F600");
        QTest::newRow("ANSI") << QByteArray("Caf\xE9 \x80") << QByteArray()
                              << QStringLiteral("Caf\u00e9 \u20ac");
        QTest::newRow("UTF-8 but for one byte elsewhere")
            << QByteArray("Caf\xC3\xA9") << QByteArray("\xE9") << QStringLiteral("Caf\u00c3\u00a9");
        QTest::newRow("a sequence cut short at the end of the file") << QByteArray(
            "Caf\xC3\xA9") << QByteArray("\xE2\x82") << QStringLiteral("Caf\u00c3\u00a9");
        QTest::newRow("an overlong form")
            << QByteArray("\xC0\xAF") << QByteArray() << QStringLiteral("\u00c0\u00af");
        QTest::newRow("a surrogate")
            << QByteArray("x\xED\xA0\x80") << QByteArray() << QStringLiteral("x\u00ed\u00a0\u20ac");
        QTest::newRow("beyond U+10FFFF") << QByteArray("x\xF4\x90\x80\x80") << QByteArray()
                                         << QStringLiteral("x\u00f4\u0090\u20ac\u20ac");
        QTest::newRow("ASCII") << QByteArray("Cafe") << QByteArray("x") << QStringLiteral("Cafe");
    }
    void olderFormatEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, elsewhere);
        QFETCH(QString, read);
        const RegFile::Export file("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\" + bytes
            + "]\r\n\"PATH\"=\"" + bytes + "\"\r\n;" + elsewhere);
        QCOMPARE(file.format(), RegFile::Format::Regedit4);
        const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\") + read;
        QVERIFY(file.hasKey(key));
        QCOMPARE(dataOf(file, key, u"PATH"), text(read));
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
        const RegFile::Export file(bytes);
        QCOMPARE(file.format(), RegFile::Format::Invalid);
        QVERIFY(!file.hasKey(u""));
        QVERIFY(!file.hasKey(u"HKEY_LOCAL_MACHINE\\A"));
    }

    void passesOverKeysItCannotHold()
    {
        QByteArray deep512 = "HKEY_LOCAL_MACHINE";
        for (int i = 1; i < 512; ++i)
            deep512 += "\\k";
        const QByteArray file
            = "REGEDIT4\n[HKEY_NOWHERE\\A]\n\"v\"=\"1\"\n[HKEY_LOCAL_MACHINE\\\\B]\n\"v\"=\"2\"\n"
              "[HKEY_LOCAL_MACHINE\\"
            + QByteArray(256, 'x') + "]\n\"v\"=\"3\"\n[HKEY_LOCAL_MACHINE\\C]\n\"v\"=\"4\"\n["
            + deep512 + "\\513]\n[" + deep512
            + "]\n\"v\"=\"5\"\n[HKEY_LOCAL_MACHINE\\D\n\"v\"=\"6\"\n";
        const RegFile::Export hive(file);
        QVERIFY(!hive.hasKey(u"HKEY_NOWHERE"));
        QVERIFY(!hive.hasKey(u"HKEY_LOCAL_MACHINE\\B"));
        QVERIFY(!hive.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString(256, u'x')));
        QCOMPARE(dataOf(hive, u"HKEY_LOCAL_MACHINE\\C", u"v"), text(QStringLiteral("4")));
        // 512 names are the most a path may have.
        QCOMPARE(dataOf(hive, QString::fromLatin1(deep512), u"v"), text(QStringLiteral("5")));
        QVERIFY(!hive.hasKey(QString::fromLatin1(deep512 + "\\513")));
        // A key line without its bracket is no key, and the values after it belong to none.
        QVERIFY(!hive.hasKey(u"HKEY_LOCAL_MACHINE\\D"));
        QCOMPARE(dataOf(hive, QString::fromLatin1(deep512), u"v"), text(QStringLiteral("5")));
    }

    // What later lines do to earlier ones, read for the key SOFTWARE\K and its value "v".
    void laterLinesOverrideEarlierOnes_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("data"); // "(none)": no value; "(no key)": no key either
        const QByteArray k = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n";
        const QByteArray one = text(QStringLiteral("1"));
        QTest::newRow("a later definition") << k + "\"v\"=\"1\"\n" + k + "\"V\"=\"2\"\n"
                                            << text(QStringLiteral("2"));
        QTest::newRow("named again without the value")
            << k + "\"v\"=\"1\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n" + k + "\"w\"=\"2\"\n"
            << one;
        QTest::newRow("a later definition that cannot be read")
            << k + "\"v\"=\"1\"\n\"v\"=dword:xyz\n\"v\"=hex:1,\n\"v\"=\"x\n"
            << one;
        QTest::newRow("the value removed") << k + "\"v\"=\"1\"\n\"v\"=-\n" << QByteArray("(none)");
        QTest::newRow("a key above removed") << k + "\"v\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\software]\n"
                                             << QByteArray("(no key)");
        QTest::newRow("named again after its removal")
            << k + "\"v\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n" + k << QByteArray("(none)");
        QTest::newRow("a key below removed")
            << k + "\"v\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\K\\Sub]\n"
            << one;
        QTest::newRow("a key beside removed")
            << k + "\"v\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Kx]\n"
            << one;
        QTest::newRow("on the way to a key named")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\K\\Sub\\Deeper]\n\"v\"=\"1\"\n")
            << QByteArray("(none)");
        QTest::newRow("values behind a removal line")
            << k + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"v\"=\"1\"\n"
            << QByteArray("(none)");
        QTest::newRow("values behind a key line that cannot be read") << k
                + "[HKEY_NOWHERE\\SOFTWARE\\K]\n\"v\"=\"1\"\n" << QByteArray("(none)");
        QTest::newRow("values of a key beside it")
            << k + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K2]\n\"v\"=\"1\"\n"
            << QByteArray("(none)");
        QTest::newRow("another value continued over a line that looks like a key")
            << k + "\"x\"=hex:00,\\\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"v\"=\"1\"\n"
            << one;
        QTest::newRow("a continued line in another key that looks like a value")
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"x\"=hex:00,\\\n" + k + "\"v\"=\"1\"\n"
            << QByteArray("(no key)");
        QTest::newRow("continued over three lines")
            << k + "\"v\"=hex(4):01,\\\n  02,\\\n\t03,\\\n04\n"
            << QByteArray("\x01\x02\x03\x04");
        QByteArray longLine = k + "\"v\"=hex:";
        for (int i = 0; i < 30000; ++i)
            longLine += "41,";
        QTest::newRow("a long line continued") << longLine + "42,\\\n43\n"
                                               << QByteArray(30000, 'A') + "BC";
        QTest::newRow("continued in the middle of a byte") << k + "\"v\"=hex:0\\\n1,1\\\n2\n"
                                                           << QByteArray("\x01\x12");
        QTest::newRow("continued inside the type") << k + "\"v\"=hex(\\\n4):01\n"
                                                   << QByteArray("\x01");
        QTest::newRow("a blank line ends the data") << k + "\"v\"=\"1\"\n\"v\"=hex:31,\\\n\n32\n"
                                                    << one;
        QTest::newRow("a backslash left over") << k + "\"v\"=\"1\"\n\"v\"=hex:31\\\\\n32\n" << one;
        QTest::newRow("backslashes taken by blank lines") << k + "\"v\"=hex:31,32\\\\\n\n\n"
                                                          << QByteArray("12");
        QTest::newRow("the last line continued") << k + "\"v\"=\"1\"\n\"v\"=hex:31,\\" << one;
        QTest::newRow("an empty list") << k + "\"v\"=hex(4): \n" << QByteArray();
        QTest::newRow("blanks inside a byte") << k + "\"v\"=\"1\"\n\"v\"=hex:3 1\n" << one;
        QTest::newRow("three digits") << k + "\"v\"=\"1\"\n\"v\"=hex:031\n" << one;
        QTest::newRow("a type of nine digits") << k + "\"v\"=\"1\"\n\"v\"=hex(000000004):01\n"
                                               << one;
        QTest::newRow("a type of eight digits") << k + "\"v\"=hex(00000004): 01 , 2\n"
                                                << QByteArray("\x01\x02");
        QTest::newRow("names beyond ASCII in any case")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\K\\\xC9]\n\"\xC9t\xC9\"=\"1\"\n")
            << QByteArray("(with accents)");
    }
    void laterLinesOverrideEarlierOnes()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, data);
        const RegFile::Export file("REGEDIT4\n" + lines);
        QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\software\\k");
        QString name = QStringLiteral("V");
        if (data == "(with accents)") {
            key += QStringLiteral("\\\u00e9");
            name = QStringLiteral("\u00e9T\u00e9");
            data = text(QStringLiteral("1"));
        }
        QCOMPARE(file.hasKey(key), data != "(no key)");
        QCOMPARE(dataOf(file, key, name), data == "(no key)" ? QByteArray("(none)") : data);
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

    // The keys the About box looks for, with accents in the key and in the value, in a file saved
    // by a text editor in UTF-8.
    void systemInfoKeysFromAUtf8Export_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("version 5 with a mark")
            << QByteArray("\xEF\xBB\xBFWindows Registry Editor Version 5.00");
        QTest::newRow("REGEDIT4 with a mark") << QByteArray("\xEF\xBB\xBFREGEDIT4");
        QTest::newRow("REGEDIT4 without a mark") << QByteArray("REGEDIT4");
    }
    void systemInfoKeysFromAUtf8Export()
    {
        QFETCH(QByteArray, header);
        QVERIFY(writeFile(hivePath(),
            header
                + "\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
                  "\"PATH\"=\"/opt/caf\xC3\xA9/tool\"\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\xC3\xA9 \xC3\x89t\xC3\xA9]\n"
                  "\"Dossier\"=\"C:\\\\Donn\xC3\xA9"
                  "es\"\n"));
        Registry::ExportFileRegistry registry(hivePath());
        Registry::Status status;
        QCOMPARE(query(registry, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", &status),
            QByteArray("/opt/caf\xE9/tool\0", 15));
        QCOMPARE(status, Registry::Success);
        QCOMPARE(query(registry, "SOFTWARE\\caf\xE9 \xE9t\xE9", "dossier", &status),
            QByteArray("C:\\Donn\xE9"
                       "es\0",
                11));
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
