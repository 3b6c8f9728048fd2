// The window's events: the page that lists them, their files, the desktop's notifications and
// the settings that go with them.
#include "mainwindow.h"

#include "boardsession.h"
#include "desktopnotifier.h"
#include "eventspage.h"
#include "packanalyses.h"
#include "ui_mainwindow.h"

#include <QSettings>

namespace {

const char *const NotificationsKey = "events/notifications";
const char *const SpreadAlertKey = "events/spreadAlertMv";
const char *const LowSocAlertKey = "events/lowSocAlertPercent";

// A remembered alert threshold, or fallback where it is missing or not one the box takes.
int readAlert(const QSettings &settings, const char *key, int max, int fallback)
{
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
    return ok && value >= 0 && value <= max ? value : fallback;
}

} // namespace

void MainWindow::initEventsPage()
{
    eventsPage = new EventsPage(ui->tab_widget, analyses, [this] { return recordingsFolder(); });
    eventsPage->loadRecent();
    notifier = new DesktopNotifier(this);
    connect(analyses, &PackAnalyses::eventChanged, this, [this](const PackEvent &event) {
        // Someone at the window sees the page's tab count; one looking elsewhere is told.
        if (eventsPage->notificationsOn() && DesktopNotifier::worthTelling(event)
            && (!isActiveWindow() || isMinimized()))
            notifier->notify(event);
    });
    connect(notifier, &DesktopNotifier::activated, this, &MainWindow::showEventOf);
    // What is ongoing when watching stops ends there, said as such.
    connect(session, &BoardSession::closed, analyses, [this] { analyses->stop(); });
}

void MainWindow::showEventOf(qint64 eventId)
{
    showNormal();
    raise();
    activateWindow();
    ui->tab_widget->setCurrentWidget(eventsPage->page());
    eventsPage->select(eventId);
}

void MainWindow::loadEventSettings(const QSettings &settings)
{
    const QVariant notifications = settings.value(QLatin1String(NotificationsKey));
    const QString on = notifications.toString();
    if (on == QLatin1String("true") || on == QLatin1String("false"))
        eventsPage->setNotificationsOn(on == QLatin1String("true"));
    EventJournal::Alerts alerts = eventsPage->alerts();
    alerts.spreadMv = readAlert(settings, SpreadAlertKey, 2000, alerts.spreadMv);
    alerts.lowSocPercent = readAlert(settings, LowSocAlertKey, 99, alerts.lowSocPercent);
    eventsPage->setAlerts(alerts);
}

void MainWindow::saveEventSettings(QSettings &settings) const
{
    settings.setValue(QLatin1String(NotificationsKey), eventsPage->notificationsOn());
    const EventJournal::Alerts alerts = eventsPage->alerts();
    settings.setValue(QLatin1String(SpreadAlertKey), alerts.spreadMv);
    settings.setValue(QLatin1String(LowSocAlertKey), alerts.lowSocPercent);
}
