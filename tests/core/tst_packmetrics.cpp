// The metrics of the logger's endpoint: the names follow Prometheus's conventions, a pack's state
// maps to the figures in base units (the current signed by the job), every protection and alarm
// is served as 0 or 1 with codes outside the board's tables as "unknown", a pack that stopped
// answering serves no stale figures, and the shipped Grafana dashboard queries only names the
// table holds.
#include "packmetrics.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace PackMetrics;

namespace {

const Series *find(const std::vector<Series> &all, const char *name)
{
    for (const Series &s : all) {
        if (qstrcmp(s.family->name, name) == 0)
            return &s;
    }
    return nullptr;
}

// The value of the sample of name with exactly these labels; NaN when there is none.
double value(const std::vector<Series> &all, const char *name, const Labels &labels)
{
    if (const Series *s = find(all, name)) {
        for (const Sample &sample : s->samples) {
            if (sample.labels == labels)
                return sample.value;
        }
    }
    return std::nan("");
}

// The label values of name's samples that are 1, for pack "1".
QStringList active(const std::vector<Series> &all, const char *name)
{
    QStringList on;
    if (const Series *s = find(all, name)) {
        for (const Sample &sample : s->samples) {
            if (sample.value == 1)
                on << QString::fromStdString(sample.labels.at(1).second);
        }
    }
    return on;
}

Pack answering()
{
    Pack p;
    p.address = 1;
    p.up = true;
    p.hasReply = true;
    p.record.totalv = 52812;
    p.record.cadc = 12505; // a discharge sent as its magnitude
    p.record.job_statu = 2;
    p.record.soc = 81;
    const int cells[] = { 3301, 3298, 3310, 3305, 3307 };
    std::copy(std::begin(cells), std::end(cells), p.record.cell);
    const int ts[] = { 2549, -1050, 3000, 3001, 3004, 3005 };
    std::copy(std::begin(ts), std::end(ts), p.record.ts);
    p.cells = 4; // the fifth is not reported
    p.cycles = 123;
    p.lastReplyAgeSeconds = 0.25;
    p.replies = 40;
    p.timeouts = 2;
    p.crcErrors = 1;
    return p;
}

} // namespace

class TestPackMetrics : public QObject
{
    Q_OBJECT

private slots:
    void namesFollowTheConventions();
    void figuresOfAPack();
    void statusBits_data();
    void statusBits();
    void whatIsServedWithoutAStandingReply();
    void dashboardQueriesServedNames();
};

void TestPackMetrics::namesFollowTheConventions()
{
    static const QRegularExpression name(QStringLiteral("^arvex_[a-z0-9_]+$"));
    QSet<QString> seen;
    for (const Family &f : families()) {
        const QString n = QLatin1String(f.name);
        QVERIFY2(name.match(n).hasMatch(), f.name);
        QVERIFY2(!seen.contains(n), f.name);
        seen << n;
        QVERIFY2(qstrlen(f.help) > 0, f.name);
        QVERIFY2(n.endsWith(QLatin1String("_total")) == (f.kind == Kind::Counter), f.name);
        for (const char *foreign : { "_milli", "_percent", "_kilo", "_hours", "_minutes" })
            QVERIFY2(!n.contains(QLatin1String(foreign)), f.name);
    }
}

void TestPackMetrics::figuresOfAPack()
{
    Bank bank;
    bank.packs.push_back(answering());
    const std::vector<Series> all = collect(bank);
    const Labels pack{ { "pack", "1" } };
    QCOMPARE(value(all, "arvex_pack_up", pack), 1.0);
    QCOMPARE(value(all, "arvex_pack_voltage_volts", pack), 52.812);
    QCOMPARE(value(all, "arvex_pack_current_amperes", pack), -12.505);
    QCOMPARE(value(all, "arvex_pack_power_watts", pack), 52.812 * -12.505);
    QCOMPARE(value(all, "arvex_pack_state_of_charge_ratio", pack), 0.81);
    QCOMPARE(value(all, "arvex_pack_cycles_total", pack), 123.0);
    QCOMPARE(value(all, "arvex_pack_last_reply_age_seconds", pack), 0.25);
    QCOMPARE(value(all, "arvex_pack_replies_total", pack), 40.0);
    QCOMPARE(value(all, "arvex_pack_timeouts_total", pack), 2.0);
    QCOMPARE(value(all, "arvex_pack_crc_errors_total", pack), 1.0);
    // The cells the reply reports, numbered from 1.
    QCOMPARE(find(all, "arvex_pack_cell_voltage_volts")->samples.size(), size_t(4));
    QCOMPARE(value(all, "arvex_pack_cell_voltage_volts", { { "pack", "1" }, { "cell", "4" } }),
             3.305);
    const struct
    {
        const char *sensor;
        double celsius;
    } temperatures[] = { { "environment", 25.49 }, { "mosfet", -10.5 }, { "1", 30.0 },
                         { "2", 30.01 },           { "3", 30.04 },      { "4", 30.05 } };
    for (const auto &t : temperatures)
        QCOMPARE(value(all, "arvex_pack_temperature_celsius",
                       { { "pack", "1" }, { "sensor", t.sensor } }),
                 t.celsius);
    // Families come in the table's order, each once.
    size_t at = 0;
    for (const Series &s : all) {
        while (at < families().size() && &families()[at] != s.family)
            ++at;
        QVERIFY2(at < families().size(), s.family->name);
    }
}

void TestPackMetrics::statusBits_data()
{
    QTest::addColumn<int>("protectionCode");
    QTest::addColumn<int>("alarmWord");
    QTest::addColumn<QStringList>("protections");
    QTest::addColumn<QStringList>("alarms");
    QTest::newRow("all clear") << 0 << 1 << QStringList() << QStringList();
    QTest::newRow("one of each") << 5 << 0xA << QStringList{ "cell_over_voltage" }
                                 << QStringList{ "charge_over_temperature",
                                                 "discharge_over_temperature" };
    QTest::newRow("last of the tables") << 14 << 0x10 << QStringList{ "pack_under_voltage" }
                                        << QStringList{ "discharge_under_temperature" };
    QTest::newRow("PCB, second current stage")
        << 10 << 0 << QStringList{ "pcb_over_temperature" } << QStringList();
    QTest::newRow("outside the tables")
        << 15 << 0x20 << QStringList{ "unknown" } << QStringList{ "unknown" };
    QTest::newRow("negative") << -1 << -1 << QStringList{ "unknown" }
                              << QStringList{ "charge_over_temperature", "charge_under_temperature",
                                              "discharge_over_temperature",
                                              "discharge_under_temperature", "unknown" };
}

void TestPackMetrics::statusBits()
{
    QFETCH(int, protectionCode);
    QFETCH(int, alarmWord);
    QFETCH(QStringList, protections);
    QFETCH(QStringList, alarms);
    Bank bank;
    bank.packs.push_back(answering());
    bank.packs.back().record.sys_statu = protectionCode;
    bank.packs.back().record.alrt_statu = alarmWord;
    const std::vector<Series> all = collect(bank);
    QCOMPARE(active(all, "arvex_pack_protection"), protections);
    QCOMPARE(active(all, "arvex_pack_alarm"), alarms);
    // Every kind is served whatever the code: 14 protections and 4 alarms, and "unknown".
    QCOMPARE(find(all, "arvex_pack_protection")->samples.size(), size_t(15));
    QCOMPARE(find(all, "arvex_pack_alarm")->samples.size(), size_t(5));
}

void TestPackMetrics::whatIsServedWithoutAStandingReply()
{
    Bank bank;
    Pack silent = answering();
    silent.up = false; // left three polls unanswered: its last figures no longer stand
    silent.lastReplyAgeSeconds = 12;
    Pack never;
    never.address = 7;
    never.timeouts = 5;
    bank.packs = { silent, never };
    std::vector<Series> all = collect(bank);
    QStringList names;
    for (const Series &s : all)
        names << QLatin1String(s.family->name);
    QCOMPARE(names,
             (QStringList{ "arvex_pack_up", "arvex_pack_last_reply_age_seconds",
                           "arvex_pack_replies_total", "arvex_pack_timeouts_total",
                           "arvex_pack_crc_errors_total", "arvex_pack_events_ongoing" }));
    QCOMPARE(value(all, "arvex_pack_up", { { "pack", "1" } }), 0.0);
    QCOMPARE(value(all, "arvex_pack_up", { { "pack", "7" } }), 0.0);
    QCOMPARE(value(all, "arvex_pack_last_reply_age_seconds", { { "pack", "1" } }), 12.0);
    QVERIFY(std::isnan(value(all, "arvex_pack_last_reply_age_seconds", { { "pack", "7" } })));
    QCOMPARE(value(all, "arvex_pack_timeouts_total", { { "pack", "7" } }), 5.0);

    // The energy books and the bus cycle are served once they hold a figure.
    bank.packs[0].chargedJoules = 3.6e6;
    bank.packs[0].dischargedJoules = 0;
    bank.cycleSeconds = 0.412;
    all = collect(bank);
    QCOMPARE(value(all, "arvex_pack_charged_energy_joules_total", { { "pack", "1" } }), 3.6e6);
    QCOMPARE(value(all, "arvex_pack_discharged_energy_joules_total", { { "pack", "1" } }), 0.0);
    QCOMPARE(find(all, "arvex_pack_charged_energy_joules_total")->samples.size(), size_t(1));
    QCOMPARE(value(all, "arvex_bus_cycle_duration_seconds", {}), 0.412);

    // A pack away keeps its events: the lost link is one of them, and what started is counted.
    bank.packs[0].eventsOngoing = 2;
    bank.packs[0].eventsStarted = { { "cell_over_voltage", 3 }, { "link_lost", 1 } };
    all = collect(bank);
    QCOMPARE(value(all, "arvex_pack_events_ongoing", { { "pack", "1" } }), 2.0);
    QCOMPARE(value(all, "arvex_pack_events_ongoing", { { "pack", "7" } }), 0.0);
    QCOMPARE(value(all, "arvex_pack_events_started_total",
                   { { "pack", "1" }, { "event_type", "cell_over_voltage" } }),
             3.0);
    QCOMPARE(find(all, "arvex_pack_events_started_total")->samples.size(), size_t(2));
}

// The dashboard shipped in packaging/: valid JSON, and every metric its queries name is one the
// endpoint serves (a renamed family would leave its panels empty without a word).
void TestPackMetrics::dashboardQueriesServedNames()
{
    QFile file(QStringLiteral(ARVEX_DASHBOARD));
    QVERIFY2(file.open(QIODevice::ReadOnly), ARVEX_DASHBOARD);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY(doc.isObject());

    QSet<QString> served;
    for (const Family &f : families())
        served << QLatin1String(f.name);
    // Every query: the panels' targets and the variables' queries, wherever they nest.
    QStringList queries;
    std::function<void(const QJsonValue &)> walk = [&](const QJsonValue &v) {
        if (v.isArray()) {
            for (const QJsonValue &item : v.toArray())
                walk(item);
        } else if (v.isObject()) {
            const QJsonObject o = v.toObject();
            if (o.value(QLatin1String("type")) == QLatin1String("datasource"))
                return; // the variable that picks the Prometheus data source
            for (auto it = o.begin(); it != o.end(); ++it) {
                if ((it.key() == QLatin1String("expr") || it.key() == QLatin1String("query"))
                    && it.value().isString())
                    queries << it.value().toString();
                else if (it.key() == QLatin1String("query") && it.value().isObject())
                    queries << it.value().toObject().value(QLatin1String("query")).toString();
                else
                    walk(it.value());
            }
        }
    };
    walk(doc.object());
    QVERIFY(queries.size() >= 10);
    static const QRegularExpression metric(QStringLiteral("\\barvex_[a-z0-9_]+"));
    for (const QString &query : qAsConst(queries)) {
        auto names = metric.globalMatch(query);
        QVERIFY2(names.hasNext(), qPrintable(query));
        while (names.hasNext()) {
            const QString name = names.next().captured();
            QVERIFY2(served.contains(name), qPrintable(name + QLatin1String(" in ") + query));
        }
    }
}

QTEST_GUILESS_MAIN(TestPackMetrics)
#include "tst_packmetrics.moc"
