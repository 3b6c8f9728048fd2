// The state JSON of one reply: the figures in SI units and their rounding, the cells that count
// as present and their extremes, the status codes spelt out, and the time with its UTC offset.
#include "packstate.h"
#include "packsummary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <QtTest>

namespace {

QJsonArray numbers(std::initializer_list<double> values)
{
    QJsonArray a;
    for (double v : values)
        a.append(v);
    return a;
}

} // namespace

class TestPackState : public QObject
{
    Q_OBJECT

private slots:
    void figuresOfAReply();
    void currentSignedByTheJob_data();
    void currentSignedByTheJob();
    void presentCells_data();
    void presentCells();
    void statusNames();
    void timeKeepsItsOffset();
};

void TestPackState::figuresOfAReply()
{
    AFE r;
    r.id = 12;
    r.totalv = 52812; // mV
    r.cadc = -12505; // mA: discharging
    r.soc = 81;
    const int cells[] = { 3301, 3298, 3310, 3305 };
    std::copy(std::begin(cells), std::end(cells), r.cell);
    r.ts[0] = 2549; // 25.49 degC: environment
    r.ts[1] = -1050; // MOSFET
    r.ts[2] = 3000;
    r.ts[3] = 3001;
    r.ts[4] = 3004;
    r.ts[5] = 3005;
    r.sys_statu = 7;
    r.alrt_statu = 0xA; // bits 1 and 3
    r.job_statu = 2;
    r.mos_statu = 3;
    r.blance_statu = 0x8005;
    RealTimeReply v;
    v.cellsInSeries = 4;
    v.cycleCount = 123;
    v.newcc = 40517; // mAh
    v.chargeMos = 0;
    v.dischargeMos = 1;
    v.batteryNumber = 7; // the number written to the board, which answers at address 12

    const QDateTime when(QDate(2026, 12, 8), QTime(10, 15, 30, 123), QTimeZone(3600));
    const QJsonObject s = PackState::build(r, v, 42, when);
    const QStringList keys{ "time",         "address",       "battery_number",
                            "seq",          "voltage",       "current",
                            "power",        "soc",           "remaining_capacity",
                            "cells",        "cell_min",      "cell_min_no",
                            "cell_max",     "cell_max_no",   "cell_diff",
                            "temperatures", "protection",    "alarm",
                            "system",       "charge_mosfet", "discharge_mosfet",
                            "job",          "balancing",     "cycles" };
    const QStringList present = s.keys();
    QCOMPARE(QSet<QString>(present.begin(), present.end()),
             QSet<QString>(keys.begin(), keys.end()));
    QCOMPARE(s["time"].toString(), QStringLiteral("2026-12-08T10:15:30.123+01:00"));
    QCOMPARE(s["address"].toInt(), 12);
    QCOMPARE(s["battery_number"].toInt(), 7);
    QCOMPARE(s["seq"].toInt(), 42);
    QCOMPARE(s["voltage"].toDouble(), 52.812);
    QCOMPARE(s["current"].toDouble(), -12.505);
    QCOMPARE(s["power"].toDouble(), -660.4); // 52.812 V x -12.505 A = -660.414
    QCOMPARE(s["soc"].toInt(), 81);
    QCOMPARE(s["remaining_capacity"].toDouble(), 40.517);
    QCOMPARE(s["charge_mosfet"].toBool(), false);
    QCOMPARE(s["discharge_mosfet"].toBool(), true);
    QVERIFY(!s.contains("round_trip_ms"));
    QCOMPARE(s["cells"].toArray(), numbers({ 3301, 3298, 3310, 3305 }));
    QCOMPARE(s["cell_min"].toInt(), 3298);
    QCOMPARE(s["cell_min_no"].toInt(), 2);
    QCOMPARE(s["cell_max"].toInt(), 3310);
    QCOMPARE(s["cell_max_no"].toInt(), 3);
    QCOMPARE(s["cell_diff"].toInt(), 12);
    QCOMPARE(s["temperatures"].toArray(), numbers({ 25.5, -10.5, 30, 30, 30, 30.1 }));
    QCOMPARE(s["balancing"].toArray(), numbers({ 1, 3, 16 }));
    QCOMPARE(s["cycles"].toInt(), 123);
    const auto status = [&s](const char *key) {
        return QJsonDocument(s[key].toObject()).toJson(QJsonDocument::Compact);
    };
    QCOMPARE(status("protection"), QByteArray(R"({"active":["cell under-voltage"],"code":7})"));
    QCOMPARE(status("alarm"),
             QByteArray(R"({"active":["charge over-temperature","discharge over-temperature"],)"
                        R"("code":10})"));
    QCOMPARE(status("job"), QByteArray(R"({"active":["discharging"],"code":2})"));
    QCOMPARE(status("system"), QByteArray(R"({"active":["discharge MOSFET on"],"code":3})"));

    // One line, as the pipes and the broker get it.
    const QByteArray line = PackState::toLine(s);
    QVERIFY(!line.contains('\n'));
    QCOMPARE(QJsonDocument::fromJson(line).object(), s);
    QVERIFY2(line.contains("\"voltage\":52.812"), line.constData());

    // The link's round trip only where one was measured.
    QJsonObject linked = s;
    PackState::addRoundTrip(&linked, -1);
    QCOMPARE(linked, s);
    PackState::addRoundTrip(&linked, 23);
    QCOMPARE(linked["round_trip_ms"].toInt(), 23);
}

void TestPackState::currentSignedByTheJob_data()
{
    QTest::addColumn<int>("cadc");
    QTest::addColumn<int>("job");
    QTest::addColumn<double>("current");
    QTest::addColumn<double>("power");

    // 48 V: the power is the signed current times it, rounded to 0.1 W.
    QTest::newRow("discharge sent as magnitude") << 12505 << 2 << -12.505 << -600.2;
    QTest::newRow("discharge sent signed") << -12505 << 2 << -12.505 << -600.2;
    QTest::newRow("charging") << 12505 << 1 << 12.505 << 600.2;
    QTest::newRow("at rest") << 30 << 0 << 0.03 << 1.4;
    QTest::newRow("no job state") << 500 << 3 << 0.5 << 24.0;
    QTest::newRow("negative while charging, as sent") << -500 << 1 << -0.5 << -24.0;
}

void TestPackState::currentSignedByTheJob()
{
    QFETCH(int, cadc);
    QFETCH(int, job);
    QFETCH(double, current);
    QFETCH(double, power);
    AFE r;
    r.totalv = 48000;
    r.cadc = cadc;
    r.job_statu = job;
    const QJsonObject s = PackState::build(r, RealTimeReply(), 1, QDateTime::currentDateTime());
    QCOMPARE(s["current"].toDouble(), current);
    QCOMPARE(s["power"].toDouble(), power);
    // The same figure the tiles and the trends show.
    QCOMPARE(qRound(s["current"].toDouble() * 1000), PackSummary::summarize(1, r, 0).currentMa);
}

void TestPackState::presentCells_data()
{
    QTest::addColumn<int>("inSeries");
    QTest::addColumn<QVector<int>>("cells");
    QTest::addColumn<int>("present");
    QTest::addColumn<int>("minNo");

    // The stated number of cells counts, a cell reading 0 within it included (a broken sense
    // wire is worth seeing); without one, up to the last cell that reads.
    QTest::newRow("stated") << 3 << QVector<int>{ 3300, 3290, 3310, 3000 } << 3 << 2;
    QTest::newRow("stated, a cell at 0") << 3 << QVector<int>{ 3300, 0, 3310 } << 3 << 2;
    QTest::newRow("not stated") << 0 << QVector<int>{ 3300, 0, 3310 } << 3 << 2;
    QTest::newRow("stated beyond 25") << 40 << QVector<int>{ 3300 } << 25 << 2;
    QTest::newRow("nothing") << 0 << QVector<int>{} << 0 << 0;
}

void TestPackState::presentCells()
{
    QFETCH(int, inSeries);
    QFETCH(QVector<int>, cells);
    QFETCH(int, present);
    QFETCH(int, minNo);
    AFE r;
    std::copy(cells.begin(), cells.end(), r.cell);
    RealTimeReply v;
    v.cellsInSeries = inSeries;
    QCOMPARE(PackState::presentCells(r, v), present);
    const QJsonObject s = PackState::build(r, v, 1, QDateTime::currentDateTime());
    QCOMPARE(s["cells"].toArray().size(), present);
    QCOMPARE(s["cell_min_no"].toInt(), minNo);
    QCOMPARE(s["cell_diff"].toInt() >= 0, true);
}

void TestPackState::statusNames()
{
    QVERIFY(PackState::protectionNames(0).isEmpty());
    QCOMPARE(PackState::protectionNames(11), QStringList{ "short circuit" });
    QCOMPARE(PackState::protectionNames(14), QStringList{ "pack under-voltage" });
    // Codes the table does not know still count as active: a binary sensor must not say "clear".
    QCOMPARE(PackState::protectionNames(15), QStringList{ "unknown code 15" });
    QCOMPARE(PackState::protectionNames(-1), QStringList{ "unknown code -1" });

    QVERIFY(PackState::alarmNames(0).isEmpty());
    QVERIFY(PackState::alarmNames(1).isEmpty()); // bit 0: the board's all-clear case
    QCOMPARE(PackState::alarmNames(0x10), QStringList{ "discharge under-temperature" });
    QCOMPARE(PackState::alarmNames(0x20), QStringList{ "unknown alarm bit 5" });

    QVERIFY(PackState::jobNames(0).isEmpty());
    QCOMPARE(PackState::jobNames(1), QStringList{ "charging" });
    QCOMPARE(PackState::jobNames(9), QStringList{ "unknown code 9" });
}

void TestPackState::timeKeepsItsOffset()
{
    const QDate day(2026, 7, 1);
    const QTime time(0, 0, 0, 5);
    QCOMPARE(PackState::isoTime(QDateTime(day, time, QTimeZone(-(3 * 3600 + 30 * 60)))),
             QStringLiteral("2026-07-01T00:00:00.005-03:30"));
    QCOMPARE(PackState::isoTime(QDateTime(day, time, Qt::UTC)),
             QStringLiteral("2026-07-01T00:00:00.005+00:00"));
    QCOMPARE(PackState::isoTime(QDateTime(day, time, QTimeZone(14 * 3600))),
             QStringLiteral("2026-07-01T00:00:00.005+14:00"));
}

QTEST_GUILESS_MAIN(TestPackState)
#include "tst_packstate.moc"
