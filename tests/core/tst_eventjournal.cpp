// The event journal: which replies start and end which events, where they happened and how bad it
// got; the names of the events in every language; the events file written and read back.
#include "csvreader.h"
#include "datalog.h"
#include "eventfile.h"
#include "eventjournal.h"
#include "packanalyses.h"
#include "recordinganalyses.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <iterator>

namespace {

constexpr qint64 T0 = 1'796'000'000'000;

// A 16-cell pack discharging at 120.5 A: cell 7 the highest (3,651 mV), cell 3 the lowest
// (2,800 mV), TS2 the hottest sensor (45.23 degC), TS4 the coldest (-10.5 degC).
AFE pack()
{
    AFE r;
    for (int i = 0; i < 16; ++i)
        r.cell[i] = 3300;
    r.cell[6] = 3651;
    r.cell[2] = 2800;
    r.ts[0] = 2000;
    r.ts[1] = 8000;
    r.ts[2] = 2500;
    r.ts[3] = 4523;
    r.ts[4] = 2600;
    r.ts[5] = -1050;
    r.cadc = 120500;
    r.job_statu = 2; // discharging: the magnitude is sent
    r.totalv = 52800;
    r.soc = 50;
    return r;
}

// The same pack worse every way but one: the pack voltage rises.
AFE worse()
{
    AFE r = pack();
    r.cell[6] = 3702;
    r.cell[2] = 2750;
    r.ts[3] = 4700;
    r.ts[5] = -1200;
    r.ts[1] = 8500;
    r.cadc = 150000;
    r.totalv = 53500;
    return r;
}

RealTimeReply mosOn()
{
    RealTimeReply v;
    v.chargeMos = 1;
    v.dischargeMos = 1;
    v.cellsInSeries = 16;
    return v;
}

ParameterBlock::Field text(const char *widget, const char *value)
{
    return ParameterBlock::Field{ widget, ParameterBlock::Field::Text, QString::fromLatin1(value),
                                  false };
}

QVector<ParameterBlock::Field> parameters()
{
    return { text("conf_hv", "3650"),        text("conf_lv", "2800"),
             text("conf_chgc", "100"),       text("conf_dsgc1", "100"),
             text("conf_dsgc2", "150"),      text("conf_chght", "45"),
             text("conf_chglt", "0"),        text("conf_dsght", "60"),
             text("conf_dsglt", "-20"),      text("conf_vxp", "800"),
             text("conf_avhp_2", "5840"),    text("conf_avlp_2", "4000"),
             text("conf_chght_alert", "40"), text("conf_dsglt_alert", "-15") };
}

// A change as one short text: "<seconds> +<key>[code]" for a start, "-" for an end.
QString brief(const PackEvent &e)
{
    const bool started = e.endMs < 0;
    const qint64 ms = started ? e.startMs : e.endMs;
    QString s = QStringLiteral("%1 %2%3").arg((ms - T0) / 1000).arg(started ? '+' : '-').arg(e.key);
    if (e.key.startsWith(QLatin1String("unknown")))
        s += QString::number(e.code);
    return s;
}

QStringList briefs(const QVector<PackEvent> &changes)
{
    QStringList out;
    for (const PackEvent &e : changes)
        out << brief(e);
    return out;
}

// One step of a scenario: a reply (changed from pack()) or an unanswered poll.
struct Step
{
    int second;
    bool missed = false;
    int code = 0;
    int alarms = 0;
    int chargeMos = 1;
    int dischargeMos = 1;
    int spreadMv = -1; // -1: the pack's own; else cells 3300 and one at 3300 + this
    int soc = 50;
};

Step miss(int second)
{
    Step s{ second };
    s.missed = true;
    return s;
}

Step code(int second, int c)
{
    Step s{ second };
    s.code = c;
    return s;
}

Step alarms(int second, int word)
{
    Step s{ second };
    s.alarms = word;
    return s;
}

Step mos(int second, int charge, int discharge)
{
    Step s{ second };
    s.chargeMos = charge;
    s.dischargeMos = discharge;
    return s;
}

Step spread(int second, int mv)
{
    Step s{ second };
    s.spreadMv = mv;
    return s;
}

Step soc(int second, int percent)
{
    Step s{ second };
    s.soc = percent;
    return s;
}

void run(EventJournal *journal, const QVector<Step> &steps)
{
    for (const Step &s : steps) {
        const qint64 t = T0 + s.second * 1000;
        if (s.missed) {
            journal->missed(t);
            continue;
        }
        AFE r = pack();
        r.sys_statu = s.code;
        r.alrt_statu = s.alarms;
        r.soc = s.soc;
        if (s.spreadMv >= 0) {
            for (int i = 0; i < 16; ++i)
                r.cell[i] = 3300;
            r.cell[4] = 3300 + s.spreadMv;
        }
        RealTimeReply v = mosOn();
        v.chargeMos = s.chargeMos;
        v.dischargeMos = s.dischargeMos;
        journal->take(t, r, v);
    }
}

} // namespace

Q_DECLARE_METATYPE(QVector<Step>)
Q_DECLARE_METATYPE(EventJournal::Alerts)
Q_DECLARE_METATYPE(PackEvent::Place)

class TestEventJournal : public QObject
{
    Q_OBJECT

private slots:
    void protections_data();
    void protections();
    void scenarios_data();
    void scenarios();
    void worstKeptWithoutAChange();
    void stopEndsEverythingAndStartsAfresh();
    void ownerGivesIdsAndSignalsInOrder();
    void recordingTellsTheMosfets();

    void describeInEnglish_data();
    void describeInEnglish();
    void keysAreClosedAndTranslated();
    void json();
    void problemsLine();

    void fileRoundTrip();
    void fileAfterACrash();
    void fileEndWithoutStartAndLastN();
    void fileRefusesOtherFormats_data();
    void fileRefusesOtherFormats();
    void fileOfAnotherKindIsLeftAlone();
    void filesOfAFolderTryAgainAtTheNextEvent();
};

void TestEventJournal::protections_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("key");
    QTest::addColumn<PackEvent::Place>("place");
    QTest::addColumn<int>("where");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("worst"); // after a second, worse reply
    QTest::addColumn<bool>("hasThreshold");
    QTest::addColumn<int>("threshold");

    using P = PackEvent;
    QTest::newRow("1") << 1 << "charge_over_temperature" << P::Sensor << 3 << 4523 << 4700 << true
                       << 4500;
    QTest::newRow("2") << 2 << "discharge_over_temperature" << P::Sensor << 3 << 4523 << 4700
                       << true << 6000;
    QTest::newRow("3") << 3 << "charge_under_temperature" << P::Sensor << 5 << -1050 << -1200
                       << true << 0;
    QTest::newRow("4") << 4 << "discharge_under_temperature" << P::Sensor << 5 << -1050 << -1200
                       << true << -2000;
    QTest::newRow("5") << 5 << "cell_over_voltage" << P::Cell << 7 << 3651 << 3702 << true << 3650;
    QTest::newRow("6") << 6 << "charge_over_current" << P::Current << 0 << -120500 << -150000
                       << true << 100000;
    QTest::newRow("7") << 7 << "cell_under_voltage" << P::Cell << 3 << 2800 << 2750 << true << 2800;
    QTest::newRow("8") << 8 << "discharge_over_current_1" << P::Current << 0 << -120500 << -150000
                       << true << -100000;
    QTest::newRow("9") << 9 << "discharge_over_current_2" << P::Current << 0 << -120500 << -150000
                       << true << -150000;
    // The PCB's trip point and the short circuit's (a shunt voltage) are no currents or cell
    // temperatures the block names.
    QTest::newRow("10") << 10 << "pcb_over_temperature" << P::Sensor << 1 << 8000 << 8500 << false
                        << 0;
    QTest::newRow("11") << 11 << "short_circuit" << P::Current << 0 << -120500 << -150000 << false
                        << 0;
    // Cell 3 sags further below the average than cell 7 rises above it.
    QTest::newRow("12") << 12 << "cell_voltage_difference" << P::CellSpread << 3 << 851 << 952
                        << true << 800;
    QTest::newRow("13") << 13 << "pack_over_voltage" << P::PackVoltage << 0 << 52800 << 53500
                        << true << 58400;
    // The pack voltage rose: no worse for an under-voltage.
    QTest::newRow("14") << 14 << "pack_under_voltage" << P::PackVoltage << 0 << 52800 << 52800
                        << true << 40000;
    QTest::newRow("unknown 15") << 15 << "unknown_protection" << P::Nowhere << 0 << 0 << 0 << false
                                << 0;
    QTest::newRow("unknown 23") << 23 << "unknown_protection" << P::Nowhere << 0 << 0 << 0 << false
                                << 0;
}

void TestEventJournal::protections()
{
    QFETCH(int, code);
    QFETCH(QString, key);
    QFETCH(PackEvent::Place, place);
    QFETCH(int, where);
    QFETCH(int, value);
    QFETCH(int, worst);
    QFETCH(bool, hasThreshold);
    QFETCH(int, threshold);

    EventJournal journal;
    journal.setAddress(3);
    journal.setParameters(parameters());
    AFE first = pack();
    AFE second = worse();
    AFE clear = pack();
    first.sys_statu = second.sys_statu = code;
    journal.take(T0, pack(), mosOn());
    journal.take(T0 + 1000, first, mosOn());
    journal.take(T0 + 2000, second, mosOn());
    journal.take(T0 + 3000, clear, mosOn());

    const QVector<PackEvent> changes = journal.takeChanges();
    QCOMPARE(changes.size(), 2);
    const PackEvent &start = changes[0];
    const PackEvent &end = changes[1];
    QCOMPARE(start.key, key);
    QCOMPARE(start.kind, PackEvent::Protection);
    QCOMPARE(start.code, code);
    QCOMPARE(start.address, 3);
    QCOMPARE(start.startMs, T0 + 1000);
    QCOMPARE(start.endMs, qint64(-1));
    QCOMPARE(start.place, place);
    QCOMPARE(start.where, where);
    QCOMPARE(start.valueStart, value);
    QCOMPARE(start.worst, value);
    QCOMPARE(start.hasThreshold, hasThreshold);
    if (hasThreshold)
        QCOMPARE(start.threshold, threshold);
    QCOMPARE(end.id, start.id);
    QCOMPARE(end.startMs, T0 + 1000);
    QCOMPARE(end.endMs, T0 + 3000);
    QVERIFY(!end.endUnknown);
    QCOMPARE(end.durationMs(0), qint64(2000));
    QCOMPARE(end.valueStart, value);
    QCOMPARE(end.worst, worst);
    QVERIFY(journal.ongoing().isEmpty());
}

void TestEventJournal::scenarios_data()
{
    QTest::addColumn<EventJournal::Alerts>("alerts");
    QTest::addColumn<QVector<Step>>("steps");
    QTest::addColumn<QStringList>("changes");

    const EventJournal::Alerts off;
    QTest::newRow("a code change ends one protection and starts the other")
        << off << QVector<Step>{ code(1, 5), code(2, 7), code(3, 0) }
        << QStringList{ "1 +cell_over_voltage", "2 -cell_over_voltage", "2 +cell_under_voltage",
                        "3 -cell_under_voltage" };
    QTest::newRow("unknown codes each their own")
        << off << QVector<Step>{ code(1, 15), code(2, 23), code(3, 0) }
        << QStringList{ "1 +unknown_protection15", "2 -unknown_protection15",
                        "2 +unknown_protection23", "3 -unknown_protection23" };
    QTest::newRow("alarm bits each their own")
        << off << QVector<Step>{ alarms(1, 0x2), alarms(2, 0x6), alarms(3, 0x4), alarms(4, 0) }
        << QStringList{ "1 +charge_high_temperature_alarm", "2 +charge_low_temperature_alarm",
                        "3 -charge_high_temperature_alarm", "4 -charge_low_temperature_alarm" };
    QTest::newRow("bits 3 and 4 and the unknown bits 0 and 5")
        << off << QVector<Step>{ alarms(1, 0x39), alarms(2, 0) }
        << QStringList{ "1 +unknown_alarm0",
                        "1 +discharge_high_temperature_alarm",
                        "1 +discharge_low_temperature_alarm",
                        "1 +unknown_alarm5",
                        "2 -unknown_alarm0",
                        "2 -discharge_high_temperature_alarm",
                        "2 -discharge_low_temperature_alarm",
                        "2 -unknown_alarm5" };
    QTest::newRow("MOSFETs off and on; an unknown digit changes nothing")
        << off
        << QVector<Step>{ mos(1, 0, 1), mos(2, 0, 0), mos(3, 7, 7), mos(4, 1, 0), mos(5, 1, 1) }
        << QStringList{ "1 +charge_mosfet_off", "2 +discharge_mosfet_off", "4 -charge_mosfet_off",
                        "5 -discharge_mosfet_off" };
    QTest::newRow("three misses lose the link, dated at the first; a reply ends it")
        << off
        << QVector<Step>{ code(1, 0), miss(2), miss(3), miss(4), miss(5), miss(6), code(7, 0) }
        << QStringList{ "2 +link_lost", "7 -link_lost" };
    QTest::newRow("two misses are no lost link")
        << off << QVector<Step>{ code(1, 0), miss(2), miss(3), code(4, 0), miss(5), miss(6) }
        << QStringList{};

    QTest::newRow("the alerts are off by default")
        << off << QVector<Step>{ spread(1, 900), soc(2, 1) } << QStringList{};
    EventJournal::Alerts spreadAlert;
    spreadAlert.spreadMv = 50;
    EventJournal::Alerts socAlert;
    socAlert.lowSocPercent = 20;
    QTest::newRow("spread above the threshold, back below it less the hysteresis")
        << spreadAlert << QVector<Step>{ spread(1, 50), spread(2, 51), spread(3, 50),
                                         spread(4, 41), spread(5, 51), spread(6, 40) }
        << QStringList{ "2 +cell_spread", "6 -cell_spread" };
    QTest::newRow("charge below the threshold, back above it plus the hysteresis")
        << socAlert << QVector<Step>{ soc(1, 20), soc(2, 19), soc(3, 20), soc(4, 21), soc(5, 22) }
        << QStringList{ "2 +low_charge", "5 -low_charge" };
}

void TestEventJournal::scenarios()
{
    QFETCH(EventJournal::Alerts, alerts);
    QFETCH(QVector<Step>, steps);
    QFETCH(QStringList, changes);

    EventJournal journal;
    journal.setAlerts(alerts);
    run(&journal, steps);
    QCOMPARE(briefs(journal.takeChanges()), changes);
    // What started is counted by event type, for the metrics.
    QMap<QString, qint64> starts;
    for (const QString &change : changes) {
        if (change.contains(QLatin1String(" +")))
            ++starts[change.section(QLatin1Char('+'), 1).remove(QRegularExpression("\\d+$"))];
    }
    QCOMPARE(journal.started(), starts);
}

void TestEventJournal::worstKeptWithoutAChange()
{
    EventJournal journal;
    EventJournal::Alerts alerts;
    alerts.spreadMv = 100;
    journal.setAlerts(alerts);
    AFE r = pack();
    r.sys_statu = 5;
    journal.take(T0, r, mosOn());
    QCOMPARE(briefs(journal.takeChanges()),
             (QStringList{ "0 +cell_over_voltage", "0 +cell_spread" }));

    // Worse, better, worse again: nothing to report, the ongoing events hold the worst.
    for (int mv : { 3700, 3660, 3720, 3655 }) {
        r.cell[6] = mv;
        journal.take(T0 + 1000, r, mosOn());
        QVERIFY(journal.takeChanges().isEmpty());
    }
    QCOMPARE(journal.ongoing().size(), 2);
    QCOMPARE(journal.ongoing()[0].worst, 3720);
    QCOMPARE(journal.ongoing()[1].worst, 3720 - 2800);
    QCOMPARE(journal.ongoing()[0].valueStart, 3651);

    // Switching the alert off ends its event at the next reply.
    journal.setAlerts(EventJournal::Alerts());
    journal.take(T0 + 2000, r, mosOn());
    const QVector<PackEvent> ended = journal.takeChanges();
    QCOMPARE(briefs(ended), QStringList{ "2 -cell_spread" });
    QCOMPARE(ended[0].worst, 920);
}

void TestEventJournal::stopEndsEverythingAndStartsAfresh()
{
    EventJournal journal;
    AFE r = pack();
    r.sys_statu = 5;
    journal.take(T0, r, mosOn());
    for (int s = 1; s <= 3; ++s)
        journal.missed(T0 + s * 1000);
    journal.takeChanges();

    journal.stop(T0 + 9000);
    const QVector<PackEvent> stopped = journal.takeChanges();
    QCOMPARE(briefs(stopped), (QStringList{ "9 -cell_over_voltage", "9 -link_lost" }));
    for (const PackEvent &e : stopped) {
        QVERIFY(e.endUnknown);
        QVERIFY(!e.ongoing());
    }
    QVERIFY(journal.ongoing().isEmpty());

    // Watching again: a protection still on is a new event; the link needs its three misses.
    journal.take(T0 + 20000, r, mosOn());
    journal.missed(T0 + 21000);
    QCOMPARE(briefs(journal.takeChanges()), QStringList{ "20 +cell_over_voltage" });
}

void TestEventJournal::ownerGivesIdsAndSignalsInOrder()
{
    qint64 now = T0;
    PackAnalyses owner([&now] { return now; });
    QStringList order;
    QVector<PackEvent> events;
    connect(&owner, &PackAnalyses::changed, this,
            [&order](int address) { order << QStringLiteral("changed %1").arg(address); });
    connect(&owner, &PackAnalyses::eventChanged, this, [&](const PackEvent &e) {
        order << QStringLiteral("event %1 %2").arg(e.address).arg(e.id);
        events << e;
    });

    AFE r = pack();
    r.sys_statu = 5;
    owner.reply(1, mosOn(), r);
    now += 1000;
    owner.reply(2, mosOn(), r);
    now += 1000;
    RealTimeReply off = mosOn();
    off.chargeMos = 0;
    owner.reply(1, off, pack());
    owner.stop();

    QCOMPARE(order,
             (QStringList{ "changed 1", "event 1 1", "changed 2", "event 2 2", "changed 1",
                           "event 1 1", "event 1 3", "event 1 3", "event 2 2" }));
    QCOMPARE(events[4].key, QStringLiteral("charge_mosfet_off"));
    QVERIFY(events[5].endUnknown);
    QCOMPARE(events[5].endMs, T0 + 2000);

    // A journal on its own counts for itself.
    EventJournal alone;
    alone.take(T0, r, mosOn());
    QCOMPARE(alone.takeChanges().value(0).id, qint64(1));
}

void TestEventJournal::recordingTellsTheMosfets()
{
    // The MOSFET word of each row: both on, charge off, both on, discharge off (charge untold),
    // both on.
    QByteArray csv = DataLog::csvHeader();
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(T0);
    char line[DataLog::MaxCsvLine];
    int second = 0;
    for (int word : { 3, 2, 3, 1, 3 }) {
        AFE r = pack();
        r.mos_statu = word;
        const DataLog::Row row = DataLog::toRow(r, start.addSecs(second++));
        csv.append(line, DataLog::formatCsvLine(row, line));
    }
    CsvReader reader;
    QVERIFY(reader.openContents(csv));
    QMap<int, PackAnalysis> packs;
    QVERIFY(RecordingAnalyses::analyse(&reader, &packs));
    QCOMPARE(packs.size(), 1);
    QCOMPARE(briefs(packs.first().events.takeChanges()),
             (QStringList{ "1 +charge_mosfet_off", "2 -charge_mosfet_off",
                           "3 +discharge_mosfet_off", "4 -discharge_mosfet_off" }));
}

void TestEventJournal::describeInEnglish_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("withParameters");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QString>("ended");

    QTest::newRow("cell over-voltage")
        << 5 << true << "cell over-voltage, cell 7 at 3,651 mV, trip 3,650 mV"
        << "cell over-voltage, cell 7 at 3,651 mV, worst 3,702 mV, trip 3,650 mV";
    QTest::newRow("without the parameter block")
        << 5 << false << "cell over-voltage, cell 7 at 3,651 mV"
        << "cell over-voltage, cell 7 at 3,651 mV, worst 3,702 mV";
    QTest::newRow("temperature")
        << 1 << true << "charge over-temperature, sensor TS2 at 45.2 °C, trip 45.0 °C"
        << "charge over-temperature, sensor TS2 at 45.2 °C, worst 47.0 °C, trip 45.0 °C";
    QTest::newRow("current")
        << 8 << true << "discharge over-current level 1, current at -120.5 A, trip -100.0 A"
        << "discharge over-current level 1, current at -120.5 A, worst -150.0 A, trip -100.0 A";
    QTest::newRow("MOSFET sensor")
        << 10 << true << "PCB over-temperature, MOSFET sensor at 80.0 °C"
        << "PCB over-temperature, MOSFET sensor at 80.0 °C, worst 85.0 °C";
    QTest::newRow("spread") << 12 << true
                            << "cell voltage difference, 851 mV, cell 3 stands out, trip 800 mV"
                            << "cell voltage difference, 851 mV, cell 3 stands out, worst 952 mV, "
                               "trip 800 mV";
    QTest::newRow("pack voltage") << 14 << true
                                  << "pack under-voltage, pack voltage at 52.80 V, trip 40.00 V"
                                  << "pack under-voltage, pack voltage at 52.80 V, trip 40.00 V";
    QTest::newRow("unknown code") << 15 << true << "unknown protection code 15"
                                  << "unknown protection code 15";
}

void TestEventJournal::describeInEnglish()
{
    QFETCH(int, code);
    QFETCH(bool, withParameters);
    QFETCH(QString, started);
    QFETCH(QString, ended);

    EventJournal journal;
    if (withParameters)
        journal.setParameters(parameters());
    AFE r = pack();
    r.sys_statu = code;
    journal.take(T0, r, mosOn());
    r = worse();
    r.sys_statu = code;
    journal.take(T0 + 1000, r, mosOn());
    journal.take(T0 + 2000, pack(), mosOn());
    const QVector<PackEvent> changes = journal.takeChanges();
    QCOMPARE(changes.size(), 2);
    QCOMPARE(EventNames::describe(changes[0], EventNames::Language::English), started);
    QCOMPARE(EventNames::describe(changes[1], EventNames::Language::English), ended);
}

void TestEventJournal::keysAreClosedAndTranslated()
{
    const QStringList keys = EventNames::keys();
    QCOMPARE(keys.size(), 25);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    QVERIFY(keys.contains("unknown_protection") && keys.contains("unknown_alarm"));
    for (const QString &key : keys) {
        static const QRegularExpression word(QStringLiteral("^[a-z0-9]+(_[a-z0-9]+)*$"));
        QVERIFY2(word.match(key).hasMatch(), qPrintable(key));
    }

    // Every code and bit there can be names a key of the set, unknown ones the shared one.
    QCOMPARE(EventNames::key(PackEvent::Protection, 99), QStringLiteral("unknown_protection"));
    QCOMPARE(EventNames::key(PackEvent::Alarm, 31), QStringLiteral("unknown_alarm"));
    QVERIFY(EventNames::key(PackEvent::Status, 2).isEmpty());

    // Each event its own title in English and in both translations, never the source text.
    const struct
    {
        PackEvent::Kind kind;
        int code;
    } events[] = {
        { PackEvent::Protection, 1 },  { PackEvent::Protection, 2 },  { PackEvent::Protection, 3 },
        { PackEvent::Protection, 4 },  { PackEvent::Protection, 5 },  { PackEvent::Protection, 6 },
        { PackEvent::Protection, 7 },  { PackEvent::Protection, 8 },  { PackEvent::Protection, 9 },
        { PackEvent::Protection, 10 }, { PackEvent::Protection, 11 }, { PackEvent::Protection, 12 },
        { PackEvent::Protection, 13 }, { PackEvent::Protection, 14 }, { PackEvent::Protection, 15 },
        { PackEvent::Alarm, 1 },       { PackEvent::Alarm, 2 },       { PackEvent::Alarm, 3 },
        { PackEvent::Alarm, 4 },       { PackEvent::Alarm, 0 },       { PackEvent::Status, 0 },
        { PackEvent::Status, 1 },      { PackEvent::Link, 0 },        { PackEvent::Spread, 0 },
        { PackEvent::LowSoc, 0 },
    };
    QStringList seenKeys;
    for (const char *language : { "", "KORVA_Lang.qm", "KORVA_Lang_de.qm" }) {
        QTranslator translator;
        if (*language) {
            QVERIFY(translator.load(QCoreApplication::applicationDirPath() + '/' + language));
            QCoreApplication::installTranslator(&translator);
        }
        QSet<QString> titles;
        for (const auto &e : events) {
            PackEvent event;
            event.kind = e.kind;
            event.code = e.code;
            event.key = EventNames::key(e.kind, e.code);
            if (!*language)
                seenKeys << event.key;
            const QString english = EventNames::title(event, EventNames::Language::English);
            const QString shown = EventNames::title(event, EventNames::Language::Translated);
            titles.insert(shown);
            QVERIFY2(!english.isEmpty() && !english.contains(QLatin1String("%1")),
                     qPrintable(event.key));
            // Without a translator the window shows the Chinese source; with one, no Chinese.
            const bool chinese =
                shown.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
            QVERIFY2(chinese == !*language, qPrintable(shown));
            if (QLatin1String(language) == QLatin1String("KORVA_Lang.qm"))
                QCOMPARE(shown, english);
        }
        QCOMPARE(titles.size(), int(std::size(events)));
        QCoreApplication::removeTranslator(&translator);
    }
    QCOMPARE(seenKeys, keys);

    // Numbers in the window's language; the logger's English ones stay as they are.
    PackEvent cell;
    cell.place = PackEvent::Cell;
    PackEvent sensor;
    sensor.place = PackEvent::Sensor;
    EventNames::setLocale(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(EventNames::value(cell, 3651), QStringLiteral("3.651 mV"));
    QCOMPARE(EventNames::value(sensor, 4523), QString::fromUtf8("45,2 °C"));
    QCOMPARE(EventNames::value(cell, 3651, EventNames::Language::English),
             QStringLiteral("3,651 mV"));
    EventNames::setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(EventNames::value(sensor, 4523), QString::fromUtf8("45.2 °C"));
}

void TestEventJournal::json()
{
    EventJournal journal;
    journal.setAddress(3);
    journal.setParameters(parameters());
    AFE r = pack();
    r.sys_statu = 5;
    journal.take(T0, r, mosOn());
    r = worse();
    r.sys_statu = 5;
    journal.take(T0 + 90500, r, mosOn());
    journal.take(T0 + 120000, pack(), mosOn());
    const QVector<PackEvent> changes = journal.takeChanges();

    const QJsonObject started = EventNames::toJson(changes[0]);
    QCOMPARE(started.value("pack").toInt(), 3);
    QCOMPARE(started.value("event_type").toString(), QStringLiteral("cell_over_voltage"));
    QCOMPARE(started.value("kind").toString(), QStringLiteral("protection"));
    QCOMPARE(started.value("text").toString(),
             QStringLiteral("cell over-voltage, cell 7 at 3,651 mV, trip 3,650 mV"));
    QCOMPARE(started.value("where").toString(), QStringLiteral("cell 7"));
    QCOMPARE(started.value("cell").toInt(), 7);
    QCOMPARE(started.value("value").toInt(), 3651);
    QCOMPARE(started.value("threshold").toInt(), 3650);
    QCOMPARE(started.value("unit").toString(), QStringLiteral("mV"));
    QCOMPARE(started.value("start").toString(),
             QDateTime::fromMSecsSinceEpoch(T0, Qt::UTC).toString(Qt::ISODateWithMs));
    QVERIFY(started.value("start").toString().endsWith('Z'));
    QVERIFY(started.value("end").isNull());
    QVERIFY(started.value("duration_s").isNull());
    QCOMPARE(started.value("ongoing").toBool(), true);

    const QJsonObject ended = EventNames::toJson(changes[1]);
    QCOMPARE(ended.value("worst").toInt(), 3702);
    QCOMPARE(ended.value("duration_s").toDouble(), 120.0);
    QCOMPARE(ended.value("ongoing").toBool(), false);
    QVERIFY(ended.value("end").isString());

    // A sensor by its name, values in degrees; a link event has no value and no place.
    PackEvent hot = changes[0];
    hot.place = PackEvent::Sensor;
    hot.where = 3;
    hot.valueStart = 4523;
    hot.hasThreshold = false;
    const QJsonObject sensor = EventNames::toJson(hot);
    QCOMPARE(sensor.value("sensor").toString(), QStringLiteral("TS2"));
    QCOMPARE(sensor.value("value").toDouble(), 45.23);
    QCOMPARE(sensor.value("unit").toString(), QStringLiteral("°C"));
    QVERIFY(!sensor.contains("cell") && !sensor.contains("threshold"));
    PackEvent link;
    link.kind = PackEvent::Link;
    link.key = EventNames::key(PackEvent::Link, 0);
    link.startMs = T0;
    const QJsonObject lost = EventNames::toJson(link);
    QCOMPARE(lost.value("text").toString(), QStringLiteral("link lost"));
    QVERIFY(lost.value("value").isNull());
    QCOMPARE(lost.value("where").toString(), QString());
}

void TestEventJournal::problemsLine()
{
    using EventNames::problems;
    QCOMPARE(problems({}), QStringLiteral("none"));

    EventJournal journal;
    AFE r = pack();
    r.sys_statu = 5;
    journal.take(T0, r, mosOn());
    for (int s = 1; s <= 3; ++s)
        journal.missed(T0 + s * 1000);
    QCOMPARE(problems(journal.ongoing()), QStringLiteral("cell over-voltage (cell 7); link lost"));

    // Many at once: cut at an event, marked, within 255 characters.
    QVector<PackEvent> many;
    for (int bit = 5; bit < 32; ++bit) {
        PackEvent e;
        e.kind = PackEvent::Alarm;
        e.code = bit;
        e.key = EventNames::key(e.kind, bit);
        many << e;
    }
    const QString line = problems(many);
    QVERIFY(line.size() <= 255);
    QVERIFY(line.endsWith(QStringLiteral("; …")));
    QVERIFY(line.startsWith(QStringLiteral("unknown alarm bit 5; unknown alarm bit 6")));
    QVERIFY(line.contains(QRegularExpression(QStringLiteral("bit \\d+; …$"))));
}

namespace {

// Events of every place, ended, stopped and ongoing, as a journal reports them.
QVector<PackEvent> sampleChanges(int address)
{
    EventJournal journal;
    journal.setAddress(address);
    journal.setParameters(parameters());
    EventJournal::Alerts alerts;
    alerts.lowSocPercent = 60;
    journal.setAlerts(alerts);
    AFE r = pack();
    r.sys_statu = 1;
    r.alrt_statu = 0x21;
    journal.take(T0, r, mosOn());
    r = worse();
    r.sys_statu = 8;
    journal.take(T0 + 1500, r, mosOn());
    r.sys_statu = 13;
    journal.take(T0 + 2000, r, mosOn());
    journal.missed(T0 + 3000);
    journal.missed(T0 + 4000);
    journal.missed(T0 + 5000);
    journal.stop(T0 + 6000);
    r.sys_statu = 5;
    r.soc = 70;
    journal.take(T0 + 7000, r, mosOn());
    return journal.takeChanges();
}

// What a read-back event holds of an event the journal reported last.
void compareEvent(const PackEvent &read, const PackEvent &written)
{
    QCOMPARE(read.id, qint64(0));
    QCOMPARE(read.address, written.address);
    QCOMPARE(read.kind, written.kind);
    QCOMPARE(read.code, written.code);
    QCOMPARE(read.key, written.key);
    QCOMPARE(read.startMs, written.startMs);
    QCOMPARE(read.endMs, written.endMs);
    QCOMPARE(read.place, written.place);
    QCOMPARE(read.where, written.where);
    QCOMPARE(read.valueStart, written.valueStart);
    QCOMPARE(read.worst, written.worst);
    QCOMPARE(read.hasThreshold, written.hasThreshold);
    QCOMPARE(read.threshold, written.threshold);
}

QByteArray contentsOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void TestEventJournal::fileRoundTrip()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("sub/folder"); // made when missing
    const QVector<PackEvent> changes = sampleChanges(1);
    {
        EventFile file(folder, 1);
        QVERIFY2(file.isOpen(), qPrintable(file.errorString()));
        for (const PackEvent &c : changes)
            QVERIFY(file.append(c));
    }
    const QString path = QDir(folder).filePath("events-pack01.csv");
    const QByteArray bytes = contentsOf(path);
    QVERIFY(bytes.startsWith(EventFile::header() + '\n'));
    QVERIFY(bytes.contains(",\"cell over-voltage, cell 7 at 3,702 mV, trip 3,650 mV\"\n"));
    QVERIFY(bytes.contains(",sensor,3,45.23,45.23,45.00,°C,"));

    // Every event once, as it was last reported; the one never ended has its end unknown.
    const EventFile::ReadBack back = EventFile::read(path);
    QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
    QCOMPARE(back.skippedLines, 0);
    QVector<PackEvent> last;
    for (const PackEvent &c : changes) {
        auto same = [&c](const PackEvent &e) { return e.id == c.id; };
        const auto it = std::find_if(last.begin(), last.end(), same);
        if (it == last.end())
            last << c;
        else
            *it = c;
    }
    std::stable_sort(last.begin(), last.end(),
                     [](const PackEvent &a, const PackEvent &b) { return a.startMs < b.startMs; });
    QCOMPARE(back.events.size(), last.size());
    for (int i = 0; i < last.size(); ++i)
        compareEvent(back.events[i], last[i]);
    QCOMPARE(back.events.last().key, QStringLiteral("cell_over_voltage"));
    QVERIFY(back.events.last().endUnknown && back.events.last().endMs < 0);
    QCOMPARE(back.events.last().durationMs(T0 + 99000), qint64(0));
    const auto stopped = std::count_if(back.events.begin(), back.events.end(),
                                       [](const auto &e) { return e.endUnknown && e.endMs >= 0; });
    QCOMPARE(stopped, 3); // low charge, pack over-voltage, the link

    // Opened again, the file goes on after its last line.
    {
        EventFile again(folder, 1);
        QVERIFY(again.append(changes.first()));
    }
    QCOMPARE(contentsOf(path), bytes + EventFile::line(changes.first()));
}

void TestEventJournal::fileAfterACrash()
{
    QTemporaryDir dir;
    const QVector<PackEvent> changes = sampleChanges(2);
    const QString path = dir.filePath("events-pack02.csv");
    {
        EventFile file(dir.path(), 2);
        for (int i = 0; i < 4; ++i)
            file.append(changes[i]);
    }
    // Killed in the middle of a line (a full disk cuts a write the same way).
    const QByteArray cut = EventFile::line(changes[4]).left(40);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write(cut);
    }
    EventFile::ReadBack back = EventFile::read(path);
    QCOMPARE(back.skippedLines, 1);
    QCOMPARE(back.events.size(), 4);

    // Started again: the half line stays one line of its own, and the new ones are whole.
    {
        EventFile file(dir.path(), 2);
        for (int i = 4; i < changes.size(); ++i)
            QVERIFY(file.append(changes[i]));
    }
    QVERIFY(contentsOf(path).contains(cut + '\n' + EventFile::line(changes[4])));
    back = EventFile::read(path);
    QCOMPARE(back.skippedLines, 1);
    const auto starts = std::count_if(changes.begin(), changes.end(),
                                      [](const PackEvent &c) { return c.endMs < 0; });
    QCOMPARE(back.events.size(), int(starts));
}

void TestEventJournal::fileEndWithoutStartAndLastN()
{
    QTemporaryDir dir;
    const QVector<PackEvent> changes = sampleChanges(4);
    // Only the end and stop lines: each stands for its whole event.
    QByteArray bytes = EventFile::header() + '\n';
    int ends = 0;
    for (const PackEvent &c : changes) {
        if (c.endMs >= 0) {
            bytes += EventFile::line(c);
            ++ends;
        }
    }
    bytes += "start,not a line of ours\n";
    const QString path = dir.filePath("events.csv");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    EventFile::ReadBack back = EventFile::read(path);
    QCOMPARE(back.events.size(), ends);
    QCOMPARE(back.skippedLines, 1);
    QVERIFY(back.events.first().endMs >= 0);

    back = EventFile::read(path, 2);
    QCOMPARE(back.events.size(), 2);
    QCOMPARE(back.events.last().startMs, EventFile::read(path).events.last().startMs);
    QCOMPARE(EventFile::read(path, 0).events.size(), 0);
}

void TestEventJournal::fileRefusesOtherFormats_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("a recording") << QByteArray("Time,Pack,Cell 1\n2026-01-01,1,3300\n")
                                 << "first line";
    QTest::newRow("a header cut short") << EventFile::header().left(30) << "first line";
    QTest::newRow("bytes") << QByteArray("\x00\xff\xfe\x01\n\n", 6) << "first line";
}

void TestEventJournal::fileRefusesOtherFormats()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    QTranslator english;
    QVERIFY(english.load(QCoreApplication::applicationDirPath() + "/KORVA_Lang.qm"));
    QCoreApplication::installTranslator(&english);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.csv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
    f.close();
    const EventFile::ReadBack back = EventFile::read(path);
    QVERIFY(back.events.isEmpty());
    QVERIFY2(back.error.contains(reason), qPrintable(back.error));
    QVERIFY(!EventFile::read(dir.filePath("missing.csv")).error.isEmpty());
}

void TestEventJournal::fileOfAnotherKindIsLeftAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("events-pack05.csv");
    const QByteArray theirs("somebody's own notes\n");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(theirs);
    }
    EventFile file(dir.path(), 5);
    QVERIFY(!file.isOpen());
    QVERIFY(file.errorString().contains(QStringLiteral("events-pack05.csv")));
    QVERIFY(!file.append(sampleChanges(5).first()));
    QCOMPARE(contentsOf(path), theirs);

    // A header cut short by a crash while the file was made is started anew.
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(EventFile::header().left(12));
    }
    EventFile fresh(dir.path(), 5);
    QVERIFY(fresh.isOpen());
    QCOMPARE(contentsOf(path), EventFile::header() + '\n');
}

void TestEventJournal::filesOfAFolderTryAgainAtTheNextEvent()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("recordings");
    // A file stands where the folder should be.
    {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const QVector<PackEvent> changes = sampleChanges(2);
    EventFiles files;
    files.setFolder(folder);
    QString error, english;
    QVERIFY(!files.append(changes.at(0), &error, &english));
    QVERIFY2(english.contains(QDir::toNativeSeparators(folder)), qPrintable(english));
    QVERIFY(!error.isEmpty());

    // The folder can be made now: the next event opens the file and is kept.
    QVERIFY(QFile::remove(folder));
    QVERIFY(files.append(changes.at(1)));
    const EventFile::ReadBack back = EventFile::read(files.path(2));
    QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
    QCOMPARE(back.events.size(), 1);

    // Another folder: the files of the last one are left, the pack's next event goes there.
    files.setFolder(dir.filePath("elsewhere"));
    QVERIFY(files.append(changes.at(0)));
    QVERIFY(QFile::exists(QDir(dir.filePath("elsewhere")).filePath("events-pack02.csv")));
}

QTEST_GUILESS_MAIN(TestEventJournal)
#include "tst_eventjournal.moc"
