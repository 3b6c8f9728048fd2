#include "desktopnotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QFileInfo>
#include <QThread>
#include <QVariantMap>

#include <atomic>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");

// The service's urgency levels.
constexpr uchar NormalUrgency = 1;
constexpr uchar CriticalUrgency = 2;

QString nextConnectionName()
{
    static std::atomic<int> count{ 0 };
    return QStringLiteral("arvex-notifier-%1").arg(++count);
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : QObject(parent)
    , m_connectionName(nextConnectionName())
{ }

DesktopNotifier::~DesktopNotifier()
{
    if (m_connecting) {
        // A bus that does not answer keeps its thread; it ends by itself.
        if (m_connecting->wait(1000))
            delete m_connecting;
        else
            m_connecting->setParent(nullptr);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool DesktopNotifier::worthTelling(const PackEvent &event)
{
    return event.ongoing()
        && (event.kind == PackEvent::Protection
            || (event.kind == PackEvent::Link && event.key == QLatin1String("link_lost")));
}

QString DesktopNotifier::summary(const PackEvent &event)
{
    return tr("电池包 %1：%2").arg(event.address).arg(EventNames::describe(event));
}

QString DesktopNotifier::body(const PackEvent &event)
{
    return tr("开始于 %1")
        .arg(QDateTime::fromMSecsSinceEpoch(event.startMs)
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

QString DesktopNotifier::sessionBusAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    // Where a user session runs one, its bus is in the runtime folder. Nothing else is tried:
    // the library's fallback would start a bus of its own.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + QStringLiteral("/bus");
    if (!runtime.isEmpty() && QFileInfo::exists(socket))
        return QStringLiteral("unix:path=") + socket;
    return QString();
}

void DesktopNotifier::notify(const PackEvent &event)
{
    if (!m_enabled || m_bus == Bus::None || m_told.contains(event.id))
        return;
    m_told.insert(event.id);
    switch (m_bus) {
    case Bus::Unknown:
        m_waiting.append(event);
        connectToBus();
        break;
    case Bus::Connecting:
        m_waiting.append(event);
        break;
    case Bus::Connected:
        send(event);
        break;
    case Bus::None:
        break;
    }
}

void DesktopNotifier::connectToBus()
{
    const QString address = sessionBusAddress();
    if (address.isEmpty()) {
        m_bus = Bus::None;
        m_waiting.clear();
        emit busChecked(false);
        return;
    }
    m_bus = Bus::Connecting;
    // Reaching the bus waits for its answer: on a thread of its own.
    const QString name = m_connectionName;
    m_connecting =
        QThread::create([address, name] { QDBusConnection::connectToBus(address, name); });
    connect(m_connecting, &QThread::finished, this, &DesktopNotifier::connected);
    m_connecting->start();
}

void DesktopNotifier::connected()
{
    m_connecting->deleteLater();
    m_connecting = nullptr;
    QDBusConnection bus(m_connectionName);
    if (!bus.isConnected()) {
        m_bus = Bus::None;
        m_waiting.clear();
        QDBusConnection::disconnectFromBus(m_connectionName);
        emit busChecked(false);
        return;
    }
    m_bus = Bus::Connected;
    emit busChecked(true);
    // From any sender: watching the service's owner would ask the bus and wait for it.
    bus.connect(QString(), Path, Interface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(QString(), Path, Interface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
    const QVector<PackEvent> waiting = std::exchange(m_waiting, {});
    for (const PackEvent &event : waiting)
        send(event);
}

void DesktopNotifier::send(const PackEvent &event)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("arvex"));
    // A protection stays until it is seen; a lost link is news like any.
    hints.insert(
        QStringLiteral("urgency"),
        QVariant::fromValue(event.kind == PackEvent::Protection ? CriticalUrgency : NormalUrgency));
    call << QStringLiteral("Arvex") << uint(0) << QStringLiteral("arvex") << summary(event)
         << body(event) << QStringList{ DefaultAction, tr("显示") } << hints << int(-1);
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection(m_connectionName).asyncCall(call), this);
    const qint64 id = event.id;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id](QDBusPendingCallWatcher *w) { answered(w, id); });
}

void DesktopNotifier::answered(QDBusPendingCallWatcher *call, qint64 eventId)
{
    call->deleteLater();
    // No service, or one that refused: the window shows the event all the same.
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError())
        return;
    m_notifications.insert(reply.value(), eventId);
    emit shown(eventId, reply.value());
}

void DesktopNotifier::actionInvoked(uint notificationId, const QString &action)
{
    Q_UNUSED(action); // the one action offered, whatever key the service gives it
    const auto it = m_notifications.constFind(notificationId);
    if (it != m_notifications.constEnd())
        emit activated(*it);
}

void DesktopNotifier::notificationClosed(uint notificationId, uint reason)
{
    Q_UNUSED(reason);
    m_notifications.remove(notificationId);
}
