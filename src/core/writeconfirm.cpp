#include "writeconfirm.h"

#include "commandcodes.h"
#include "parameterblock.h"

#include <QSet>

namespace {
// The line's own slack: ticks lost to a busy line, a late reply.
constexpr int SlackPeriods = 3;
} // namespace

int WriteConfirm::shownValue(const ParameterTable::Row &row, uint16_t wire)
{
    // The block carries the stored number and shows temperatures less the 40 they travel with;
    // the compensation is sent as a signed number and shown as one.
    if (qstrcmp(row.prefix, Cmd::CurrentCompensation) == 0)
        return int16_t(wire);
    return int(wire) - int(row.offset);
}

bool WriteConfirm::carriedByBlock(const QString &field)
{
    static const QSet<QString> carried = [] {
        QSet<QString> names;
        for (const ParameterBlock::Field &f : ParameterBlock::decode({}, {})) {
            if (f.kind == ParameterBlock::Field::Text)
                names.insert(QLatin1String(f.widget));
        }
        return names;
    }();
    return carried.contains(field);
}

bool WriteConfirm::isWrite(const QByteArray &frame)
{
    return frame.startsWith(":W+");
}

bool WriteConfirm::isBlockRequest(const QByteArray &frame)
{
    // ":Y+" address "+52=?~"
    return frame.size() == 11 && frame.startsWith(":Y+")
        && frame.mid(6) == QByteArray(Cmd::ReadParameters) + "=?~";
}

qint64 WriteConfirm::deadline(qint64 nowMs, int periodMs, int framesAhead)
{
    return nowMs + qint64(periodMs) * (framesAhead + 2 + MaxRetries + SlackPeriods);
}

void WriteConfirm::queued(const QString &field, int expected, const QByteArray &frame,
                          qint64 deadlineMs)
{
    for (int i = m_pending.size() - 1; i >= 0; --i) {
        if (m_pending.at(i).field == field)
            m_pending.remove(i);
    }
    m_pending.append(
        Pending{ field, expected, frame, deadlineMs, State::Queued, carriedByBlock(field) });
}

QVector<WriteConfirm::Verdict> WriteConfirm::transmitted(const QByteArray &frame)
{
    QVector<Verdict> verdicts;
    if (isBlockRequest(frame)) {
        m_outstanding = true;
        for (Pending &p : m_pending) {
            if (p.state == State::Sent)
                p.state = State::Awaiting;
        }
        return verdicts;
    }
    if (!isWrite(frame))
        return verdicts;
    for (int i = 0; i < m_pending.size(); ++i) {
        Pending &p = m_pending[i];
        if (p.state != State::Queued || p.frame != frame)
            continue;
        if (p.carried) {
            p.state = State::Sent;
        } else {
            verdicts.append(Verdict{ p.field, Outcome::NotConfirmable, p.expected, QString() });
            m_pending.remove(i);
        }
        break;
    }
    return verdicts;
}

WriteConfirm::Tick WriteConfirm::lineIdle()
{
    Tick tick;
    if (!m_outstanding)
        return tick;
    m_outstanding = false;
    if (++m_failures <= MaxRetries) {
        tick.retry = true;
        return tick;
    }
    m_failures = 0;
    tick.failed = true;
    tick.verdicts = takeAll(State::Awaiting, Outcome::Unconfirmed);
    return tick;
}

QVector<WriteConfirm::Verdict> WriteConfirm::blockArrived(const QHash<QString, QString> &shown)
{
    m_outstanding = false;
    m_failures = 0;
    QVector<Verdict> verdicts;
    for (int i = m_pending.size() - 1; i >= 0; --i) {
        const Pending &p = m_pending.at(i);
        if (p.state != State::Awaiting)
            continue;
        const auto it = shown.constFind(p.field);
        bool ok = false;
        const int board = it == shown.constEnd() ? 0 : it->toInt(&ok);
        Outcome outcome = Outcome::Unconfirmed;
        if (ok)
            outcome = board == p.expected ? Outcome::Confirmed : Outcome::Kept;
        verdicts.prepend(Verdict{ p.field, outcome, p.expected, ok ? *it : QString() });
        m_pending.remove(i);
    }
    return verdicts;
}

QVector<WriteConfirm::Verdict> WriteConfirm::expire(qint64 nowMs)
{
    QVector<Verdict> verdicts;
    for (int i = 0; i < m_pending.size();) {
        const Pending &p = m_pending.at(i);
        if (nowMs < p.deadlineMs) {
            ++i;
            continue;
        }
        verdicts.append(Verdict{ p.field, Outcome::Unconfirmed, p.expected, QString() });
        m_pending.remove(i);
    }
    return verdicts;
}

QVector<WriteConfirm::Verdict> WriteConfirm::abandon()
{
    QVector<Verdict> verdicts;
    for (const Pending &p : qAsConst(m_pending))
        verdicts.append(Verdict{ p.field, Outcome::Unconfirmed, p.expected, QString() });
    m_pending.clear();
    m_outstanding = false;
    m_failures = 0;
    return verdicts;
}

bool WriteConfirm::isPending(const QString &field) const
{
    for (const Pending &p : m_pending) {
        if (p.field == field)
            return true;
    }
    return false;
}

QVector<WriteConfirm::Verdict> WriteConfirm::takeAll(State state, Outcome outcome)
{
    QVector<Verdict> verdicts;
    for (int i = 0; i < m_pending.size();) {
        const Pending &p = m_pending.at(i);
        if (p.state != state) {
            ++i;
            continue;
        }
        verdicts.append(Verdict{ p.field, outcome, p.expected, QString() });
        m_pending.remove(i);
    }
    return verdicts;
}
