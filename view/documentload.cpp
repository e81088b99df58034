// Reading files into the document view.
#include "forms/apperror.h"
#include "forms/filehandle.h"
#include "rtf/rtfreader.h"
#include "text/textdecoding.h"
#include "view/documentview.h"
#include "view/documentwriter.h"
#include "view/loadingwindow.h"
#include "view/plainwriter.h"

#include <QFile>
#include <QScopedValueRollback>
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

// An open regular file, read in pieces. Anything else is refused before a byte is read: a FIFO
// or a terminal could keep the program waiting for ever, and a device has no end.
int openForReading(const QString& path)
{
    if (path.isEmpty())
        throw AppError(AppError::PathFileAccessError, QStringLiteral("No file name given"));
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO with no writer returns at once; without a controlling
    // terminal, so that opening a terminal device cannot take one.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        raiseOpenError(errno);
    return fd;
}

class RegularFile {
public:
    explicit RegularFile(const QString& path)
        : m_file(openForReading(path))
    {
        struct stat info { };
        if (::fstat(m_file.fd(), &info) != 0)
            raiseOpenError(errno);
        if (S_ISDIR(info.st_mode))
            throw AppError(
                AppError::PathFileAccessError, QStringLiteral("This is a folder, not a file"));
        if (!S_ISREG(info.st_mode))
            throw AppError(AppError::NotAFile, QStringLiteral("Not a regular file"));
        if (info.st_size > DocumentView::MaxFileSize)
            raiseTooLarge();
        m_size = qMax<qsizetype>(info.st_size, 0);
    }

    // Up to max bytes more, fewer only at the end of the file; the file is read up to its end,
    // whatever its size said (files under /proc report 0, and a file may grow while it is read),
    // and refused once it is past the limit.
    QByteArray read(qsizetype max)
    {
        QByteArray bytes(max, Qt::Uninitialized);
        qsizetype used = 0;
        while (used < max) {
            const ssize_t got = ::read(m_file.fd(), bytes.data() + used, size_t(max - used));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw AppError(AppError::DeviceIoError,
                    QStringLiteral("Read error (%1)").arg(systemMessage(errno)));
            if (got == 0)
                break;
            used += got;
        }
        m_read += used;
        if (m_read > DocumentView::MaxFileSize)
            raiseTooLarge();
        bytes.truncate(used);
        return bytes;
    }

    // The rest of the file, after what was read already.
    QByteArray readAll(QByteArray bytes)
    {
        bytes.reserve(qMax(m_size, m_read) + 1);
        for (;;) {
            const QByteArray more = read(Piece);
            if (more.isEmpty())
                return bytes;
            bytes += more;
        }
    }

    qsizetype size() const { return m_size; }

    void rewind()
    {
        if (::lseek(m_file.fd(), 0, SEEK_SET) != 0)
            throw AppError(AppError::DeviceIoError,
                QStringLiteral("Read error (%1)").arg(systemMessage(errno)));
        m_read = 0;
    }

    // How much is read at a time: the file's bytes are never all in memory beside the document.
    static constexpr qsizetype Piece = 1024 * 1024;

private:
    FileHandle m_file;
    qsizetype m_size = 0;
    qsizetype m_read = 0;
};

// Plain text, read twice: once (as far as needed) to tell its encoding, which may take every
// byte of it, then to decode it piece by piece into the document.
class PlainTextReader {
public:
    PlainTextReader(RegularFile& file, QByteArray head)
        : m_file(file)
        , m_head(std::move(head))
    {
        TextDecoding::Detector detector;
        detector.feed(m_head);
        while (!detector.settled()) {
            const QByteArray piece = m_file.read(RegularFile::Piece);
            if (piece.isEmpty())
                break;
            detector.feed(piece);
        }
        m_encoding = detector.encoding();
    }

    // A document of the file's first bytes alone: as the whole one begins, so does it.
    std::unique_ptr<QTextDocument> beginning(qsizetype bytes, const QFont& face)
    {
        m_file.rewind();
        TextDecoding::Decoder decoder(m_encoding, m_head);
        PlainWriter writer(face);
        QString text;
        decoder.decode(m_file.read(bytes), text);
        writer.append(text);
        return writer.finish();
    }

    std::unique_ptr<QTextDocument> whole(const QFont& face, const std::function<void()>& pace = {})
    {
        m_file.rewind();
        TextDecoding::Decoder decoder(m_encoding, m_head);
        PlainWriter writer(face);
        QString text;
        for (;;) {
            const QByteArray piece = m_file.read(RegularFile::Piece);
            if (piece.isEmpty())
                break;
            text.truncate(0);
            decoder.decode(piece, text);
            writer.append(text);
            if (pace)
                pace();
        }
        text.truncate(0);
        decoder.finish(text);
        writer.append(text);
        return writer.finish();
    }

private:
    RegularFile& m_file;
    QByteArray m_head;
    TextDecoding::Encoding m_encoding = TextDecoding::Encoding::Cp437;
};

// A plain file this large takes longer to read than a few frames (about 10 ms a megabyte): its
// beginning is shown and painted first, from a document of its first bytes, which the whole
// document then replaces. Those bytes fill any screen with the short lines such files have.
constexpr qsizetype FirstScreenAbove = 4 * 1024 * 1024;
constexpr qsizetype FirstScreenBytes = 64 * 1024;
// RTF takes about three times as long a megabyte, and its first screen's text may come after
// tables of fonts, styles and lists of tens of kilobytes.
constexpr qsizetype RtfFirstScreenAbove = 2 * 1024 * 1024;
constexpr qsizetype RtfFirstScreenBytes = 256 * 1024;

} // namespace

void DocumentView::showInSteps(const std::function<std::unique_ptr<QTextDocument>()>& beginning,
    const std::function<std::unique_ptr<QTextDocument>(const Pace&)>& whole)
{
    // The document shown before comes back, with its selection, if the rest cannot be read.
    const int anchor = textCursor().anchor();
    const int position = textCursor().position();
    std::unique_ptr<QTextDocument> earlier = exchangeDocument(beginning());
    // The whole window: a dialog that was over it has left a part that nothing has painted yet.
    window()->repaint();
    const QScopedValueRollback<bool> loading(m_loading, true);
    try {
        LoadingWindow painted;
        showDocument(whole([&painted] { painted.pace(); }));
    } catch (...) {
        if (earlier) {
            showDocument(std::move(earlier));
            QTextCursor cursor = textCursor();
            cursor.setPosition(anchor);
            cursor.setPosition(position, QTextCursor::KeepAnchor);
            setTextCursor(cursor);
        }
        throw;
    }
}

void DocumentView::LoadFile(const QString& path)
{
    // Asked again while a long document is read (the windows are painted meanwhile, and
    // assistive technology may press a menu item then): the document being read goes on to its
    // end, and the second file is not opened in the middle of it.
    if (m_loading)
        return;
    RegularFile file(path);
    QByteArray head = file.read(TextDecoding::Utf16Sample);
    if (Rtf::looksLikeRtf(head)) {
        const QByteArray bytes = file.readAll(std::move(head));
        if (bytes.size() <= RtfFirstScreenAbove || !isVisible()) {
            showDocument(DocumentWriter::fromRtf(bytes, font()));
            return;
        }
        showInSteps(
            [&] {
                return DocumentWriter::fromRtf(
                    QByteArrayView(bytes).first(RtfFirstScreenBytes), font());
            },
            [&](const Pace& pace) { return DocumentWriter::fromRtf(bytes, font(), pace); });
        return;
    }
    PlainTextReader reader(file, std::move(head));
    if (file.size() <= FirstScreenAbove || !isVisible()) {
        showDocument(reader.whole(font()));
        return;
    }
    showInSteps([&] { return reader.beginning(FirstScreenBytes, font()); },
        [&](const Pace& pace) { return reader.whole(font(), pace); });
}
