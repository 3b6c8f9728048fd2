#pragma once

#include <QtGlobal>

#include <functional>

class QSocketNotifier;

// A one-shot wake-up at an absolute time of the monotonic clock, to the microsecond (a timerfd
// watched by the event loop), for pacing bytes closer than a millisecond timer can.
class WakeTimer
{
public:
    explicit WakeTimer(std::function<void()> handler);
    ~WakeTimer();
    WakeTimer(const WakeTimer &) = delete;
    WakeTimer &operator=(const WakeTimer &) = delete;

    bool isValid() const { return m_fd >= 0; }
    // Fires once at atNs (at once when it has passed); a negative time disarms it.
    void wakeAt(qint64 atNs);

    static qint64 nowNs();

private:
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    std::function<void()> m_handler;
};
