// Events as the logger gives them, against the simulated board and a real broker: a cell forced
// past the board's over-voltage point is one event naming that cell and the value the board
// used, started and ended, said on standard error, printed, published with its event type and
// announced to Home Assistant; the events file holds whole lines after the logger is killed; a
// pack that leaves the bus is one link event with its duration.
#include "../publish/broker.h"
#include "boardline.h"
#include "eventfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

namespace {

constexpr int EventWaitMs = 15000;

QJsonObject json(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

} // namespace

class TestLoggerEvents : public QObject, public BoardLine
{
    Q_OBJECT

private slots:
    void init()
    {
        setUpLine();
        broker = std::make_unique<Broker>();
        QVERIFY(broker->start());
        pending.clear();
        lines.clear();
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

    void forcedCellIsOneEventEverywhere();
    void packOffTheBusIsOneLinkEvent();

private:
    QString control() const { return dir->filePath("control"); }
    QString csv() const { return dir->filePath("csv"); }

    void startLogger(const QStringList &more)
    {
        const QString file = dir->filePath("password");
        QFile pw(file);
        QVERIFY(pw.open(QIODevice::WriteOnly));
        pw.write(QByteArray(Broker::Password) + '\n');
        pw.close();
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        logger.setProgram(QStringLiteral(ARVEX_LOGGER));
        logger.setArguments(QStringList{ "--port", link, "--period", QString::number(PeriodMs),
                                         "--json", "--csv", csv(), "--mqtt", broker->url(),
                                         "--mqtt-user", Broker::User, "--mqtt-password-file", file,
                                         "--ha-discovery" }
                            + more);
        logger.setProcessChannelMode(QProcess::SeparateChannels);
        logger.start();
        QVERIFY(logger.waitForStarted(WaitMs));
    }

    void command(const QByteArray &text)
    {
        QFile pipe(control());
        QVERIFY(pipe.open(QIODevice::WriteOnly));
        QCOMPARE(pipe.write(text), qint64(text.size()));
    }

    // Reads the logger's lines until one satisfies done; true when one did in time. Every line
    // read is kept in `lines`.
    template<typename Done>
    bool readUntil(Done done, int ms = EventWaitMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            pending += logger.readAllStandardOutput();
            int end;
            while ((end = pending.indexOf('\n')) >= 0) {
                const QJsonObject line = json(pending.left(end));
                pending.remove(0, end + 1);
                lines.append(line);
                if (done(line))
                    return true;
            }
            logger.waitForReadyRead(200);
        }
        return false;
    }

    // The event lines read so far of this type (and this pack).
    QVector<QJsonObject> events(const QString &type, int pack = 1) const
    {
        QVector<QJsonObject> out;
        for (const QJsonObject &line : lines) {
            const QJsonObject e = line["event"].toObject();
            if (e["event_type"].toString() == type && e["pack"].toInt() == pack)
                out.append(e);
        }
        return out;
    }

    std::unique_ptr<Broker> broker;
    QProcess logger;
    QByteArray pending;
    QVector<QJsonObject> lines;
};

void TestLoggerEvents::forcedCellIsOneEventEverywhere()
{
    Subscriber live;
    QVERIFY(live.start(*broker, { "arvex/#", "homeassistant/#" }, "events"));
    // Ten times faster than life: the board's 2 s over-voltage delay takes 0.2 s.
    QVERIFY(startBoard({ "--profile", "rest", "--speed", "10", "--control", control() }));
    startLogger({});
    QVERIFY(readUntil([](const QJsonObject &l) { return l["seq"].toInt() >= 2; }));

    const auto started = [](const QJsonObject &l) {
        return l["event"].toObject()["event_type"] == "cell_over_voltage"
            && l["event"].toObject()["ongoing"].toBool();
    };
    const auto ended = [](const QJsonObject &l) {
        return l["event"].toObject()["event_type"] == "cell_over_voltage"
            && !l["event"].toObject()["ongoing"].toBool();
    };
    command("force over-voltage:7\n");
    const QRegularExpression forcing(
        QStringLiteral("forcing cell 7 to (\\d+) mV \\(over-voltage\\)"));
    QTRY_VERIFY_WITH_TIMEOUT(forcing.match(QString::fromUtf8(boardLog())).hasMatch(), WaitMs);
    const int forcedMv = forcing.match(QString::fromUtf8(boardLog())).captured(1).toInt();
    QVERIFY(forcedMv > 3000);

    QVERIFY(readUntil(started));
    const QJsonObject start = events("cell_over_voltage").last();
    QCOMPARE(start["cell"].toInt(), 7);
    QCOMPARE(start["value"].toInt(), forcedMv);
    QCOMPARE(start["kind"].toString(), QStringLiteral("protection"));
    QVERIFY(start["end"].isNull());
    // The pack's state says what goes on, for the text sensor.
    QVERIFY(readUntil([](const QJsonObject &l) { return l["events_ongoing"].toInt() > 0; }));
    QVERIFY2(lines.last()["problems"].toString().contains("cell over-voltage (cell 7)"),
             QJsonDocument(lines.last()).toJson().constData());

    command("release over-voltage:7\n");
    QVERIFY(readUntil(ended));
    const QJsonObject end = events("cell_over_voltage").last();
    QCOMPARE(end["id"], start["id"]);
    QCOMPARE(end["cell"].toInt(), 7);
    QCOMPARE(end["worst"].toInt(), forcedMv);
    QVERIFY(end["duration_s"].toDouble() > 0);
    QVERIFY(!end["end_unknown"].toBool());
    // One event: its start and its end, nothing between.
    QCOMPARE(events("cell_over_voltage").size(), 2);

    // Published as it started and ended, with the key Home Assistant fires, not retained; and
    // the event entity is announced with that key among its types.
    const QString topic = QStringLiteral("arvex/pack01/event");
    const auto published = [&] {
        QVector<QJsonObject> out;
        for (const Received &r : live.on(topic)) {
            if (!r.retained && json(r.payload)["event_type"] == "cell_over_voltage")
                out.append(json(r.payload));
        }
        return out;
    };
    QTRY_COMPARE_WITH_TIMEOUT(published().size(), 2, EventWaitMs);
    QCOMPARE(published().first()["cell"].toInt(), 7);
    QCOMPARE(published().first()["value"].toInt(), forcedMv);
    QVERIFY(published().last()["duration_s"].toDouble() > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!live.on("homeassistant/event/arvex_pack01/events/config").isEmpty(),
                             EventWaitMs);
    const QJsonObject entity =
        json(live.on("homeassistant/event/arvex_pack01/events/config").last().payload);
    QCOMPARE(entity["state_topic"].toString(), topic);
    QVERIFY(entity["event_types"].toArray().contains(QStringLiteral("cell_over_voltage")));

    // Forced again, and the logger killed while it goes on: the file holds whole lines, the
    // first event with its end, the second without one.
    command("force over-voltage:7\n");
    QVERIFY(readUntil(started));
    ::kill(pid_t(logger.processId()), SIGKILL);
    QVERIFY(logger.waitForFinished(WaitMs));
    const QString file = QDir(csv()).filePath("events-pack01.csv");
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QVERIFY(raw.readAll().endsWith('\n'));
    const EventFile::ReadBack back = EventFile::read(file);
    QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
    QCOMPARE(back.skippedLines, 0);
    QVector<PackEvent> overVoltage;
    for (const PackEvent &e : back.events) {
        if (e.key == "cell_over_voltage")
            overVoltage.append(e);
    }
    QCOMPARE(overVoltage.size(), 2);
    QCOMPARE(overVoltage[0].where, 7);
    QCOMPARE(overVoltage[0].valueStart, forcedMv);
    QVERIFY(overVoltage[0].endMs > overVoltage[0].startMs && !overVoltage[0].endUnknown);
    QVERIFY(overVoltage[1].endUnknown);

    // Said on standard error as it started and ended, in English, the cell and value named.
    const QString said = QString::fromUtf8(logger.readAllStandardError());
    const QString line = QStringLiteral("pack 01: cell over-voltage, cell 7 at %1 mV")
                             .arg(QLocale(QLocale::English).toString(forcedMv));
    QVERIFY2(said.count(line) == 3 && said.count(", started") == 2
                 && said.count(QRegularExpression(", ended after \\d+ s")) == 1,
             qPrintable(said));
}

void TestLoggerEvents::packOffTheBusIsOneLinkEvent()
{
    QVERIFY(startBoard({ "--static", "--address", "1,2", "--control", control() }));
    startLogger({ "--address", "1,2" });
    QVERIFY(readUntil([](const QJsonObject &l) { return l["address"].toInt() == 2; }));

    command("absent 2\n");
    const auto link = [](bool ongoing) {
        return [ongoing](const QJsonObject &l) {
            const QJsonObject e = l["event"].toObject();
            return e["event_type"] == "link_lost" && e["ongoing"].toBool() == ongoing;
        };
    };
    QVERIFY(readUntil(link(true)));
    QCOMPARE(events("link_lost", 2).size(), 1);
    command("present 2\n");
    QVERIFY(readUntil(link(false)));
    const QVector<QJsonObject> lost = events("link_lost", 2);
    QCOMPARE(lost.size(), 2);
    QCOMPARE(lost[1]["id"], lost[0]["id"]);
    // From the first poll left unanswered: at least the three polls that made it a lost link.
    QVERIFY2(lost[1]["duration_s"].toDouble() >= 2 * PeriodMs / 1000.0,
             QJsonDocument(lost[1]).toJson().constData());
    QVERIFY(events("link_lost", 1).isEmpty());

    // Kept in the pack's own file; the pack that stayed has none.
    const EventFile::ReadBack back = EventFile::read(QDir(csv()).filePath("events-pack02.csv"));
    QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
    QCOMPARE(back.events.size(), 1);
    QCOMPARE(back.events[0].key, QStringLiteral("link_lost"));
    QVERIFY(back.events[0].endMs > back.events[0].startMs);
    QVERIFY(!QFileInfo::exists(QDir(csv()).filePath("events-pack01.csv")));
}

QTEST_GUILESS_MAIN(TestLoggerEvents)
#include "tst_loggerevents.moc"
