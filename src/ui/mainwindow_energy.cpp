// The window's energy books: today's energy on the main page and the tiles, and the page of
// daily bars and totals.
#include "mainwindow.h"

#include "boardsession.h"
#include "energypage.h"
#include "ui_mainwindow.h"

void MainWindow::initEnergyPage()
{
    energyPage = new EnergyPage(
        ui, analyses, overviewPage, [this] { return session->address(); },
        [this](int address) {
            const auto last = lastReplies.constFind(address);
            return last != lastReplies.constEnd() ? last->values.cycleCount : -1;
        },
        [this] { return languageLocale(); }, [this] { return recordingsFolder(); });
    // A pack is known by the adapter it is reached through and its address.
    connect(session, &BoardSession::opened, energyPage,
            [this] { energyPage->setAdapter(session->connectedIdentity()); });
}
