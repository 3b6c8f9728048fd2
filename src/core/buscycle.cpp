#include "buscycle.h"

#include "commandcodes.h"
#include "frame.h"
#include "requestscheduler.h"

#include <algorithm>

namespace {

// The address a queued frame is for: the two hex digits after ":W+" or ":Y+".
int frameAddress(const QByteArray &frame)
{
    bool ok = false;
    const int address = frame.mid(3, 2).toInt(&ok, 16);
    return ok ? address : -1;
}

} // namespace

qint64 BusCycle::wireMs(int bytes, int baud)
{
    if (baud <= 0)
        return 0;
    return (qint64(bytes) * 10 * 1000 + baud - 1) / baud;
}

void BusCycle::setAddresses(const QVector<int> &addresses)
{
    m_addresses = addresses;
    if (m_cycleIndex > m_addresses.size())
        m_cycleIndex = m_addresses.size();
}

void BusCycle::start(qint64 lastReceiveMs)
{
    m_running = true;
    m_inCycle = false;
    m_cycleIndex = 0;
    m_cycleStart = -1;
    m_busySince = -1;
    m_lastReceive = std::max(m_lastReceive, lastReceiveMs);
}

void BusCycle::stop()
{
    m_running = false;
    m_onLine = OnLine();
    m_expired = Expired();
    m_inCycle = false;
    m_cycleIndex = 0;
    m_freeAt = 0;
    m_busySince = -1;
    m_pending = Step();
}

void BusCycle::startScan(const QVector<int> &addresses, int tries)
{
    ++m_scanRound;
    m_scanList = addresses;
    m_scanIndex = addresses.isEmpty() ? -1 : 0;
    m_scanTries = std::max(1, tries);
    m_scanTry = 0;
    // The cycle under way is given up; polling starts a new one after the scan.
    m_inCycle = false;
    m_cycleIndex = 0;
    if (addresses.isEmpty())
        m_pending.scanEnded = true;
}

void BusCycle::stopScan()
{
    if (m_scanIndex < 0)
        return;
    m_scanIndex = -1;
    ++m_scanRound;
    m_pending.scanEnded = true;
}

qint64 BusCycle::watchEnd() const
{
    // The watch runs from the request's last byte, then from each byte of a reply.
    return (m_onLine.bytesSeen ? m_lastReceive : m_onLine.leftAt) + m_timing.replyWatchMs;
}

qint64 BusCycle::guardEnd() const
{
    // Quiet for the guard time after the watch, or after the last byte of a late reply, but
    // never longer than a whole reply that began at the guard's last moment would take.
    const qint64 quiet = std::max(m_expired.at, m_lastReceive) + m_timing.guardMs;
    const qint64 bound = m_expired.at + m_timing.guardMs + wireMs(LongestReplyBytes, m_timing.baud);
    return std::min(quiet, bound);
}

void BusCycle::catchUp(qint64 nowMs, Step *step)
{
    if (m_onLine.active) {
        if (!m_onLine.expectReply) {
            if (nowMs >= m_freeAt)
                m_onLine = OnLine();
        } else {
            const qint64 deadline = watchEnd();
            if (nowMs >= deadline)
                settle(step, m_onLine.bytesSeen ? Outcome::CutShort : Outcome::TimedOut, deadline);
        }
    }
    if (m_expired.active && !m_onLine.active && nowMs >= guardEnd())
        endGuard(step);
}

void BusCycle::endGuard(Step *step)
{
    const Expired expired = m_expired;
    m_expired = Expired();
    // A scan's ask is judged once nothing can answer it any more.
    if (expired.kind == Kind::Scan)
        scanSettled(step, false, expired.scanRound);
}

void BusCycle::bytesArrived(qint64 nowMs)
{
    // A watch or a guard that ran out before these bytes is settled first, as the clock had it:
    // a timer that fires late must not make a late reply look timely.
    catchUp(nowMs, &m_pending);
    m_lastReceive = nowMs;
    if (m_onLine.active && m_onLine.expectReply)
        m_onLine.bytesSeen = true;
}

bool BusCycle::frameArrived(qint64 nowMs, bool good, Settled *settled)
{
    catchUp(nowMs, &m_pending);
    Settled s;
    if (m_onLine.active && m_onLine.expectReply) {
        s.kind = m_onLine.kind;
        s.address = m_onLine.address;
        s.outcome = Outcome::Answered;
        s.roundTripMs = nowMs - m_onLine.sentAt;
        const int round = m_onLine.scanRound;
        m_onLine = OnLine();
        if (s.kind == Kind::Scan)
            scanSettled(&m_pending, good, round);
        else if (s.kind == Kind::Poll && m_cycleIndex >= m_addresses.size())
            endCycle(&m_pending, nowMs);
    } else if (m_expired.active) {
        // Within the guard: the late answer of the request whose watch ran out.
        s.kind = m_expired.kind;
        s.address = m_expired.address;
        s.outcome = Outcome::Late;
        s.roundTripMs = nowMs - m_expired.sentAt;
        const int round = m_expired.scanRound;
        m_expired = Expired();
        if (s.kind == Kind::Scan)
            scanSettled(&m_pending, good, round);
    } else {
        return false;
    }
    if (settled)
        *settled = s;
    return true;
}

void BusCycle::settle(Step *step, Outcome outcome, qint64 atMs)
{
    Settled s;
    s.kind = m_onLine.kind;
    s.address = m_onLine.address;
    s.outcome = outcome;
    step->settled.append(s);
    m_expired.active = true;
    m_expired.kind = m_onLine.kind;
    m_expired.address = m_onLine.address;
    m_expired.sentAt = m_onLine.sentAt;
    m_expired.at = atMs;
    m_expired.scanRound = m_onLine.scanRound;
    m_onLine = OnLine();
    if (s.kind == Kind::Poll && m_cycleIndex >= m_addresses.size())
        endCycle(step, atMs);
}

void BusCycle::giveUp(Step *step, qint64 nowMs)
{
    Settled s;
    s.outcome = Outcome::NotSent;
    if (m_scanIndex >= 0) {
        s.kind = Kind::Scan;
        s.address = m_scanList.at(m_scanIndex);
        step->settled.append(s);
        scanSettled(step, false, m_scanRound);
        return;
    }
    if (!m_inCycle) {
        m_inCycle = true;
        m_cycleStart = nowMs;
        m_cycleIndex = 0;
        step->cycleStarted = true;
    }
    if (m_cycleIndex < m_addresses.size()) {
        s.kind = Kind::Poll;
        s.address = m_addresses.at(m_cycleIndex++);
        step->settled.append(s);
    }
    if (m_cycleIndex >= m_addresses.size())
        endCycle(step, nowMs);
}

void BusCycle::endCycle(Step *step, qint64 nowMs)
{
    if (!m_inCycle)
        return;
    m_inCycle = false;
    step->cycleEnded = true;
    step->cycleMs = nowMs - m_cycleStart;
    step->overrun = step->cycleMs > m_timing.periodMs;
}

void BusCycle::scanSettled(Step *step, bool found, int round)
{
    if (m_scanIndex < 0 || round != m_scanRound)
        return; // stopped (or started anew) while the request was on the line
    ++m_scanTry;
    if (!found && m_scanTry < m_scanTries)
        return; // asked again
    step->scanAddress = m_scanList.at(m_scanIndex);
    step->scanFound = found;
    m_scanTry = 0;
    if (++m_scanIndex >= m_scanList.size()) {
        m_scanIndex = -1;
        step->scanEnded = true;
    }
}

void BusCycle::put(Step *step, const QByteArray &frame, Kind kind, int address, qint64 nowMs)
{
    step->send = true;
    step->frame = frame;
    step->kind = kind;
    step->address = address;
    step->expectReply = RequestScheduler::expectsReply(frame);
    m_onLine.active = true;
    m_onLine.expectReply = step->expectReply;
    m_onLine.kind = kind;
    m_onLine.address = address;
    m_onLine.sentAt = nowMs;
    m_onLine.leftAt = nowMs + wireMs(frame.size(), m_timing.baud);
    m_onLine.bytesSeen = false;
    m_onLine.scanRound = m_scanRound;
    m_expired = Expired();
    m_busySince = -1;
    // Nothing answers a write: the line is the board's again once its bytes have left and the
    // board has had the idle time to take them.
    if (!step->expectReply)
        m_freeAt = m_onLine.leftAt + m_timing.idleMs;
}

void BusCycle::sent(qint64 nowMs, const QByteArray &frame)
{
    Step ignored;
    putFrame(&ignored, frame, nowMs);
}

void BusCycle::putFrame(Step *step, const QByteArray &frame, qint64 nowMs)
{
    const int address = frameAddress(frame);
    const bool poll = frame == Frame::readRequest(address, Cmd::ReadRealTime);
    put(step, frame, poll ? Kind::Poll : Kind::Queued, address, nowMs);
}

BusCycle::Step BusCycle::advance(qint64 nowMs)
{
    Step step = m_pending;
    m_pending = Step();
    catchUp(nowMs, &step);
    if (m_onLine.active)
        step.wakeAt = m_onLine.expectReply ? watchEnd() : m_freeAt;
    else if (m_expired.active)
        step.wakeAt = guardEnd();
    return step;
}

BusCycle::Step BusCycle::next(qint64 nowMs, QQueue<QByteArray> *queue)
{
    Step step = advance(nowMs);
    if (!isLineFree())
        return step;

    const bool scanning = m_scanIndex >= 0;
    const bool pollDue = m_running && !m_addresses.isEmpty()
        && (m_inCycle || m_cycleStart < 0 || nowMs >= m_cycleStart + m_timing.periodMs);
    if (queue->isEmpty() && !scanning && !pollDue) {
        m_busySince = -1;
        step.wakeAt = m_running && !m_addresses.isEmpty() && !m_inCycle
            ? m_cycleStart + m_timing.periodMs
            : -1;
        return step;
    }

    // The idle rule: the line has been quiet for the idle time, and a write has had its own.
    const qint64 quietAt =
        std::max(m_lastReceive < 0 ? nowMs : m_lastReceive + m_timing.idleMs, m_freeAt);
    if (nowMs < quietAt) {
        step.wakeAt = quietAt;
        if (!scanning && !pollDue)
            return step; // queued frames wait for the line however long it takes
        if (m_busySince < 0)
            m_busySince = nowMs;
        const qint64 giveUpAt = m_busySince + m_timing.replyWatchMs;
        if (nowMs < giveUpAt) {
            step.wakeAt = std::min(quietAt, giveUpAt);
            return step;
        }
        giveUp(&step, nowMs);
        m_busySince = -1;
        step.wakeAt = nowMs; // the next pack waits for the line in its turn
        return step;
    }
    m_busySince = -1;

    if (!queue->isEmpty()) {
        putFrame(&step, queue->dequeue(), nowMs);
        return step;
    }
    if (scanning) {
        const int address = m_scanList.at(m_scanIndex);
        put(&step, Frame::readRequest(address, Cmd::ReadRealTime), Kind::Scan, address, nowMs);
        return step;
    }
    if (!m_inCycle) {
        m_inCycle = true;
        m_cycleStart = nowMs;
        m_cycleIndex = 0;
        step.cycleStarted = true;
    }
    if (m_cycleIndex < m_addresses.size()) {
        const int address = m_addresses.at(m_cycleIndex++);
        put(&step, Frame::readRequest(address, Cmd::ReadRealTime), Kind::Poll, address, nowMs);
    } else {
        endCycle(&step, nowMs); // the list was shortened under way
        step.wakeAt = nowMs;
    }
    return step;
}
