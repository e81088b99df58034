// The System Info button: finds the system information tool through the registry and starts it.
#include "about/frmabout.h"
#include "forms/msgbox.h"
#include "platform/ansi.h"
#include "platform/programstart.h"
#include "platform/winpath.h"

#include <QByteArray>

namespace {
constexpr int DataBufferSize = 1024;
constexpr int NormalFocus = 1; // window style of the started tool
const QString ToolFile = QStringLiteral("\\MSINFO32.EXE");

// Releases a key on every way out of the reader; a null key is left alone.
class KeyCloser {
public:
    explicit KeyCloser(Registry::Key& key)
        : m_key(key)
    {
    }
    ~KeyCloser()
    {
        if (m_key != 0)
            Registry::current().closeKey(m_key);
    }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    Registry::Key& m_key;
};

// The decimal text of the 32-bit number whose bytes come least significant first. The number
// is read as a signed 32-bit literal would be, so a top bit set gives a negative number.
QString numberText(const QByteArray& buffer)
{
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
        n = (n << 8) | static_cast<unsigned char>(buffer[i]);
    return QString::number(static_cast<std::int32_t>(n));
}
}

void frmAbout::StartSysInfo()
{
    // Any failure on the way, raised here or in the reader, ends in the one message.
    auto started = [this] {
        QString SysInfoPath;
        Registry::Key root = Registry::LocalMachine;
        QString key = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
        QString value = QStringLiteral("PATH");
        if (GetKeyValue(root, key, value, SysInfoPath) == False) {
            key = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
            value = QStringLiteral("MSINFO");
            if (GetKeyValue(root, key, value, SysInfoPath) == False)
                return false;
            if (DirListing::current().firstFile(SysInfoPath + ToolFile).isEmpty())
                return false;
            SysInfoPath += ToolFile;
        }
        ProgramStart::current().start(SysInfoPath, NormalFocus);
        return true;
    };
    try {
        if (started())
            return;
    } catch (const std::exception&) {
    }
    MsgBox::show(QStringLiteral("System Information Is Unavailable At This Time"), MsgBox::OkOnly);
}

frmAbout::Boolean frmAbout::GetKeyValue(
    Registry::Key& KeyRoot, QString& Keyname, QString& SubKeyRef, QString& KeyVal)
{
    Registry::Api& registry = Registry::current();
    Registry::Key hKey = 0;
    KeyCloser closer(hKey);
    // Read access is all a value needs; asking for more would turn away every user who may
    // not change the machine's keys.
    if (registry.openKey(KeyRoot, Ansi::fromUnicode(Keyname), 0, Registry::Read, &hKey)
        != Registry::Success) {
        KeyVal.clear();
        return False;
    }

    QByteArray buffer(DataBufferSize, '\0');
    std::uint32_t size = DataBufferSize;
    std::uint32_t type = 0;
    if (registry.queryValue(hKey, Ansi::fromUnicode(SubKeyRef), &type, buffer.data(), &size)
        != Registry::Success) {
        KeyVal.clear();
        return False;
    }

    // The byte count serves as a character count; a last character that is NUL is dropped, so
    // text stored with or without its terminator reads the same. No data leaves no last
    // character to look at.
    const QString text = Ansi::toUnicode(buffer);
    if (size == 0 || size > std::uint32_t(DataBufferSize))
        throw AppError(
            AppError::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    const qsizetype n = qsizetype(size);
    const QString data = text.at(n - 1) == QChar(0) ? text.left(n - 1) : text.left(n);

    switch (type) {
    case Registry::Text:
        KeyVal = data;
        break;
    case Registry::Number:
        KeyVal = numberText(buffer);
        break;
    default:
        break; // other types leave KeyVal as it was
    }
    return True;
}
