// Each cell's internal resistance from the pack's current steps: a pack of known resistances fed
// through the steps that count and those that must be left out.
#include "cellhealth.h"
#include "csvreader.h"
#include "datalog.h"
#include "packanalyses.h"
#include "recordinganalyses.h"
#include "telemetry.h"

#include <QJsonArray>
#include <QtTest>

#include <limits>

namespace {

// A pack whose cells follow V = rest + I * R exactly, polled every periodMs.
struct Pack
{
    QVector<double> mohm; // per cell
    int restMv = 3300;
    qint64 timeMs = 0;
    int periodMs = 1000;
    bool signedCurrent = true; // false: the magnitude with the job code, as many boards send it
    int protection = 0;
    int balancing = 0;
    int lastMa = 0;

    cell record(int currentMa) const
    {
        cell r;
        for (int i = 0; i < mohm.size(); ++i)
            r.cell[i] = restMv + i + int(std::lround(currentMa * mohm[i] / 1000.0));
        r.job_statu = currentMa > 0 ? 1 : currentMa < 0 ? 2 : 0;
        r.cadc = signedCurrent ? currentMa : std::abs(currentMa);
        r.sys_statu = protection;
        r.blance_statu = balancing;
        return r;
    }
    void feed(CellHealth *h, int currentMa, qint64 gapMs = -1)
    {
        timeMs += gapMs >= 0 ? gapMs : periodMs;
        lastMa = currentMa;
        h->take(timeMs, record(currentMa), mohm.size());
    }
    // n steps between the two currents (the first away from the last current), two replies at
    // each.
    void pulse(CellHealth *h, int n, int aMa, int bMa)
    {
        if (lastMa == aMa)
            std::swap(aMa, bMa);
        for (int i = 0; i < n; ++i) {
            feed(h, i % 2 ? bMa : aMa);
            feed(h, i % 2 ? bMa : aMa);
        }
    }
};

QVector<double> cells(int n, double mohm, int weak = 0, double factor = 1)
{
    QVector<double> v(n, mohm);
    if (weak > 0)
        v[weak - 1] *= factor;
    return v;
}

} // namespace

class TestCellHealth : public QObject
{
    Q_OBJECT

private slots:
    void stepsNameTheWeakCell_data();
    void stepsNameTheWeakCell();
    void stepsLeftOut();
    void windowAndValidity();
    void spreadAndLowestCell();
    void stateAndOwner();
    void recordingGivesTheSameAnswer();
};

void TestCellHealth::stepsNameTheWeakCell_data()
{
    QTest::addColumn<QVector<double>>("mohm");
    QTest::addColumn<bool>("signedCurrent");
    QTest::addColumn<int>("aMa");
    QTest::addColumn<int>("bMa");
    QTest::addColumn<int>("capacityAh");
    QTest::addColumn<int>("steps"); // expected to count
    QTest::addColumn<int>("weak");

    const QVector<double> seventh = cells(16, 0.5, 7, 2.5);
    QTest::newRow("weak cell 7") << seventh << true << -40000 << -10000 << 0 << 12 << 7;
    QTest::newRow("magnitude with the job code") << seventh << false << -40000 << 0 << 0 << 12 << 7;
    QTest::newRow("charge to discharge") << seventh << true << 30000 << -30000 << 0 << 12 << 7;
    QTest::newRow("none weak") << cells(16, 0.5) << true << -40000 << -10000 << 0 << 12 << 0;
    // Within the spread of healthy cells, no cell is named.
    QTest::newRow("below the factor")
        << cells(8, 1.0, 3, 1.4) << true << -40000 << -10000 << 0 << 12 << 0;
    QTest::newRow("at the factor") << cells(8, 1.0, 3, 1.5) << true << 50000 << 0 << 0 << 12 << 3;
    // Below 5 A a step is no measurement; a small pack's tenth of its capacity is.
    QTest::newRow("too small") << seventh << true << -4000 << 0 << 0 << 0 << 0;
    QTest::newRow("a tenth of 20 Ah")
        << cells(4, 20, 2, 2) << true << -4000 << -1000 << 20 << 12 << 2;
    QTest::newRow("below a tenth of 400 Ah") << seventh << true << -30000 << -1000 << 400 << 0 << 0;
    QTest::newRow("constant current") << seventh << true << -40000 << -40000 << 0 << 0 << 0;
    // The extremes a line can send: the steps count, nothing overflows.
    QTest::newRow("32-bit extremes") << cells(4, 0.0) << true << std::numeric_limits<int>::min()
                                     << std::numeric_limits<int>::max() << 0 << 12 << 0;
}

void TestCellHealth::stepsNameTheWeakCell()
{
    QFETCH(QVector<double>, mohm);
    QFETCH(bool, signedCurrent);
    QFETCH(int, aMa);
    QFETCH(int, bMa);
    QFETCH(int, capacityAh);
    QFETCH(int, steps);
    QFETCH(int, weak);

    CellHealth h;
    h.setDesignCapacityAh(capacityAh);
    Pack pack{ mohm };
    pack.signedCurrent = signedCurrent;
    // Three spacings teach the period; the first pulses come after it is known.
    for (int i = 0; i < 4; ++i)
        pack.feed(&h, aMa);
    pack.pulse(&h, 12, bMa, aMa);

    const CellHealth::Result &r = h.result();
    QCOMPARE(r.cells, mohm.size());
    QCOMPARE(r.steps, qint64(steps));
    QCOMPARE(r.enoughSteps, steps >= CellHealth::ValidAfter);
    QCOMPARE(r.weakCell, weak);
    if (steps == 0)
        return;
    // Whole millivolts: within a millivolt's worth of the step.
    const double tolerance = 1000.0 / std::abs(double(aMa) - bMa) + 1e-9;
    for (int i = 0; i < mohm.size(); ++i) {
        QVERIFY2(
            std::abs(r.cell[i].resistanceMohm - mohm[i]) <= tolerance,
            qPrintable(QStringLiteral("cell %1: %2").arg(i + 1).arg(r.cell[i].resistanceMohm)));
        QCOMPARE(r.cell[i].high, i + 1 == weak);
    }
    QVERIFY(std::abs(r.medianMohm - mohm[mohm.size() > 1 && weak == 1 ? 1 : 0]) <= tolerance);
}

void TestCellHealth::stepsLeftOut()
{
    const struct
    {
        const char *name;
        int protection;
        int balancing;
        qint64 gapMs; // of the reply after the step
        CellHealth::LeftOut reason;
    } cases[] = {
        { "protection", 8, 0, 1000, CellHealth::Protection },
        { "balancing", 0, 1 << 3, 1000, CellHealth::Balancing },
        { "three periods apart", 0, 0, 3000, CellHealth::TooFarApart },
    };
    for (const auto &c : cases) {
        CellHealth h;
        Pack pack{ cells(4, 1.0) };
        for (int i = 0; i < 5; ++i)
            pack.feed(&h, 0);
        pack.protection = c.protection;
        pack.balancing = c.balancing;
        pack.feed(&h, -40000, c.gapMs);
        QCOMPARE(h.result().steps, qint64(0));
        QVERIFY2(h.result().leftOut[c.reason] == 1, c.name);
        // The same step in order counts.
        pack.protection = pack.balancing = 0;
        pack.feed(&h, -40000);
        pack.feed(&h, 0);
        QVERIFY2(h.result().steps == 1, c.name);
    }

    // No step before the period is known; two periods apart (one poll unanswered) still counts.
    CellHealth h;
    Pack pack{ cells(4, 1.0) };
    pack.feed(&h, 0);
    pack.feed(&h, -40000);
    QCOMPARE(h.result().leftOut[CellHealth::TooFarApart], qint64(1));
    for (int i = 0; i < 3; ++i)
        pack.feed(&h, -40000);
    pack.feed(&h, 0, 2000);
    QCOMPARE(h.result().steps, qint64(1));
    // A given period needs no learning.
    CellHealth given;
    given.setPeriodMs(1000);
    Pack other{ cells(4, 1.0) };
    other.feed(&given, 0);
    other.feed(&given, -40000);
    QCOMPARE(given.result().steps, qint64(1));
}

void TestCellHealth::windowAndValidity()
{
    CellHealth h;
    Pack pack{ cells(4, 1.0) };
    for (int i = 0; i < 4; ++i)
        pack.feed(&h, 0);
    pack.pulse(&h, CellHealth::ValidAfter - 1, -40000, 0);
    QVERIFY(!h.result().cell[0].valid);
    QCOMPARE(h.result().cell[0].steps, CellHealth::ValidAfter - 1);
    QCOMPARE(h.result().medianMohm, 0.0);
    pack.pulse(&h, 1, -40000, 0);
    QVERIFY(h.result().cell[0].valid);
    QVERIFY(h.result().enoughSteps);

    // Only the last Window steps count: a cell that grew is seen once its old steps are out.
    pack.pulse(&h, 40, -40000, 0);
    pack.mohm[1] = 3.0;
    pack.pulse(&h, 20, -40000, 0);
    QCOMPARE(h.result().weakCell, 0); // 30 old steps and 20 new
    pack.pulse(&h, 20, -40000, 0);
    QCOMPARE(h.result().cell[1].steps, CellHealth::Window);
    QCOMPARE(h.result().weakCell, 2);
    QCOMPARE(h.result().cell[1].spreadMohm, 0.0);
    QCOMPARE(h.result().highestCell, 2);

    // Another cell count starts over.
    Pack five{ cells(5, 1.0) };
    five.timeMs = pack.timeMs;
    five.feed(&h, 0);
    QCOMPARE(h.result().cells, 5);
    QCOMPARE(h.result().steps, qint64(0));
}

void TestCellHealth::spreadAndLowestCell()
{
    CellHealth h;
    // Cell 3 is low at rest, cell 2 the one of the highest resistance: under load cell 2 drops
    // lowest.
    Pack pack{ { 1.0, 3.0, 1.0, 1.0 } };
    pack.restMv = 3300;
    pack.feed(&h, 0); // rest: 3300 3301 3302 3303 -> 3
    QCOMPARE(h.result().restSpreadMv, 3);
    QCOMPARE(h.result().loadSpreadMv, -1);
    pack.feed(&h, -40000); // 3260 3181 3262 3263 -> 82, cell 2 lowest
    pack.feed(&h, -40000);
    pack.feed(&h, -1000); // light discharge: 3299 3298 3301 3302, cell 2
    pack.feed(&h, 2000); // charging: not counted for the lowest
    const CellHealth::Result &r = h.result();
    QCOMPARE(r.loadSpreadMv, 82);
    QCOMPARE(r.loadSpreadMeanMv, 82.0);
    QCOMPARE(r.restSpreadMv, 3);
    QCOMPARE(r.lowestCell, 2);
    QCOMPARE(r.lowestCount, qint64(3));
    QCOMPARE(r.dischargeReplies, qint64(3));
}

void TestCellHealth::stateAndOwner()
{
    // Through the owner: the design capacity from the parameter block sets the least step.
    PackAnalysis analysis;
    QVector<ParameterBlock::Field> fields{ { "conf_dnum", ParameterBlock::Field::Text, "1", false },
                                           { "conf_design", ParameterBlock::Field::Text, "200",
                                             false } };
    analysis.takeParameters(fields);
    QCOMPARE(analysis.health.stepThresholdMa(), 20000);
    fields[1].text = "x";
    analysis.takeParameters(fields);
    QCOMPARE(analysis.health.stepThresholdMa(), CellHealth::DefaultStepMa);

    QJsonObject state;
    analysis.addToState(&state);
    QJsonObject health = state["health"].toObject();
    QCOMPARE(health["steps"].toInt(), 0);
    QVERIFY(!health["enough_steps"].toBool());
    QVERIFY(health["weak_cell"].isNull());
    QVERIFY(health["cell_resistance_mohm"].toArray().isEmpty());

    Pack pack{ cells(3, 0.5, 3, 3) };
    RealTimeReply values;
    values.cellsInSeries = 3;
    for (int i = 0; i < 4 + 2 * CellHealth::ValidAfter; ++i) {
        pack.timeMs += 1000;
        analysis.takeReply(pack.timeMs, pack.record(i < 4 || i % 2 ? 0 : -40000), values);
    }
    analysis.addToState(&state);
    health = state["health"].toObject();
    QCOMPARE(health["steps"].toInt(), 2 * CellHealth::ValidAfter);
    QVERIFY(health["enough_steps"].toBool());
    QCOMPARE(health["cell_resistance_mohm"].toArray(), (QJsonArray{ 0.5, 0.5, 1.5 }));
    QCOMPARE(health["weak_cell"].toInt(), 3);
    QCOMPARE(health["high_resistance_cells"].toArray(), QJsonArray{ 3 });
    QCOMPARE(health["highest_resistance_mohm"].toDouble(), 1.5);
    QCOMPARE(health["median_mohm"].toDouble(), 0.5);
    QCOMPARE(health["lowest_cell_discharging"].toInt(), 3);
}

void TestCellHealth::recordingGivesTheSameAnswer()
{
    // The same replies live and through a recording's lines (the current in whole 10 mA there).
    PackAnalysis live;
    Pack pack{ cells(16, 0.5, 7, 2.5) };
    pack.signedCurrent = false;
    pack.balancing = 1 << 2; // left out in both
    QByteArray csv = DataLog::csvHeader();
    const QDateTime start(QDate(2026, 12, 8), QTime(10, 0));
    char line[DataLog::MaxCsvLine];
    for (int i = 0; i < 40; ++i) {
        if (i == 20)
            pack.balancing = 0;
        pack.timeMs += 1000;
        const cell r = pack.record(i % 4 < 2 ? -40000 : -10000);
        live.takeReply(pack.timeMs, r, RealTimeReply());
        const DataLog::Row row = DataLog::toRow(r, start.addMSecs(pack.timeMs));
        QCOMPARE(RecordingAnalyses::record(row).cell[15], r.cell[15]);
        csv.append(line, DataLog::formatCsvLine(row, line));
    }
    CsvReader reader;
    QVERIFY(reader.openContents(csv));
    QMap<int, PackAnalysis> packs;
    QVERIFY(RecordingAnalyses::analyse(&reader, &packs));
    QCOMPARE(packs.keys(), QList<int>{ 0 });
    const CellHealth::Result &a = live.health.result();
    const CellHealth::Result &b = packs[0].health.result();
    QCOMPARE(b.steps, a.steps);
    QCOMPARE(b.leftOut, a.leftOut);
    QVERIFY(a.leftOut[CellHealth::Balancing] > 0);
    QCOMPARE(b.weakCell, 7);
    QCOMPARE(b.cell[6].resistanceMohm, a.cell[6].resistanceMohm);
    QCOMPARE(b.loadSpreadMv, a.loadSpreadMv);
}

QTEST_GUILESS_MAIN(TestCellHealth)
#include "tst_cellhealth.moc"
