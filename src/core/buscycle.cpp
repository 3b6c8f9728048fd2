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
    stop();
    m_running = true;
    m_cycleStart = -1;
    m_lastReceive = lastReceiveMs;
}

void BusCycle::stop()
{
    m_running = false;
    m_onLine = OnLine();
    m_inCycle = false;
    m_cycleIndex = 0;
    m_freeAt = 0;
    m_pending = Step();
}

void BusCycle::startScan(const QVector<int> &addresses, int tries)
{
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
    m_pending.scanEnded = true;
}

void BusCycle::bytesArrived(qint64 nowMs)
{
    m_lastReceive = nowMs;
    if (m_onLine.active && m_onLine.expectReply)
        m_onLine.bytesSeen = true;
}

bool BusCycle::frameArrived(qint64 nowMs, bool good, Settled *settled)
{
    if (!m_onLine.active || !m_onLine.expectReply)
        return false;
    Settled s;
    s.kind = m_onLine.kind;
    s.address = m_onLine.address;
    s.outcome = Outcome::Answered;
    s.roundTripMs = nowMs - m_onLine.sentAt;
    if (settled)
        *settled = s;
    const Kind kind = m_onLine.kind;
    m_onLine = OnLine();
    if (kind == Kind::Scan)
        scanSettled(&m_pending, good);
    else if (kind == Kind::Poll && m_cycleIndex >= m_addresses.size())
        endCycle(&m_pending, nowMs);
    return true;
}

void BusCycle::settle(Step *step, Outcome outcome, qint64 nowMs)
{
    Settled s;
    s.kind = m_onLine.kind;
    s.address = m_onLine.address;
    s.outcome = outcome;
    step->settled.append(s);
    m_onLine = OnLine();
    if (s.kind == Kind::Scan)
        scanSettled(step, false);
    else if (s.kind == Kind::Poll && m_cycleIndex >= m_addresses.size())
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

void BusCycle::scanSettled(Step *step, bool found)
{
    if (m_scanIndex < 0)
        return; // stopped while the request was on the line
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
    // Nothing answers a write: the line is the board's again once its bytes have left and the
    // board has had the idle time to take them.
    if (!step->expectReply)
        m_freeAt = m_onLine.leftAt + m_timing.idleMs;
}

BusCycle::Step BusCycle::next(qint64 nowMs, QQueue<QByteArray> *queue)
{
    Step step = m_pending;
    m_pending = Step();

    if (m_onLine.active) {
        if (!m_onLine.expectReply) {
            if (nowMs < m_freeAt) {
                step.wakeAt = m_freeAt;
                return step;
            }
            m_onLine = OnLine();
        } else {
            // The watch runs from the request's last byte, then from each byte of a reply.
            const qint64 deadline =
                (m_onLine.bytesSeen ? m_lastReceive : m_onLine.leftAt) + m_timing.replyWatchMs;
            if (nowMs < deadline) {
                step.wakeAt = deadline;
                return step;
            }
            settle(&step, m_onLine.bytesSeen ? Outcome::CutShort : Outcome::TimedOut, nowMs);
        }
    }

    const bool scanning = m_scanIndex >= 0;
    const bool pollDue = m_running && !m_addresses.isEmpty()
        && (m_inCycle || m_cycleStart < 0 || nowMs >= m_cycleStart + m_timing.periodMs);
    if (queue->isEmpty() && !scanning && !pollDue) {
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
        return step;
    }

    if (!queue->isEmpty()) {
        const QByteArray frame = queue->dequeue();
        put(&step, frame, Kind::Queued, frameAddress(frame), nowMs);
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
    }
    return step;
}
