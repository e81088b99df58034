#include "platform/registry.h"

#include "forms/filehandle.h"
#include "platform/ansi.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

namespace {
    // The bytes of an export file. Only a regular file is read: opening does not wait (a FIFO
    // with no writer would keep the caller waiting for ever), and anything else at the path (a
    // FIFO, a device, a folder) is refused before a byte is read.
    Status readExportFile(const QString& path, QByteArray* bytes)
    {
        const QByteArray name = QFile::encodeName(path);
        FileHandle file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (file.fd() < 0)
            return errno == ENOENT || errno == ENOTDIR ? FileNotFound : AccessDenied;
        struct stat info { };
        if (::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode))
            return AccessDenied;
        if (info.st_size > ExportFileRegistry::MaxFileSize)
            return BadDatabase;
        // Read up to the end whatever the size said: the file may change while it is read.
        bytes->resize(qsizetype(info.st_size) + 1);
        qsizetype used = 0;
        for (;;) {
            if (used == bytes->size()) {
                if (used > ExportFileRegistry::MaxFileSize)
                    return BadDatabase;
                bytes->resize(
                    qMin<qsizetype>(used * 2 + 4096, ExportFileRegistry::MaxFileSize + 1));
            }
            const ssize_t got
                = ::read(file.fd(), bytes->data() + used, size_t(bytes->size() - used));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return AccessDenied;
            if (got == 0)
                break;
            used += got;
        }
        if (used > ExportFileRegistry::MaxFileSize)
            return BadDatabase;
        bytes->truncate(used);
        return Success;
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

Status ExportFileRegistry::loadMachineHive(std::shared_ptr<const RegFile::Export>& file) const
{
    QByteArray bytes;
    const Status read = readExportFile(m_machineHive, &bytes);
    if (read != Success)
        return read;
    auto parsed = std::make_shared<const RegFile::Export>(std::move(bytes));
    if (parsed->format() == RegFile::Format::Invalid)
        return BadDatabase;
    file = std::move(parsed);
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
        const Status status = loadMachineHive(parent.file);
        if (status != Success)
            return status;
        parent.path = QStringLiteral("HKEY_LOCAL_MACHINE");
    } else if (root == ClassesRoot || root == CurrentUser || root == Users
        || root == CurrentConfig) {
        return FileNotFound; // no file holds these
    } else {
        const auto it = m_open.find(root);
        if (it == m_open.end())
            return InvalidHandle;
        parent = it->second;
    }

    OpenKey key { parent.file, parent.path + u'\\' + Ansi::toUnicode(subKey), {} };
    key.place = key.file->key(key.path);
    if (!key.place.found)
        return FileNotFound;
    const bool wantsWrite = (access & ~ReadOnlyAccess) != 0;
    if (wantsWrite && !m_mayWrite(m_machineHive))
        return AccessDenied;

    while (m_nextHandle == 0 || m_nextHandle >= ClassesRoot || m_open.count(m_nextHandle))
        m_nextHandle = m_nextHandle >= ClassesRoot ? 0x100 : m_nextHandle + 4;
    *result = m_nextHandle;
    m_nextHandle += 4;
    m_open[*result] = key;
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
    const OpenKey& open = it->second;
    const std::optional<RegFile::Value> value
        = open.file->value(open.place, open.path, Ansi::toUnicode(valueName));
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
