#include "mqttpublisher.h"

#include "hadiscovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QHostInfo>
#include <QJsonDocument>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <mosquitto.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <utility>

namespace {

constexpr int KeepAliveSeconds = 30;
constexpr int HousekeepingMs = 1000; // keep-alive pings and their time-outs
constexpr int FirstRetryMs = 1000;
constexpr int LastRetryMs = 60000;
constexpr int ConnectTimeoutMs = 20000; // no answer from a half-open or filtered address
// States handed to the library at a time: enough to fill a fast link, few enough that a lost
// connection has little to send twice.
constexpr int Window = 20;
// A queue that grew past this while the broker was away hands its memory back once drained.
constexpr size_t TrimAfter = 1000;

void initLibrary()
{
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(done);
}

struct Broker
{
    QString host;
    int port = 0;
    bool tls = false;
};

// The broker address of a URL, or an error line.
Broker parseUrl(const QString &text, QString *error)
{
    Broker b;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const QString expected = QStringLiteral(
        "bad MQTT broker address \"%1\": expected mqtt://host[:port] or mqtts://host[:port]");
    if (text.isEmpty()) {
        *error = QStringLiteral("no MQTT broker address");
    } else if (!url.isValid() || (scheme != "mqtt" && scheme != "mqtts") || url.host().isEmpty()
               || (!url.path().isEmpty() && url.path() != "/") || url.hasQuery()
               || url.hasFragment() || url.port() == 0) {
        *error = expected.arg(text);
    } else if (!url.userInfo().isEmpty()) {
        // A password on the command line is visible to every user of the machine.
        *error = QStringLiteral("the MQTT broker address \"%1\" holds a user name or password: "
                                "give the user with --mqtt-user and the password in a file")
                     .arg(text);
    } else {
        b.tls = scheme == "mqtts";
        b.host = url.host();
        b.port = url.port(b.tls ? 8883 : 1883);
    }
    return b;
}

QString libraryError(int rc)
{
    if (rc == MOSQ_ERR_SUCCESS)
        return QStringLiteral("the connection was closed");
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

class MqttPublisher::Private
{
public:
    enum class State { Idle, Connecting, Connected, Waiting, Finished };
    enum class Problem { None, Unreachable, Login, Refused, Lost };

    // The address of the bank's states in the queue.
    static constexpr int BankAddress = -1;

    struct Pending
    {
        int address; // BankAddress: the bank's
        QByteArray payload;
        int mid = 0; // 0: not handed to the library yet
        bool event = false; // on the pack's event topic rather than its state topic
    };

    Private(MqttPublisher *q, const Settings &settings)
        : q(q)
        , s(settings)
    { }
    ~Private()
    {
        dropSocket();
        if (mosq)
            mosquitto_destroy(mosq);
    }

    MqttPublisher *q;
    Settings s;
    Broker broker;
    QByteArray clientId;
    mosquitto *mosq = nullptr;
    State state = State::Idle;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    QTimer housekeeping;
    QTimer retryTimer;
    QElapsedTimer connectClock;
    int retryMs = FirstRetryMs;
    int attempt = 0; // a look-up answering for an attempt given up is ignored
    Problem reported = Problem::None;
    QString failure; // the last problem since the broker was last connected
    bool refusedThisAttempt = false;

    // States in the order they were made; an entry leaves only when the broker acknowledged it,
    // so a connection lost with states in flight sends them again (at least once, never a gap).
    // The handed ones are always a prefix of the queue.
    std::deque<Pending> queue;
    int handed = 0;
    qint64 dropped = 0;
    qint64 droppedInOutage = 0;
    bool trimWhenDrained = false;

    // The retained messages (availability, discovery) as they should stand on the broker; all
    // are said again after every connect, so one lost while the broker was away is not missed.
    QMap<QString, QByteArray> retained;
    QSet<int> retainedInFlight;
    QHash<int, int> announcedCells; // packs seen, and the cells their entities cover
    bool bankAnnounced = false;
    QStringList unwritten; // topics published but still in the library's send buffer

    QEventLoop *finishLoop = nullptr;
    bool waitStopped = false;

    QString where() const { return QStringLiteral("%1:%2").arg(broker.host).arg(broker.port); }
    static QString retrying() { return QStringLiteral("trying again with back-off"); }

    // What went wrong (kept for whoever waits on the broker), and one line for standard error
    // with what happens next, once for each kind of problem in a row.
    void report(Problem kind, const QString &what, const QString &next)
    {
        failure = what;
        if (kind == reported)
            return;
        reported = kind;
        emit q->problem(QStringLiteral("MQTT: %1; %2").arg(what, next));
    }

    // Starts an attempt. A host name is looked up first without blocking: the library's own
    // look-up blocks, and a name server that does not answer would stall the serial polling.
    void connectNow()
    {
        if (state == State::Finished)
            return;
        dropSocket();
        state = State::Connecting;
        connectClock.start();
        housekeeping.start(HousekeepingMs);
        const int thisAttempt = ++attempt;
        if (!QHostAddress(broker.host).isNull()) {
            connectTo(broker.host);
            return;
        }
        QHostInfo::lookupHost(broker.host, q, [this, thisAttempt](const QHostInfo &info) {
            if (thisAttempt != attempt || state != State::Connecting)
                return;
            if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
                report(Problem::Unreachable,
                       QStringLiteral("cannot find the broker %1 (%2)")
                           .arg(broker.host, info.errorString()),
                       retrying());
                retryLater();
                return;
            }
            // TLS checks the certificate against the name, so the library gets the name.
            connectTo(broker.tls ? broker.host : info.addresses().first().toString());
        });
    }

    void connectTo(const QString &host)
    {
        const int rc = mosq ? mosquitto_reinitialise(mosq, clientId.constData(), true, this)
                            : MOSQ_ERR_SUCCESS;
        if (!mosq)
            mosq = mosquitto_new(clientId.constData(), true, this);
        if (!mosq || rc != MOSQ_ERR_SUCCESS) {
            report(Problem::Unreachable,
                   QStringLiteral("cannot set up a client (%1)").arg(libraryError(rc)), retrying());
            retryLater();
            return;
        }
        mosquitto_connect_callback_set(mosq, onConnect);
        mosquitto_publish_callback_set(mosq, onPublish);
        mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        // The window above bounds the states in flight; the retained set is small.
        mosquitto_max_inflight_messages_set(mosq, 0);
        if (!s.user.isEmpty())
            mosquitto_username_pw_set(mosq, s.user.toUtf8().constData(),
                                      s.password.isEmpty() ? nullptr
                                                           : s.password.toUtf8().constData());
        const QByteArray will = HaDiscovery::loggerAvailabilityTopic(s.prefix, s.loggerId).toUtf8();
        mosquitto_will_set(mosq, will.constData(), 7, "offline", 1, true);
        if (broker.tls) {
            if (s.caFile.isEmpty())
                mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
            else
                mosquitto_tls_set(mosq, QFile::encodeName(s.caFile).constData(), nullptr, nullptr,
                                  nullptr, nullptr);
        }

        refusedThisAttempt = false;
        errno = 0;
        const int c =
            mosquitto_connect_async(mosq, host.toUtf8().constData(), broker.port, KeepAliveSeconds);
        if (c != MOSQ_ERR_SUCCESS || mosquitto_socket(mosq) < 0) {
            report(
                Problem::Unreachable,
                QStringLiteral("cannot reach the broker at %1 (%2)").arg(where(), libraryError(c)),
                retrying());
            retryLater();
            return;
        }
        const int fd = mosquitto_socket(mosq);
        readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, q);
        writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, q);
        QObject::connect(readNotifier, &QSocketNotifier::activated, q,
                         [this] { afterLoop(mosquitto_loop_read(mosq, 100)); });
        QObject::connect(writeNotifier, &QSocketNotifier::activated, q,
                         [this] { afterLoop(mosquitto_loop_write(mosq, 100)); });
        afterLoop(MOSQ_ERR_SUCCESS);
    }

    // The notifiers go before the library closes or replaces the socket they watch.
    void dropSocket()
    {
        for (QSocketNotifier *n : { readNotifier, writeNotifier }) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
        readNotifier = writeNotifier = nullptr;
    }

    void retryLater()
    {
        ++attempt;
        state = State::Waiting;
        housekeeping.stop();
        retryTimer.start(retryMs);
        retryMs = std::min(retryMs * 2, LastRetryMs);
    }

    // After every call into the library: a closed socket ends the connection; otherwise the write
    // notifier follows what the library still has to send.
    void afterLoop(int rc)
    {
        if (!mosq || state == State::Finished || !readNotifier)
            return;
        if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(mosq) < 0) {
            ended(rc);
            return;
        }
        const bool wantWrite = mosquitto_want_write(mosq);
        writeNotifier->setEnabled(wantWrite);
        if (!wantWrite && !unwritten.isEmpty()) {
            const QStringList topics = std::exchange(unwritten, {});
            for (const QString &topic : topics)
                emit q->messageSent(topic);
        }
        if (finishLoop && finishDone())
            finishLoop->quit();
    }

    void ended(int rc)
    {
        const bool wasConnected = state == State::Connected;
        dropSocket();
        handed = 0;
        for (Pending &p : queue)
            p.mid = 0;
        retainedInFlight.clear();
        unwritten.clear();
        if (wasConnected) {
            report(Problem::Lost,
                   QStringLiteral("lost the broker at %1 (%2)").arg(where(), libraryError(rc)),
                   QStringLiteral("states wait in a queue of at most %1").arg(s.queueLimit));
            emit q->connectedChanged(false);
        } else if (!refusedThisAttempt) {
            report(
                Problem::Unreachable,
                QStringLiteral("cannot reach the broker at %1 (%2)").arg(where(), libraryError(rc)),
                retrying());
        }
        if (finishLoop)
            finishLoop->quit();
        retryLater();
    }

    static void onConnect(mosquitto *, void *obj, int rc)
    {
        static_cast<Private *>(obj)->connected(rc);
    }

    static void onPublish(mosquitto *, void *obj, int mid)
    {
        static_cast<Private *>(obj)->acknowledged(mid);
    }

    void connected(int rc)
    {
        if (rc != 0) {
            // The broker closes the connection after a refusal; afterLoop sees that.
            refusedThisAttempt = true;
            const bool login = rc == 4 || rc == 5;
            report(login ? Problem::Login : Problem::Refused,
                   QStringLiteral("the broker at %1 refused the login (%2)")
                       .arg(where(), QString::fromUtf8(mosquitto_connack_string(rc))),
                   retrying());
            return;
        }
        state = State::Connected;
        retryMs = FirstRetryMs;
        failure.clear();
        // A return after a problem ends the problem; a first connect is news.
        const QString line = QStringLiteral("MQTT: connected to the broker at %1").arg(where());
        if (reported != Problem::None) {
            reported = Problem::None;
            emit q->problem(line);
        } else {
            emit q->news(line);
        }
        if (droppedInOutage > 0) {
            emit q->problem(QStringLiteral("MQTT: %1 states were dropped while the broker was "
                                           "away (the queue holds at most %2)")
                                .arg(droppedInOutage)
                                .arg(s.queueLimit));
            droppedInOutage = 0;
        }
        for (auto it = retained.cbegin(); it != retained.cend(); ++it)
            send(it.key(), it.value(), true);
        pump();
        emit q->connectedChanged(true);
    }

    void acknowledged(int mid)
    {
        if (retainedInFlight.remove(mid))
            return;
        for (int i = 0; i < handed; ++i) {
            if (queue[size_t(i)].mid == mid) {
                queue.erase(queue.begin() + i);
                --handed;
                break;
            }
        }
        pump();
        if (queue.empty() && trimWhenDrained) {
            trimWhenDrained = false;
            // The allocator keeps what the queue held in its heap; the logger runs for months.
#ifdef __GLIBC__
            malloc_trim(0);
#endif
        }
    }

    // Publishes with QoS 1; the message id, or 0 when the library took nothing.
    int send(const QString &topic, const QByteArray &payload, bool retain)
    {
        int mid = 0;
        const QByteArray t = topic.toUtf8();
        const int rc = mosquitto_publish(mosq, &mid, t.constData(), int(payload.size()),
                                         payload.constData(), 1, retain);
        // A write error here shows on the socket, where afterLoop ends the connection.
        if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_ERRNO && rc != MOSQ_ERR_CONN_LOST)
            return 0;
        unwritten.append(topic);
        if (retain)
            retainedInFlight.insert(mid);
        return mid;
    }

    // Hands the next states to the library while the window has room.
    void pump()
    {
        while (state == State::Connected && handed < Window && size_t(handed) < queue.size()) {
            Pending &p = queue[size_t(handed)];
            const QString topic = p.address == BankAddress ? HaDiscovery::bankStateTopic(s.prefix)
                : p.event ? HaDiscovery::eventTopic(s.prefix, p.address)
                          : HaDiscovery::stateTopic(s.prefix, p.address);
            const int mid = send(topic, p.payload, false);
            if (mid == 0) {
                // Only a message the broker could never take gets here; it must not block the
                // ones behind it.
                queue.erase(queue.begin() + handed);
                ++dropped;
                continue;
            }
            p.mid = mid;
            ++handed;
        }
    }

    // A state (or an event) into the queue, which keeps its bound, and on its way.
    void enqueue(int address, const QJsonObject &state, bool event = false);

    void setRetained(const QString &topic, const QByteArray &payload)
    {
        retained.insert(topic, payload);
        if (state == State::Connected)
            send(topic, payload, true);
    }

    void announce(int address, int cells)
    {
        const auto it = announcedCells.constFind(address);
        const bool known = it != announcedCells.constEnd();
        if (known && (!s.haDiscovery || cells <= it.value()))
            return;
        announcedCells.insert(address, std::max(cells, known ? it.value() : 0));
        if (!known)
            setRetained(HaDiscovery::availabilityTopic(s.prefix, address), "online");
        if (s.haDiscovery) {
            // Entities are only ever added: a cell that reads 0 for a moment keeps its history.
            const auto messages =
                HaDiscovery::configs(discovery(), address, announcedCells.value(address));
            for (const HaDiscovery::Message &m : messages)
                setRetained(m.topic, m.payload);
        }
    }

    HaDiscovery::Settings discovery() const
    {
        HaDiscovery::Settings d;
        d.prefix = s.prefix;
        d.discoveryPrefix = s.haPrefix;
        d.loggerId = s.loggerId;
        d.expireAfterS = HaDiscovery::expireAfterS(s.periodMs);
        d.origin = { s.softwareName, s.softwareVersion, s.supportUrl };
        return d;
    }

    bool finishDone() const
    {
        return state == State::Connected && queue.empty() && retainedInFlight.isEmpty()
            && !mosquitto_want_write(mosq);
    }

    void housekeep()
    {
        if (state == State::Connecting && connectClock.elapsed() > ConnectTimeoutMs) {
            errno = ETIMEDOUT;
            ended(MOSQ_ERR_ERRNO);
            return;
        }
        if (readNotifier)
            afterLoop(mosquitto_loop_misc(mosq));
    }
};

QString MqttPublisher::checkUrl(const QString &url)
{
    QString error;
    parseUrl(url, &error);
    return error;
}

MqttPublisher::MqttPublisher(const Settings &settings, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this, settings))
{
    d->retryTimer.setSingleShot(true);
    connect(&d->retryTimer, &QTimer::timeout, this, [this] { d->connectNow(); });
    connect(&d->housekeeping, &QTimer::timeout, this, [this] { d->housekeep(); });
}

MqttPublisher::~MqttPublisher() = default;

bool MqttPublisher::start(QString *error)
{
    QString why;
    d->broker = parseUrl(d->s.url, &why);
    for (const QString &prefix : { d->s.prefix, d->s.haPrefix }) {
        if (why.isEmpty()
            && (prefix.isEmpty() || prefix.contains('+') || prefix.contains('#')
                || prefix.startsWith('/') || prefix.endsWith('/')))
            why = QStringLiteral("bad MQTT topic prefix \"%1\": it may not be empty, hold + or "
                                 "#, or begin or end with /")
                      .arg(prefix);
    }
    if (why.isEmpty() && !d->s.caFile.isEmpty() && !QFileInfo(d->s.caFile).isReadable())
        why = QStringLiteral("cannot read the MQTT CA file \"%1\"").arg(d->s.caFile);
    if (why.isEmpty() && !d->broker.tls && !d->s.caFile.isEmpty())
        why = QStringLiteral("an MQTT CA file needs an mqtts:// broker address");
    if (d->s.queueLimit < 1)
        d->s.queueLimit = 1;
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    initLibrary();
    d->clientId = QStringLiteral("arvex-%1-%2")
                      .arg(d->s.loggerId)
                      .arg(QCoreApplication::applicationPid())
                      .toUtf8();
    d->retained.insert(HaDiscovery::loggerAvailabilityTopic(d->s.prefix, d->s.loggerId), "online");
    d->connectNow();
    return true;
}

void MqttPublisher::publishBank(const QJsonObject &state)
{
    if (d->state == Private::State::Finished || d->state == Private::State::Idle)
        return;
    if (d->s.haDiscovery && !d->bankAnnounced) {
        for (const HaDiscovery::Message &m : HaDiscovery::bankConfigs(d->discovery()))
            d->setRetained(m.topic, m.payload);
    }
    d->bankAnnounced = true;
    d->enqueue(Private::BankAddress, state);
}

void MqttPublisher::publishState(int address, const QJsonObject &state)
{
    if (d->state == Private::State::Finished || d->state == Private::State::Idle)
        return;
    d->announce(address, HaDiscovery::presentCells(state));
    d->enqueue(address, state);
}

void MqttPublisher::publishEvent(int address, const QJsonObject &event)
{
    if (d->state == Private::State::Finished || d->state == Private::State::Idle)
        return;
    d->enqueue(address, event, true);
}

void MqttPublisher::Private::enqueue(int address, const QJsonObject &state, bool event)
{
    queue.push_back({ address, QJsonDocument(state).toJson(QJsonDocument::Compact), 0, event });
    if (queue.size() > TrimAfter)
        trimWhenDrained = true;
    while (queue.size() > size_t(s.queueLimit)) {
        if (handed > 0)
            --handed; // its acknowledgement, if it comes, finds nothing
        queue.pop_front();
        ++dropped;
        ++droppedInOutage;
    }
    pump();
    afterLoop(MOSQ_ERR_SUCCESS);
}

void MqttPublisher::setPackOnline(int address, bool online)
{
    if (d->state == Private::State::Finished || d->state == Private::State::Idle)
        return;
    if (!d->announcedCells.contains(address))
        d->announcedCells.insert(address, 0);
    d->setRetained(HaDiscovery::availabilityTopic(d->s.prefix, address),
                   online ? "online" : "offline");
    d->afterLoop(MOSQ_ERR_SUCCESS);
}

bool MqttPublisher::waitDelivered(int timeoutMs, QString *why)
{
    const bool running = d->state != Private::State::Finished && d->state != Private::State::Idle;
    QElapsedTimer clock;
    clock.start();
    d->waitStopped = false;
    if (running)
        d->afterLoop(MOSQ_ERR_SUCCESS);
    // A lost connection ends one wait; the retry runs in the next.
    while (running && !d->finishDone() && !d->waitStopped && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(int(timeoutMs - clock.elapsed()), &loop, &QEventLoop::quit);
        d->finishLoop = &loop;
        loop.exec();
        d->finishLoop = nullptr;
    }
    if (running && d->finishDone())
        return true;
    if (why) {
        if (!running)
            *why = QStringLiteral("the publisher is not running");
        else if (d->waitStopped)
            *why = QStringLiteral("stopped while waiting for the broker at %1").arg(d->where());
        else if (d->state == Private::State::Connected)
            *why = QStringLiteral("the broker at %1 did not acknowledge what was sent")
                       .arg(d->where());
        else if (!d->failure.isEmpty())
            *why = d->failure;
        else
            *why = QStringLiteral("no answer from the broker at %1").arg(d->where());
    }
    return false;
}

void MqttPublisher::stopWaiting()
{
    d->waitStopped = true;
    if (d->finishLoop)
        d->finishLoop->quit();
}

void MqttPublisher::finish(int timeoutMs)
{
    if (d->state == Private::State::Finished || d->state == Private::State::Idle)
        return;
    for (auto it = d->announcedCells.cbegin(); it != d->announcedCells.cend(); ++it)
        d->setRetained(HaDiscovery::availabilityTopic(d->s.prefix, it.key()), "offline");
    d->setRetained(HaDiscovery::loggerAvailabilityTopic(d->s.prefix, d->s.loggerId), "offline");
    d->afterLoop(MOSQ_ERR_SUCCESS);

    // A broker that is away is not waited for: its will says "offline" for the logger already.
    if (d->state == Private::State::Connecting || d->state == Private::State::Connected) {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        d->finishLoop = &loop;
        if (!d->finishDone())
            loop.exec();
        d->finishLoop = nullptr;
    }
    if (d->droppedInOutage > 0)
        emit problem(QStringLiteral("MQTT: %1 states were dropped while the broker was away (the "
                                    "queue holds at most %2)")
                         .arg(d->droppedInOutage)
                         .arg(d->s.queueLimit));
    if (d->state == Private::State::Connected && d->readNotifier) {
        mosquitto_disconnect(d->mosq);
        mosquitto_loop_write(d->mosq, 1);
    }
    const bool wasConnected = d->state == Private::State::Connected;
    d->state = Private::State::Finished;
    d->retryTimer.stop();
    d->housekeeping.stop();
    d->dropSocket();
    if (wasConnected)
        emit connectedChanged(false);
}

bool MqttPublisher::isConnected() const
{
    return d->state == Private::State::Connected;
}

int MqttPublisher::queued() const
{
    return int(d->queue.size());
}

qint64 MqttPublisher::dropped() const
{
    return d->dropped;
}
