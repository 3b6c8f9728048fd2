#pragma once

#include "board.h"

#include <QByteArray>
#include <QQueue>
#include <QString>
#include <QVector>

#include <functional>

// Puts the board's pieces on the line one after another, each after its pause, so pieces of
// different replies never interleave. Driven from outside: run() does what is due at a time,
// nextWakeNs() says when it next has something to do. Times are nanoseconds of a monotonic
// clock.
//
// At a line rate (bits per second; 0 for none) it also keeps the wire's time, as a half-duplex
// RS-485 line at that rate with 10 bit times per byte would: the host's bytes hold the wire for
// their length before the board has heard them, a reply starts only once the wire is free, and
// the reply's bytes leave one byte time apart, each handed over when its last bit would have
// arrived. So a reply of N bytes started at t has its last byte out at t + N byte times.
// Without a line rate a piece goes out whole when its pause is over, as fast as the line takes
// it.
class Transmitter
{
public:
    // Bytes that are due go out together, at most this often, as a USB adapter hands them over
    // in bursts; the last byte of a piece always goes at its own time. Well under the host's
    // 20 ms idle rule, so a reply never looks finished half-way.
    static constexpr qint64 ChunkNs = 5'000'000;

    struct Output
    {
        std::function<bool(quint64 session)> accepts;
        std::function<void(const QByteArray &bytes, quint64 session)> write;
        // direction "TX" (sent) or "--" (dropped), the whole frame, the note
        std::function<void(const char *, const QByteArray &, const QString &)> log;
    };

    Transmitter(Output output, int lineRate);

    int lineRate() const { return m_lineRate; }
    qint64 byteNs() const { return m_byteNs; }

    // The host's bytes, seen at nowNs; returns when they are through on the wire. Bytes that
    // come while the wire is busy would collide with what is on it on a real line; they are
    // queued behind it here and *collided is set.
    qint64 received(int bytes, qint64 nowNs, bool *collided = nullptr);

    // Pieces go out in the client session they were asked for in, not before notBeforeNs.
    void enqueue(const QVector<Piece> &pieces, quint64 session, qint64 nowNs,
                 qint64 notBeforeNs = 0);
    void run(qint64 nowNs);
    // When run() next has work; -1 when idle.
    qint64 nextWakeNs() const;
    bool isIdle() const { return m_queue.isEmpty(); }
    qint64 wireFreeNs() const { return m_wireFreeNs; }

private:
    struct Queued
    {
        Piece piece;
        quint64 session = 0;
        qint64 notBeforeNs = 0;
    };

    qint64 headStartNs() const;
    qint64 dueBytes(qint64 nowNs) const;
    qint64 wireNs(qint64 bytes) const; // rounded up
    qint64 doneAt(qint64 bytes) const; // when this many bytes of the head are through

    Output m_out;
    int m_lineRate = 0;
    qint64 m_byteNs = 0;
    QQueue<Queued> m_queue;
    qint64 m_readyNs = 0; // the head's pause counts from here
    qint64 m_wireFreeNs = 0;
    bool m_sending = false; // the head has started and is going out byte by byte
    qint64 m_startNs = 0;
    int m_sent = 0;
    qint64 m_lastChunkNs = 0;
};
