#include "platform/registry.h"

#include "platform/ansi.h"

#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Registry {

namespace {
    constexpr std::uint32_t ReadOnlyAccess = Read | Wow64Key64 | Wow64Key32;

    // The reader asks for ANSI text: UTF-16LE code units become one byte each. An odd byte at the
    // end is half a character and is dropped.
    QByteArray ansiData(const RegFile::Value& value)
    {
        if (!RegFile::isTextType(value.type))
            return value.data;
        return Ansi::fromUnicode(RegFile::fromUtf16le(value.data));
    }
}

QString machineHivePath() { return QStringLiteral("/etc/glimmer/registry/HKEY_LOCAL_MACHINE.reg"); }

ExportFileRegistry::ExportFileRegistry(QString machineHive, WriteCheck mayWrite)
    : m_machineHive(std::move(machineHive))
    , m_mayWrite(std::move(mayWrite))
{
}

bool ExportFileRegistry::userMayWrite(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    return ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0;
}

Status ExportFileRegistry::loadMachineHive(std::shared_ptr<const RegFile::Hive>& hive) const
{
    QFile file(m_machineHive);
    if (!file.exists())
        return FileNotFound;
    if (!file.open(QIODevice::ReadOnly))
        return AccessDenied;
    if (file.size() > MaxFileSize)
        return BadDatabase;
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize)
        return BadDatabase;
    auto parsed = std::make_shared<RegFile::Hive>(RegFile::parse(bytes));
    if (parsed->format == RegFile::Format::Invalid)
        return BadDatabase;
    hive = std::move(parsed);
    return Success;
}

Status ExportFileRegistry::openKey(
    Key root, const QByteArray& subKey, std::uint32_t options, std::uint32_t access, Key* result)
{
    if (!result)
        return InvalidParameter;
    *result = 0;
    if (options != 0)
        return InvalidParameter;

    // Every open of a root key reads the file afresh; keys opened below an open key share it.
    OpenKey parent;
    if (root == LocalMachine) {
        const Status status = loadMachineHive(parent.hive);
        if (status != Success)
            return status;
        parent.key = parent.hive->root.subkey(u"HKEY_LOCAL_MACHINE");
        if (!parent.key)
            return FileNotFound;
    } else if (root == ClassesRoot || root == CurrentUser || root == Users
        || root == CurrentConfig) {
        return FileNotFound; // no file holds these
    } else {
        const auto it = m_open.find(root);
        if (it == m_open.end())
            return InvalidHandle;
        parent = it->second;
    }

    const RegFile::Key* key = parent.key->find(Ansi::toUnicode(subKey));
    if (!key)
        return FileNotFound;
    const bool wantsWrite = (access & ~ReadOnlyAccess) != 0;
    if (wantsWrite && !m_mayWrite(m_machineHive))
        return AccessDenied;

    while (m_nextHandle == 0 || m_nextHandle >= ClassesRoot || m_open.count(m_nextHandle))
        m_nextHandle = m_nextHandle >= ClassesRoot ? 0x100 : m_nextHandle + 4;
    *result = m_nextHandle;
    m_nextHandle += 4;
    m_open[*result] = OpenKey { parent.hive, key };
    return Success;
}

Status ExportFileRegistry::queryValue(
    Key key, const QByteArray& valueName, std::uint32_t* type, char* data, std::uint32_t* size)
{
    const auto it = m_open.find(key);
    if (it == m_open.end())
        return InvalidHandle;
    if (data && !size)
        return InvalidParameter;
    const RegFile::Value* value = it->second.key->value(Ansi::toUnicode(valueName));
    if (!value)
        return FileNotFound;

    const QByteArray bytes = ansiData(*value);
    const auto count = static_cast<std::uint32_t>(bytes.size());
    if (type)
        *type = value->type;
    if (!data) {
        if (size)
            *size = count;
        return Success;
    }
    if (*size < count) {
        *size = count;
        return MoreData;
    }
    if (count > 0)
        std::memcpy(data, bytes.constData(), count);
    *size = count;
    return Success;
}

Status ExportFileRegistry::closeKey(Key key)
{
    if (key >= ClassesRoot && key <= CurrentConfig)
        return Success; // root keys stay open
    return m_open.erase(key) ? Success : InvalidHandle;
}

} // namespace Registry
