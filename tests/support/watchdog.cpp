#include "support/watchdog.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace TestSupport {

Watchdog::Watchdog(QString what)
    : m_what(std::move(what))
    , m_thread([this] { watch(); })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void Watchdog::watch()
{
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_for(lock, Patience, [this] { return m_done; }))
        return;
    std::fprintf(stderr, "FAIL! hostile case \"%s\" still running after %lld s\n",
        qPrintable(m_what), static_cast<long long>(Patience.count()));
    std::fflush(stderr);
    std::_Exit(1);
}

long statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace TestSupport
