#pragma once

#include "forms/seam.h"

#include <QString>

// Paths written the Windows way (backslashes between names, names compared without regard to
// case, perhaps a drive letter) as the registry holds them, and the local file they name.
namespace WinPath {

// The local path: '\' and '/' both separate; a leading separator or a drive letter with one
// ("C:\") starts at the root, anything else at the current directory; each name is the
// existing entry that matches it without regard to case (an exact match first), or itself when
// none does. A path holding a NUL character raises "Bad file name or number".
QString toLocal(const QString& windowsPath);

} // namespace WinPath

// Lists a directory: the name of the first file that matches a path, or the empty text.
namespace DirListing {

class Api {
public:
    virtual ~Api() = default;
    // Only a regular file counts that is neither hidden nor a folder; the name matches without
    // regard to case, and the file's own spelling of it is returned.
    virtual QString firstFile(const QString& windowsPath) = 0;
};

class LocalListing : public Api {
public:
    QString firstFile(const QString& windowsPath) override;
};

using Current = Seam<Api, LocalListing>;
inline Api& current() { return Current::current(); }

} // namespace DirListing
