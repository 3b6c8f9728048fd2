#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>

// Runs the event loop until nothing is left to do now: posted events, due timers and the
// deferred paints (offscreen, the backing store paints for real). Timers due later (a lamp
// falling back, the clock) are left for later.
inline void drainEvents()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (int round = 0; round < 100; ++round) {
        QCoreApplication::sendPostedEvents();
        if (!dispatcher->processEvents(QEventLoop::AllEvents))
            break;
    }
}
