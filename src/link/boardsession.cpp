#include "boardsession.h"

#include "commandcodes.h"
#include "frame.h"
#include "portlist.h"
#include "receivebuffer.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QScopedValueRollback>
#include <QTimer>

BoardSession::BoardSession(QObject *parent)
    : QObject(parent)
    , serialPort(new QSerialPort(this))
    , m_clock(RequestScheduler::steadyClock())
    , requestTimer(new QTimer(this))
    , timeoutTimer(new QTimer(this))
    , m_reconnectDeadline(new QTimer(this))
    , m_reconnectRetry(new QTimer(this))
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
    return requestTimer->isActive();
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
    requestTimer->start(m_settings.periodMs);
    dataHaveReceived = true; // the first tick reports no time-out
    lastReceiveTime = m_clock();
    emit pollingStarted();
}

void BoardSession::close(CloseReason reason)
{
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
    return frame;
}

void BoardSession::queueReadBack()
{
    queueReadBack(m_settings.address);
}

void BoardSession::queueReadBack(int address)
{
    // No CRC on a read request; it takes the place of the next poll.
    sendQueuebak.enqueue(Frame::readRequest(address, Cmd::ReadParameters));
}

void BoardSession::setAddresses(const QVector<int> &addresses)
{
    m_addresses = addresses;
    for (int address : addresses)
        linkOf(address);
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

void BoardSession::startScan(int, int, int)
{
    emit scanFinished({}, true);
}

void BoardSession::stopScan()
{ }

void BoardSession::followWrite(const QString &key, int expected, const QByteArray &frame,
                               int framesAhead, bool readBack)
{
    m_writeConfirm.queued(key, expected, frame,
                          WriteConfirm::deadline(m_clock(), m_settings.periodMs, framesAhead));
    if (readBack)
        queueReadBack();
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
    const QScopedValueRollback<bool> ticking(m_ticking, true);
    emit aboutToPoll();
    // Before the tick sends: a read-back gone unanswered is retried or given up, late writes are
    // given up.
    bool readBackGivenUp = false;
    if (isBusIdle()) {
        const WriteConfirm::Tick tick = m_writeConfirm.lineIdle();
        if (tick.retry)
            queueReadBack();
        readBackGivenUp = tick.failed;
        emitVerdicts(tick.verdicts);
    }
    emitVerdicts(m_writeConfirm.expire(m_clock()));

    RequestScheduler::Inputs in;
    in.answered = dataHaveReceived;
    in.portOpen = serialPort->isOpen();
    in.sinceLastReceiveMs = m_clock() - lastReceiveTime;
    in.idleThresholdMs = idleTimeThreshold;
    in.address = m_settings.address;
    const RequestScheduler::Decision decision =
        RequestScheduler::tick(in, &sendQueuebak, &sendQueuebuff);

    if (decision.reportTimeout) {
        qDebug() << "sendRequest timeout!";
        timeoutTimer->stop();
        emit replyTimeout();
    }
    if (readBackGivenUp) // said after the time-out it explains
        emit readBackFailed();
    if (decision.reportClosedPort)
        emit pollOnClosedPort();

    if (!decision.send) {
        qDebug() << "isBusIdle";
        emit busBusy();
        return;
    }
    // A failed write has been reported; the frame is dropped.
    if (writeData(decision.frame))
        emit frameSent(decision.frame);
    // The board answers reads only. A write goes out unanswered, so it is not watched: the
    // read-back queued behind it tells whether the board took it.
    dataHaveReceived = !decision.expectReply;
    if (decision.expectReply)
        timeoutTimer->start();
    else
        timeoutTimer->stop();
    emitVerdicts(m_writeConfirm.transmitted(decision.frame));
}

void BoardSession::readAvailable()
{
    // Bytes that arrive while the frames before them are handed on (in a box's nested event
    // loop) are read after those frames, so the frames keep their order.
    if (m_reading)
        return;
    const QScopedValueRollback<bool> reading(m_reading, true);
    while (serialPort->bytesAvailable() > 0) {
        dataHaveReceived = true;
        timeoutTimer->stop();
        lastReceiveTime = m_clock();
        const QByteArray bytes = serialPort->readAll();
        emit bytesReceived(bytes);
        // The frames are cut out before any is handed on, so whatever runs on one finds the
        // accumulator holding only the start of the next frame. Each is checked on its own.
        const QByteArrayList frames = ReceiveBuffer::append(&msgdata, bytes);
        for (const QByteArray &frame : frames) {
            emit frameReceived(frame);
            checkFrame(frame);
            if (!serialPort->isOpen())
                return; // closed by what a frame caused
        }
    }
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
    if (!reply.hasStart) {
        emit frameChecked(frame, FrameVerdict::NoStart);
        return;
    }
    if (!reply.crcMatches) {
        emit frameChecked(frame, FrameVerdict::CrcMismatch);
        emit crcMismatch(frame);
        return;
    }
    emit frameChecked(frame, FrameVerdict::Good);
    if (reply.kind != 'Y')
        return;
    if (reply.code == Cmd::ReplyRealTime) {
        const RealTimeReply values = decodeRealTime(reply.addressText(), reply.dataBlock(), &afe);
        emit realTimeRecord(values);
        emit packReply(afe.id, values, afe);
    } else if (reply.code == Cmd::ReplyParameters) {
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
