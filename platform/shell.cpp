#include "platform/shell.h"

#include "platform/ansi.h"

#include <QProcess>
#include <QStandardPaths>

namespace Shell {

std::intptr_t DesktopShell::execute(WId, const QByteArray& operation, const QByteArray& file,
    const QByteArray* parameters, const QByteArray& directory, int)
{
    if (operation.compare("open", Qt::CaseInsensitive) != 0
        || (parameters && !parameters->isEmpty()))
        return NoAssociation;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return NoAssociation;
    // The link is one argument of its own: nothing in it is read by a shell.
    if (!QProcess::startDetached(opener, { Ansi::toUnicode(file) }, Ansi::toUnicode(directory)))
        return FileNotFound;
    return Handed;
}

} // namespace Shell
