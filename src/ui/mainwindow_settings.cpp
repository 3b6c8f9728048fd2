// The window's remembered settings and its start values from the command line.
#include "mainwindow.h"

#include "logpage.h"
#include "startoptions.h"
#include "switchbutton.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace {

// A frameless window is moved by its title: a place is taken only if the title would be on a
// screen, which it may no longer be after a monitor was unplugged.
bool titleIsOnAScreen(const QPoint &topLeft)
{
    return QGuiApplication::screenAt(topLeft + QPoint(60, 20)) != nullptr;
}

} // namespace

void MainWindow::loadSettings()
{
    QSettings settings;
    StartOptions options = Settings::read(settings);
    // An earlier version kept one list of packs for whichever port it was on: it belongs to the
    // port remembered with it, and is found by that port's name until the port is opened again.
    if (options.packs) {
        if (options.port) {
            QMap<QString, QVector<int>> lists = options.portPacks.value_or(portPacks);
            if (!lists.contains(*options.port))
                lists.insert(*options.port, *options.packs);
            options.portPacks = lists;
        }
        options.packs.reset();
    }
    applyStartOptions(options);
    loadEventSettings(settings);
}

void MainWindow::saveSettings() const
{
    QSettings settings;
    Settings::write(settings, currentStartOptions());
    saveEventSettings(settings);
}

StartOptions MainWindow::currentStartOptions() const
{
    StartOptions options;
    options.language = ui->lang->currentIndex();
    // The port by its stable name where it has one: ttyUSB0 today may be ttyUSB1 tomorrow.
    const QString name = chosenPortName();
    if (!name.isEmpty()) {
        const int listed = PortList::find(listedPorts, name);
        options.port = listed >= 0 && !listedPorts.at(listed).byId.isEmpty()
            ? listedPorts.at(listed).byId
            : name;
    }
    options.baud = ui->bard->currentData(Qt::UserRole).toInt();
    options.address = ui->DeviceID->value();
    // Each port's own packs; the one list of an earlier version is not written again.
    options.packs = QVector<int>();
    options.portPacks = portPacks;
    options.period = ui->spinBox->value();
    options.reconnect = ui->reconnect->isChecked();
    options.position = pos();
    if (!logPage->exportFolder().isEmpty())
        options.exportFolder = logPage->exportFolder();
    return options;
}

bool MainWindow::selectPort(const QString &nameOrPath)
{
    const int listed = PortList::find(listedPorts, nameOrPath);
    if (listed < 0 || listed >= ui->portName->count())
        return false;
    ui->portName->setCurrentIndex(listed);
    return true;
}

const PortInfo *MainWindow::chosenPort() const
{
    const int listed = PortList::find(listedPorts, chosenPortName());
    return listed >= 0 ? &listedPorts.at(listed) : nullptr;
}

QVector<int> MainWindow::packsFor(const PortInfo *port) const
{
    if (startPacks)
        return *startPacks;
    if (!port)
        return {};
    const auto known = portPacks.constFind(PortList::identity(*port));
    if (known != portPacks.constEnd())
        return *known;
    for (auto it = portPacks.constBegin(); it != portPacks.constEnd(); ++it) {
        if (PortList::matches(*port, it.key()))
            return it.value();
    }
    return {};
}

void MainWindow::rememberPacks(const PortInfo &port, const QVector<int> &packs)
{
    const QString identity = PortList::identity(port);
    for (auto it = portPacks.begin(); it != portPacks.end();) {
        if (it.key() == identity || PortList::matches(port, it.key()))
            it = portPacks.erase(it);
        else
            ++it;
    }
    if (packs.size() > 1)
        portPacks.insert(identity, packs);
}

void MainWindow::followChosenPort()
{
    // An open line keeps what it polls, and so does one waiting for its adapter to return.
    if (holdPolledPacks || session->isOpen() || session->isWaitingToReconnect())
        return;
    pollPacks(packsFor(chosenPort()));
}

void MainWindow::applyStartOptions(const StartOptions &options)
{
    if (options.language)
        ui->lang->setCurrentIndex(*options.language);
    if (options.port) {
        startPort = *options.port;
        // With --connect the line below says it, and what follows from it.
        if (!selectPort(startPort) && !options.connect)
            qWarning().noquote() << "port" << startPort << "is not present";
    }
    if (options.baud) {
        const int rate = ui->bard->findData(*options.baud, Qt::UserRole);
        if (rate >= 0)
            ui->bard->setCurrentIndex(rate);
    }
    if (options.address)
        ui->DeviceID->setValue(*options.address);
    if (options.portPacks)
        portPacks = *options.portPacks;
    if (options.packs)
        startPacks = *options.packs;
    if (options.period)
        ui->spinBox->setValue(*options.period);
    if (options.reconnect)
        ui->reconnect->setChecked(*options.reconnect);
    if (options.position && titleIsOnAScreen(*options.position))
        move(*options.position);
    if (options.exportFolder)
        logPage->setExportFolder(*options.exportFolder);
    // The tiles show what the port chosen now would poll.
    followChosenPort();
    // Only the port given, or else the one remembered, is opened: never whichever happens to
    // be first in the list.
    if (options.connect) {
        if (startPort.isEmpty())
            qWarning().noquote() << "arvex: not connecting: no port given or remembered";
        else if (!selectPort(startPort))
            qWarning().noquote() << "arvex: not connecting: port" << startPort << "is not present";
        else
            ui->openCom->SetActive(true);
    }
}
