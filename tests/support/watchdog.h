#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace TestSupport {

// How long one hostile case may run. Sanitizers make the program several times slower: their
// builds wait longer.
#if defined(__SANITIZE_ADDRESS__)
constexpr auto Patience = std::chrono::seconds(300);
#else
constexpr auto Patience = std::chrono::seconds(60);
#endif

// Ends the program with a failure unless it is destroyed within Patience: a case that hangs
// fails with its name instead of holding the whole run up.
class Watchdog {
public:
    explicit Watchdog(QString what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    void watch();

    QString m_what;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), -1 when it cannot be read.
long statusKiB(const char* field);
// Makes the peak resident size start again from the current one.
void resetPeakMemory();

} // namespace TestSupport
