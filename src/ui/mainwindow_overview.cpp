// The window's overview page: the packs on the line, which one the other pages show, and every
// pack's replies into the log and the trends.
#include "mainwindow.h"

#include "boardsession.h"
#include "logpage.h"
#include "overviewpage.h"
#include "realtimepage.h"
#include "trendspage.h"
#include "ui_mainwindow.h"

#include <QSpinBox>

void MainWindow::initOverviewPage()
{
    overviewPage = new OverviewPage(
        ui->tab_widget, session, [this] { return clock(); }, [this] { return languageLocale(); });
    connect(overviewPage, &OverviewPage::focusRequested, this, &MainWindow::focusPack);
    connect(overviewPage, &OverviewPage::packsFound, this, &MainWindow::pollPacks);
    connect(session, &BoardSession::packReply, this, &MainWindow::takePackReply);
    overviewPage->setPacks(session->addresses());
    overviewPage->setFocusPack(session->address());
    // With one pack on the line, its tile is the address the box names.
    connect(ui->DeviceID, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int address) {
        if (session->isCycling())
            return;
        overviewPage->setPacks({ address });
        overviewPage->setFocusPack(address);
    });
}

void MainWindow::showPolledPacks()
{
    const QVector<int> packs = session->addresses();
    overviewPage->setPacks(packs);
    // An address typed into the box that is not polled would leave the pages empty: the focus
    // goes to the first pack polled.
    if (!packs.contains(session->address()))
        focusPack(packs.first());
    overviewPage->setFocusPack(session->address());
    if (session->isCycling())
        trendsPage->showPack(session->address());
}

void MainWindow::takePackReply(int address, const RealTimeReply &values, const AFE &record)
{
    // Every pack's rows go to the log, each row carrying its pack's address, and to its own
    // trend. The pack in focus is logged by showRealTimeReply, before the main page's chart
    // clamps its record; with one pack on the line every reply is the one in focus.
    if (!session->isCycling())
        return;
    if (address != session->address()) {
        logPage->addRecord(record);
        trendsPage->addRecord(address, record);
    }
    PackReply &last = lastReplies[address];
    last.values = values;
    last.record = record;
    last.at = clock();
}

void MainWindow::focusPack(int address)
{
    const bool changed = address != session->address();
    ui->DeviceID->setValue(address);
    session->setAddress(address);
    overviewPage->setFocusPack(address);
    if (!changed)
        return;
    trendsPage->showPack(address);
    // The main page shows the pack's last reply at once (dimmed if it is old), not the values of
    // the pack before it until the next cycle comes round.
    const auto last = lastReplies.constFind(address);
    if (last != lastReplies.constEnd()) {
        focusRecord = last->record;
        realTimePage->showRecord(last->values, focusRecord, last->at);
        watchLiveData();
    }
}

void MainWindow::pollPacks(const QVector<int> &packs)
{
    if (packs.isEmpty())
        return;
    // The trend of the one pack polled so far is the focus's.
    if (!session->isCycling())
        trendsPage->namePack(session->address());
    session->setAddresses(packs);
    overviewPage->setPacks(packs);
    // The focus stays where it is if that pack is among them.
    const int focus = ui->DeviceID->value();
    focusPack(packs.contains(focus) ? focus : packs.first());
    for (auto it = lastReplies.begin(); it != lastReplies.end();) {
        if (packs.contains(it.key()))
            ++it;
        else
            it = lastReplies.erase(it);
    }
}
