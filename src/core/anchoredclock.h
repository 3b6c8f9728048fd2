#pragma once

#include <QtGlobal>

#include <functional>

// Wall-clock milliseconds (since 1970-01-01 00:00 UTC) that never step: the system clock is read
// once, when the clock is made, and from then on the time is carried forward by a monotonic
// clock. Setting the computer's clock (by hand, a time server) does not move the stamps of later
// samples, so samples taken half a second apart stay half a second apart.
class AnchoredClock
{
public:
    using Source = std::function<qint64()>; // milliseconds

    // monotonicMs: any monotonic count of milliseconds; wallMs: the system clock.
    explicit AnchoredClock(Source monotonicMs = steadyMs(), const Source &wallMs = systemMs);

    qint64 now() const { return m_anchorWall + (m_monotonic() - m_anchorMonotonic); }

    // A monotonic clock that goes on while the computer sleeps, where the system has one.
    static Source steadyMs();
    static qint64 systemMs();

private:
    Source m_monotonic;
    qint64 m_anchorMonotonic;
    qint64 m_anchorWall;
};
