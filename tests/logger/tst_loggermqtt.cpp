// arvex-logger publishing to a real broker: the states carry what the simulated board sent (a
// discharge negative, also where the board sends its magnitude), discovery is retained and names
// every entity as Home Assistant reads it today, availability follows the board and the logger,
// a broker that goes away and comes back loses no state, a refused login is retried calmly, and
// --once succeeds only when the broker acknowledged its state.
#include "../publish/broker.h"
#include "boardline.h"
#include "sentreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

#include <csignal>

namespace {

constexpr int BrokerWaitMs = 15000;

QJsonObject json(const Received &r)
{
    return QJsonDocument::fromJson(r.payload).object();
}

// The logger's CPU seconds so far, from /proc.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

class TestLoggerMqtt : public QObject, public BoardLine
{
    Q_OBJECT

private slots:
    void init()
    {
        setUpLine();
        broker = std::make_unique<Broker>();
        QVERIFY(broker->start());
    }
    void cleanup()
    {
        if (logger.state() != QProcess::NotRunning) {
            logger.kill();
            logger.waitForFinished();
        }
        broker.reset();
        tearDownLine();
    }

    void statesDiscoveryAndAvailability();
    void brokerThatReturnsMissesNoState();
    void refusedLoginIsRetriedCalmly();
    void onceSucceedsOnlyWithTheBrokersAcknowledgement();
    void serviceLogsInWithItsCredential();

private:
    void startLogger(const QString &password, const QStringList &more = {})
    {
        const QString file = dir->filePath("password");
        QFile pw(file);
        QVERIFY(pw.open(QIODevice::WriteOnly));
        pw.write(password.toUtf8() + '\n');
        pw.close();
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        logger.setProgram(QStringLiteral(ARVEX_LOGGER));
        logger.setArguments(QStringList{ "--port", link, "--period", "300", "--mqtt", broker->url(),
                                         "--mqtt-user", Broker::User, "--mqtt-password-file", file }
                            + more);
        logger.setProcessChannelMode(QProcess::SeparateChannels);
        logger.start();
        QVERIFY(logger.waitForStarted(WaitMs));
    }

    int stopLogger()
    {
        ::kill(pid_t(logger.processId()), SIGTERM);
        if (!logger.waitForFinished(WaitMs))
            return -1;
        return logger.exitStatus() == QProcess::NormalExit ? logger.exitCode() : -1;
    }

    static QString lastPayload(Subscriber &sub, const QString &topic)
    {
        const QVector<Received> all = sub.on(topic);
        return all.isEmpty() ? QString() : QString::fromUtf8(all.last().payload);
    }

    std::unique_ptr<Broker> broker;
    QProcess logger;
};

void TestLoggerMqtt::statesDiscoveryAndAvailability()
{
    Subscriber live;
    QVERIFY(live.start(*broker, { "arvex/#" }, "live"));
    // The board sends the discharge current as its magnitude; the job code gives its sign.
    QVERIFY(startBoard({ "--profile", "discharge", "--cells", "13" }));
    startLogger(Broker::Password, { "--ha-discovery" });
    const QString state = QStringLiteral("arvex/pack01/state");
    QTRY_VERIFY_WITH_TIMEOUT(live.on(state).size() >= 3, BrokerWaitMs);

    // Each state is one of the board's replies, as the board sent it: discharging, 13 cells.
    const QVector<SentReply> sent = sentReplies(boardLog());
    for (const Received &r : live.on(state)) {
        const QJsonObject s = json(r);
        const auto same = [&s](const SentReply &b) {
            return b.job == 2 && qRound(s["voltage"].toDouble() * 1000) == b.packMv
                && qRound64(s["current"].toDouble() * 1000) == -qAbs(b.currentMa)
                && s["soc"].toInt() == b.soc && s["cells"].toArray().size() == b.cellCount
                && s["cells"].toArray().at(12).toInt() == b.cells.at(12);
        };
        QVERIFY2(std::any_of(sent.begin(), sent.end(), same), r.payload.constData());
        QVERIFY(s["current"].toDouble() < 0);
        QVERIFY(s["power"].toDouble() < 0);
    }
    QCOMPARE(lastPayload(live, "arvex/pack01/availability"), QStringLiteral("online"));
    // Discharging: the energy out rises, the energy in stays; the bank's books are the pack's.
    const auto energy = [](const Received &r, const char *key) {
        return json(r)["energy"].toObject()["total"].toObject()[key].toDouble();
    };
    QTRY_VERIFY_WITH_TIMEOUT(energy(live.on(state).last(), "discharged_kwh")
                                 > energy(live.on(state).first(), "discharged_kwh"),
                             BrokerWaitMs);
    QCOMPARE(energy(live.on(state).last(), "charged_kwh"), 0.0);
    // The bank's state goes out at most once a period: the first may precede the first interval.
    QTRY_VERIFY_WITH_TIMEOUT(!live.on("arvex/bank/state").isEmpty()
                                 && energy(live.on("arvex/bank/state").last(), "discharged_kwh")
                                     > 0,
                             BrokerWaitMs);

    // A newcomer finds every entity of the pack, retained.
    Subscriber late;
    QVERIFY(late.start(*broker, { "homeassistant/#" }, "late"));
    QStringList expected;
    for (const char *object : { "voltage",
                                "current",
                                "power",
                                "soc",
                                "remaining_capacity",
                                "cell_min",
                                "cell_max",
                                "cell_diff",
                                "temp_env",
                                "temp_mosfet",
                                "temp_1",
                                "temp_2",
                                "temp_3",
                                "temp_4",
                                "cycles",
                                "round_trip",
                                "energy_charged",
                                "energy_discharged",
                                "weak_cell",
                                "cell_resistance_max",
                                "problems" })
        expected << QStringLiteral("homeassistant/sensor/arvex_pack01/%1/config").arg(object);
    expected << QStringLiteral("homeassistant/event/arvex_pack01/events/config");
    // The bank of the packs, a device of its own.
    for (const char *object :
         { "current", "power", "soc", "cell_min", "energy_charged", "energy_discharged" })
        expected << QStringLiteral("homeassistant/sensor/arvex_bank/%1/config").arg(object);
    for (int cell = 1; cell <= 13; ++cell)
        expected << QStringLiteral("homeassistant/sensor/arvex_pack01/cell_%1/config")
                        .arg(cell, 2, 10, QLatin1Char('0'));
    for (const char *object : { "protection", "alarm", "charge_mosfet", "discharge_mosfet" })
        expected
            << QStringLiteral("homeassistant/binary_sensor/arvex_pack01/%1/config").arg(object);
    QTRY_VERIFY_WITH_TIMEOUT(late.messages().size() >= expected.size(), BrokerWaitMs);
    QStringList got;
    for (const Received &r : late.messages()) {
        QVERIFY(r.retained);
        got << r.topic;
        const QJsonObject config = json(r);
        const QString object = r.topic.section('/', 3, 3);
        if (object.startsWith("energy_")) {
            // As the Energy dashboard takes a battery's energy in and out.
            QCOMPARE(config["device_class"].toString(), QStringLiteral("energy"));
            QCOMPARE(config["state_class"].toString(), QStringLiteral("total_increasing"));
            QCOMPARE(config["unit_of_measurement"].toString(), QStringLiteral("kWh"));
        }
        if (r.topic.contains("/arvex_bank/")) {
            QCOMPARE(config["state_topic"].toString(), QStringLiteral("arvex/bank/state"));
            QCOMPARE(config["device"].toObject()["name"].toString(), QStringLiteral("Arvex bank"));
            continue;
        }
        QCOMPARE(config["state_topic"].toString(),
                 object == "events" ? QStringLiteral("arvex/pack01/event") : state);
        // As Home Assistant reads discovery today: the entity id in full, the program named.
        QCOMPARE(config["default_entity_id"].toString(),
                 r.topic.section('/', 1, 1) + ".arvex_pack01_" + object);
        QVERIFY2(!config.contains("object_id"), r.payload.constData());
        QCOMPARE(config["origin"].toObject()["name"].toString(), QStringLiteral("arvex-logger"));
        QVERIFY(!config["origin"].toObject()["sw_version"].toString().isEmpty());
        // Polled every 300 ms; an event does not expire.
        QCOMPARE(config["expire_after"].toInt(), object == "events" ? 0 : 30);
    }
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);

    // The board goes away: the pack is offline; it comes back: online, and states again.
    QVERIFY(sim->stop());
    QTRY_COMPARE_WITH_TIMEOUT(lastPayload(live, "arvex/pack01/availability"),
                              QStringLiteral("offline"), BrokerWaitMs);
    const int states = live.on(state).size();
    const double out = energy(live.on(state).last(), "discharged_kwh");
    QVERIFY(startBoard({ "--signed-current", "--profile", "charge", "--cells", "13" }));
    QTRY_COMPARE_WITH_TIMEOUT(lastPayload(live, "arvex/pack01/availability"),
                              QStringLiteral("online"), BrokerWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(live.on(state).size() > states, BrokerWaitMs);
    // Charging now: the energy in rises, the energy out stays where it was.
    QTRY_VERIFY_WITH_TIMEOUT(energy(live.on(state).last(), "charged_kwh") > 0, BrokerWaitMs);
    QCOMPARE(energy(live.on(state).last(), "discharged_kwh"), out);

    // Stopped: the pack and the logger say offline.
    QCOMPARE(stopLogger(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(lastPayload(live, "arvex/pack01/availability"),
                              QStringLiteral("offline"), BrokerWaitMs);
    QString loggerTopic;
    for (const Received &r : live.messages()) {
        if (r.topic.startsWith("arvex/logger/") && r.topic.endsWith("/availability"))
            loggerTopic = r.topic;
    }
    QVERIFY(!loggerTopic.isEmpty());
    QCOMPARE(lastPayload(live, loggerTopic), QStringLiteral("offline"));
}

void TestLoggerMqtt::brokerThatReturnsMissesNoState()
{
    auto subscriber = std::make_unique<Subscriber>();
    QVERIFY(subscriber->start(*broker, { "arvex/+/state" }, "seq"));
    QVERIFY(startBoard({}));
    startLogger(Broker::Password);
    const QString state = QStringLiteral("arvex/pack01/state");
    QTRY_VERIFY_WITH_TIMEOUT(subscriber->on(state).size() >= 2, BrokerWaitMs);
    QSet<int> seen;
    for (const Received &r : subscriber->on(state))
        seen << json(r)["seq"].toInt();

    // Away for about three seconds: ten polls at 300 ms.
    broker->stop();
    QTest::qWait(3000);
    QVERIFY(broker->launch());
    // The subscriber's session waited on the broker; it is taken up again.
    subscriber->stop();
    for (const Received &r : subscriber->on(state))
        seen << json(r)["seq"].toInt();
    subscriber = std::make_unique<Subscriber>();
    QVERIFY(subscriber->start(*broker, { "arvex/+/state" }, "seq"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber->on(state).size() >= 12, BrokerWaitMs);
    for (const Received &r : subscriber->on(state))
        seen << json(r)["seq"].toInt();
    const int last = *std::max_element(seen.begin(), seen.end());
    QVERIFY(last >= 14);
    for (int seq = 1; seq <= last; ++seq)
        QVERIFY2(seen.contains(seq), qPrintable(QString::number(seq)));
    QCOMPARE(stopLogger(), 0);
    // The journal shows when publishing began, stopped and came back: a line each.
    const QByteArray err = logger.readAllStandardError();
    QVERIFY2(err.count("connected to the broker") == 2 && err.count("lost the broker") == 1,
             err.constData());
}

void TestLoggerMqtt::refusedLoginIsRetriedCalmly()
{
    QVERIFY(startBoard({}));
    startLogger(QStringLiteral("not the password"));
    QTest::qWait(1000);
    const double cpuBefore = cpuSeconds(logger.processId());
    QTest::qWait(2500);
    const double cpu = cpuSeconds(logger.processId()) - cpuBefore;
    QVERIFY2(cpu >= 0 && cpu < 0.5, qPrintable(QString::number(cpu)));
    QCOMPARE(logger.state(), QProcess::Running); // polling and waiting on
    QCOMPARE(stopLogger(), 0);
    const QByteArray err = logger.readAllStandardError();
    QCOMPARE(err.count("refused the login"), 1);
    // Tried again, not once and not in a loop: the broker saw a few attempts.
    const int attempts = broker->log().count("not authorised");
    QVERIFY2(attempts >= 2 && attempts <= 5, broker->log().constData());
}

void TestLoggerMqtt::onceSucceedsOnlyWithTheBrokersAcknowledgement()
{
    QVERIFY(startBoard({ "--profile", "discharge" }));

    // Nothing listens on the port: the state is printed, the broker never has it: exit 1, and
    // one line that says why.
    quint16 closed = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closed = probe.serverPort();
    }
    logger.setProgram(QStringLiteral(ARVEX_LOGGER));
    logger.setArguments({ "--port", link, "--period", "300", "--once", "--mqtt",
                          QStringLiteral("mqtt://127.0.0.1:%1").arg(closed) });
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    logger.start();
    QVERIFY(logger.waitForFinished(30000));
    QCOMPARE(logger.exitCode(), 1);
    const QByteArray err = logger.readAllStandardError();
    QVERIFY2(err.count('\n') == 1 && err.contains("did not acknowledge the state within 10 s")
                 && err.contains("cannot reach the broker") && err.contains("refused"),
             err.constData());
    QCOMPARE(logger.readAllStandardOutput().count('\n'), 1);

    // Stopped while it waits: it waits no longer, and still says the state did not get there.
    logger.start();
    QTRY_VERIFY_WITH_TIMEOUT(logger.bytesAvailable() > 0 || logger.waitForReadyRead(100), WaitMs);
    ::kill(pid_t(logger.processId()), SIGTERM);
    QVERIFY(logger.waitForFinished(WaitMs));
    QCOMPARE(logger.exitCode(), 1);
    const QByteArray stopped = logger.readAllStandardError();
    QVERIFY2(stopped.contains("stopped while waiting"), stopped.constData());

    // A broker that takes it: exit 0, and the state is there, negative while discharging.
    Subscriber live;
    QVERIFY(live.start(*broker, { "arvex/+/state" }, "once"));
    startLogger(Broker::Password, { "--once" });
    QVERIFY(logger.waitForFinished(30000));
    QCOMPARE(logger.exitCode(), 0);
    QCOMPARE(logger.readAllStandardError(), QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(live.on("arvex/pack01/state").size(), 1, BrokerWaitMs);
    const QJsonObject s = json(live.on("arvex/pack01/state").first());
    QVERIFY(s["current"].toDouble() < 0 && s["power"].toDouble() < 0);
}

void TestLoggerMqtt::serviceLogsInWithItsCredential()
{
    // As systemd starts the service: the password in the credentials folder, no password file;
    // the credential comes before the environment.
    QVERIFY(startBoard({}));
    Subscriber live;
    QVERIFY(live.start(*broker, { "arvex/+/state" }, "service"));
    const QString credentials = dir->filePath("credentials");
    QVERIFY(QDir().mkpath(credentials));
    QFile credential(credentials + "/mqtt-password");
    QVERIFY(credential.open(QIODevice::WriteOnly));
    credential.write(QByteArray(Broker::Password) + '\n');
    credential.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CREDENTIALS_DIRECTORY", credentials);
    env.insert("ARVEX_MQTT_PASSWORD", "not the password");
    QProcess service;
    service.setProcessEnvironment(env);
    service.start(QStringLiteral(ARVEX_LOGGER),
                  { "--port", link, "--period", "300", "--once", "--mqtt", broker->url(),
                    "--mqtt-user", Broker::User });
    QVERIFY(service.waitForFinished(30000));
    QVERIFY2(service.exitCode() == 0, service.readAllStandardError().constData());
    QTRY_COMPARE_WITH_TIMEOUT(live.on("arvex/pack01/state").size(), 1, BrokerWaitMs);
}

QTEST_GUILESS_MAIN(TestLoggerMqtt)
#include "tst_loggermqtt.moc"
