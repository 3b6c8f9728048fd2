#pragma once

#include "parametertable.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <cstdint>

// Follows each parameter write until the board shows what it holds. The board does not answer a
// write; the parameter block it sends for a read-back does. A write is judged by the first block
// asked for after the write went out: confirmed when the block shows the value sent (compared as
// the field shows it, after the block's own offsets), kept when the board shows another value.
// A read-back that gets no valid reply by the next idle tick is tried again, up to MaxRetries
// times; when the retries fail or the write's deadline passes first, the write is unconfirmed.
// A field the block does not carry cannot be judged: its write is only known to have gone out.
//
// Plain bookkeeping, driven by the window: what it queues, what goes out on the line, what the
// line's idle ticks find and what blocks arrive. Times are milliseconds of the window's clock.
class WriteConfirm
{
public:
    enum class Outcome {
        Confirmed, // the block shows the value sent
        Kept, // the block shows another value: the board kept its own
        Unconfirmed, // no block judged it: the read-backs failed or its time ran out
        NotConfirmable, // sent; the block does not carry the field
    };

    struct Verdict
    {
        QString field; // object name of the row's line edit
        Outcome outcome;
        int expected; // the value sent, as the field shows it
        QString board; // Confirmed, Kept: the block's text for the field
    };

    // What an idle tick found of the read-back sent before it.
    struct Tick
    {
        bool retry = false; // queue the read-back again
        bool failed = false; // it failed MaxRetries + 1 times: give up and say so
        QVector<Verdict> verdicts; // writes that were waiting for it
    };

    static constexpr int MaxRetries = 3;

    // The number the block shows for a row's field while the board holds wire: temperatures
    // come back as degrees, the compensation as the signed value sent.
    static int shownValue(const ParameterTable::Row &row, uint16_t wire);
    // Whether the parameter block carries the named field.
    static bool carriedByBlock(const QString &field);
    // The frame kinds the bookkeeping tells apart: a write, and a request for the block.
    static bool isWrite(const QByteArray &frame);
    static bool isBlockRequest(const QByteArray &frame);
    // When a write queued behind framesAhead others, polled every periodMs, is given up: its own
    // period, the read-back's, every retry's, and a little room for a busy line.
    static qint64 deadline(qint64 nowMs, int periodMs, int framesAhead);

    // A write frame for field was queued, expecting the field to show expected afterwards. A
    // newer write for a field replaces the one still under way.
    void queued(const QString &field, int expected, const QByteArray &frame, qint64 deadlineMs);
    // A frame went out on the line.
    QVector<Verdict> transmitted(const QByteArray &frame);
    // A poll tick found the line idle, before it sends the next frame.
    Tick lineIdle();
    // A valid parameter block arrived; shown holds its text fields by object name.
    QVector<Verdict> blockArrived(const QHash<QString, QString> &shown);
    // Writes whose deadline has passed.
    QVector<Verdict> expire(qint64 nowMs);
    // The port closed: nothing under way will be judged.
    QVector<Verdict> abandon();

    // A write for the field is under way, not yet judged.
    bool isPending(const QString &field) const;
    // A read-back went out and nothing has judged it yet.
    bool readBackOutstanding() const { return m_outstanding; }

private:
    enum class State {
        Queued, // in the send queue
        Sent, // on the line; no read-back asked for since
        Awaiting, // a read-back went out after it
    };
    struct Pending
    {
        QString field;
        int expected;
        QByteArray frame;
        qint64 deadlineMs;
        State state;
        bool carried;
    };

    QVector<Verdict> takeAll(State state, Outcome outcome);

    QVector<Pending> m_pending;
    bool m_outstanding = false;
    int m_failures = 0; // read-backs in a row that got no valid reply
};
