// arvex-logger's metrics endpoint scraped by a real Prometheus (started here on a free port of
// 127.0.0.1, scraping every second into a temporary folder), the logger polling a simulated bus
// of three boards: each pack's voltage as Prometheus stores it is the one its board sent, a board
// taken off the bus turns its pack's up to 0 and its figures go, and promtool accepts the
// exposition.
#include "boardline.h"
#include "sentreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUrlQuery>
#include <QtTest>

#include <csignal>

namespace {

constexpr int PrometheusWaitMs = 20000;

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

class TestLoggerMetrics : public QObject, public BoardLine
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        prometheusPath = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
        promtoolPath = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    }
    void init() { setUpLine(); }
    void cleanup()
    {
        for (QProcess *p : { &prometheus, &logger }) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        }
        tearDownLine();
    }

    void prometheusScrapesTheBank();
    void portThatCannotBeServed();

private:
    // The body of a GET, or an empty array after an error.
    QByteArray get(const QUrl &url)
    {
        QNetworkReply *reply = network.get(QNetworkRequest(url));
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            done.wait(WaitMs);
        const QByteArray body =
            reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
        reply->deleteLater();
        return body;
    }

    // The instant vector of query: label "pack" -> value.
    QMap<QString, double> query(const QString &promql)
    {
        QUrl url(QStringLiteral("http://127.0.0.1:%1/api/v1/query").arg(prometheusPort));
        QUrlQuery q;
        q.addQueryItem(QStringLiteral("query"), promql);
        url.setQuery(q);
        const QJsonObject answer = QJsonDocument::fromJson(get(url)).object();
        QMap<QString, double> values;
        for (const QJsonValue &r : answer["data"].toObject()["result"].toArray()) {
            const QJsonObject o = r.toObject();
            values.insert(o["metric"].toObject()["pack"].toString(),
                          o["value"].toArray().at(1).toString().toDouble());
        }
        return values;
    }

    bool startPrometheus(quint16 target)
    {
        prometheusPort = freePort();
        QFile config(dir->filePath("prometheus.yml"));
        if (!prometheusPort || !config.open(QIODevice::WriteOnly))
            return false;
        config.write("global:\n"
                     "  scrape_interval: 1s\n"
                     "  scrape_timeout: 1s\n"
                     "scrape_configs:\n"
                     "  - job_name: arvex\n"
                     "    static_configs:\n"
                     "      - targets: ['127.0.0.1:"
                     + QByteArray::number(target) + "']\n");
        config.close();
        prometheus.setProgram(prometheusPath);
        prometheus.setArguments(
            { "--config.file=" + config.fileName(), "--storage.tsdb.path=" + dir->filePath("tsdb"),
              QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(prometheusPort),
              "--log.level=warn" });
        prometheus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        prometheus.setStandardOutputFile(QProcess::nullDevice());
        prometheus.start();
        if (!prometheus.waitForStarted(WaitMs))
            return false;
        const QUrl ready(QStringLiteral("http://127.0.0.1:%1/-/ready").arg(prometheusPort));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < PrometheusWaitMs && prometheus.state() == QProcess::Running) {
            if (!get(ready).isEmpty())
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    bool control(const QByteArray &command)
    {
        QFile pipe(dir->filePath("control"));
        return pipe.open(QIODevice::WriteOnly) && pipe.write(command + '\n') > 0;
    }

    QString prometheusPath;
    QString promtoolPath;
    quint16 prometheusPort = 0;
    QProcess prometheus;
    QProcess logger;
    QNetworkAccessManager network;
};

void TestLoggerMetrics::prometheusScrapesTheBank()
{
    if (prometheusPath.isEmpty() || promtoolPath.isEmpty())
        QSKIP("prometheus and promtool are not installed (scripts/install-deps.sh installs them)");
    // Frozen values, so what Prometheus stored can be compared with what each board sent.
    QVERIFY(startBoard({ "--address", "1-3", "--static", "--control", dir->filePath("control") }));
    const quint16 metricsPort = freePort();
    QVERIFY(metricsPort);
    logger.setProgram(QStringLiteral(ARVEX_LOGGER));
    logger.setArguments({ "--port", link, "--address", "1-3", "--period", "300", "--metrics",
                          QStringLiteral("127.0.0.1:%1").arg(metricsPort) });
    logger.setProcessChannelMode(QProcess::ForwardedChannels);
    logger.start();
    QVERIFY(logger.waitForStarted(WaitMs));

    // The exposition holds every pack once each has answered, and promtool accepts it.
    const QUrl metrics(QStringLiteral("http://127.0.0.1:%1/metrics").arg(metricsPort));
    QByteArray exposition;
    QTRY_VERIFY_WITH_TIMEOUT((exposition = get(metrics)).contains("arvex_pack_up{pack=\"3\"} 1")
                                 && exposition.contains("arvex_pack_up{pack=\"1\"} 1")
                                 && exposition.contains("arvex_pack_up{pack=\"2\"} 1"),
                             10000);
    QVERIFY2(exposition.contains("# TYPE arvex_pack_replies_total counter"),
             exposition.constData());
    QProcess promtool;
    promtool.start(promtoolPath, { "check", "metrics" });
    QVERIFY(promtool.waitForStarted(WaitMs));
    promtool.write(exposition);
    promtool.closeWriteChannel();
    QVERIFY(promtool.waitForFinished(WaitMs));
    const QByteArray said = promtool.readAll() + promtool.readAllStandardError();
    QVERIFY2(promtool.exitStatus() == QProcess::NormalExit && promtool.exitCode() == 0,
             said.constData());
    // Nothing but the metrics is served.
    QVERIFY(get(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(metricsPort))).isEmpty());

    QVERIFY(startPrometheus(metricsPort));
    QMap<QString, double> volts;
    QTRY_COMPARE_WITH_TIMEOUT((volts = query("arvex_pack_voltage_volts")).size(), 3,
                              PrometheusWaitMs);
    // Prometheus's own verdict on the scrape, and each voltage as the board sent it.
    QCOMPARE(query("up{job=\"arvex\"}").value(QString()), 1.0);
    const QByteArray sent = boardLog();
    for (int address = 1; address <= 3; ++address) {
        const QVector<SentReply> replies = sentReplies(sent, address);
        QVERIFY(!replies.isEmpty());
        const double stored = volts.value(QString::number(address));
        const bool same = std::any_of(replies.begin(), replies.end(), [stored](const SentReply &r) {
            return qRound(stored * 1000) == r.packMv;
        });
        QVERIFY2(same, qPrintable(QStringLiteral("pack %1: %2 V").arg(address).arg(stored)));
    }
    QVERIFY(volts.value("1") != volts.value("2") || volts.value("2") != volts.value("3"));

    // Board 2 leaves the bus: its pack is down, its figures are no longer served, the others go
    // on.
    QVERIFY(control("absent 2"));
    QTRY_COMPARE_WITH_TIMEOUT(query("arvex_pack_up").value("2", -1), 0.0, PrometheusWaitMs);
    QCOMPARE(query("arvex_pack_up").value("1"), 1.0);
    QCOMPARE(query("arvex_pack_up").value("3"), 1.0);
    QTRY_COMPARE_WITH_TIMEOUT(query("arvex_pack_voltage_volts").keys(),
                              (QList<QString>{ "1", "3" }), PrometheusWaitMs);
    QVERIFY(query("arvex_pack_timeouts_total").value("2") >= 3);

    ::kill(pid_t(logger.processId()), SIGTERM);
    QVERIFY(logger.waitForFinished(WaitMs));
    QCOMPARE(logger.exitCode(), 0);
}

// A port another program holds ends the logger at start, before it opens the line, with one line
// that names the address and the system's reason.
void TestLoggerMetrics::portThatCannotBeServed()
{
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    logger.setProgram(QStringLiteral(ARVEX_LOGGER));
    logger.setArguments({ "--port", link, "--metrics", QString::number(holder.serverPort()) });
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    logger.start();
    QVERIFY(logger.waitForFinished(WaitMs));
    QCOMPARE(logger.exitCode(), 1);
    const QByteArray said = logger.readAllStandardError();
    QCOMPARE(said,
             QStringLiteral("arvex-logger: cannot serve metrics on 127.0.0.1:%1: Address already "
                            "in use\n")
                 .arg(holder.serverPort())
                 .toUtf8());
    QVERIFY(logger.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestLoggerMetrics)
#include "tst_loggermetrics.moc"
