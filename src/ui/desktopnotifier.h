#pragma once

#include "eventjournal.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVector>

class QDBusPendingCallWatcher;
class QThread;

// Says an event on the desktop through the session's notification service (the freedesktop
// interface on the D-Bus session bus), once per event, and reports a click on one of its
// notifications. Where there is no session bus or no service (a bare virtual display, a build
// machine) nothing is shown and nothing is said; nothing here ever waits for the bus: the
// connection is made on a thread of its own and every call is answered asynchronously.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(QObject *parent = nullptr);
    ~DesktopNotifier() override;

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

    // Whether an event is one the desktop is told of when it starts: a protection, a pack that
    // stopped answering.
    static bool worthTelling(const PackEvent &event);
    // The notification's title and text: "Pack 3: cell over-voltage, cell 7 at 3,651 mV".
    static QString summary(const PackEvent &event);
    static QString body(const PackEvent &event);
    // The session bus's address from the environment, or empty where there is none.
    static QString sessionBusAddress();

    // Shows the event's notification (once per event id; nothing when off or with no service).
    void notify(const PackEvent &event);

signals:
    // The bus was tried, at the first notification: reached, or not there (nothing is shown).
    void busChecked(bool reached);
    // The service took the notification of this event under its own id.
    void shown(qint64 eventId, uint notificationId);
    // The user clicked the notification of this event.
    void activated(qint64 eventId);

private slots:
    void actionInvoked(uint notificationId, const QString &action);
    void notificationClosed(uint notificationId, uint reason);

private:
    enum class Bus { Unknown, Connecting, Connected, None };
    void connectToBus();
    void connected();
    void send(const PackEvent &event);
    void answered(QDBusPendingCallWatcher *call, qint64 eventId);

    bool m_enabled = true;
    Bus m_bus = Bus::Unknown;
    QString m_connectionName; // this notifier's own connection
    QThread *m_connecting = nullptr;
    QVector<PackEvent> m_waiting; // events told while the bus is being reached
    QSet<qint64> m_told; // event ids already shown
    QHash<uint, qint64> m_notifications; // the service's ids, to their events
};
