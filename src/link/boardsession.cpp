#include "boardsession.h"

#include "commandcodes.h"
#include "frame.h"
#include "portlist.h"
#include "receivebuffer.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QMetaEnum>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

BoardSession::BoardSession(QObject *parent)
    : QObject(parent)
    , serialPort(new QSerialPort(this))
    , m_clock(RequestScheduler::steadyClock())
    , requestTimer(new QTimer(this))
    , timeoutTimer(new QTimer(this))
    , m_reconnectDeadline(new QTimer(this))
    , m_reconnectRetry(new QTimer(this))
    , m_cycleTimer(new QTimer(this))
{
    initializeAFE(&afe);
    timeoutTimer->setInterval(ReplyWatchMs);
    connect(serialPort, &QSerialPort::readyRead, this, &BoardSession::readAvailable);
    connect(serialPort, &QSerialPort::errorOccurred, this, &BoardSession::handlePortError);
    connect(requestTimer, &QTimer::timeout, this, &BoardSession::pollTick);
    connect(timeoutTimer, &QTimer::timeout, this, &BoardSession::replyWatchExpired);

    m_reconnectDeadline->setSingleShot(true);
    connect(m_reconnectDeadline, &QTimer::timeout, this, &BoardSession::stopReconnectWait);
    m_reconnectRetry->setInterval(ReconnectRetryMs);
    connect(m_reconnectRetry, &QTimer::timeout, this, [this] { tryReconnect(false); });

    // The cycle waits for exact moments: a reply watch, the idle time after a reply.
    m_cycleTimer->setSingleShot(true);
    m_cycleTimer->setTimerType(Qt::PreciseTimer);
    connect(m_cycleTimer, &QTimer::timeout, this, &BoardSession::cycleStep);
}

BoardSession::~BoardSession()
{
    // Nothing is reported from a session being destroyed.
    blockSignals(true);
}

void BoardSession::setClock(RequestScheduler::Clock clock)
{
    m_clock = std::move(clock);
}

bool BoardSession::isOpen() const
{
    return serialPort->isOpen();
}

bool BoardSession::isPolling() const
{
    return requestTimer->isActive() || (m_cycleDriven && m_pollingWanted);
}

QString BoardSession::portName() const
{
    return serialPort->portName();
}

bool BoardSession::open(const LineSettings &settings)
{
    // The caller opening a line ends the wait for a removed adapter; the wait's own attempts
    // come through tryReconnect with the wait still set.
    if (!m_reconnectAttempt)
        stopReconnectWait();
    {
        const QScopedValueRollback<bool> closing(m_closing, true);
        serialPort->close();
    }
    m_settings = settings;
    m_readBackAddress = settings.address;
    timingChanged();
    serialPort->setPortName(settings.port);

    if (!serialPort->open(QIODevice::ReadWrite)) {
        // Taken now: closing the port replaces its error with one of its own.
        const QString port = serialPort->portName();
        const QString reason = serialPort->errorString();
        const QSerialPort::SerialPortError error = serialPort->error();
        close(CloseReason::User);
        // A reconnect attempt fails quietly and is tried again.
        if (!m_reconnectAttempt)
            emit openFailed(port, reason, error);
        return false;
    }

    const QString name = serialPort->portName();
    const QList<PortInfo> ports = PortList::availablePorts(QString());
    const int listed = PortList::find(ports, name);
    m_connectedIdentity = listed >= 0 ? PortList::identity(ports.at(listed)) : name;
    serialPort->setBaudRate(settings.baud, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setStopBits(QSerialPort::OneStop);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setFlowControl(QSerialPort::NoFlowControl);
    emit opened();
    return true;
}

void BoardSession::startPolling()
{
    msgdata.clear();
    dataHaveReceived = true; // the first tick reports no time-out
    lastReceiveTime = m_clock();
    m_pollingWanted = true;
    // The tick and the cycle keep to the one state of the line: a request on it is waited for.
    m_cycle.start(lastReceiveTime);
    if (isCycling()) {
        enterCycle();
    } else {
        m_cycle.setAddresses({});
        requestTimer->start(m_settings.periodMs);
        kickQueue(); // frames queued before polling began
    }
    emit pollingStarted();
}

void BoardSession::timingChanged()
{
    BusCycle::Timing timing;
    timing.periodMs = m_settings.periodMs;
    timing.replyWatchMs = ReplyWatchMs;
    timing.idleMs = idleTimeThreshold;
    timing.guardMs = GuardMs;
    timing.baud = m_settings.baud;
    m_cycle.setTiming(timing);
}

void BoardSession::enterCycle()
{
    requestTimer->stop();
    timeoutTimer->stop();
    m_cycleDriven = true;
    // A scan on a line that is not polled asks only the scan's addresses.
    m_cycle.setAddresses(isCycling() && m_pollingWanted ? m_addresses : QVector<int>());
    m_cycle.start(lastReceiveTime);
    QTimer::singleShot(0, this, &BoardSession::cycleStep);
}

void BoardSession::leaveCycle()
{
    // Back to the tick, or to no polling. The line's state is kept: a request still on the line
    // is waited for before the tick sends.
    m_cycleDriven = false;
    m_cycle.setAddresses({});
}

bool BoardSession::pumpsQueue() const
{
    return m_cycleDriven || requestTimer->isActive();
}

void BoardSession::kickQueue()
{
    // The step decides at once; it arms its timer again for whatever it waits for.
    if (pumpsQueue())
        m_cycleTimer->start(0);
}

void BoardSession::close(CloseReason reason)
{
    const bool scanning = m_scanning;
    m_scanning = false;
    m_pollingWanted = false;
    leaveCycle();
    m_cycleTimer->stop();
    m_cycle.stop();
    {
        const QScopedValueRollback<bool> closing(m_closing, true);
        requestTimer->stop();
        timeoutTimer->stop();
        if (serialPort->isOpen())
            serialPort->clear();
        serialPort->close();
    }
    sendQueuebuff.clear();
    sendQueuebak.clear();
    emitVerdicts(m_writeConfirm.abandon());
    if (scanning) {
        std::sort(m_scanFound.begin(), m_scanFound.end());
        emit scanFinished(m_scanFound, true);
    }
    emit closed(reason);
}

bool BoardSession::writeData(const QByteArray &data)
{
    SendFailure failure;
    if (!serialPort->isOpen()) {
        failure = SendFailure::PortClosed;
    } else if (!serialPort->isWritable()) {
        failure = SendFailure::NotWritable;
    } else {
        const qint64 written = serialPort->write(data);
        if (written == data.size())
            return true;
        failure = written == -1 ? SendFailure::WriteFailed : SendFailure::PartialWrite;
    }
    emit sendFailed(failure);
    return false;
}

QByteArray BoardSession::queueWrite(const QByteArray &target, uint16_t value)
{
    if (!serialPort->isOpen()) {
        emit sendFailed(SendFailure::PortClosed);
        return QByteArray();
    }
    const QByteArray frame = Frame::writeFrame(target, value);
    sendQueuebak.enqueue(frame);
    kickQueue();
    return frame;
}

void BoardSession::queueReadBack()
{
    queueReadBack(m_settings.address);
}

void BoardSession::queueReadBack(int address)
{
    m_readBackAddress = address;
    // No CRC on a read request; it takes the place of the next poll.
    sendQueuebak.enqueue(Frame::readRequest(address, Cmd::ReadParameters));
    kickQueue();
}

void BoardSession::setAddresses(const QVector<int> &addresses)
{
    const bool wasCycling = isCycling();
    m_addresses = addresses;
    for (int address : addresses)
        linkOf(address);
    if (m_scanning || !isPolling())
        return;
    // Polling goes on in the new way: the tick for one pack, the cycle for several.
    if (isCycling()) {
        if (wasCycling)
            m_cycle.setAddresses(m_addresses);
        else
            enterCycle();
    } else if (wasCycling) {
        leaveCycle();
        dataHaveReceived = true;
        requestTimer->start(m_settings.periodMs);
    }
}

QVector<int> BoardSession::addresses() const
{
    return m_addresses.isEmpty() ? QVector<int>{ m_settings.address } : m_addresses;
}

BoardSession::PackLink &BoardSession::linkOf(int address)
{
    for (PackLink &link : m_links) {
        if (link.address == address)
            return link;
    }
    PackLink link;
    link.address = address;
    m_links.append(link);
    return m_links.last();
}

BoardSession::PackLink BoardSession::packLink(int address) const
{
    for (const PackLink &link : m_links) {
        if (link.address == address)
            return link;
    }
    PackLink link;
    link.address = address;
    return link;
}

QVector<BoardSession::PackLink> BoardSession::packLinks() const
{
    return m_links;
}

void BoardSession::startScan(int first, int last, int tries)
{
    if (m_scanning)
        return;
    if (!serialPort->isOpen()) {
        emit sendFailed(SendFailure::PortClosed);
        emit scanFinished({}, true);
        return;
    }
    first = qBound(0, first, 99);
    last = qBound(0, last, 99);
    if (first > last)
        std::swap(first, last);
    QVector<int> range;
    for (int address = first; address <= last; ++address)
        range.append(address);
    m_scanning = true;
    m_scanStopped = false;
    m_scanFound.clear();
    if (!m_cycleDriven)
        enterCycle();
    m_cycle.startScan(range, tries);
    emit scanProgress(0, range.size());
}

void BoardSession::stopScan()
{
    if (!m_scanning)
        return;
    m_scanStopped = true;
    m_cycle.stopScan();
    QTimer::singleShot(0, this, &BoardSession::cycleStep);
}

void BoardSession::scanEvents(const BusCycle::Step &step)
{
    if (!m_scanning)
        return;
    if (step.scanAddress >= 0) {
        if (step.scanFound)
            m_scanFound.append(step.scanAddress);
        emit scanProgress(m_cycle.isScanning() ? m_cycle.scanDone() : m_cycle.scanTotal(),
                          m_cycle.scanTotal());
    }
    if (!step.scanEnded)
        return;
    m_scanning = false;
    // Polling goes on as it went before the scan.
    if (!m_pollingWanted) {
        leaveCycle();
    } else if (isCycling()) {
        m_cycle.setAddresses(m_addresses);
    } else {
        leaveCycle();
        dataHaveReceived = true;
        requestTimer->start(m_settings.periodMs);
    }
    std::sort(m_scanFound.begin(), m_scanFound.end());
    emit scanFinished(m_scanFound, m_scanStopped);
}

void BoardSession::cycleStep()
{
    // As the tick: a step that comes due in a box's nested event loop is left to the step
    // under way, which decides again before it returns.
    if (m_ticking || !pumpsQueue())
        return;
    const QScopedValueRollback<bool> ticking(m_ticking, true);
    for (;;) {
        if (!serialPort->isOpen())
            return;
        const qint64 now = m_clock();
        emitVerdicts(m_writeConfirm.expire(now));
        const BusCycle::Step step = m_cycle.next(now, &sendQueuebak);
        stepEvents(step);
        if (!serialPort->isOpen() || !pumpsQueue())
            return; // the line closed, or polling ended with the scan
        if (!step.send) {
            if (step.wakeAt >= 0)
                m_cycleTimer->start(int(qBound<qint64>(0, step.wakeAt - now, 60 * 60 * 1000)));
            else
                m_cycleTimer->stop();
            return;
        }
        sendNow(step);
    }
}

void BoardSession::stepEvents(const BusCycle::Step &step)
{
    if (step.cycleStarted)
        emit aboutToPoll();
    for (const BusCycle::Settled &s : step.settled)
        settled(s);
    if (step.cycleEnded) {
        m_lastCycleMs = int(step.cycleMs);
        emit cycleDone(m_lastCycleMs, step.overrun);
    }
    scanEvents(step);
}

void BoardSession::sendNow(const BusCycle::Step &step)
{
    // Between the ticks: the tick's working copy no longer holds what went out, and the watch
    // shows as the tick's would. The cycle knows what it sent.
    if (!m_cycleDriven && !sendQueuebuff.isEmpty() && sendQueuebuff.head() == step.frame)
        sendQueuebuff.dequeue();
    putOnLine(step.frame, step.expectReply, m_cycleDriven ? Sender::Cycle : Sender::Between);
}

void BoardSession::putOnLine(const QByteArray &frame, bool expectReply, Sender sender)
{
    // A failed write has been reported; the frame is dropped.
    if (writeData(frame)) {
        emit frameSent(frame);
        if (sender == Sender::Tick)
            m_cycle.sent(m_clock(), frame);
    }
    // The board answers reads only. A write goes out unanswered, so it is not watched: the
    // read-back queued behind it tells whether the board took it.
    dataHaveReceived = !expectReply;
    if (sender != Sender::Cycle) {
        if (expectReply)
            timeoutTimer->start();
        else
            timeoutTimer->stop();
    }
    emitVerdicts(m_writeConfirm.transmitted(frame));
}

void BoardSession::settled(const BusCycle::Settled &s)
{
    if (s.kind == BusCycle::Kind::Queued) {
        // A read-back that got no valid block is asked again, or given up.
        const WriteConfirm::Tick tick = m_writeConfirm.lineIdle();
        if (tick.retry)
            queueReadBack(m_readBackAddress);
        emitVerdicts(tick.verdicts);
        if (tick.failed && m_holdReadBackFailed)
            m_readBackGivenUp = true;
        else if (tick.failed)
            emit readBackFailed();
        return;
    }
    if (s.kind != BusCycle::Kind::Poll)
        return;
    PackLink &link = linkOf(s.address);
    Unanswered why = Unanswered::NoReply;
    if (s.outcome == BusCycle::Outcome::CutShort) {
        ++link.crcErrors;
        why = Unanswered::CutShort;
    } else if (s.outcome == BusCycle::Outcome::NotSent) {
        ++link.notSent;
        why = Unanswered::NotSent;
    } else {
        ++link.timeouts;
    }
    emit packLinkChanged(s.address);
    qDebug("pack %d: no data (%s)", s.address,
           QMetaEnum::fromType<Unanswered>().valueToKey(int(why)));
    emit pollUnanswered(s.address, why);
    // The tick tells of its own time-outs, as it always has.
    if (m_cycleDriven && s.address == m_settings.address && why != Unanswered::NotSent) {
        qDebug() << "send timeout!";
        emit replyTimeout();
    }
}

void BoardSession::followWrite(const QString &key, int expected, const QByteArray &frame,
                               int framesAhead, bool readBack)
{
    m_writeConfirm.queued(key, expected, frame,
                          WriteConfirm::deadline(m_clock(), m_settings.periodMs, framesAhead));
    // Read back from the board the write went to, which need not be the pack in focus.
    bool ok = false;
    const int address = frame.mid(3, 2).toInt(&ok, 16);
    if (readBack)
        queueReadBack(ok ? address : m_settings.address);
}

void BoardSession::emitVerdicts(const QVector<WriteConfirm::Verdict> &verdicts)
{
    if (!verdicts.isEmpty())
        emit writeVerdicts(verdicts);
}

bool BoardSession::isBusIdle() const
{
    return RequestScheduler::isIdle(m_clock() - lastReceiveTime, idleTimeThreshold);
}

void BoardSession::pollTick()
{
    // A presenter's modal box runs a nested event loop; a tick that comes due in it waits for
    // the next period rather than run inside this one half-way.
    if (m_ticking)
        return;
    {
        const QScopedValueRollback<bool> ticking(m_ticking, true);
        emit aboutToPoll();
        // What the clock settled since: a reply watch run out (told here once per poll), a
        // guard ended. Before the tick sends: a read-back gone unanswered is retried or given
        // up, late writes are given up.
        m_readBackGivenUp = false;
        {
            const QScopedValueRollback<bool> hold(m_holdReadBackFailed, true);
            stepEvents(m_cycle.advance(m_clock()));
        }
        const bool lineFree = m_cycle.isLineFree();
        if (lineFree && isBusIdle()) {
            const WriteConfirm::Tick tick = m_writeConfirm.lineIdle();
            if (tick.retry)
                queueReadBack();
            m_readBackGivenUp = m_readBackGivenUp || tick.failed;
            emitVerdicts(tick.verdicts);
        }
        emitVerdicts(m_writeConfirm.expire(m_clock()));

        RequestScheduler::Inputs in;
        in.answered = dataHaveReceived;
        in.portOpen = serialPort->isOpen();
        in.sinceLastReceiveMs = m_clock() - lastReceiveTime;
        in.idleThresholdMs = idleTimeThreshold;
        in.address = m_settings.address;
        in.lineFree = lineFree;
        const RequestScheduler::Decision decision =
            RequestScheduler::tick(in, &sendQueuebak, &sendQueuebuff);

        if (decision.reportTimeout) {
            qDebug() << "sendRequest timeout!";
            timeoutTimer->stop();
            emit replyTimeout();
        }
        if (m_readBackGivenUp) // said after the time-out it explains
            emit readBackFailed();
        if (decision.reportClosedPort)
            emit pollOnClosedPort();

        if (decision.send) {
            putOnLine(decision.frame, decision.expectReply, Sender::Tick);
        } else if (!decision.held) {
            // Held for a reply, the frame goes out as soon as the line is free (below). Busy
            // with bytes nobody asked for, the line cost the pack this period's poll.
            qDebug() << "isBusIdle";
            emit busBusy();
            if (decision.pollNotSent && in.portOpen) {
                BusCycle::Settled notSent;
                notSent.address = m_settings.address;
                notSent.outcome = BusCycle::Outcome::NotSent;
                settled(notSent);
            }
        }
    }
    // The watch of what went out, and what is queued behind it, as fast as the line allows.
    cycleStep();
}

void BoardSession::readAvailable()
{
    // Bytes that arrive while the frames before them are handed on (in a box's nested event
    // loop) are read after those frames, so the frames keep their order.
    if (m_reading)
        return;
    const QScopedValueRollback<bool> reading(m_reading, true);
    bool framed = false;
    while (serialPort->bytesAvailable() > 0) {
        dataHaveReceived = true;
        timeoutTimer->stop();
        lastReceiveTime = m_clock();
        m_cycle.bytesArrived(lastReceiveTime);
        const QByteArray bytes = serialPort->readAll();
        emit bytesReceived(bytes);
        // The frames are cut out before any is handed on, so whatever runs on one finds the
        // accumulator holding only the start of the next frame. Each is checked on its own.
        const QByteArrayList frames = ReceiveBuffer::append(&msgdata, bytes);
        framed = framed || !frames.isEmpty();
        for (const QByteArray &frame : frames) {
            emit frameReceived(frame);
            checkFrame(frame);
            if (!serialPort->isOpen())
                return; // closed by what a frame caused
        }
    }
    // A reply that is complete frees the line for the next request after the idle time. The
    // bytes of one still arriving only move its watch on, which the watch's timer finds.
    if (framed)
        cycleStep();
}

void BoardSession::replyWatchExpired()
{
    // The watch repeats until bytes arrive or the next tick decides.
    qDebug() << "send timeout!";
    emit replyTimeout();
}

void BoardSession::checkFrame(const QByteArray &frame)
{
    const Frame::ReplyCheck reply = Frame::checkReply(frame);
    const bool whole = reply.hasStart && reply.crcMatches && reply.kind == 'Y';
    const bool realTime = whole && reply.code == Cmd::ReplyRealTime;
    const bool block = whole && reply.code == Cmd::ReplyParameters;
    // A frame answers the request outstanding, or the one whose guard still runs, whatever
    // battery number it states: a board answers at its address and states its number.
    BusCycle::Settled asked;
    const bool answers = reply.hasStart && m_cycle.frameArrived(m_clock(), realTime, &asked);
    if (answers && asked.kind == BusCycle::Kind::Queued && !block) {
        settled(asked); // a read-back answered by something that is not a block: asked again
    } else if (answers && asked.kind == BusCycle::Kind::Poll && !realTime) {
        // A poll answered by a spoiled frame, or by one that is no real-time data, brought no
        // data. Late, it was told at the watch's end already.
        PackLink &link = linkOf(asked.address);
        if (reply.crcMatches)
            ++link.wrongReply;
        else
            ++link.crcErrors;
        emit packLinkChanged(asked.address);
        if (asked.outcome == BusCycle::Outcome::Answered)
            emit pollUnanswered(asked.address, Unanswered::BadReply);
    }
    const bool answersPack = answers && asked.kind != BusCycle::Kind::Scan;
    if (!reply.hasStart) {
        emit frameChecked(frame, FrameVerdict::NoStart);
        return;
    }
    if (!reply.crcMatches) {
        emit frameChecked(frame, FrameVerdict::CrcMismatch);
        if (answersPack)
            emit answerChecked(asked.address, FrameVerdict::CrcMismatch);
        emit crcMismatch(frame);
        return;
    }
    emit frameChecked(frame, FrameVerdict::Good);
    if (answersPack)
        emit answerChecked(asked.address, FrameVerdict::Good);
    if (reply.kind != 'Y')
        return;
    if (realTime) {
        realTimeReply(reply, answers, asked);
    } else if (block) {
        const QVector<ParameterBlock::Field> fields =
            ParameterBlock::decode(reply.addressText(), reply.dataBlock());
        QHash<QString, QString> shown;
        shown.reserve(fields.size());
        for (const ParameterBlock::Field &field : fields) {
            if (field.kind == ParameterBlock::Field::Text)
                shown.insert(QLatin1String(field.widget), field.text);
        }
        // Judged first, so the block's presenter sees which fields are still awaited.
        const QVector<WriteConfirm::Verdict> verdicts = m_writeConfirm.blockArrived(shown);
        emit parameterBlock(fields);
        emitVerdicts(verdicts);
    }
}

void BoardSession::realTimeReply(const Frame::ReplyCheck &reply, bool answers,
                                 const BusCycle::Settled &asked)
{
    // Whose data: the pack whose poll it answers, in time or late. A scan only looks for who
    // answers. With one pack on the line every reply is its, as the tick has always taken
    // them; with several, a reply that answers no poll is nobody's.
    int pack = -1;
    if (answers && asked.kind == BusCycle::Kind::Scan)
        return;
    if (answers && asked.kind == BusCycle::Kind::Poll)
        pack = asked.address;
    else if (!m_cycleDriven)
        pack = m_settings.address;
    if (pack < 0)
        return;
    PackLink &link = linkOf(pack);
    ++link.replies;
    if (answers && asked.outcome == BusCycle::Outcome::Late)
        ++link.late;
    link.lastReply = QDateTime::currentDateTime();
    if (answers && asked.kind == BusCycle::Kind::Poll)
        link.roundTripMs = int(asked.roundTripMs);
    // afe keeps what the reply states (its battery number as its id), as the pages show it; the
    // record handed on names the pack.
    if (!m_cycleDriven || pack == m_settings.address) {
        const RealTimeReply values = decodeRealTime(reply.addressText(), reply.dataBlock(), &afe);
        emit realTimeRecord(values);
        AFE record = afe;
        record.id = pack;
        emit packReply(pack, values, record);
    } else {
        AFE record;
        initializeAFE(&record);
        const RealTimeReply values =
            decodeRealTime(reply.addressText(), reply.dataBlock(), &record);
        record.id = pack;
        emit packReply(pack, values, record);
    }
    emit packLinkChanged(pack);
}

bool BoardSession::portIsPresent(const QString &name) const
{
    // No stable names needed: a port is asked for by its name or path.
    return PortList::find(PortList::availablePorts(QString()), name) >= 0;
}

bool BoardSession::deviceNodeGone() const
{
    const QString name = serialPort->portName();
    return serialPort->isOpen()
        && !QFileInfo::exists(name.startsWith(QLatin1Char('/')) ? name
                                                                : QStringLiteral("/dev/") + name);
}

void BoardSession::handlePortError(QSerialPort::SerialPortError error)
{
    // Clearing and closing a port whose device is gone report errors of their own.
    if (m_closing || error == QSerialPort::NoError)
        return;
    // An adapter pulled out can be reported as a read error, again and again, instead of a
    // resource error. Once the device node is gone, close as if its removal had been announced,
    // rather than spin until the watcher's next look.
    const bool gone = deviceNodeGone();
    if (error != QSerialPort::ResourceError) {
        if (gone)
            deviceRemoved();
        return;
    }
    // Taken now: closing the port replaces its error with one of its own.
    const QString reason = serialPort->errorString();
    if (gone)
        deviceRemoved(); // waits for the adapter to return, if asked to
    // The port is unusable even where its device is still there: closed as a removal closes
    // it, so nothing stays switched on over a closed port that nothing polls.
    if (serialPort->isOpen() || isPolling())
        close(CloseReason::PortError);
    emit portFailed(reason);
}

void BoardSession::deviceArrived()
{
    if (isWaitingToReconnect())
        tryReconnect(true);
}

void BoardSession::deviceRemoved()
{
    if (!serialPort->isOpen() && !isPolling())
        return;
    if (portIsPresent(serialPort->portName()))
        return;
    close(CloseReason::Removed);
    if (m_reconnect)
        startReconnectWait();
}

void BoardSession::setReconnect(bool on)
{
    m_reconnect = on;
    if (!on && isWaitingToReconnect())
        stopReconnectWait();
}

void BoardSession::startReconnectWait()
{
    if (m_connectedIdentity.isEmpty())
        return;
    m_reconnectIdentity = m_connectedIdentity;
    m_reconnectSeen = false;
    m_reconnectUntil = QTime::currentTime().addMSecs(ReconnectWindowMs);
    m_reconnectDeadline->start(ReconnectWindowMs);
    m_reconnectRetry->start();
    emit reconnectWaitChanged(true);
}

void BoardSession::stopReconnectWait()
{
    if (!isWaitingToReconnect())
        return;
    m_reconnectIdentity.clear();
    m_reconnectDeadline->stop();
    m_reconnectRetry->stop();
    emit reconnectWaitChanged(false);
}

void BoardSession::tryReconnect(bool arrived)
{
    if (!isWaitingToReconnect() || serialPort->isOpen())
        return;
    // Between arrivals the device is looked for once a second, where that is cheap: a device
    // known by its path is back when the path is. A removal and a return between two looks of
    // the device watcher would otherwise pass unnoticed. A device known by its serial number is
    // looked for when something arrives, and again each second once it was there but could
    // not be opened.
    if (m_reconnectIdentity.startsWith(QLatin1Char('/'))) {
        if (!QFileInfo::exists(m_reconnectIdentity))
            return;
    } else if (!arrived && !m_reconnectSeen) {
        return;
    }
    // It may come back under another name (ttyUSB1 for ttyUSB0).
    const QList<PortInfo> ports = PortList::availablePorts();
    int found = -1;
    for (int i = 0; i < ports.size() && found < 0; ++i) {
        if (PortList::identity(ports.at(i)) == m_reconnectIdentity)
            found = i;
    }
    m_reconnectSeen = found >= 0;
    if (found < 0)
        return;
    LineSettings settings = m_settings; // the same rate, address and period as before
    settings.port = ports.at(found).name;
    bool reopened = false;
    {
        const QScopedValueRollback<bool> attempt(m_reconnectAttempt, true);
        reopened = open(settings);
    }
    // Opened: polling again. Otherwise (its permissions still being set, a modem manager
    // probing it) the next look tries again.
    if (!reopened)
        return;
    stopReconnectWait();
    startPolling();
}
