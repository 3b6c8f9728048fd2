#include "anchoredclock.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <memory>

#ifdef Q_OS_LINUX
#include <time.h>
#endif

AnchoredClock::AnchoredClock(Source monotonicMs, const Source &wallMs)
    : m_monotonic(std::move(monotonicMs))
    , m_anchorMonotonic(m_monotonic())
    , m_anchorWall(wallMs())
{ }

AnchoredClock::Source AnchoredClock::steadyMs()
{
#ifdef Q_OS_LINUX
    // The plain monotonic clock stops while the computer is suspended: after an hour's sleep
    // every later sample would be stamped an hour early.
    timespec ts;
    if (clock_gettime(CLOCK_BOOTTIME, &ts) == 0) {
        return [] {
            timespec now;
            clock_gettime(CLOCK_BOOTTIME, &now);
            return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
        };
    }
#endif
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

qint64 AnchoredClock::systemMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}
