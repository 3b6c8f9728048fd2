#pragma once

#include <QByteArray>
#include <QQueue>
#include <QVector>

// The poll cycle over several boards on one half-duplex line, as a decision. The session owns the
// port and the timer; this unit says what goes out when, from the times it is told, so every rule
// is tested without a port or a wall clock:
//   - one request is on the line at a time: the next goes out when the reply to the last one is
//     complete, or when its reply watch ran out, and never before the line has been quiet for
//     the idle time;
//   - frames queued by the user (writes, read-backs) go out before the polls;
//   - a cycle asks each address of the poll list once, in order, and starts at most once per
//     period; a cycle longer than the period is followed at once by the next (an overrun);
//   - a scan asks each address of a range, up to a number of tries, in place of the polls;
//   - after a reply watch runs out, the line stays quiet for a guard time: until nothing has
//     arrived for guardMs, and at most for guardMs and a whole reply's wire time. A frame that
//     completes within it is the late answer of the request that ran out, so a late reply is
//     neither taken for the next pack's nor sent across;
//   - a poll (or a scan's ask) that finds the line busy with bytes nobody asked for waits as
//     long as it would wait for an answer, then is given up as not sent, so a line that never
//     goes quiet costs each pack its poll, told, rather than stopping the cycle unheard.
// The reply watch runs from the moment the request's last byte has left at the line's rate.
// The unit also keeps the line's state for the single pack's poll tick, which puts its own
// requests on the line (sent()) and sends queued frames as this unit decides.
class BusCycle
{
public:
    struct Timing
    {
        int periodMs = 1000;
        int replyWatchMs = 70;
        int idleMs = 20;
        int guardMs = 50;
        int baud = 9600;
    };

    // The longest reply of the board (the real-time data), in bytes on the wire: what the guard
    // allows a late reply to take.
    static constexpr int LongestReplyBytes = 230;

    // What became of a request that expected a reply.
    enum class Outcome {
        Answered, // a whole frame came back
        TimedOut, // nothing came back within the reply watch
        CutShort, // bytes came, then silence for a reply watch before the frame was whole
        Late, // a whole frame came within the guard after the watch had run out
        NotSent, // the line was busy with bytes nobody asked for: the request did not go out
    };

    enum class Kind {
        Poll, // the real-time request of a pack on the poll list
        Scan, // a real-time request of the scan
        Queued, // a frame from the queue (a write, a read-back)
    };

    // A request that was settled: its reply arrived, or could no longer arrive.
    struct Settled
    {
        Kind kind = Kind::Poll;
        int address = -1;
        Outcome outcome = Outcome::Answered;
        qint64 roundTripMs = -1; // Answered, Late: from the request going out to its reply's end
    };

    struct Step
    {
        QVector<Settled> settled; // requests whose watch ran out, or given up, in this step
        bool cycleStarted = false;
        bool cycleEnded = false; // the last reply of a cycle is in (or could not come)
        qint64 cycleMs = 0;
        bool overrun = false; // the cycle took longer than the period
        // Scan: an address was asked for the last time, or answered; found: it answered.
        int scanAddress = -1;
        bool scanFound = false;
        bool scanEnded = false;
        // A frame to write now.
        bool send = false;
        QByteArray frame;
        Kind kind = Kind::Poll;
        int address = -1;
        bool expectReply = false;
        // Nothing to write: when to ask again (on the same clock); -1: not before the next event.
        qint64 wakeAt = -1;
    };

    void setTiming(const Timing &timing) { m_timing = timing; }
    const Timing &timing() const { return m_timing; }
    void setAddresses(const QVector<int> &addresses);
    const QVector<int> &addresses() const { return m_addresses; }

    // Begins polling: the first cycle starts at the next step, once the line has been quiet for
    // the idle time since lastReceiveMs. A request still on the line, or its guard, is kept.
    void start(qint64 lastReceiveMs);
    // Forgets the request on the line, its guard and the cycle under way (the line closed).
    void stop();

    void startScan(const QVector<int> &addresses, int tries);
    void stopScan();
    bool isScanning() const { return m_scanIndex >= 0; }
    int scanDone() const { return m_scanIndex < 0 ? 0 : m_scanIndex; }
    int scanTotal() const { return m_scanList.size(); }

    // Bytes arrived at nowMs.
    void bytesArrived(qint64 nowMs);
    // A whole frame arrived at nowMs. When a request was waiting for it, or its guard still
    // ran, that request is settled (Answered or Late) and true returned; false: the frame
    // answers nothing. good: a real-time reply with a good CRC, which a scan counts as found,
    // whatever battery number it states.
    bool frameArrived(qint64 nowMs, bool good, Settled *settled);
    // The request waiting for a reply, if any: its address, or -1.
    int awaitedAddress() const { return m_onLine.expectReply ? m_onLine.address : -1; }

    // Decides what to do at nowMs: what was settled by the clock, and the next frame to write,
    // taken from queue when the line is free, or the next poll or scan request. A real-time
    // request taken from the queue counts as a poll of its address.
    Step next(qint64 nowMs, QQueue<QByteArray> *queue);
    // Only what the clock settled by nowMs (a watch run out, a guard ended), and when to look
    // again; nothing is sent.
    Step advance(qint64 nowMs);
    // Nothing on the line: no reply awaited, no guard, a write's bytes and idle time passed (as
    // of the last next() or advance()).
    bool isLineFree() const { return !m_onLine.active && !m_expired.active; }
    // A frame the caller wrote itself at nowMs (the poll tick's): watched as if sent from here,
    // a real-time request as a poll of its address.
    void sent(qint64 nowMs, const QByteArray &frame);

    // Milliseconds the bytes take on the line at the given rate (10 bit times per byte).
    static qint64 wireMs(int bytes, int baud);

private:
    struct OnLine
    {
        bool active = false;
        bool expectReply = false;
        Kind kind = Kind::Poll;
        int address = -1;
        qint64 sentAt = 0;
        qint64 leftAt = 0; // the last byte of the request has left
        bool bytesSeen = false;
        int scanRound = 0; // the scan that asked, for a scan's request
    };
    // The request whose watch ran out, while its guard holds the line.
    struct Expired
    {
        bool active = false;
        Kind kind = Kind::Poll;
        int address = -1;
        qint64 sentAt = 0;
        qint64 at = 0; // the watch's end
        int scanRound = 0;
    };
    // Settles what the clock settled by nowMs.
    void catchUp(qint64 nowMs, Step *step);
    qint64 watchEnd() const;
    qint64 guardEnd() const;
    void endGuard(Step *step);
    // A poll or a scan's ask due while the line is busy is given up.
    void giveUp(Step *step, qint64 nowMs);
    void settle(Step *step, Outcome outcome, qint64 atMs);
    void endCycle(Step *step, qint64 nowMs);
    // An ask of the scan round given was answered (found) or given up; an ask of a scan that
    // was stopped or started anew since counts for nothing.
    void scanSettled(Step *step, bool found, int round);
    void put(Step *step, const QByteArray &frame, Kind kind, int address, qint64 nowMs);
    // A frame of the queue (or the tick's): a real-time request is a poll of its address.
    void putFrame(Step *step, const QByteArray &frame, qint64 nowMs);

    Timing m_timing;
    QVector<int> m_addresses;
    bool m_running = false;
    OnLine m_onLine;
    Expired m_expired;
    qint64 m_busySince = -1; // a poll has been due on a busy line since; -1: not waiting
    qint64 m_lastReceive = -1; // the last bytes from the line; -1: none yet
    qint64 m_freeAt = 0; // a write's bytes and the idle time after them have passed
    bool m_inCycle = false;
    qint64 m_cycleStart = -1;
    int m_cycleIndex = 0; // next address of the poll list in this cycle
    Step m_pending; // what a frame's arrival settled, told at the next step

    QVector<int> m_scanList;
    int m_scanIndex = -1; // -1: no scan
    int m_scanRound = 0; // counts the scans started and stopped
    int m_scanTries = 1;
    int m_scanTry = 0;
    bool m_scanFinishing = false;
};
