// Which cell is wearing out, checked against the simulated board: a pack with a weak cell on its
// cycling profile is named by the logger's JSON with the resistance the board logged for it, a
// pack without one is not, a pack at a constant current has not enough steps, and the recording
// of the run gives the same answer at the desk.
#include "boardline.h"
#include "csvreader.h"
#include "recordinganalyses.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

constexpr int StepsWanted = 15;
constexpr int RunMs = 40000;

} // namespace

class TestLoggerHealth : public QObject, public BoardLine
{
    Q_OBJECT

private slots:
    void init() { setUpLine(); }
    void cleanup()
    {
        if (logger.state() != QProcess::NotRunning) {
            logger.kill();
            logger.waitForFinished();
        }
        tearDownLine();
    }

    void weakCellNamed_data();
    void weakCellNamed();
    void constantCurrentHasNotEnoughSteps();

private:
    void startLogger(const QStringList &extra)
    {
        logger.setProgram(QStringLiteral(ARVEX_LOGGER));
        logger.setArguments(
            QStringList{ "--port", link, "--json", "--period", QString::number(PeriodMs) } + extra);
        logger.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        logger.start();
        QVERIFY(logger.waitForStarted(WaitMs));
    }
    // Reads the logger's states until one satisfies done (or the time is up); returns the last.
    template<typename Done>
    QJsonObject readUntil(Done done, int ms = RunMs)
    {
        QElapsedTimer timer;
        timer.start();
        QByteArray pending;
        QJsonObject last;
        while (timer.elapsed() < ms) {
            logger.waitForReadyRead(200);
            pending += logger.readAllStandardOutput();
            int end;
            while ((end = pending.indexOf('\n')) >= 0) {
                last = QJsonDocument::fromJson(pending.left(end)).object();
                pending.remove(0, end + 1);
                if (done(last))
                    return last;
            }
        }
        return last;
    }
    // The resistance the board logged at start for each cell, in mOhm.
    QVector<double> loggedResistances() const
    {
        QVector<double> mohm;
        const QRegularExpression re(QStringLiteral("cell (\\d+) internal resistance ([0-9.]+)"));
        auto it = re.globalMatch(QString::fromUtf8(boardLog()));
        while (it.hasNext())
            mohm.append(it.next().captured(2).toDouble());
        return mohm;
    }

    QProcess logger;
};

void TestLoggerHealth::weakCellNamed_data()
{
    QTest::addColumn<int>("weak");
    QTest::newRow("cell 7 weak") << 7;
    QTest::newRow("no weak cell") << 0;
}

void TestLoggerHealth::weakCellNamed()
{
    QFETCH(int, weak);
    // Three times faster than life: a load pulse about every second.
    QStringList options{ "--speed", "3", "--profile", "cycle" };
    if (weak)
        options << "--weak-cell" << QString::number(weak);
    QVERIFY(startBoard(options));
    const QString csv = dir->filePath("csv");
    startLogger({ "--csv", csv });

    const QJsonObject state = readUntil([](const QJsonObject &s) {
        return s["health"].toObject()["steps"].toInt() >= StepsWanted;
    });
    const QJsonObject health = state["health"].toObject();
    QVERIFY2(health["steps"].toInt() >= StepsWanted, QJsonDocument(state).toJson().constData());
    QVERIFY(health["enough_steps"].toBool());

    const QVector<double> logged = loggedResistances();
    QCOMPARE(logged.size(), 16);
    const QJsonArray measured = health["cell_resistance_mohm"].toArray();
    QCOMPARE(measured.size(), 16);
    if (weak) {
        QCOMPARE(health["weak_cell"].toInt(), weak);
        QCOMPARE(health["high_resistance_cells"].toArray(), QJsonArray{ weak });
        const double estimate = measured[weak - 1].toDouble();
        qInfo("cell %d: %.3f mOhm measured over %d steps, %.4f logged; the pack's median %.3f",
              weak, estimate, health["steps"].toInt(), logged[weak - 1],
              health["median_mohm"].toDouble());
        QVERIFY2(
            std::abs(estimate / logged[weak - 1] - 1) <= 0.15,
            qPrintable(
                QStringLiteral("%1 mOhm measured, %2 logged").arg(estimate).arg(logged[weak - 1])));
    } else {
        QVERIFY(health["weak_cell"].isNull());
        QVERIFY(health["high_resistance_cells"].toArray().isEmpty());
    }

    // The recording of the same run, judged offline, names the same cell.
    logger.terminate();
    QVERIFY(logger.waitForFinished(WaitMs));
    const QStringList files = QDir(csv).entryList({ "*.csv" }, QDir::Files);
    QCOMPARE(files.size(), 1);
    CsvReader reader;
    QVERIFY(reader.open(QDir(csv).filePath(files.first())));
    QMap<int, PackAnalysis> packs;
    QVERIFY(RecordingAnalyses::analyse(&reader, &packs));
    QCOMPARE(packs.size(), 1);
    const CellHealth::Result &offline = packs.first().health.result();
    QVERIFY(offline.steps >= StepsWanted);
    QCOMPARE(offline.weakCell, weak);
    if (weak)
        QVERIFY(std::abs(offline.cell[weak - 1].resistanceMohm / logged[weak - 1] - 1) <= 0.15);
}

void TestLoggerHealth::constantCurrentHasNotEnoughSteps()
{
    QVERIFY(startBoard({ "--static", "--weak-cell", "7" }));
    startLogger({});
    const QJsonObject state =
        readUntil([](const QJsonObject &s) { return s["seq"].toInt() >= 10; });
    QCOMPARE(state["seq"].toInt(), 10);
    const QJsonObject health = state["health"].toObject();
    QCOMPARE(health["steps"].toInt(), 0);
    QVERIFY(!health["enough_steps"].toBool());
    QVERIFY(health["weak_cell"].isNull());
    for (const QJsonValue v : health["cell_resistance_mohm"].toArray())
        QVERIFY(v.isNull());
}

QTEST_GUILESS_MAIN(TestLoggerHealth)
#include "tst_loggerhealth.moc"
