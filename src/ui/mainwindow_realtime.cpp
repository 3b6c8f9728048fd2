// The window's real-time page: the code 0x51 reply into the main page and the log page.
#include "mainwindow.h"

#include "boardsession.h"
#include "logpage.h"
#include "realtimepage.h"
#include "telemetry.h"
#include "trendspage.h"
#include "ui_mainwindow.h"

#include <QDateTime>

void MainWindow::initRealTimePage()
{
    // The time of day of a reading of the window's clock, for the stale text: the clock of the
    // trends tells it, also under a test's clock. The trends page is built after this one.
    realTimePage = new RealTimePage(
        ui, this, [this](qint64 reading) { return trendsPage->wallTimeAgo(clock() - reading); });
    const RealTimePage::LampPictures &lamps = realTimePage->lampPictures();
    lampOff = lamps.off;
    lampOn = lamps.on;
    lampAlarm = lamps.alarm;
    lampError = lamps.error;
}

void MainWindow::liveDataOpened()
{
    realTimePage->opened(ui->spinBox->value(), clock());
}

void MainWindow::liveDataClosed()
{
    realTimePage->closed();
}

void MainWindow::watchLiveData()
{
    realTimePage->watch(clock());
}

void MainWindow::showRealTimeReply(const RealTimeReply &values)
{
    // The log and the trends take the record as received: the chart clamps it. The other packs'
    // replies reach them by takePackReply.
    logPage->addRecord(session->afe);
    if (session->isCycling())
        trendsPage->addRecord(session->address(), session->afe);
    else
        trendsPage->addRecord(session->afe);
    realTimePage->showRecord(values, session->afe, clock());
}

void MainWindow::jobSet(int code)
{
    realTimePage->jobSet(code);
}

void MainWindow::alertSet(int code)
{
    realTimePage->alertSet(code);
}

void MainWindow::sysSet(int code)
{
    realTimePage->sysSet(code);
}

void MainWindow::infoSet(int code)
{
    realTimePage->infoSet(code);
}

void MainWindow::BlanceSet(int word)
{
    realTimePage->BlanceSet(word);
}

void MainWindow::wheelEvent(QWheelEvent *event)
{
    realTimePage->wheel(event);
}
