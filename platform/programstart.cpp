#include "platform/programstart.h"

#include "forms/apperror.h"
#include "platform/winpath.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace ProgramStart {

std::int64_t LocalStarter::start(const QString& path, int)
{
    if (path.trimmed().isEmpty())
        throw AppError(
            AppError::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    const QString program = WinPath::toLocal(path);
    const QFileInfo info(program);
    qint64 pid = 0;
    // An absolute path, so that no search of PATH finds some other program of that name.
    if (!info.isFile() || !info.isExecutable()
        || !QProcess::startDetached(info.absoluteFilePath(), {}, QDir::currentPath(), &pid))
        throw AppError(AppError::FileNotFound, QStringLiteral("File not found"));
    return pid;
}

} // namespace ProgramStart
