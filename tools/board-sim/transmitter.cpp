#include "transmitter.h"

#include <algorithm>

namespace {
constexpr qint64 NsPerMs = 1'000'000;
constexpr qint64 BitNsTimesRate = 10'000'000'000; // 10 bit times per byte, in ns x bits/s
} // namespace

Transmitter::Transmitter(Output output, int lineRate)
    : m_out(std::move(output))
    , m_lineRate(std::max(lineRate, 0))
    , m_byteNs(m_lineRate > 0 ? BitNsTimesRate / m_lineRate : 0)
{ }

qint64 Transmitter::received(int bytes, qint64 nowNs, bool *collided)
{
    if (collided)
        *collided = m_sending;
    if (m_lineRate == 0)
        return nowNs;
    if (m_sending)
        m_wireFreeNs = std::max(m_wireFreeNs, doneAt(m_queue.head().piece.bytes.size()));
    // Rounded up, so the board never hears a request before its last bit is through.
    m_wireFreeNs = std::max(m_wireFreeNs, nowNs) + wireNs(bytes);
    return m_wireFreeNs;
}

void Transmitter::enqueue(const QVector<Piece> &pieces, quint64 session, qint64 nowNs,
                          qint64 notBeforeNs)
{
    if (pieces.isEmpty())
        return;
    if (m_queue.isEmpty())
        m_readyNs = nowNs;
    for (int i = 0; i < pieces.size(); ++i)
        m_queue.enqueue(Queued{ pieces[i], session, i == 0 ? notBeforeNs : 0 });
}

qint64 Transmitter::headStartNs() const
{
    const Queued &head = m_queue.head();
    const qint64 start = std::max(m_readyNs + head.piece.delayMs * NsPerMs, head.notBeforeNs);
    return m_lineRate > 0 ? std::max(start, m_wireFreeNs) : start;
}

qint64 Transmitter::wireNs(qint64 bytes) const
{
    return (bytes * BitNsTimesRate + m_lineRate - 1) / m_lineRate;
}

qint64 Transmitter::doneAt(qint64 bytes) const
{
    return m_startNs + wireNs(bytes);
}

qint64 Transmitter::dueBytes(qint64 nowNs) const
{
    return nowNs <= m_startNs ? 0 : (nowNs - m_startNs) * m_lineRate / BitNsTimesRate;
}

void Transmitter::run(qint64 nowNs)
{
    while (!m_queue.isEmpty()) {
        if (!m_sending) {
            const qint64 start = headStartNs();
            if (nowNs < start)
                return;
            const Queued &head = m_queue.head();
            // Logged before it is written, so a client never sees a reply ahead of its log line.
            const bool sent = m_out.accepts(head.session);
            if (!head.piece.logFrame.isEmpty())
                m_out.log(
                    sent ? "TX" : "--", head.piece.logFrame,
                    sent ? head.piece.note
                         : QStringLiteral("dropped: the client that asked has closed the port"));
            if (!sent || m_lineRate == 0 || head.piece.bytes.isEmpty()) {
                if (sent)
                    m_out.write(head.piece.bytes, head.session);
                m_queue.dequeue();
                m_readyNs = nowNs;
                continue;
            }
            // Timed from when it was due, so a late wake-up does not stretch the reply.
            m_sending = true;
            m_startNs = start;
            m_lastChunkNs = start;
            m_sent = 0;
        }

        const Queued &head = m_queue.head();
        const int size = head.piece.bytes.size();
        const int due = int(std::min<qint64>(size, dueBytes(nowNs)));
        if (due > m_sent) {
            m_out.write(head.piece.bytes.mid(m_sent, due - m_sent), head.session);
            m_sent = due;
            m_lastChunkNs = nowNs;
        }
        if (m_sent < size)
            return;
        const qint64 end =
            m_startNs + (qint64(size) * BitNsTimesRate + m_lineRate - 1) / m_lineRate;
        m_wireFreeNs = std::max(m_wireFreeNs, end);
        m_readyNs = end;
        m_sending = false;
        m_queue.dequeue();
    }
}

qint64 Transmitter::nextWakeNs() const
{
    if (m_queue.isEmpty())
        return -1;
    if (!m_sending)
        return headStartNs();
    const qint64 nextByte = doneAt(m_sent + 1);
    const qint64 last = doneAt(m_queue.head().piece.bytes.size());
    return std::min(std::max(nextByte, m_lastChunkNs + ChunkNs), last);
}
