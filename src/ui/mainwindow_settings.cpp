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
    applyStartOptions(Settings::read(settings));
}

void MainWindow::saveSettings() const
{
    QSettings settings;
    Settings::write(settings, currentStartOptions());
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
    // The packs found on this port; an empty list forgets those of another.
    options.packs = session->isCycling() ? session->addresses() : QVector<int>();
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
    if (options.packs && options.packs->size() > 1)
        pollPacks(*options.packs);
    if (options.period)
        ui->spinBox->setValue(*options.period);
    if (options.reconnect)
        ui->reconnect->setChecked(*options.reconnect);
    if (options.position && titleIsOnAScreen(*options.position))
        move(*options.position);
    if (options.exportFolder)
        logPage->setExportFolder(*options.exportFolder);
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
