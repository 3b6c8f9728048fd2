// The window's side of the serial line: the port list, the switch, the lamps and status texts of
// the link, and the boxes the line's troubles call for. The line itself is the board session's.
#include "mainwindow.h"

#include "boardsession.h"
#include "messages.h"
#include "openfailure.h"
#include "statustext.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

constexpr int TxFlashMs = 100;
constexpr int RxFlashMs = 100;
constexpr int TimeoutFlashMs = 150;
constexpr int CrcFlashMs = 200;

const char GreenText[] = "QLabel { color : green; }";
const char RedText[] = "QLabel { color : red; }";
const char YellowText[] = "QLabel { color : yellow; }";

} // namespace

void MainWindow::connectSession()
{
    connect(session, &BoardSession::opened, this, &MainWindow::showOpenedText);
    connect(session, &BoardSession::openFailed, this,
            [this](const QString &port, const QString &reason, QSerialPort::SerialPortError error) {
                const QString text = OpenFailure::text(
                    port, reason, OpenFailure::hint(error, OpenFailure::deviceAccessible(port)));
                showLater(Messages::Kind::Warning, QStringLiteral("Tip"), text);
            });
    connect(session, &BoardSession::pollingStarted, this, &MainWindow::linkPolling);
    connect(session, &BoardSession::closed, this, &MainWindow::linkClosed);
    connect(session, &BoardSession::portFailed, this, [this](const QString &reason) {
        // While the adapter is waited for, the line says so; a box would stand over a window
        // that goes on by itself when the adapter is back.
        if (session->isWaitingToReconnect())
            ui->statu_opencom->setToolTip(reason);
        else
            showLater(Messages::Kind::Critical, tr("设备移除"), reason);
    });
    connect(session, &BoardSession::reconnectWaitChanged, this, [this](bool waiting) {
        if (session->isOpen())
            return;
        showClosedText();
        // The wait is over without the adapter: the chosen port's packs are shown again.
        if (!waiting)
            followChosenPort();
    });
    connect(session, &BoardSession::aboutToPoll, this, &MainWindow::watchLiveData);
    connect(session, &BoardSession::frameSent, this,
            [this] { setupStatusSwitcher(ui->statu_tx_mask, lampOn, lampOff, TxFlashMs); });
    connect(session, &BoardSession::sendFailed, this, &MainWindow::showSendFailure);
    connect(session, &BoardSession::pollOnClosedPort, this, [this] {
        showLater(Messages::Kind::Warning, tr("错误"), tr("串口未打开，请先打开串口。"));
    });
    connect(session, &BoardSession::busBusy, this,
            [this] { setStatusText(ui->statu_send, YellowText, QStringLiteral("Bus busy!")); });
    connect(session, &BoardSession::replyTimeout, this, [this] {
        setupStatusSwitcher(ui->statu_rxerr_mask, lampError, lampOff, TimeoutFlashMs);
        setStatusText(ui->statu_send, RedText, QStringLiteral("Timeout!"));
    });
    connect(session, &BoardSession::bytesReceived, this,
            [this] { setupStatusSwitcher(ui->statu_rx_mask, lampOn, lampOff, RxFlashMs); });
    // The session checks what it receives itself; a block handed to dataReceived goes through
    // the same check.
    connect(this, &MainWindow::dataReceived, this, &MainWindow::ParseMsg);
    // With one pack every frame is its. On a bus the text speaks for the pack in focus alone,
    // by the answers to its own requests and its own polls; the overview tells of the others.
    connect(session, &BoardSession::frameChecked, this,
            [this](const QByteArray &, BoardSession::FrameVerdict verdict) {
                if (!session->isCycleDriven())
                    showFrameVerdict(verdict);
            });
    connect(session, &BoardSession::answerChecked, this,
            [this](int address, BoardSession::FrameVerdict verdict) {
                if (session->isCycleDriven() && address == session->address())
                    showFrameVerdict(verdict);
            });
    connect(session, &BoardSession::pollUnanswered, this,
            [this](int address, BoardSession::Unanswered why) {
                // The tick tells of a poll a busy line held back by itself (busBusy).
                if (why == BoardSession::Unanswered::NotSent && session->isCycleDriven()
                    && address == session->address())
                    setStatusText(ui->statu_send, YellowText, QStringLiteral("Bus busy!"));
            });
    connect(session, &BoardSession::crcMismatch, this,
            [this] { setupStatusSwitcher(ui->statu_rxerr_mask, lampError, lampOff, CrcFlashMs); });
    connect(session, &BoardSession::realTimeRecord, this, &MainWindow::showRealTimeReply);
}

void MainWindow::showFrameVerdict(BoardSession::FrameVerdict verdict)
{
    if (verdict == BoardSession::FrameVerdict::Good)
        setStatusText(ui->statu_send, GreenText, QStringLiteral("Fine "));
    else if (verdict == BoardSession::FrameVerdict::CrcMismatch)
        setStatusText(ui->statu_send, RedText, QStringLiteral("CRC Error!"));
}

void MainWindow::showLater(Messages::Kind kind, const QString &title, const QString &text)
{
    // Shown once the serial or timer handler that asked for it has returned: a box's nested
    // event loop must not run inside the session's handlers.
    QTimer::singleShot(0, this,
                       [this, kind, title, text] { Messages::show(this, kind, title, text); });
}

void MainWindow::showSendFailure(BoardSession::SendFailure failure)
{
    switch (failure) {
    case BoardSession::SendFailure::PortClosed:
        showLater(Messages::Kind::Warning, tr("错误"), tr("串口未打开，请先打开串口。"));
        break;
    case BoardSession::SendFailure::NotWritable:
        showLater(Messages::Kind::Warning, tr("错误"), tr("串口不可用。"));
        break;
    case BoardSession::SendFailure::WriteFailed:
        showLater(Messages::Kind::Warning, tr("错误"), tr("写入数据失败。"));
        break;
    case BoardSession::SendFailure::PartialWrite:
        showLater(Messages::Kind::Warning, tr("警告"), tr("未能写入全部数据。"));
        break;
    }
}

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
    // The entries come and go one by one: the packs follow the port chosen in the end.
    const bool held = holdPolledPacks;
    holdPolledPacks = true;
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
    holdPolledPacks = held;
    followChosenPort();
    ui->bard->setEnabled(true);
    if (ui->portName->count() == 0)
        showLater(Messages::Kind::Warning, QStringLiteral("Warning"),
                  QStringLiteral("No free serial port found"));
}

void MainWindow::showOpenedText()
{
    const QSerialPort &port = session->port();
    ui->statu_opencom->setToolTip(QString());
    setStatusText(
        ui->statu_opencom, GreenText,
        tr("%1 OPENED, %2, %3, %4, %5, %6")
            .arg(port.portName())
            .arg(port.baudRate())
            .arg(int(port.dataBits()))
            .arg(port.parity() == QSerialPort::NoParity ? tr("NONE") : tr("EVEN/ODD"))
            .arg(int(port.stopBits()))
            .arg(port.flowControl() == QSerialPort::NoFlowControl ? tr("OFF") : tr("ON")));
}

void MainWindow::showClosedText()
{
    QString text = tr("%1 CLOSED").arg(session->portName());
    if (session->isWaitingToReconnect())
        text += QStringLiteral(", ")
            + tr("等待适配器插回（至 %1）")
                  .arg(session->reconnectUntil().toString(QStringLiteral("HH:mm:ss")));
    setStatusText(ui->statu_opencom, RedText, text);
}

void MainWindow::showSwitch(bool on)
{
    if (ui->openCom->checked() == on)
        return;
    const QScopedValueRollback<bool> following(followingSession, true);
    ui->openCom->SetActive(on);
}

void MainWindow::openComChanged(bool on)
{
    // The switch is being set to show what the line did by itself.
    if (followingSession)
        return;
    if (on) {
        if (initSerialPort())
            SendTaskRun();
    } else {
        SendTaskStop();
    }
}

bool MainWindow::initSerialPort()
{
    // The packs of the chosen port: those given at start if no port was opened yet, else those
    // remembered for it; from now on they are the port's.
    const PortInfo *chosen = chosenPort();
    const std::optional<PortInfo> port =
        chosen ? std::optional<PortInfo>(*chosen) : std::optional<PortInfo>();
    const QVector<int> packs = packsFor(chosen);
    pollPacks(packs);
    BoardSession::LineSettings line;
    line.port = chosenPortName();
    line.baud = ui->bard->currentData(Qt::UserRole).toInt();
    line.address = ui->DeviceID->value();
    // The period is read here once; the box is locked while polling runs.
    line.periodMs = ui->spinBox->value();
    if (!session->open(line))
        return false;
    if (port)
        rememberPacks(*port, packs);
    startPacks.reset();
    return true;
}

void MainWindow::SendTaskRun()
{
    session->startPolling();
}

void MainWindow::SendTaskStop()
{
    session->close();
}

void MainWindow::linkPolling()
{
    // Also when the line came back by itself: the list and the switch show the port it uses,
    // which may have come back under another name.
    if (!selectPort(session->portName())) {
        findFreePorts();
        selectPort(session->portName());
    }
    showSwitch(true);
    liveDataOpened();
    showPolledPacks();
    ui->portName->setEnabled(false);
    ui->spinBox->setEnabled(false);
    ui->DeviceID->setEnabled(false);
    ui->bard->setEnabled(false);
}

void MainWindow::linkClosed(BoardSession::CloseReason reason)
{
    showSwitch(false);
    ui->portName->setEnabled(true);
    ui->spinBox->setEnabled(true);
    ui->bard->setEnabled(true);
    ui->DeviceID->setEnabled(true);
    showClosedText();
    liveDataClosed();
    if (reason == BoardSession::CloseReason::Removed) {
        // Its wait for the adapter begins after this: the line keeps its packs for it.
        const QScopedValueRollback<bool> hold(holdPolledPacks, session->reconnectEnabled());
        findFreePorts();
    }
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    session->handlePortError(error);
}

void MainWindow::serialDeviceArrived()
{
    // The list is left alone under an open connection.
    if (!ui->openCom->checked())
        findFreePorts();
    session->deviceArrived();
}

void MainWindow::serialDeviceRemoved()
{
    if (session->isOpen())
        session->deviceRemoved(); // the line closes if its adapter went, and the list follows
    else
        findFreePorts();
}

void MainWindow::initReconnect()
{
    session->setReconnect(ui->reconnect->isChecked());
    connect(ui->reconnect, &QCheckBox::toggled, session, &BoardSession::setReconnect);
}

bool MainWindow::writeData(const QByteArray &data)
{
    return session->writeData(data);
}

void MainWindow::recvMsg()
{
    session->readAvailable();
}

void MainWindow::sendRequest()
{
    session->pollTick();
}

void MainWindow::RequestTimeout()
{
    session->replyWatchExpired();
}

void MainWindow::ParseMsg(QByteArray data)
{
    session->checkFrame(data);
}
