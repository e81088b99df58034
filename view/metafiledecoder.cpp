#include "view/metafiledecoder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstring>
#include <sys/resource.h>

QString InstalledMetafileProgram::path()
{
    const QString folder = QCoreApplication::applicationDirPath();
    for (const char* place : { "/", "/../libexec/glimmer/", "/libexec/glimmer/" }) {
        const QFileInfo program(folder + QLatin1String(place) + QLatin1String("glimmer-metafile"));
        if (program.isFile() && program.isExecutable())
            return program.canonicalFilePath();
    }
    return {};
}

namespace {

// The sanitizers reserve terabytes of address space for themselves before the program starts:
// a build with them cannot limit its child's.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool LimitAddressSpace = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool LimitAddressSpace = false;
#else
constexpr bool LimitAddressSpace = true;
#endif
#else
constexpr bool LimitAddressSpace = true;
#endif

// Runs in the child between fork and exec: only system calls.
void limitChild()
{
    const auto limit = [](int resource, rlim_t value) {
        const rlimit both { value, value };
        setrlimit(resource, &both);
    };
    limit(RLIMIT_CPU, LayoutBudget::MetafileCpuSeconds);
    limit(RLIMIT_CORE, 0);
    if (LimitAddressSpace)
        limit(RLIMIT_AS, rlim_t(LayoutBudget::MetafileAddressSpace));
}

// Ends a child that is still running, and waits for it, so that none is left behind.
void stop(QProcess& child)
{
    if (child.state() == QProcess::NotRunning)
        return;
    child.kill();
    child.waitForFinished(-1);
}

// The pixels the child writes, as long as they are no more than expected and come in time.
QByteArray collect(QProcess& child, qint64 expected, const QDeadlineTimer& deadline)
{
    QByteArray pixels;
    while (pixels.size() <= expected) {
        // When the child ends, what it wrote last is read in with its end: taken all the same.
        const bool more
            = child.bytesAvailable() > 0 || child.waitForReadyRead(int(deadline.remainingTime()));
        pixels += child.read(expected + 1 - pixels.size());
        if (!more)
            break; // it ended, or the time is up
    }
    return pixels;
}

QImage run(const QString& program, const QByteArray& data, QSize size, qint64 ms)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments({ QString::number(size.width()), QString::number(size.height()) });
    child.setStandardErrorFile(QProcess::nullDevice());
    child.setChildProcessModifier(limitChild);
    const QDeadlineTimer deadline(ms);
    child.start();
    if (!child.waitForStarted(int(deadline.remainingTime()))) {
        stop(child);
        return {};
    }
    child.write(data);
    child.closeWriteChannel();
    const qint64 expected = qint64(size.width()) * size.height() * 4;
    const QByteArray pixels = collect(child, expected, deadline);
    if (pixels.size() == expected)
        child.waitForFinished(int(deadline.remainingTime()));
    const bool drawn = child.state() == QProcess::NotRunning
        && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
        && pixels.size() == expected;
    stop(child);
    if (!drawn)
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), pixels.constData() + qsizetype(y) * size.width() * 4,
            size_t(size.width()) * 4);
    return image;
}

} // namespace

QImage MetafileDecoder::draw(const QByteArray& data, QSize size)
{
    using namespace LayoutBudget;
    if (m_drawsLeft <= 0 || m_msLeft <= 0 || size.isEmpty() || size.width() > MaxDecodedSide
        || size.height() > MaxDecodedSide)
        return {};
    const QString program = MetafileProgramSeam::current().path();
    if (program.isEmpty())
        return {};
    --m_drawsLeft;
    QElapsedTimer clock;
    clock.start();
    QImage image = run(program, data, size, qMin<qint64>(MetafileDrawMs, m_msLeft));
    m_msLeft -= clock.elapsed();
    return image;
}
