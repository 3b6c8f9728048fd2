#pragma once

#include <QByteArray>
#include <QQueue>

#include <functional>

// One poll tick as a decision. The window owns the timers, the port and the lamps; this unit says
// what a tick does with them, from plain inputs, so every rule of the cycle is tested without a
// window, a port or a wall clock:
//   1. no bytes since the last transmission: report a time-out (the tick goes on);
//   2. port closed: report it and empty both queues (the tick goes on);
//   3. nothing queued: queue the real-time request, so at most one ever waits;
//   4. working copy empty: refill it from the queue;
//   5. line idle (no bytes for idleThresholdMs or more): send the oldest frame, taking it off
//      both queues; otherwise report a busy line and leave the frame for the next tick;
//   6. a busy line is a poll not sent: the real-time request is taken off both queues (the
//      next tick asks again) and the tick says so, so a line that is never quiet is reported
//      once per tick, not silently waited on; a queued frame stays;
//   7. a line held for the reply to a request still on it, or for the quiet after its watch ran
//      out (lineFree false), is neither idle nor busy: the frame waits, to go out when the line
//      is free, and nothing is reported.
// Only a read request is answered by the board; the reply watch runs for those alone. A write is
// confirmed by reading back what the board holds, not by an answer of its own.
namespace RequestScheduler {

struct Inputs
{
    bool answered = true; // bytes arrived since the last transmission
    bool portOpen = false;
    qint64 sinceLastReceiveMs = 0; // from the last arrival of bytes (or the start of polling)
    int idleThresholdMs = 20;
    int address = 1; // board address for the real-time request
    bool lineFree = true; // no reply awaited on the line, no guard after a watch running
};

struct Decision
{
    bool reportTimeout = false;
    bool reportClosedPort = false;
    bool send = false; // frame is to be written; false: the line is busy
    QByteArray frame;
    bool expectReply = false; // frame is a read request: watch for its reply
    bool pollNotSent = false; // the line was busy: this tick's poll did not go out
    bool held = false; // the line is held for a reply or its guard: the frame waits
};

// Whether the board answers this frame: read requests (":Y+" address "+" code "=?~") only.
bool expectsReply(const QByteArray &frame);

// The line counts as idle once idleThresholdMs or more have passed since the last arrival.
inline bool isIdle(qint64 sinceLastReceiveMs, int idleThresholdMs)
{
    return sinceLastReceiveMs >= idleThresholdMs;
}

// Decides one tick and applies it to the two queues: the queue every producer appends to and the
// working copy the frames are sent from.
Decision tick(const Inputs &in, QQueue<QByteArray> *queue, QQueue<QByteArray> *working);

// Milliseconds of a monotonic clock. A step of the wall clock (a time server, a changed time zone)
// must not make the line look busy for hours or idle too early.
using Clock = std::function<qint64()>;
Clock steadyClock();

} // namespace RequestScheduler
