// The window's serial link: the port list, opening and closing, the poll cycle, the receive path,
// hot-plug, and the head of ParseMsg that checks every received block.
#include "mainwindow.h"

#include "commandcodes.h"
#include "frame.h"
#include "globals.h"
#include "messages.h"
#include "openfailure.h"
#include "receivebuffer.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDebug>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSerialPortInfo>
#include <QTimer>

namespace {

constexpr int ReplyWatchMs = 70;
constexpr int TxFlashMs = 100;
constexpr int RxFlashMs = 100;
constexpr int TimeoutFlashMs = 150;
constexpr int CrcFlashMs = 200;

const char GreenText[] = "QLabel { color : green; }";
const char RedText[] = "QLabel { color : red; }";
const char YellowText[] = "QLabel { color : yellow; }";

// How long a removed adapter is waited for, and how often it is looked for in between.
constexpr int ReconnectWindowMs = 5 * 60 * 1000;
constexpr int ReconnectRetryMs = 1000;

} // namespace

QString MainWindow::chosenPortName() const
{
    // The entry is "name (description)"; a path from ARVEX_EXTRA_PORTS opens as a path.
    const QString entry = ui->portName->currentText();
    return entry.left(entry.indexOf(QLatin1Char('('))).trimmed();
}

void MainWindow::findFreePorts()
{
    // The chosen device stays chosen wherever the new list puts it: an adapter plugged in beside
    // it must not move the switch to another port. Only when it is gone is the first one taken.
    const int chosen = PortList::find(listedPorts, chosenPortName());
    const QString chosenIdentity =
        chosen >= 0 ? PortList::identity(listedPorts.at(chosen)) : QString();
    ui->portName->clear();
    listedPorts = PortList::availablePorts();
    int keep = -1;
    for (const PortInfo &port : qAsConst(listedPorts)) {
        ui->portName->addItem(PortList::entryText(port));
        ui->portName->setItemData(ui->portName->count() - 1, PortList::details(port),
                                  Qt::ToolTipRole);
        if (keep < 0 && !chosenIdentity.isEmpty() && PortList::identity(port) == chosenIdentity)
            keep = ui->portName->count() - 1;
    }
    if (keep >= 0)
        ui->portName->setCurrentIndex(keep);
    // An adapter's entry is longer than the box: the open list is as wide as its longest entry
    // (NComBox), and the box tells the chosen one whole as its tool tip.
    showPortToolTip();
    ui->bard->setEnabled(true);
    if (ui->portName->count() == 0)
        Messages::warning(nullptr, QStringLiteral("Warning"),
                          QStringLiteral("No free serial port found"));
}

bool MainWindow::portIsPresent(const QString &name) const
{
    // No stable names needed: a port is asked for by its name or path.
    return PortList::find(PortList::availablePorts(QString()), name) >= 0;
}

void MainWindow::setStatusText(QLabel *label, const char *styleSheet, const QString &text)
{
    // Most polls leave the text as it was; a style sheet set again would still re-polish the
    // label and repaint the status line.
    const QLatin1String sheet(styleSheet);
    if (label->styleSheet() != sheet)
        label->setStyleSheet(sheet);
    if (label->text() != text)
        label->setText(text);
}

void MainWindow::showOpenedText()
{
    setStatusText(
        ui->statu_opencom, GreenText,
        tr("%1 OPENED, %2, %3, %4, %5, %6")
            .arg(serialPort->portName())
            .arg(serialPort->baudRate())
            .arg(int(serialPort->dataBits()))
            .arg(serialPort->parity() == QSerialPort::NoParity ? tr("NONE") : tr("EVEN/ODD"))
            .arg(int(serialPort->stopBits()))
            .arg(serialPort->flowControl() == QSerialPort::NoFlowControl ? tr("OFF") : tr("ON")));
}

void MainWindow::showClosedText()
{
    QString text = tr("%1 CLOSED").arg(serialPort->portName());
    if (isWaitingToReconnect())
        text += QStringLiteral(", ")
            + tr("等待适配器插回（至 %1）")
                  .arg(reconnectUntil.toString(QStringLiteral("HH:mm:ss")));
    setStatusText(ui->statu_opencom, RedText, text);
}

void MainWindow::openComChanged(bool on)
{
    if (on) {
        // The user switching a port on ends the wait for a removed adapter.
        if (!reconnectAttempt)
            stopReconnectWait();
        if (initSerialPort())
            SendTaskRun();
    } else {
        SendTaskStop();
    }
}

bool MainWindow::initSerialPort()
{
    serialPort->close();
    serialPort->setPortName(chosenPortName());

    if (!serialPort->open(QIODevice::ReadWrite)) {
        // Taken now: closing the port below replaces the port's error with one of its own.
        const QString port = serialPort->portName();
        const QString text = OpenFailure::text(
            port, serialPort->errorString(),
            OpenFailure::hint(serialPort->error(), OpenFailure::deviceAccessible(port)));
        ui->portName->setEnabled(true);
        ui->openCom->SetActive(false); // runs SendTaskStop: the red closed text
        // A reconnect attempt fails quietly and is tried again.
        if (!reconnectAttempt)
            Messages::warning(nullptr, QStringLiteral("Tip"), text);
        return false;
    }

    currentConnectedPortName = serialPort->portName();
    const QList<PortInfo> ports = PortList::availablePorts(QString());
    const int opened = PortList::find(ports, currentConnectedPortName);
    connectedIdentity =
        opened >= 0 ? PortList::identity(ports.at(opened)) : currentConnectedPortName;
    const int baud = ui->bard->currentData(Qt::UserRole).toInt();
    serialPort->setBaudRate(baud, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setStopBits(QSerialPort::OneStop);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setFlowControl(QSerialPort::NoFlowControl);

    showOpenedText();
    return true;
}

void MainWindow::SendTaskRun()
{
    msgdata.clear();
    // The period is read here once; the box is locked while polling runs.
    requestTimer->start(ui->spinBox->value());
    timeoutTimer->setInterval(ReplyWatchMs);
    dataHaveReceived = true; // the first tick reports no time-out
    lastReceiveTime = clock();
    liveDataOpened();
    serialPort->setBaudRate(ui->bard->currentData(Qt::UserRole).toInt(),
                            QSerialPort::AllDirections);
    ui->portName->setEnabled(false);
    ui->spinBox->setEnabled(false);
    ui->DeviceID->setEnabled(false);
    ui->bard->setEnabled(false);
}

void MainWindow::SendTaskStop()
{
    const QScopedValueRollback<bool> stopping(stoppingPort, true);
    requestTimer->stop();
    timeoutTimer->stop();
    if (serialPort->isOpen())
        serialPort->clear();
    serialPort->close();
    ui->portName->setEnabled(true);
    ui->spinBox->setEnabled(true);
    ui->bard->setEnabled(true);
    ui->DeviceID->setEnabled(true);
    sendQueuebuff.clear();
    sendQueuebak.clear();
    abandonWrites();
    showClosedText();
    liveDataClosed();
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    // Clearing and closing a port whose device is gone report errors of their own.
    if (stoppingPort || error == QSerialPort::NoError)
        return;
    // An adapter pulled out can be reported as a read error, again and again, instead of a
    // resource error. Once the device node is gone, close as if its removal had been announced,
    // rather than spin until the watcher's next look.
    const bool deviceGone = serialPort->isOpen()
        && !QFileInfo::exists(currentConnectedPortName.startsWith(QLatin1Char('/'))
                                  ? currentConnectedPortName
                                  : QStringLiteral("/dev/") + currentConnectedPortName);
    if (error != QSerialPort::ResourceError) {
        if (deviceGone)
            serialDeviceRemoved();
        return;
    }
    // Taken now: closing the port replaces its error with one of its own.
    const QString reason = serialPort->errorString();
    if (deviceGone)
        serialDeviceRemoved(); // waits for the adapter to return, if asked to
    // The port is unusable even where its device is still there: closed as a removal closes
    // it, so the switch never stays on over a closed port that nothing polls.
    if (ui->openCom->checked())
        ui->openCom->SetActive(false); // runs SendTaskStop: the red closed text
    else
        SendTaskStop();
    Messages::critical(this, tr("设备移除"), reason);
}

void MainWindow::serialDeviceArrived()
{
    // The list is left alone under an open connection.
    if (!ui->openCom->checked())
        findFreePorts();
    if (isWaitingToReconnect())
        tryReconnect(true);
}

void MainWindow::serialDeviceRemoved()
{
    if (portIsPresent(currentConnectedPortName))
        return;
    const bool linkWasOn = ui->openCom->checked();
    if (linkWasOn)
        ui->openCom->SetActive(false); // runs SendTaskStop
    SendTaskStop();
    findFreePorts();
    if (linkWasOn && ui->reconnect->isChecked())
        startReconnectWait();
    showClosedText();
}

void MainWindow::initReconnect()
{
    reconnectDeadline = new QTimer(this);
    reconnectDeadline->setSingleShot(true);
    connect(reconnectDeadline, &QTimer::timeout, this, [this] {
        stopReconnectWait();
        showClosedText();
    });
    reconnectRetry = new QTimer(this);
    reconnectRetry->setInterval(ReconnectRetryMs);
    connect(reconnectRetry, &QTimer::timeout, this, [this] { tryReconnect(false); });
    connect(ui->reconnect, &QCheckBox::toggled, this, &MainWindow::reconnectToggled);
}

void MainWindow::startReconnectWait()
{
    if (connectedIdentity.isEmpty())
        return;
    reconnectIdentity = connectedIdentity;
    reconnectSeen = false;
    reconnectUntil = QTime::currentTime().addMSecs(ReconnectWindowMs);
    reconnectDeadline->start(ReconnectWindowMs);
    reconnectRetry->start();
}

void MainWindow::stopReconnectWait()
{
    reconnectIdentity.clear();
    reconnectDeadline->stop();
    reconnectRetry->stop();
}

void MainWindow::reconnectToggled(bool on)
{
    if (on || !isWaitingToReconnect())
        return;
    stopReconnectWait();
    showClosedText();
}

void MainWindow::tryReconnect(bool arrived)
{
    if (!isWaitingToReconnect() || ui->openCom->checked())
        return;
    // Between arrivals the device is looked for once a second, where that is cheap: a device
    // known by its path is back when the path is. A removal and a return between two looks of
    // the device watcher would otherwise pass unnoticed. A device known by its serial number is
    // looked for when something arrives, and again each second once it was there but could
    // not be opened.
    if (reconnectIdentity.startsWith(QLatin1Char('/'))) {
        if (!QFileInfo::exists(reconnectIdentity))
            return;
    } else if (!arrived && !reconnectSeen) {
        return;
    }
    // It may come back under another name (ttyUSB1 for ttyUSB0).
    const QList<PortInfo> ports = PortList::availablePorts();
    int found = -1;
    for (int i = 0; i < ports.size() && found < 0; ++i) {
        if (PortList::identity(ports.at(i)) == reconnectIdentity)
            found = i;
    }
    reconnectSeen = found >= 0;
    if (found < 0)
        return;
    if (!selectPort(ports.at(found).name)) {
        findFreePorts();
        if (!selectPort(ports.at(found).name))
            return;
    }
    {
        const QScopedValueRollback<bool> attempt(reconnectAttempt, true);
        ui->openCom->SetActive(true); // the same rate, address and period as before
    }
    // Opened: polling again. Otherwise (its permissions still being set, a modem manager
    // probing it) the next look tries again.
    if (ui->openCom->checked())
        stopReconnectWait();
}

bool MainWindow::writeData(const QByteArray &data)
{
    if (!serialPort->isOpen()) {
        Messages::warning(this, tr("错误"), tr("串口未打开，请先打开串口。"));
        return false;
    }
    if (!serialPort->isWritable()) {
        Messages::warning(this, tr("错误"), tr("串口不可用。"));
        return false;
    }
    const qint64 written = serialPort->write(data);
    if (written == -1) {
        Messages::warning(this, tr("错误"), tr("写入数据失败。"));
        return false;
    }
    if (written < data.size()) {
        Messages::warning(this, tr("警告"), tr("未能写入全部数据。"));
        return false;
    }
    return true;
}

void MainWindow::recvMsg()
{
    dataHaveReceived = true;
    timeoutTimer->stop();
    lastReceiveTime = clock();
    setupStatusSwitcher(ui->statu_rx_mask, lampOn, lampOff, RxFlashMs);
    // The frames are cut out before any is handed on, so whatever the check runs finds the
    // accumulator holding only the start of the next frame. Each frame is checked on its own.
    const QByteArrayList frames = ReceiveBuffer::append(&msgdata, serialPort->readAll());
    for (const QByteArray &frame : frames)
        emit dataReceived(frame);
}

bool MainWindow::isBusIdle() const
{
    return RequestScheduler::isIdle(clock() - lastReceiveTime, idleTimeThreshold);
}

void MainWindow::sendRequest()
{
    watchLiveData();
    const bool readBackFailed = followWritesBeforeTick(isBusIdle());
    RequestScheduler::Inputs in;
    in.answered = dataHaveReceived;
    in.portOpen = serialPort->isOpen();
    in.sinceLastReceiveMs = clock() - lastReceiveTime;
    in.idleThresholdMs = idleTimeThreshold;
    in.address = ui->DeviceID->value();
    const RequestScheduler::Decision decision =
        RequestScheduler::tick(in, &sendQueuebak, &sendQueuebuff);

    if (decision.reportTimeout) {
        setupStatusSwitcher(ui->statu_rxerr_mask, lampError, lampOff, TimeoutFlashMs);
        setStatusText(ui->statu_send, RedText, QStringLiteral("Timeout!"));
        qDebug() << "sendRequest timeout!";
        timeoutTimer->stop();
    }
    if (readBackFailed) // said after the time-out it explains
        showReadBackFailed();
    if (decision.reportClosedPort)
        Messages::warning(this, tr("错误"), tr("串口未打开，请先打开串口。"));

    if (decision.send) {
        writeData(decision.frame); // a failed write has shown its box; the frame is dropped
        setupStatusSwitcher(ui->statu_tx_mask, lampOn, lampOff, TxFlashMs);
        // The board answers reads only. A write goes out unanswered, so it is not watched: the
        // read-back queued behind it tells whether the board took it.
        dataHaveReceived = !decision.expectReply;
        if (decision.expectReply)
            timeoutTimer->start();
        else
            timeoutTimer->stop();
        followWritesAfterSending(decision.frame);
    } else {
        qDebug() << "isBusIdle";
        setStatusText(ui->statu_send, YellowText, QStringLiteral("Bus busy!"));
    }
}

void MainWindow::RequestTimeout()
{
    setupStatusSwitcher(ui->statu_rxerr_mask, lampError, lampOff, TimeoutFlashMs);
    setStatusText(ui->statu_send, RedText, QStringLiteral("Timeout!"));
    qDebug() << "send timeout!";
}

void MainWindow::ParseMsg(QByteArray data)
{
    const Frame::ReplyCheck reply = Frame::checkReply(data);
    if (!reply.hasStart)
        return;
    if (!reply.crcMatches) {
        setupStatusSwitcher(ui->statu_rxerr_mask, lampError, lampOff, CrcFlashMs);
        setStatusText(ui->statu_send, RedText, QStringLiteral("CRC Error!"));
        return;
    }
    if (reply.kind == 'Y') {
        if (reply.code == Cmd::ReplyRealTime)
            showRealTimeReply(reply);
        else if (reply.code == Cmd::ReplyParameters)
            showParameterReply(reply);
    }
    setStatusText(ui->statu_send, GreenText, QStringLiteral("Fine "));
}
