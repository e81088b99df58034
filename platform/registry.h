#pragma once

#include "forms/seam.h"
#include "platform/regfile.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

// The system registry as the program uses it: open a key, read one value into a byte buffer,
// close the key. Key paths and value names are ANSI text, as is the text the reader gets back.
namespace Registry {

using Key = std::uint32_t; // a key handle; 0 is none

// The predefined root keys.
inline constexpr Key ClassesRoot = 0x80000000u;
inline constexpr Key CurrentUser = 0x80000001u;
inline constexpr Key LocalMachine = 0x80000002u;
inline constexpr Key Users = 0x80000003u;
inline constexpr Key CurrentConfig = 0x80000005u;

enum Status : std::int32_t {
    Success = 0,
    FileNotFound = 2,
    AccessDenied = 5,
    InvalidHandle = 6,
    InvalidParameter = 87,
    MoreData = 234,
    BadDatabase = 1009,
};

enum Access : std::uint32_t {
    QueryValue = 0x1,
    SetValue = 0x2,
    CreateSubKey = 0x4,
    EnumerateSubKeys = 0x8,
    Notify = 0x10,
    CreateLink = 0x20,
    Wow64Key64 = 0x100,
    Wow64Key32 = 0x200,
    ReadControl = 0x20000,
    Read = 0x20019, // read-control, query value, enumerate sub-keys, notify
    AllAccess = 0x2003F,
};

enum Type : std::uint32_t {
    None = 0,
    Text = 1,
    ExpandableText = 2,
    Binary = 3,
    Number = 4,
    MultiText = 7,
};

class Api {
public:
    virtual ~Api() = default;
    // Opens subKey below root (a root key or an open key) asking for the given access. On
    // success *result is the new handle; on failure it is 0.
    virtual Status openKey(Key root, const QByteArray& subKey, std::uint32_t options,
        std::uint32_t access, Key* result)
        = 0;
    // Reads a value: its type into *type (when given) and its data into data, whose room in
    // bytes *size gives. *size becomes the byte count of the data; when the room is too small
    // nothing is copied and the status is MoreData. Without data only the size is asked for.
    virtual Status queryValue(
        Key key, const QByteArray& valueName, std::uint32_t* type, char* data, std::uint32_t* size)
        = 0;
    virtual Status closeKey(Key key) = 0;
};

// Where the platform has no registry of its own, the machine's keys come from a registry export
// file at one fixed place, HKEY_LOCAL_MACHINE's keys only, and the registry is read-only: an open
// that asks for more than read access succeeds only for a user who may write that file.
QString machineHivePath();

class ExportFileRegistry : public Api {
public:
    using WriteCheck = std::function<bool(const QString& path)>;
    explicit ExportFileRegistry(
        QString machineHive = machineHivePath(), WriteCheck mayWrite = userMayWrite);

    Status openKey(Key root, const QByteArray& subKey, std::uint32_t options, std::uint32_t access,
        Key* result) override;
    Status queryValue(Key key, const QByteArray& valueName, std::uint32_t* type, char* data,
        std::uint32_t* size) override;
    Status closeKey(Key key) override;

    // Whether the current user (its effective ids) may write the file.
    static bool userMayWrite(const QString& path);
    // Files larger than this are no export the program will read.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

private:
    // The file as it was read when the root key was opened, the key's path in it, and where the
    // lines of its values begin.
    struct OpenKey {
        std::shared_ptr<const RegFile::Export> file;
        QString path;
        RegFile::Export::Key place;
    };
    Status loadMachineHive(std::shared_ptr<const RegFile::Export>& file) const;

    QString m_machineHive;
    WriteCheck m_mayWrite;
    std::map<Key, OpenKey> m_open;
    Key m_nextHandle = 0x100;
};

using Current = Seam<Api, ExportFileRegistry>;
inline Api& current() { return Current::current(); }

} // namespace Registry
