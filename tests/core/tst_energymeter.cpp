// The energy books: what is integrated and what is not, the split of a day, the state object,
// and the file they survive a restart in.
#include "anchoredclock.h"
#include "bankstate.h"
#include "energybooks.h"
#include "energymeter.h"
#include "packanalyses.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One event fed to the meter: a reply (at seconds, with volts and amps) or an unanswered poll.
struct Event
{
    double seconds;
    double volts;
    double amps;
    bool missed = false;
};

Event miss(double seconds)
{
    return { seconds, 0, 0, true };
}

constexpr qint64 Start = 1'796'000'000'000; // any time of day

void feed(EnergyMeter *meter, const QVector<Event> &events, qint64 startMs = Start)
{
    for (const Event &e : events) {
        if (e.missed)
            meter->missed();
        else
            meter->take(startMs + qRound64(e.seconds * 1000), qRound(e.volts * 1000),
                        qRound(e.amps * 1000));
    }
}

// Replies every second from..to at a steady voltage and current.
QVector<Event> steady(int from, int to, double volts, double amps)
{
    QVector<Event> events;
    for (int s = from; s <= to; ++s)
        events.append({ double(s), volts, amps });
    return events;
}

AFE record(int mv, int ma, int job = 0)
{
    AFE r;
    r.totalv = mv;
    r.cadc = ma;
    r.job_statu = job;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(QVector<Event>)

class TestEnergyMeter : public QObject
{
    Q_OBJECT

private slots:
    void integration_data();
    void integration();
    void intervalAcrossMidnightIsSplit();
    void clockStepChangesNothing();
    void stateObject();
    void restartContinuesFromTheFile();
    void refusedFiles_data();
    void refusedFiles();
    void bankSoc_data();
    void bankSoc();
};

void TestEnergyMeter::integration_data()
{
    QTest::addColumn<QVector<Event>>("events");
    // Ah in, Ah out, Wh in, Wh out, seconds without data.
    QTest::addColumn<QVector<double>>("expected");

    QTest::newRow("steady charge") << steady(0, 10, 50, 36) << QVector<double>{ 0.1, 0, 5, 0, 0 };
    QTest::newRow("steady discharge")
        << steady(0, 10, 50, -36) << QVector<double>{ 0, 0.1, 0, 5, 0 };
    // 0 to 72 A over 10 s: the mean, not either end.
    QVector<Event> ramp;
    for (int s = 0; s <= 10; ++s)
        ramp.append({ double(s), 50, 7.2 * s });
    QTest::newRow("a ramp takes its mean") << ramp << QVector<double>{ 0.1, 0, 5, 0, 0 };
    // +36 A to -36 A in one second: half a second each way, a triangle each.
    QTest::newRow("a change of direction splits the interval")
        << QVector<Event>{ { 0, 50, 36 }, { 1, 50, 36 }, { 2, 50, -36 } }
        << QVector<double>{ 0.0125, 0.0025, 0.625, 0.125, 0 };
    QVector<Event> gap = steady(0, 5, 50, 36) + steady(35, 40, 50, 36);
    QTest::newRow("a gap adds nothing") << gap << QVector<double>{ 0.1, 0, 5, 0, 30 };
    // Three misses in a row make the link stale: the next interval is not integrated, short as
    // it is; a single miss is not.
    QVector<Event> stale = steady(0, 5, 50, 36);
    stale << miss(5.3) << miss(5.6) << miss(5.9);
    stale += steady(6, 11, 50, 36);
    QTest::newRow("across a stale link nothing") << stale << QVector<double>{ 0.1, 0, 5, 0, 1 };
    QVector<Event> once = steady(0, 5, 50, 36);
    once << miss(5.5);
    once += steady(6, 10, 50, 36);
    QTest::newRow("one miss is no stale link") << once << QVector<double>{ 0.1, 0, 5, 0, 0 };
    // The first intervals are judged against the default spacing, then against their own.
    QVector<Event> slow;
    for (int s = 0; s <= 50; s += 5)
        slow.append({ double(s), 50, 36 });
    QTest::newRow("a slow period is learnt") << slow << QVector<double>{ 0.4, 0, 20, 0, 10 };
    QTest::newRow("a reply at the same time or earlier adds nothing")
        << QVector<Event>{ { 0, 50, 36 }, { 1, 50, 36 }, { 1, 50, 36 }, { 0.5, 50, 36 } }
        << QVector<double>{ 0.01, 0, 0.5, 0, 0 };
    QTest::newRow("a single reply is no interval")
        << QVector<Event>{ { 0, 50, 36 } } << QVector<double>{ 0, 0, 0, 0, 0 };
}

void TestEnergyMeter::integration()
{
    QFETCH(QVector<Event>, events);
    QFETCH(QVector<double>, expected);
    EnergyMeter meter;
    feed(&meter, events);
    const EnergyMeter::Totals &t = meter.total();
    const QVector<double> got{ t.chargedAh(), t.dischargedAh(), t.chargedWs / 3600,
                               t.dischargedWs / 3600, meter.withoutDataMs() / 1000.0 };
    for (int i = 0; i < got.size(); ++i) {
        if (qAbs(got[i] - expected[i]) > 1e-9)
            QFAIL(qPrintable(QStringLiteral("value %1: %2, expected %3")
                                 .arg(i)
                                 .arg(got[i], 0, 'g', 12)
                                 .arg(expected[i])));
    }
    // Whatever was integrated is booked on the day, too.
    EnergyMeter::Totals days;
    for (const EnergyMeter::Day &d : meter.days())
        days.add(d.totals);
    QCOMPARE(days.chargedAs, t.chargedAs);
    QCOMPARE(days.dischargedWs, t.dischargedWs);
}

void TestEnergyMeter::intervalAcrossMidnightIsSplit()
{
    const QDate first(2026, 12, 8);
    const qint64 midnight = QDateTime(first.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
    // Replies every 20 s; the one at 23:59:50 and the next at 00:00:10 make one interval.
    EnergyMeter meter;
    QVector<Event> events;
    for (int s = -90; s <= 10; s += 20)
        events.append({ double(s), 50, 36 });
    feed(&meter, events, midnight);
    // The first two intervals come before the spacing is known (40 s without data); then
    // 23:59:10 .. 00:00:10: 50 s before midnight, 10 s after.
    QCOMPARE(meter.withoutDataMs(), qint64(40000));
    QCOMPARE(meter.days().size(), 2);
    QCOMPARE(meter.days().at(0).date, first);
    QCOMPARE(meter.day(first).chargedAs, 36.0 * 50);
    QCOMPARE(meter.day(first.addDays(1)).chargedAs, 36.0 * 10);
    QCOMPARE(meter.day(first.addDays(1)).chargedWs, 36.0 * 50 * 10);
    QCOMPARE(meter.since(), first);
}

void TestEnergyMeter::clockStepChangesNothing()
{
    // The same replies, once with the system clock set back an hour in the middle.
    qint64 monotonic = 5000;
    qint64 wall = Start;
    QVector<double> charged;
    for (bool step : { false, true }) {
        monotonic = 5000;
        wall = Start;
        AnchoredClock clock([&] { return monotonic; }, [&] { return wall; });
        PackAnalyses fed([&clock] { return clock.now(); });
        for (int s = 0; s <= 20; ++s) {
            if (step && s == 10)
                wall -= 3600 * 1000;
            fed.reply(1, RealTimeReply(), record(50000, 36000, 1));
            monotonic += 1000;
            wall += 1000;
        }
        charged.append(fed.pack(1).energy.total().chargedAs);
        QCOMPARE(fed.pack(1).energy.withoutDataMs(), qint64(0));
    }
    QCOMPARE(charged.at(0), 36.0 * 20);
    QCOMPARE(charged.at(1), charged.at(0));
}

void TestEnergyMeter::stateObject()
{
    qint64 now = Start;
    PackAnalyses analyses([&now] { return now; });
    // A board that sends a discharge as its magnitude, with the job saying so.
    for (int s = 0; s <= 10; ++s, now += 1000)
        analyses.reply(2, RealTimeReply(), record(50000, 36000, 2));
    QJsonObject state;
    analyses.pack(2).addToState(&state);
    QJsonObject energy = state.value("energy").toObject();
    QCOMPARE(energy.value("total").toObject().value("discharged_ah").toDouble(), 0.1);
    QCOMPARE(energy.value("today").toObject().value("discharged_kwh").toDouble(), 0.005);
    QCOMPARE(energy.value("total").toObject().value("charged_ah").toDouble(), 0.0);
    QCOMPARE(energy.value("since").toString(), EnergyMeter::localDate(Start).toString(Qt::ISODate));
    QVERIFY(energy.value("cycles_equivalent").isNull()); // no parameter block read yet

    analyses.parameters(2,
                        { { "conf_dnum", ParameterBlock::Field::Text, "2", false },
                          { "conf_design", ParameterBlock::Field::Text, "50", false } });
    state = QJsonObject();
    analyses.pack(2).addToState(&state);
    energy = state.value("energy").toObject();
    QCOMPARE(energy.value("cycles_equivalent").toDouble(), 0.002);

    // A pack never heard from adds nothing.
    state = QJsonObject();
    analyses.pack(9).addToState(&state);
    QVERIFY(!state.contains("energy"));
}

void TestEnergyMeter::restartContinuesFromTheFile()
{
    QTemporaryDir dir;
    const QString adapter = QStringLiteral("usb:0403:6001:A10K");
    qint64 now = Start;
    {
        PackAnalyses analyses([&now] { return now; });
        EnergyBooks books(&analyses);
        books.setFolder(dir.path());
        books.setAdapter(adapter);
        for (int s = 0; s <= 10; ++s, now += 1000)
            analyses.reply(3, RealTimeReply(), record(50000, 36000, 1));
        books.saveAll(); // as at the end of the program
        QVERIFY(QFile::exists(books.path(3)));
    }
    now += 3600 * 1000; // an hour later, another run
    PackAnalyses analyses([&now] { return now; });
    EnergyBooks books(&analyses);
    books.setFolder(dir.path());
    books.setAdapter(adapter);
    QSignalSpy refused(&books, &EnergyBooks::refused);
    for (int s = 0; s <= 10; ++s, now += 1000)
        analyses.reply(3, RealTimeReply(), record(50000, 36000, 1));
    QCOMPARE(refused.count(), 0);
    const EnergyMeter &meter = analyses.pack(3).energy;
    QVERIFY(qAbs(meter.total().chargedAh() - 0.2) < 1e-9);
    QCOMPARE(meter.since(), EnergyMeter::localDate(Start));

    // Another adapter: the same address is another pack, with books of its own.
    books.setAdapter(QStringLiteral("/dev/ttyS0"));
    analyses.reply(3, RealTimeReply(), record(50000, 36000, 1));
    QCOMPARE(analyses.pack(3).energy.total().chargedAs, 0.0);
    QVERIFY(books.path(3) != QDir(dir.path()).filePath(EnergyBooks::fileName(adapter, 3)));
}

void TestEnergyMeter::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    const QByteArray sound = R"({"format":"arvex-energy-books","version":1,"since":"2026-12-01",
        "adapter":"/dev/ttyS0","address":1,"days":[],
        "total":{"charged_ah":1,"discharged_ah":2,"charged_wh":50,"discharged_wh":100}})";
    QTest::newRow("cut short") << sound.left(60) << "not JSON";
    QTest::newRow("a NUL byte in a string")
        << QByteArray(sound).replace("2026-12-01", QByteArray("2026\0-12-01", 11))
        << "NUL byte at byte";
    QTest::newRow("another format")
        << QByteArray(sound).replace("arvex-energy-books", "other") << "not a file of energy books";
    QTest::newRow("a newer version")
        << QByteArray(sound).replace("\"version\":1", "\"version\":7") << "version 7 is newer";
    QTest::newRow("a negative count")
        << QByteArray(sound).replace("\"charged_ah\":1", "\"charged_ah\":-1") << "\"charged_ah\"";
    QTest::newRow("no start date")
        << QByteArray(sound).replace("2026-12-01", "yesterday") << "no valid start date";
    QTest::newRow("another pack's")
        << QByteArray(sound).replace("\"address\":1", "\"address\":4") << "another pack";
}

void TestEnergyMeter::refusedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    qint64 now = Start;
    PackAnalyses analyses([&now] { return now; });
    EnergyBooks books(&analyses);
    books.setFolder(dir.path());
    books.setAdapter(QStringLiteral("/dev/ttyS0"));
    QFile file(books.path(1));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QSignalSpy refused(&books, &EnergyBooks::refused);
    for (int s = 0; s <= 10; ++s, now += 1000)
        analyses.reply(1, RealTimeReply(), record(50000, 36000, 1));
    QCOMPARE(refused.count(), 1);
    QVERIFY2(refused.at(0).at(2).toString().contains(reason),
             qPrintable(refused.at(0).at(2).toString()));
    // Set aside as it was, and new books kept from the first reply on.
    QFile bad(books.path(1) + ".bad");
    QVERIFY(bad.open(QIODevice::ReadOnly));
    QCOMPARE(bad.readAll(), content);
    QVERIFY(qAbs(analyses.pack(1).energy.total().chargedAh() - 0.1) < 1e-9);
    books.saveAll();
    QJsonObject saved;
    QString why;
    QVERIFY2(EnergyBooks::read(books.path(1), "/dev/ttyS0", 1, &saved, &why), qPrintable(why));
    QVERIFY(EnergyMeter().fromFile(saved, &why));
}

void TestEnergyMeter::bankSoc_data()
{
    // Each pack: state of charge, design capacity (0: unknown), answering.
    QTest::addColumn<QVector<QVector<int>>>("packs");
    QTest::addColumn<double>("soc");
    QTest::addColumn<bool>("byCapacity");
    QTest::newRow("no capacity known: all alike")
        << QVector<QVector<int>>{ { 80, 0, 1 }, { 40, 0, 1 } } << 60.0 << false;
    QTest::newRow("weighted by capacity")
        << QVector<QVector<int>>{ { 80, 300, 1 }, { 40, 100, 1 } } << 70.0 << true;
    QTest::newRow("an unknown one weighs as the known ones on average")
        << QVector<QVector<int>>{ { 80, 300, 1 }, { 20, 100, 1 }, { 50, 0, 1 } } << 60.0 << true;
    QTest::newRow("a pack that does not answer is left out")
        << QVector<QVector<int>>{ { 80, 100, 1 }, { 0, 100, 0 } } << 80.0 << true;
    QTest::newRow("none answering") << QVector<QVector<int>>{ { 80, 100, 0 } } << -1.0 << false;
}

void TestEnergyMeter::bankSoc()
{
    QFETCH(QVector<QVector<int>>, packs);
    QFETCH(double, soc);
    QFETCH(bool, byCapacity);
    QVector<BankState::Member> members;
    for (const QVector<int> &p : packs) {
        BankState::Member m;
        m.pack.soc = p[0];
        m.designAh = p[1];
        m.answering = p[2] != 0;
        members.append(m);
    }
    bool weighted = false;
    QCOMPARE(BankState::averageSoc(members, &weighted), soc);
    QCOMPARE(weighted, byCapacity);
}

QTEST_GUILESS_MAIN(TestEnergyMeter)
#include "tst_energymeter.moc"
