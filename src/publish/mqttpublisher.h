#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <memory>

// Publishes the packs' states to an MQTT broker: one JSON state per reply (QoS 1) on
// <prefix>/packNN/state, each event that starts or ends (QoS 1, not retained: it happened once)
// on <prefix>/packNN/event, the packs' availability (retained) on <prefix>/packNN/availability, the
// publisher's own availability on <prefix>/logger/<loggerId>/availability (with a last will that
// says "offline"), and, when asked, Home Assistant discovery messages (retained). Nothing it
// receives can reach a board: it subscribes to nothing.
//
// libmosquitto's socket is driven from the Qt event loop; no thread is started. While the broker
// is away, states and events wait in one bounded queue and leave in order once it is back.
class MqttPublisher : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        QString url; // mqtt://host[:port] or mqtts://host[:port]
        QString user;
        QString password;
        QString caFile; // mqtts: the CAs to trust; empty: the system's
        QString prefix = QStringLiteral("arvex");
        bool haDiscovery = false;
        QString haPrefix = QStringLiteral("homeassistant"); // of the discovery topics
        int periodMs = 1000; // the packs' polling period: entities expire after three
        QString softwareName = QStringLiteral("arvex-logger"); // the origin of the discovery
        QString softwareVersion;
        QString supportUrl;
        QString loggerId; // the host's name, in the publisher's own availability topic
        int queueLimit = 10000; // states kept while the broker is away
    };

    // Empty when url is a usable broker address; otherwise one line saying what is wrong.
    static QString checkUrl(const QString &url);

    explicit MqttPublisher(const Settings &settings, QObject *parent = nullptr);
    ~MqttPublisher() override;

    // Begins connecting; false (with error) for a setting that cannot work (a CA file that
    // cannot be read). A broker that is not reachable yet is retried with back-off.
    bool start(QString *error);
    // One state of pack address (the object built from its reply). The first state of a pack
    // also announces it: availability "online" and, with discovery on, its entities.
    void publishState(int address, const QJsonObject &state);
    // An event of pack address that started or ended, as EventNames::toJson gives it (with its
    // "event_type", which Home Assistant's event entity fires). Queued with the states, in order.
    void publishEvent(int address, const QJsonObject &event);
    // The state of the bank the packs make together (on <prefix>/bank/state); the first also
    // announces the bank's entities when discovery is on.
    void publishBank(const QJsonObject &state);
    // The pack answers again, or stopped answering (its line went away, it fell silent).
    void setPackOnline(int address, bool online);
    // Waits at most timeoutMs, through a reconnect if need be, until the broker has acknowledged
    // every state and retained message handed in so far: true once it has. false otherwise, with
    // why saying what stood in the way ("cannot reach the broker at host:1883 (Connection
    // refused)", "the broker at host:1883 did not acknowledge ...").
    bool waitDelivered(int timeoutMs, QString *why = nullptr);
    // Ends a wait of waitDelivered() at once (the program is asked to stop).
    void stopWaiting();
    // Says "offline" for every pack and the publisher, and disconnects; waits at most timeoutMs
    // for what is queued to leave.
    void finish(int timeoutMs = 2000);

    bool isConnected() const;
    int queued() const;
    qint64 dropped() const;

signals:
    void connectedChanged(bool connected);
    // A message left for the broker (for the figures of the benchmark).
    void messageSent(const QString &topic);
    // One line for standard error: a refused login, a lost broker, states dropped.
    void problem(const QString &line);
    // One line for standard error that is no problem: the first connect.
    void news(const QString &line);

private:
    class Private;
    std::unique_ptr<Private> d;
};
