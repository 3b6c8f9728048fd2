// The window's energy books: today's energy on the main page and the tiles, and the page of
// daily bars and totals.
#include "mainwindow.h"

#include "boardsession.h"
#include "energypage.h"
#include "trendspage.h"
#include "ui_mainwindow.h"

#include <QLineEdit>

void MainWindow::initEnergyPage()
{
    energyPage = new EnergyPage(
        ui, analyses, overviewPage, [this] { return session->address(); },
        [this](int address) {
            // The board's own count: of its last reply, or as the main page shows the pack in
            // focus.
            const auto last = lastReplies.constFind(address);
            if (last != lastReplies.constEnd())
                return last->values.cycleCount;
            bool shown = false;
            const int cycles = ui->data_dsgceal->text().toInt(&shown);
            return address == session->address() && shown ? cycles : -1;
        },
        [this] { return languageLocale(); }, [this] { return recordingsFolder(); });
    // A recording opened on the trends page has its books on the energy page.
    connect(trendsPage.get(), &TrendsPage::recordingOpened, energyPage,
            [this](const QString &path) { energyPage->openRecording(path); });
    // A pack is known by the adapter it is reached through and its address.
    connect(session, &BoardSession::opened, energyPage,
            [this] { energyPage->setAdapter(session->connectedIdentity()); });
}
