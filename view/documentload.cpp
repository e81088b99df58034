// Reading files into the document view.
#include "forms/apperror.h"
#include "forms/filehandle.h"
#include "rtf/rtfreader.h"
#include "text/textdecoding.h"
#include "view/documentview.h"
#include "view/documentwriter.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemMessage(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

[[noreturn]] void raiseOpenError(int error)
{
    switch (error) {
    case ENOENT:
        throw AppError(AppError::FileNotFound, QStringLiteral("File not found"));
    case ENOTDIR:
        throw AppError(AppError::PathNotFound, QStringLiteral("Path not found"));
    case EACCES:
    case EPERM:
        throw AppError(AppError::PermissionDenied, QStringLiteral("Permission denied"));
    default:
        throw AppError(AppError::PathFileAccessError,
            QStringLiteral("Path/File access error (%1)").arg(systemMessage(error)));
    }
}

[[noreturn]] void raiseTooLarge()
{
    throw AppError(AppError::FileTooLarge,
        QStringLiteral("File too large to show (the limit is %1 MiB)")
            .arg(DocumentView::MaxFileSize / (1024 * 1024)));
}

// The whole content of a regular file. Anything else is refused before a byte is read: a FIFO
// or a terminal could keep the program waiting for ever, and a device has no end.
QByteArray readRegularFile(const QString& path)
{
    if (path.isEmpty())
        throw AppError(AppError::PathFileAccessError, QStringLiteral("No file name given"));
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO with no writer returns at once; without a controlling
    // terminal, so that opening a terminal device cannot take one.
    FileHandle file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd() < 0)
        raiseOpenError(errno);
    struct stat info { };
    if (::fstat(file.fd(), &info) != 0)
        raiseOpenError(errno);
    if (S_ISDIR(info.st_mode))
        throw AppError(
            AppError::PathFileAccessError, QStringLiteral("This is a folder, not a file"));
    if (!S_ISREG(info.st_mode))
        throw AppError(AppError::NotAFile, QStringLiteral("Not a regular file"));
    if (info.st_size > DocumentView::MaxFileSize)
        raiseTooLarge();

    // Read up to the end, whatever the size said: files under /proc report 0, and a file may
    // grow while it is read.
    QByteArray bytes;
    bytes.resize(qMax<qsizetype>(info.st_size, 0) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > DocumentView::MaxFileSize)
                raiseTooLarge();
            bytes.resize(qMin<qsizetype>(used * 2 + 4096, DocumentView::MaxFileSize + 1));
        }
        const ssize_t got = ::read(file.fd(), bytes.data() + used, size_t(bytes.size() - used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw AppError(AppError::DeviceIoError,
                QStringLiteral("Read error (%1)").arg(systemMessage(errno)));
        if (got == 0)
            break;
        used += got;
    }
    if (used > DocumentView::MaxFileSize)
        raiseTooLarge();
    bytes.truncate(used);
    return bytes;
}

} // namespace

void DocumentView::LoadFile(const QString& path)
{
    QByteArray bytes = readRegularFile(path);
    if (Rtf::looksLikeRtf(bytes)) {
        showDocument(DocumentWriter::fromRtf(bytes, font()));
        return;
    }
    QString text = TextDecoding::decode(bytes);
    bytes = QByteArray(); // the document is built from the text alone: give the memory back
    showDocument(DocumentWriter::fromPlainText(std::move(text), font()));
}
