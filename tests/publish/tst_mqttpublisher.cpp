// The publisher against a real mosquitto: retained discovery and availability, states in order
// with QoS 1, a broker that goes away and comes back, a full queue, a refused login and TLS.
#include "broker.h"
#include "hadiscovery.h"
#include "mqttpublisher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

namespace {

// A state as the logger builds it from a reply.
QJsonObject makeState(int address, int seq, int cells)
{
    QJsonArray mv;
    for (int i = 0; i < cells; ++i)
        mv.append(3300 + i);
    const auto status = [](int code, const QStringList &active) {
        return QJsonObject{ { "code", code }, { "active", QJsonArray::fromStringList(active) } };
    };
    return QJsonObject{
        { "time", "2026-12-08T10:15:30.123+01:00" },
        { "address", address },
        { "seq", seq },
        { "voltage", 52.812 },
        { "current", -12.5 },
        { "power", -660.2 },
        { "soc", 81 },
        { "cells", mv },
        { "cell_min", 3300 },
        { "cell_min_no", 1 },
        { "cell_max", 3300 + cells - 1 },
        { "cell_max_no", cells },
        { "cell_diff", cells - 1 },
        { "temperatures", QJsonArray{ 21.5, 30.1, 22.0, 22.4, -3.5, 22.1 } },
        { "protection", status(0, {}) },
        { "alarm", status(2, { "Cell overvoltage" }) },
        { "system", status(0, {}) },
        { "job", status(2, { "Discharging" }) },
        { "balancing", QJsonArray{ 2, 4 } },
        { "cycles", 17 },
    };
}

MqttPublisher::Settings settingsFor(const Broker &broker)
{
    MqttPublisher::Settings s;
    s.url = broker.url();
    s.user = Broker::User;
    s.password = Broker::Password;
    s.loggerId = "testhost";
    return s;
}

// The sequence numbers of the states on topic, in arrival order.
QVector<int> seqs(Subscriber &sub, const QString &topic)
{
    QVector<int> out;
    for (const Received &r : sub.on(topic))
        out.append(QJsonDocument::fromJson(r.payload).object().value("seq").toInt());
    return out;
}

QStringList lines(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out.append(args.at(0).toString());
    return out;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

class TestMqttPublisher : public QObject
{
    Q_OBJECT

private slots:
    void settingsThatCannotWork_data();
    void settingsThatCannotWork();
    void discoveryAvailabilityAndStates();
    void outageLeavesNoGap();
    void fullQueueDropsOldest();
    void refusedLoginBacksOff();
    void unknownHostName();
    void tls();
};

void TestMqttPublisher::settingsThatCannotWork_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("error"); // a part of the line; empty: start() succeeds
    QTest::addColumn<bool>("badUrl"); // checkUrl finds it too

    const QString someFile = QFINDTESTDATA("broker.h");
    QTest::newRow("plain") << "mqtt://127.0.0.1:1"
                           << "arvex"
                           << ""
                           << "" << false;
    QTest::newRow("tls, prefix with a level") << "mqtts://127.0.0.1:1"
                                              << "site/a" << someFile << "" << false;
    QTest::newRow("ipv6") << "mqtt://[::1]:1"
                          << "arvex"
                          << ""
                          << "" << false;
    QTest::newRow("empty") << ""
                           << "arvex"
                           << ""
                           << "no MQTT broker" << true;
    QTest::newRow("other scheme") << "http://broker"
                                  << "arvex"
                                  << ""
                                  << "expected mqtt://" << true;
    QTest::newRow("no host") << "mqtt://:1883"
                             << "arvex"
                             << ""
                             << "expected mqtt://" << true;
    QTest::newRow("bad port") << "mqtt://broker:99999"
                              << "arvex"
                              << ""
                              << "expected mqtt://" << true;
    QTest::newRow("port 0") << "mqtt://broker:0"
                            << "arvex"
                            << ""
                            << "expected mqtt://" << true;
    QTest::newRow("path") << "mqtt://broker/x"
                          << "arvex"
                          << ""
                          << "expected mqtt://" << true;
    QTest::newRow("password in url") << "mqtt://u:p@broker"
                                     << "arvex"
                                     << ""
                                     << "password" << true;
    QTest::newRow("wildcard prefix") << "mqtt://broker"
                                     << "arvex/#"
                                     << ""
                                     << "prefix" << false;
    QTest::newRow("empty prefix") << "mqtt://broker"
                                  << ""
                                  << ""
                                  << "prefix" << false;
    QTest::newRow("slash prefix") << "mqtt://broker"
                                  << "arvex/"
                                  << ""
                                  << "prefix" << false;
    QTest::newRow("missing CA") << "mqtts://broker"
                                << "arvex"
                                << "/nonexistent/ca.pem"
                                << "CA file" << false;
    QTest::newRow("CA without TLS") << "mqtt://broker"
                                    << "arvex" << someFile << "mqtts://" << false;
}

void TestMqttPublisher::settingsThatCannotWork()
{
    QFETCH(QString, url);
    QFETCH(QString, prefix);
    QFETCH(QString, caFile);
    QFETCH(QString, error);
    QFETCH(bool, badUrl);

    QCOMPARE(MqttPublisher::checkUrl(url).isEmpty(), !badUrl);
    MqttPublisher::Settings s;
    s.url = url;
    s.prefix = prefix;
    s.caFile = caFile;
    s.loggerId = "testhost";
    MqttPublisher publisher(s);
    QString why;
    const bool started = publisher.start(&why);
    QCOMPARE(started, error.isEmpty());
    QVERIFY2(why.contains(error), qPrintable(why));
    publisher.finish(0);
}

void TestMqttPublisher::discoveryAvailabilityAndStates()
{
    Broker broker;
    QVERIFY(broker.start());
    Subscriber sub;
    QVERIFY(sub.start(broker, { "arvex/#", "ha/disc/#" }, "sub-discovery"));

    MqttPublisher::Settings s = settingsFor(broker);
    s.haDiscovery = true;
    s.haPrefix = "ha/disc";
    s.periodMs = 20000;
    s.softwareVersion = "9.9";
    s.supportUrl = "https://example.org/arvex";
    MqttPublisher publisher(s);
    QSignalSpy problems(&publisher, &MqttPublisher::problem);
    QString why;
    QVERIFY2(publisher.start(&why), qPrintable(why));
    QTRY_VERIFY(publisher.isConnected());

    QVector<QJsonObject> sent;
    for (int seq = 1; seq <= 30; ++seq) {
        sent.append(makeState(1, seq, 4));
        publisher.publishState(1, sent.last());
        if (seq <= 3)
            publisher.publishState(3, makeState(3, seq, 2));
    }
    // A state leaves the queue when its acknowledgement is in, which may follow its delivery.
    QVERIFY2(publisher.waitDelivered(10000, &why), qPrintable(why));
    QCOMPARE(publisher.queued(), 0);
    QTRY_COMPARE(sub.on("arvex/pack01/state").size(), 30);
    QTRY_COMPARE(sub.on("arvex/pack03/state").size(), 3);
    const QVector<Received> states = sub.on("arvex/pack01/state");
    for (int i = 0; i < states.size(); ++i) {
        QVERIFY(!states[i].retained);
        QCOMPARE(QJsonDocument::fromJson(states[i].payload).object(), sent[i]);
    }

    // A pack that grows a cell gets the new entity.
    publisher.publishState(3, makeState(3, 4, 3));
    QTRY_COMPARE(sub.on("ha/disc/sensor/arvex_pack03/cell_03/config").size(), 1);
    publisher.setPackOnline(3, false);
    QTRY_COMPARE(sub.on("arvex/pack03/availability").size(), 2);

    // A late subscriber finds every entity, the packs and the logger from retained messages.
    Subscriber late;
    QVERIFY(late.start(broker, { "arvex/#", "ha/disc/#" }, "sub-late"));
    const auto retainedPayload = [&](const QString &topic) {
        const QVector<Received> got = late.on(topic);
        return got.size() == 1 && got[0].retained ? got[0].payload : QByteArray("(not retained)");
    };
    HaDiscovery::Settings discovery;
    discovery.discoveryPrefix = "ha/disc";
    discovery.loggerId = "testhost";
    discovery.expireAfterS = 60; // three periods of 20 s
    discovery.origin = { "arvex-logger", "9.9", "https://example.org/arvex" };
    for (const auto &[address, cells] : { std::pair{ 1, 4 }, std::pair{ 3, 3 } }) {
        const auto configs = HaDiscovery::configs(discovery, address, cells);
        QCOMPARE(configs.size(), HaDiscovery::objectIds(cells).size());
        for (const HaDiscovery::Message &m : configs)
            QTRY_COMPARE(retainedPayload(m.topic), m.payload);
    }
    QCOMPARE(retainedPayload("arvex/pack01/availability"), QByteArray("online"));
    QCOMPARE(retainedPayload("arvex/pack03/availability"), QByteArray("offline"));
    QCOMPARE(retainedPayload("arvex/logger/testhost/availability"), QByteArray("online"));
    QVERIFY(late.on("arvex/pack01/state").isEmpty());

    // Finishing says "offline" for every pack and the logger before it disconnects.
    publisher.finish();
    QVERIFY(!publisher.isConnected());
    QTRY_COMPARE(late.on("arvex/logger/testhost/availability").size(), 2);
    QCOMPARE(late.on("arvex/logger/testhost/availability").last().payload, QByteArray("offline"));
    QCOMPARE(late.on("arvex/pack01/availability").last().payload, QByteArray("offline"));
    QVERIFY2(problems.isEmpty(), qPrintable(lines(problems).join('\n')));
}

void TestMqttPublisher::outageLeavesNoGap()
{
    Broker broker;
    QVERIFY(broker.start());
    Subscriber sub;
    QVERIFY(sub.start(broker, { "arvex/+/state" }, "sub-outage"));
    MqttPublisher publisher(settingsFor(broker));
    QSignalSpy problems(&publisher, &MqttPublisher::problem);
    QSignalSpy connection(&publisher, &MqttPublisher::connectedChanged);
    QVERIFY(publisher.start(nullptr));
    QTRY_VERIFY(publisher.isConnected());

    // States at a fast poll, many of them in flight when the broker goes.
    int seq = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (int i = 0; i < 5; ++i)
            publisher.publishState(2, makeState(2, ++seq, 4));
    });
    poll.start(10);
    QTRY_VERIFY(seq >= 50);

    // A state leaves the queue when the broker acknowledged it, not when it was written: with
    // the broker frozen, every state since stays queued, and those in flight go again later.
    poll.stop();
    QTRY_COMPARE(publisher.queued(), 0);
    broker.pause();
    const int atPause = seq;
    poll.start(10);
    QTRY_VERIFY(seq >= atPause + 50);
    QCOMPARE(publisher.queued(), seq - atPause);
    QString why;
    QVERIFY(!publisher.waitDelivered(300, &why));
    QVERIFY2(why.contains("did not acknowledge"), qPrintable(why));
    broker.stop();
    QTRY_VERIFY(!publisher.isConnected());
    // The subscriber's session stays on the broker; a new one takes it up at once where the old
    // one would wait for its own reconnect.
    sub.stop();
    const int atOutage = seq;
    QTRY_VERIFY_WITH_TIMEOUT(seq > atOutage + 150, 10000);
    QVERIFY(publisher.queued() > 150);
    QVERIFY(broker.launch());
    Subscriber back;
    QVERIFY(back.start(broker, { "arvex/+/state" }, "sub-outage"));
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 10000);
    const int atReturn = seq;
    QTRY_VERIFY(seq > atReturn + 50);
    poll.stop();
    QTRY_COMPARE(publisher.queued(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seqs(back, "arvex/pack02/state").last(), seq, 10000);

    // Every state arrived, in order; one sent twice around the outage is allowed.
    const QVector<int> got = seqs(sub, "arvex/pack02/state") + seqs(back, "arvex/pack02/state");
    QVector<int> firsts;
    for (int n : got)
        if (firsts.isEmpty() || n > firsts.last())
            firsts.append(n);
    QCOMPARE(firsts.size(), seq);
    QCOMPARE(firsts.last(), seq);
    qInfo("%d states, %d sent twice", seq, int(got.size() - firsts.size()));
    QCOMPARE(publisher.dropped(), 0);
    QCOMPARE(connection.size(), 3); // up, down, up

    // One line for the loss, at most one for the failed attempts, one for the return.
    const QStringList said = lines(problems);
    QVERIFY2(said.size() >= 2 && said.size() <= 3, qPrintable(said.join('\n')));
    QVERIFY(said.first().contains("lost the broker"));
    QVERIFY(said.last().contains("connected to the broker"));
}

void TestMqttPublisher::fullQueueDropsOldest()
{
    Broker broker;
    QVERIFY(broker.prepare());
    MqttPublisher::Settings s = settingsFor(broker);
    s.queueLimit = 5;
    MqttPublisher publisher(s);
    QSignalSpy problems(&publisher, &MqttPublisher::problem);
    QVERIFY(publisher.start(nullptr));
    QTRY_COMPARE(problems.size(), 1);
    QVERIFY(problems.at(0).at(0).toString().contains("cannot reach the broker"));
    for (int seq = 1; seq <= 12; ++seq)
        publisher.publishState(1, makeState(1, seq, 4));
    QCOMPARE(publisher.queued(), 5);
    QCOMPARE(publisher.dropped(), 7);
    // Nothing listens yet: a wait for the broker gives up and says so.
    QString why;
    QVERIFY(!publisher.waitDelivered(300, &why));
    QVERIFY2(why.contains("cannot reach the broker at 127.0.0.1:"), qPrintable(why));
    // A program asked to stop waits no longer.
    QTimer::singleShot(100, &publisher, [&publisher] { publisher.stopWaiting(); });
    QVERIFY(!publisher.waitDelivered(60000, &why));
    QVERIFY2(why.startsWith("stopped while waiting"), qPrintable(why));

    // The broker arrives: the newest five go out, and the loss is told once.
    QVERIFY(broker.launch());
    Subscriber sub;
    QVERIFY(sub.start(broker, { "arvex/+/state" }, "sub-full"));
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 10000);
    QTRY_COMPARE(seqs(sub, "arvex/pack01/state"), (QVector<int>{ 8, 9, 10, 11, 12 }));
    const QStringList said = lines(problems);
    QCOMPARE(said.size(), 3);
    QVERIFY(said[1].contains("connected to the broker"));
    QVERIFY(said[2].startsWith("MQTT: 7 states were dropped"));
    publisher.finish();
}

void TestMqttPublisher::refusedLoginBacksOff()
{
    Broker broker;
    QVERIFY(broker.start());
    MqttPublisher::Settings s = settingsFor(broker);
    s.password = "wrong";
    MqttPublisher publisher(s);
    QSignalSpy problems(&publisher, &MqttPublisher::problem);
    QVERIFY(publisher.start(nullptr));

    // Attempts at 0, 1 and 3 s: retried, one line, and next to no CPU between them.
    const double cpuBefore = cpuSeconds();
    QTest::qWait(3500);
    const double cpu = cpuSeconds() - cpuBefore;
    QVERIFY(!publisher.isConnected());
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.at(0).at(0).toString().contains("refused the login"),
             qPrintable(problems.at(0).at(0).toString()));
    const int attempts = broker.log().count("not authorised");
    QVERIFY2(attempts >= 2 && attempts <= 4, qPrintable(QString::number(attempts)));
    QVERIFY2(cpu < 0.5, qPrintable(QString::number(cpu)));
    publisher.finish();
}

void TestMqttPublisher::unknownHostName()
{
    MqttPublisher::Settings s;
    s.url = "mqtt://no-such-broker.invalid";
    s.loggerId = "testhost";
    MqttPublisher publisher(s);
    QSignalSpy problems(&publisher, &MqttPublisher::problem);
    QVERIFY(publisher.start(nullptr));
    QTRY_COMPARE(problems.size(), 1);
    QVERIFY2(problems.at(0).at(0).toString().contains("cannot find the broker"),
             qPrintable(problems.at(0).at(0).toString()));
    publisher.publishState(1, makeState(1, 1, 4));
    QCOMPARE(publisher.queued(), 1);
    publisher.finish();
}

void TestMqttPublisher::tls()
{
    // A CA of our own and a certificate for 127.0.0.1 signed by it.
    QTemporaryDir dir;
    const auto openssl = [&](const QStringList &args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start("openssl", args);
        return p.waitForFinished(30000) && p.exitCode() == 0;
    };
    QVERIFY(
        openssl({ "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                  "-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj", "/CN=Test CA" }));
    QVERIFY(openssl({ "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                      "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1" }));
    QFile ext(dir.filePath("ext"));
    QVERIFY(ext.open(QIODevice::WriteOnly));
    ext.write("subjectAltName=IP:127.0.0.1\n");
    ext.close();
    QVERIFY(openssl({ "x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                      "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "ext" }));
    QVERIFY(openssl({ "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                      "-nodes", "-keyout", "other.key", "-out", "other.pem", "-days", "2", "-subj",
                      "/CN=Other CA" }));

    Broker broker;
    QVERIFY(broker.start(dir.filePath("server.pem"), dir.filePath("server.key")));
    MqttPublisher::Settings s = settingsFor(broker);
    s.url = QStringLiteral("mqtts://127.0.0.1:%1").arg(broker.port());
    s.caFile = dir.filePath("ca.pem");
    MqttPublisher trusted(s);
    QVERIFY(trusted.start(nullptr));
    QTRY_VERIFY(trusted.isConnected());
    trusted.publishState(1, makeState(1, 1, 4));
    QTRY_COMPARE(trusted.queued(), 0);
    trusted.finish();

    // A broker whose certificate the given CA did not sign is never talked to.
    s.caFile = dir.filePath("other.pem");
    MqttPublisher stranger(s);
    QSignalSpy problems(&stranger, &MqttPublisher::problem);
    QVERIFY(stranger.start(nullptr));
    QTRY_COMPARE(problems.size(), 1);
    QVERIFY(!stranger.isConnected());
    stranger.finish();
}

QTEST_GUILESS_MAIN(TestMqttPublisher)
#include "tst_mqttpublisher.moc"
