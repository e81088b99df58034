#include "platform/winpath.h"

#include "forms/apperror.h"

#include <QDir>
#include <QFileInfo>

namespace WinPath {

namespace {

    bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

    // The entry of dir whose name matches without regard to case: the exact name when it
    // exists, otherwise the first such entry in name order; empty when there is none.
    QString matchingEntry(const QString& dir, const QString& name)
    {
        if (QFileInfo::exists(dir + u'/' + name))
            return name;
        const QStringList entries = QDir(dir).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& entry : entries) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return entry;
        }
        return QString();
    }
}

QString toLocal(const QString& windowsPath)
{
    if (windowsPath.contains(QChar(0)))
        throw AppError(AppError::BadFileName, QStringLiteral("Bad file name or number"));
    QStringView rest(windowsPath);
    // One file tree: every drive letter stands for it.
    if (rest.size() >= 2 && rest[1] == u':' && rest[0].isLetter() && rest[0].unicode() < 0x80)
        rest = rest.mid(2);
    QString path
        = !rest.isEmpty() && isSeparator(rest[0]) ? QStringLiteral("/") : QDir::currentPath();

    QString name;
    auto step = [&path](const QString& n) {
        if (n.isEmpty() || n == u".")
            return;
        if (n == u"..") {
            path = QFileInfo(path).path();
            return;
        }
        const QString entry = matchingEntry(path, n);
        path = QDir::cleanPath(path + u'/' + (entry.isEmpty() ? n : entry));
    };
    for (QChar c : rest) {
        if (isSeparator(c)) {
            step(name);
            name.clear();
        } else {
            name.append(c);
        }
    }
    step(name);
    return path;
}

} // namespace WinPath

namespace DirListing {

QString LocalListing::firstFile(const QString& windowsPath)
{
    const QString local = WinPath::toLocal(windowsPath);
    const QFileInfo target(local);
    const QString wanted = target.fileName();
    if (wanted.isEmpty() || windowsPath.isEmpty() || windowsPath.back() == u'\\'
        || windowsPath.back() == u'/')
        return QString();
    // Regular files only (no folders, devices, pipes or sockets), hidden ones left out.
    const QStringList files = QDir(target.path()).entryList(QDir::Files, QDir::Name);
    if (files.contains(wanted))
        return wanted;
    for (const QString& file : files) {
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return file;
    }
    return QString();
}

} // namespace DirListing
