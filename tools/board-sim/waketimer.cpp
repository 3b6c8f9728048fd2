#include "waketimer.h"

#include <QSocketNotifier>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

WakeTimer::WakeTimer(std::function<void()> handler)
    : m_handler(std::move(handler))
{
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] {
        uint64_t expirations = 0;
        while (::read(m_fd, &expirations, sizeof expirations) < 0 && errno == EINTR) { }
        m_handler();
    });
}

WakeTimer::~WakeTimer()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeTimer::wakeAt(qint64 atNs)
{
    itimerspec deadline{};
    if (atNs >= 0) {
        // Zero would disarm the timer; a time in the past fires at once.
        const qint64 at = atNs > 0 ? atNs : 1;
        deadline.it_value.tv_sec = time_t(at / 1'000'000'000);
        deadline.it_value.tv_nsec = long(at % 1'000'000'000);
    }
    timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &deadline, nullptr);
}

qint64 WakeTimer::nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
