#include "profilejob.h"

#include "boardsession.h"
#include "fields.h"
#include "frame.h"

#include <QDateTime>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace {

// A field of the audit file, quoted where it holds a separator or a quote.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

const char AuditHeader[] = "time,port,address,key,old value,new value,confirmed,result\n";

const char *auditWord(ProfileJob::RowOutcome outcome)
{
    switch (outcome) {
    case ProfileJob::RowOutcome::Confirmed:
        return "confirmed";
    case ProfileJob::RowOutcome::Kept:
        return "kept";
    case ProfileJob::RowOutcome::Unconfirmed:
        return "unconfirmed";
    case ProfileJob::RowOutcome::NotSent:
        break;
    }
    return "not sent";
}

} // namespace

ProfileJob::ProfileJob(BoardSession *session, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_timer(new QTimer(this))
{
    qRegisterMetaType<ProfileJob::AddressResult>();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ProfileJob::timedOut);
    connect(session, &BoardSession::parameterBlock, this, &ProfileJob::blockArrived);
    connect(session, &BoardSession::writeVerdicts, this, &ProfileJob::verdictsArrived);
    connect(session, &BoardSession::frameSent, this, &ProfileJob::frameSent);
    connect(session, &BoardSession::readBackFailed, this, &ProfileJob::readBackFailed);
    connect(session, &BoardSession::closed, this, [this] {
        if (m_running)
            finishAddress(Status::LineClosed);
    });
}

ProfileJob::~ProfileJob() = default;

void ProfileJob::setAuditFile(const QString &path, const QString &port)
{
    m_auditPath = path;
    m_auditPort = port;
}

bool ProfileJob::start(Kind kind, const ParameterProfile::Profile &profile,
                       const QVector<int> &addresses)
{
    if (m_running || addresses.isEmpty() || !m_session->isOpen())
        return false;
    m_kind = kind;
    m_profile = profile;
    m_addresses = addresses;
    m_results.clear();
    m_auditError.clear();
    m_stopRequested = false;
    m_index = 0;
    m_running = true;
    beginAddress();
    return true;
}

void ProfileJob::beginAddress()
{
    m_current = AddressResult();
    m_current.address = m_addresses.at(m_index);
    m_queuedFrames.clear();
    m_awaited.clear();
    m_tries = 0;
    m_phase = Phase::Reading;
    emit progress(m_index, m_addresses.size(), m_current.address);
    // A request queued on a closed line would go out at the next open.
    if (!m_session->isOpen()) {
        finishAddress(Status::LineClosed);
        return;
    }
    askForBlock();
}

void ProfileJob::askForBlock()
{
    ++m_tries;
    m_session->queueReadBack(m_current.address);
    // The request waits for its turn on the line: behind what is queued and, with several packs,
    // behind a cycle's polls.
    const int period = m_session->period();
    const int turns = m_session->sendQueuebak.size() + m_session->addresses().size() + 2;
    m_timer->start(period * turns + 1000);
}

void ProfileJob::blockArrived(const QVector<ParameterBlock::Field> &fields)
{
    // One request is on the line at a time, so a block answers the last read-back sent. The
    // block's own address field says less: it carries the battery number, which a user can set.
    m_lastBlockAddress = m_askedAddress;
    if (!m_running || m_phase != Phase::Reading || m_lastBlockAddress != m_current.address)
        return;
    m_timer->stop();
    m_current.board = ParameterProfile::boardValues(fields);
    m_current.comparison = ParameterProfile::compare(m_profile, m_current.board);
    const bool same = ParameterProfile::differences(m_current.comparison) == 0;
    switch (m_kind) {
    case Kind::Save:
        finishAddress(Status::Read);
        return;
    case Kind::Check:
        finishAddress(same ? Status::Matches : Status::Differs);
        return;
    case Kind::Apply:
        if (same) {
            finishAddress(Status::Matches);
            return;
        }
        // Judged against this board's own values before anything goes out: a release left on
        // the wrong side of a trip is refused for the whole board, not written row by row.
        m_current.contradictions = ThresholdPairs::check(m_current.board, m_profile.values);
        if (!m_current.contradictions.isEmpty())
            finishAddress(Status::Contradicts);
        else
            writeDifferences();
        return;
    }
}

void ProfileJob::writeDifferences()
{
    // Checked whole before anything goes out: a value the row refuses stops the board's apply.
    QVector<QPair<const ParameterProfile::Comparison *, uint16_t>> writes;
    for (const ParameterProfile::Comparison &c : qAsConst(m_current.comparison)) {
        uint16_t wire = 0;
        if (!c.differs())
            continue;
        if (!ParameterProfile::wireValue(*c.row, c.file, &wire)) {
            // Every row that differs is recorded as not sent.
            for (const ParameterProfile::Comparison &d : qAsConst(m_current.comparison)) {
                if (!d.differs())
                    continue;
                RowResult row;
                row.key = d.key;
                row.before = d.board;
                row.wanted = d.file;
                row.outcome = RowOutcome::NotSent;
                m_current.writes.append(row);
            }
            finishAddress(Status::NotConfirmed);
            return;
        }
        writes.append({ &c, wire });
    }
    for (const auto &w : qAsConst(writes)) {
        const ParameterProfile::Comparison &c = *w.first;
        // A write waits behind what is queued and, with several packs, behind a cycle's polls;
        // a busy line or a slow machine may hold it a few periods more. Given up too early, a
        // row the board took would be reported as not confirmed.
        const int ahead =
            m_session->sendQueuebak.size() + m_session->addresses().size() + SlackTurns;
        const QByteArray frame =
            m_session->queueWrite(Frame::withAddress(c.row->prefix, m_current.address), w.second);
        if (frame.isEmpty()) {
            finishAddress(Status::LineClosed);
            return;
        }
        RowResult row;
        row.key = c.key;
        row.before = c.board;
        row.wanted = c.file;
        m_current.writes.append(row);
        m_queuedFrames.insert(c.key, frame);
        m_awaited.insert(c.key);
        // The session's read-back goes to the pack in focus; this board's comes below.
        m_session->followWrite(c.key, WriteConfirm::shownValue(*c.row, w.second), frame, ahead,
                               false);
    }
    m_phase = Phase::Confirming;
    m_session->queueReadBack(m_current.address);
    // The session gives each write up at its own deadline, well before this: it only guards
    // against a verdict that never comes.
    const int period = m_session->period();
    const int turns = m_session->sendQueuebak.size() + m_session->addresses().size() + SlackTurns
        + 2 + WriteConfirm::MaxRetries + 6;
    m_timer->start(period * turns + 3000);
}

void ProfileJob::frameSent(const QByteArray &frame)
{
    if (WriteConfirm::isBlockRequest(frame)) {
        m_askedAddress = hexToInt(frame.mid(3, 2));
        return;
    }
    for (auto it = m_queuedFrames.begin(); it != m_queuedFrames.end(); ++it) {
        if (it.value() == frame) {
            m_queuedFrames.erase(it);
            return;
        }
    }
}

void ProfileJob::verdictsArrived(const QVector<WriteConfirm::Verdict> &verdicts)
{
    if (!m_running || m_phase != Phase::Confirming)
        return;
    for (const WriteConfirm::Verdict &v : verdicts) {
        if (!m_awaited.remove(v.field))
            continue;
        RowOutcome outcome = RowOutcome::Unconfirmed;
        // Given up before it went out (the line was too busy for its deadline): taken back, so
        // it never goes out unfollowed.
        if (m_queuedFrames.contains(v.field)) {
            const QByteArray frame = m_queuedFrames.take(v.field);
            m_session->sendQueuebak.removeOne(frame);
            m_session->sendQueuebuff.removeOne(frame);
            outcome = RowOutcome::NotSent;
        }
        // A block of another board (a read-back of the pack in focus) says nothing of this one.
        if (outcome == RowOutcome::Unconfirmed && m_lastBlockAddress == m_current.address) {
            if (v.outcome == WriteConfirm::Outcome::Confirmed)
                outcome = RowOutcome::Confirmed;
            else if (v.outcome == WriteConfirm::Outcome::Kept)
                outcome = RowOutcome::Kept;
        }
        for (RowResult &row : m_current.writes) {
            if (row.key == v.field) {
                row.outcome = outcome;
                row.board = outcome == RowOutcome::Unconfirmed ? QString() : v.board;
            }
        }
    }
    if (!m_awaited.isEmpty())
        return;
    bool all = true;
    for (const RowResult &row : qAsConst(m_current.writes))
        all = all && row.outcome == RowOutcome::Confirmed;
    finishAddress(all ? Status::Applied : Status::NotConfirmed);
}

void ProfileJob::readBackFailed()
{
    // The session has asked again as often as it does for any read-back, and the last request on
    // the line was this board's: it is not answering. Waiting out the guard and asking anew
    // would cost each missing board of a bank several times as long, for the same verdict.
    if (!m_running || m_phase != Phase::Reading || m_askedAddress != m_current.address)
        return;
    finishAddress(Status::NoReply);
}

void ProfileJob::timedOut()
{
    if (!m_running)
        return;
    if (m_phase == Phase::Reading) {
        if (m_tries < ReadTries)
            askForBlock();
        else
            finishAddress(Status::NoReply);
        return;
    }
    finishAddress(Status::NotConfirmed);
}

void ProfileJob::stop()
{
    if (!m_running)
        return;
    // Between two boards (from a handler of addressDone) the next one is simply not begun.
    if (m_phase == Phase::Idle) {
        m_stopRequested = true;
        return;
    }
    // Nothing of this board is on the line while it is read, and a second request does not wait.
    if (m_phase != Phase::Confirming || m_stopRequested) {
        m_stopRequested = true;
        finishAddress(Status::Stopped);
        return;
    }
    m_stopRequested = true;
    takeBackQueued();
    if (m_awaited.isEmpty()) {
        finishAddress(Status::Stopped);
        return;
    }
    // The read-back queued behind the writes follows the last one that went out and judges
    // them; a line too slow for it leaves them unconfirmed.
    const int left = m_timer->isActive() ? m_timer->remainingTime() : StopGraceMs;
    m_timer->start(std::min(left, StopGraceMs));
}

void ProfileJob::takeBackQueued()
{
    for (auto it = m_queuedFrames.cbegin(); it != m_queuedFrames.cend(); ++it) {
        m_session->sendQueuebak.removeOne(it.value());
        m_session->sendQueuebuff.removeOne(it.value());
        if (!m_awaited.remove(it.key()))
            continue;
        for (RowResult &row : m_current.writes) {
            if (row.key == it.key())
                row.outcome = RowOutcome::NotSent;
        }
    }
    m_queuedFrames.clear();
}

void ProfileJob::finishAddress(Status status)
{
    m_timer->stop();
    // Writes still queued are taken back: a stopped apply sends nothing more.
    takeBackQueued();
    for (RowResult &row : m_current.writes) {
        if (m_awaited.contains(row.key))
            row.outcome = RowOutcome::Unconfirmed;
    }
    if (status == Status::Stopped && !m_current.writes.isEmpty())
        status = Status::NotConfirmed; // the board was touched: its rows say what went out
    m_current.status = status;
    m_awaited.clear();
    m_phase = Phase::Idle;
    appendAudit(m_current);
    m_results.append(m_current);
    emit addressDone(m_current);

    // A stop asked for meanwhile (also from a handler of addressDone) ends the job here.
    const bool lineClosed = status == Status::LineClosed;
    if (lineClosed || m_stopRequested) {
        // The boards not reached are part of the record: nothing was sent to them.
        for (int i = m_index + 1; i < m_addresses.size(); ++i) {
            AddressResult skipped;
            skipped.address = m_addresses.at(i);
            skipped.status = lineClosed ? Status::LineClosed : Status::Stopped;
            appendAudit(skipped);
            m_results.append(skipped);
            emit addressDone(skipped);
        }
        finishAll(m_stopRequested);
        return;
    }
    if (++m_index < m_addresses.size()) {
        beginAddress();
        return;
    }
    finishAll(false);
}

void ProfileJob::finishAll(bool stopped)
{
    m_running = false;
    emit progress(m_addresses.size(), m_addresses.size(), 0);
    emit finished(stopped);
}

void ProfileJob::appendAudit(const AddressResult &result)
{
    if (m_auditPath.isEmpty() || m_kind != Kind::Apply)
        return;
    // A board that already held the file's values has nothing to record. One that got no write
    // at all (it did not answer, the job ended before it, the line closed) is recorded row by
    // row all the same, so the file tells every board that lacks the profile.
    const char *untouched = nullptr;
    if (result.writes.isEmpty()) {
        switch (result.status) {
        case Status::NoReply:
            untouched = "no reply";
            break;
        case Status::Contradicts:
            untouched = "contradicts";
            break;
        case Status::Stopped:
        case Status::LineClosed:
        case Status::NotConfirmed:
            untouched = "not sent";
            break;
        case Status::Matches:
        case Status::Differs:
        case Status::Read:
        case Status::Applied:
            return;
        }
    }
    QFile file(m_auditPath);
    const bool fresh = !file.exists() || file.size() == 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        m_auditError = file.errorString();
        return;
    }
    QByteArray lines;
    if (fresh)
        lines += AuditHeader;
    // Local time with its offset from UTC, so lines from several sites sort and compare.
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray head =
        now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs).toUtf8() + ','
        + csvField(m_auditPort) + ',' + QByteArray::number(result.address) + ',';
    for (const RowResult &row : result.writes) {
        lines += head + row.key.toUtf8() + ',' + QByteArray::number(row.before) + ','
            + QByteArray::number(row.wanted) + ','
            + (row.outcome == RowOutcome::Confirmed ? "yes" : "no") + ',' + auditWord(row.outcome)
            + '\n';
    }
    // What the board held is not known: the old value stays empty.
    if (untouched) {
        for (const ParameterProfile::Comparison &c : ParameterProfile::compare(m_profile, {}))
            lines += head + c.key.toUtf8() + ",," + QByteArray::number(c.file) + ",no," + untouched
                + '\n';
    }
    if (file.write(lines) != lines.size() || !file.flush())
        m_auditError = file.errorString();
}

QString ProfileJob::describe(RowOutcome outcome)
{
    switch (outcome) {
    case RowOutcome::Confirmed:
        return tr("已确认");
    case RowOutcome::Kept:
        return tr("板子未采用");
    case RowOutcome::Unconfirmed:
        return tr("已发送，未确认");
    case RowOutcome::NotSent:
        break;
    }
    return tr("未发送");
}

QString ProfileJob::describe(const AddressResult &result)
{
    const int differing = ParameterProfile::differences(result.comparison);
    int confirmed = 0;
    int sent = 0;
    for (const RowResult &row : result.writes) {
        confirmed += row.outcome == RowOutcome::Confirmed ? 1 : 0;
        sent += row.outcome == RowOutcome::NotSent ? 0 : 1;
    }
    switch (result.status) {
    case Status::Matches:
        return tr("地址 %1：与文件一致").arg(result.address);
    case Status::Differs:
        return tr("地址 %1：%2 项与文件不同").arg(result.address).arg(differing);
    case Status::Read:
        return tr("地址 %1：已读回").arg(result.address);
    case Status::Applied:
        return tr("地址 %1：%2 项已写入并确认").arg(result.address).arg(confirmed);
    case Status::NotConfirmed:
        // Stopped half-way, or refused before anything went out.
        if (sent < result.writes.size())
            return tr("地址 %1：写入 %2 项，%3 项未确认，%4 项未发送")
                .arg(result.address)
                .arg(sent)
                .arg(sent - confirmed)
                .arg(result.writes.size() - sent);
        return tr("地址 %1：写入 %2 项，%3 项未确认")
            .arg(result.address)
            .arg(result.writes.size())
            .arg(result.writes.size() - confirmed);
    case Status::NoReply:
        return tr("地址 %1：板子没有回应，未写入").arg(result.address);
    case Status::Stopped:
        return tr("地址 %1：已停止，未写入").arg(result.address);
    case Status::LineClosed:
        return tr("地址 %1：串口已关闭").arg(result.address);
    case Status::Contradicts:
        return tr("地址 %1：未写入，文件的值与板子的值矛盾：%2")
            .arg(result.address)
            .arg(ThresholdPairs::describe(result.contradictions));
    }
    return QString();
}

QString ProfileJob::tally(const QVector<AddressResult> &results, int total)
{
    // In the order a user reads them: what was done, then what needs a look.
    static const Status order[] = { Status::Applied, Status::Matches,      Status::Read,
                                    Status::Differs, Status::NotConfirmed, Status::NoReply,
                                    Status::Stopped, Status::LineClosed,   Status::Contradicts };
    QStringList parts;
    for (Status status : order) {
        const int n =
            int(std::count_if(results.cbegin(), results.cend(),
                              [status](const AddressResult &r) { return r.status == status; }));
        if (n == 0)
            continue;
        switch (status) {
        case Status::Applied:
            parts << tr("%n 块已确认", nullptr, n);
            break;
        case Status::Matches:
            parts << tr("%n 块本已一致", nullptr, n);
            break;
        case Status::Read:
            parts << tr("%n 块已读回", nullptr, n);
            break;
        case Status::Differs:
            parts << tr("%n 块与文件不同", nullptr, n);
            break;
        case Status::NotConfirmed:
            parts << tr("%n 块未确认", nullptr, n);
            break;
        case Status::NoReply:
            parts << tr("%n 块没有回应", nullptr, n);
            break;
        case Status::Stopped:
            parts << tr("%n 块未写入", nullptr, n);
            break;
        case Status::LineClosed:
            parts << tr("%n 块因串口关闭未写入", nullptr, n);
            break;
        case Status::Contradicts:
            parts << tr("%n 块因值矛盾未写入", nullptr, n);
            break;
        }
    }
    const QString boards = results.size() < total
        ? tr("%1/%n 块板子", nullptr, total).arg(results.size())
        : tr("%n 块板子", nullptr, total);
    return parts.isEmpty() ? boards : tr("%1：%2").arg(boards, parts.join(tr("，")));
}
