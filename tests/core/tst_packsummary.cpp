// What the overview shows of a pack and of the bank: the cells present, the current's direction,
// the lamp's judgement and the bank's sums.
#include "packsummary.h"
#include "telemetry.h"

#include <QtTest>

#include <algorithm>
#include <iterator>

class TestPackSummary : public QObject
{
    Q_OBJECT

private slots:
    void cellsPresent_data();
    void cellsPresent();
    void currentDirectionAndLamp_data();
    void currentDirectionAndLamp();
    void bankOfPacks();
};

void TestPackSummary::cellsPresent_data()
{
    QTest::addColumn<QVector<int>>("cells");
    QTest::addColumn<int>("series");
    QTest::addColumn<QVector<int>>("expected"); // lowest mV, its number, highest mV, its number

    QTest::newRow("the reported count cuts off the rest")
        << QVector<int>{ 3300, 3200, 3400, 3100 } << 3 << QVector<int>{ 3200, 2, 3400, 3 };
    QTest::newRow("a present cell reading 0 is the lowest")
        << QVector<int>{ 3300, 3250, 0, 3310 } << 4 << QVector<int>{ 0, 3, 3310, 4 };
    QTest::newRow("not reported: up to the last nonzero")
        << QVector<int>{ 3300, 0, 3250, 0, 0 } << 0 << QVector<int>{ 0, 2, 3300, 1 };
    QTest::newRow("a count past the record: up to the last nonzero")
        << QVector<int>{ 3300, 3350 } << 40 << QVector<int>{ 3300, 1, 3350, 2 };
    QTest::newRow("equal cells: the first of them")
        << QVector<int>{ 3300, 3300, 3300 } << 3 << QVector<int>{ 3300, 1, 3300, 1 };
    QTest::newRow("no cells") << QVector<int>{} << 0 << QVector<int>{ 0, 0, 0, 0 };
    QVector<int> full(25, 3300);
    full[24] = 3000;
    QTest::newRow("all 25 slots") << full << 0 << QVector<int>{ 3000, 25, 3300, 1 };
}

void TestPackSummary::cellsPresent()
{
    QFETCH(QVector<int>, cells);
    QFETCH(int, series);
    QFETCH(QVector<int>, expected);
    cell record;
    for (int i = 0; i < cells.size(); ++i)
        record.cell[i] = cells.at(i);
    const PackSummary::Pack pack = PackSummary::summarize(4, record, series);
    QCOMPARE(QVector<int>({ pack.lowestMv, pack.lowestCell, pack.highestMv, pack.highestCell }),
             expected);
    QCOMPARE(pack.cellDifferenceMv(), expected.at(2) - expected.at(0));
    QCOMPARE(pack.address, 4);
}

void TestPackSummary::currentDirectionAndLamp_data()
{
    QTest::addColumn<int>("cadc");
    QTest::addColumn<int>("job");
    QTest::addColumn<int>("protection");
    QTest::addColumn<int>("alarmWord");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("red");
    QTest::addColumn<bool>("amber");

    // The lamps follow the main page: protection codes 1..14 are red; alarm bits 1..4 amber,
    // bit 0 and bits 5..7 light no lamp there.
    QTest::newRow("charging, all clear") << 5000 << 1 << 0 << 0 << 5000 << false << false;
    QTest::newRow("magnitude while discharging") << 5000 << 2 << 0 << 0 << -5000 << false << false;
    QTest::newRow("signed while discharging") << -5000 << 2 << 0 << 0 << -5000 << false << false;
    QTest::newRow("protection 7") << 0 << 0 << 7 << 0 << 0 << true << false;
    QTest::newRow("protection 14") << 0 << 0 << 14 << 0 << 0 << true << false;
    QTest::newRow("unknown protection code") << 0 << 0 << 15 << 0 << 0 << false << false;
    QTest::newRow("alarm bit 1") << 0 << 0 << 0 << 0x02 << 0 << false << true;
    QTest::newRow("alarm bit 4 among others") << 0 << 0 << 0 << 0x31 << 0 << false << true;
    QTest::newRow("alarm bit 0 alone") << 0 << 0 << 0 << 0x01 << 0 << false << false;
    QTest::newRow("alarm bits 5 to 7") << 0 << 0 << 0 << 0xe0 << 0 << false << false;
    QTest::newRow("both") << 0 << 0 << 3 << 0x04 << 0 << true << true;
}

void TestPackSummary::currentDirectionAndLamp()
{
    QFETCH(int, cadc);
    QFETCH(int, job);
    QFETCH(int, protection);
    QFETCH(int, alarmWord);
    cell record;
    record.cadc = cadc;
    record.job_statu = job;
    record.sys_statu = protection;
    record.alrt_statu = alarmWord;
    const int temperatures[6] = { -500, -120, -3000, -40, -2000, -4000 };
    std::copy(std::begin(temperatures), std::end(temperatures), record.ts);
    const PackSummary::Pack pack = PackSummary::summarize(1, record, 0);
    QTEST(pack.currentMa, "current");
    QTEST(pack.protection, "red");
    QTEST(pack.alarm, "amber");
    QCOMPARE(pack.highestTemperature, -40); // the warmest, below freezing too
}

void TestPackSummary::bankOfPacks()
{
    const PackSummary::Bank none = PackSummary::bank({});
    QCOMPARE(none.packs, 0);
    QCOMPARE(none.lowestCell, 0);
    QCOMPARE(none.averageSoc, 0.0);

    auto pack = [](int address, int mv, int ma, int soc, int lowest, int lowestCell) {
        PackSummary::Pack p;
        p.address = address;
        p.voltageMv = mv;
        p.currentMa = ma;
        p.soc = soc;
        p.lowestMv = lowest;
        p.lowestCell = lowestCell;
        return p;
    };
    // Pack 0 is a pack like any other; a pack without cells has no lowest cell to give.
    const PackSummary::Bank bank = PackSummary::bank({
        pack(3, 52000, 10000, 80, 3250, 4),
        pack(0, 51000, -20000, 61, 3190, 16),
        pack(7, 50000, 4000, 40, 0, 0),
    });
    QCOMPARE(bank.packs, 3);
    QCOMPARE(bank.currentMa, qint64(-6000));
    QCOMPARE(bank.powerW, 520.0 - 1020.0 + 200.0);
    QCOMPARE(bank.averageSoc, 60.333333333333336);
    QCOMPARE(bank.lowestMv, 3190);
    QCOMPARE(bank.lowestPack, 0);
    QCOMPARE(bank.lowestCell, 16);
}

QTEST_GUILESS_MAIN(TestPackSummary)
#include "tst_packsummary.moc"
