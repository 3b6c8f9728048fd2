// Home Assistant discovery: every entity's config as Home Assistant reads it today (unique and
// default entity ids, origin, expiry, categories), and every template reading a key the state
// really has.
#include "bankstate.h"
#include "eventjournal.h"
#include "hadiscovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QJsonObject energyState()
{
    const QJsonObject totals{ { "charged_ah", 1.5 },
                              { "discharged_ah", 1.0 },
                              { "charged_kwh", 0.08 },
                              { "discharged_kwh", 0.05 } };
    return QJsonObject{ { "since", "2026-12-01" },
                        { "total", totals },
                        { "today", totals },
                        { "cycles_equivalent", 0.01 } };
}

// A state with every key the logger writes, 3 cells.
QJsonObject sampleState()
{
    const QJsonObject status{ { "code", 0 }, { "active", QJsonArray() } };
    return QJsonObject{
        { "time", "2026-12-08T10:15:30.123+01:00" },
        { "address", 1 },
        { "seq", 1 },
        { "voltage", 10.0 },
        { "current", -1.0 },
        { "power", -10.0 },
        { "soc", 50 },
        { "remaining_capacity", 40.5 },
        { "cells", QJsonArray{ 3300, 3310, 3320 } },
        { "cell_min", 3300 },
        { "cell_min_no", 1 },
        { "cell_max", 3320 },
        { "cell_max_no", 3 },
        { "cell_diff", 20 },
        { "temperatures", QJsonArray{ 1, 2, 3, 4, 5, 6 } },
        { "protection", status },
        { "alarm", status },
        { "system", status },
        { "charge_mosfet", true },
        { "discharge_mosfet", false },
        { "job", status },
        { "balancing", QJsonArray() },
        { "cycles", 3 },
        { "round_trip_ms", 21 },
        { "energy", energyState() },
        { "health",
          QJsonObject{ { "steps", 12 },
                       { "weak_cell", 2 },
                       { "high_resistance_cells", QJsonArray{ 2 } },
                       { "highest_resistance_mohm", 0.8 },
                       { "highest_resistance_cell", 2 },
                       { "median_mohm", 0.3 } } },
        { "problems", "cell over-voltage (cell 7)" },
        { "events_ongoing", 1 },
    };
}

// Whether value_json.<key>[<index>].<member> names something in state.
bool resolves(const QJsonObject &state, const QString &key, const QString &index,
              const QString &member)
{
    QJsonValue v = state.value(key);
    if (!index.isEmpty())
        v = v.toArray().at(index.toInt());
    if (!member.isEmpty())
        v = v.toObject().value(member);
    return !v.isUndefined() && !v.isNull();
}

} // namespace

class TestHaDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void topics();
    void everyEntity_data();
    void everyEntity();
    void eventsAndProblems();
    void entityIds_data();
    void entityIds();
    void expiry();
    void bank();
};

void TestHaDiscovery::topics()
{
    QCOMPARE(HaDiscovery::stateTopic("arvex", 5), QString("arvex/pack05/state"));
    QCOMPARE(HaDiscovery::availabilityTopic("site/b", 12), QString("site/b/pack12/availability"));
    QCOMPARE(HaDiscovery::loggerAvailabilityTopic("arvex", "pi.local"),
             QString("arvex/logger/pi_local/availability"));
    QCOMPARE(HaDiscovery::nodeId("arvex", 1), QString("arvex_pack01"));
    // A node id is one topic level of letters, digits, '_' and '-'.
    QCOMPARE(HaDiscovery::nodeId("site/b c+#", 3), QString("site_b_c___pack03"));
    QCOMPARE(HaDiscovery::presentCells(sampleState()), 3);
    QCOMPARE(HaDiscovery::presentCells(QJsonObject()), 0);
}

void TestHaDiscovery::everyEntity_data()
{
    QTest::addColumn<int>("cells");
    QTest::newRow("no cells reported") << 0;
    QTest::newRow("3 cells") << 3;
    QTest::newRow("16 cells") << 16;
}

void TestHaDiscovery::everyEntity()
{
    QFETCH(int, cells);
    HaDiscovery::Settings settings;
    settings.discoveryPrefix = "ha/test";
    settings.loggerId = "pi";
    settings.expireAfterS = 45;
    settings.origin = { "arvex-logger", "1.09", "https://example.org/arvex" };
    const auto messages = HaDiscovery::configs(settings, 7, cells);
    const QStringList ids = HaDiscovery::objectIds(cells);
    // voltage, current, power, soc, capacity; the cells; lowest, highest, difference; six
    // temperatures; cycles, round trip; energy in and out; the weak cell, the highest
    // resistance; the problems; four binary sensors; the events.
    QCOMPARE(messages.size(), 5 + cells + 3 + 6 + 2 + 2 + 2 + 1 + 4 + 1);
    QCOMPARE(ids.size(), messages.size());
    QCOMPARE(ids.count("cell_01"), cells > 0 ? 1 : 0);

    QJsonObject state = sampleState();
    QJsonArray mv;
    for (int i = 0; i < cells; ++i)
        mv.append(3300 + i);
    state.insert("cells", mv);

    QSet<QString> uniqueIds;
    const QRegularExpression reads(R"(value_json\.(\w+)(?:\[(\d+)\])?(?:\.(\w+))?)");
    for (int i = 0; i < messages.size(); ++i) {
        const HaDiscovery::Message &m = messages[i];
        const QJsonObject c = QJsonDocument::fromJson(m.payload).object();
        const bool problem = ids[i] == "protection" || ids[i] == "alarm";
        const bool binary = problem || ids[i] == "charge_mosfet" || ids[i] == "discharge_mosfet";
        const bool event = ids[i] == "events";
        const QString component = event ? "event" : binary ? "binary_sensor" : "sensor";
        QCOMPARE(m.topic, QString("ha/test/%1/arvex_pack07/%2/config").arg(component, ids[i]));
        // The unique id as it always was, so existing entities stay; the entity id in full.
        QCOMPARE(c.value("unique_id").toString(), "arvex_pack07_" + ids[i]);
        QCOMPARE(c.value("default_entity_id").toString(), component + ".arvex_pack07_" + ids[i]);
        QVERIFY(!c.contains("object_id"));
        uniqueIds.insert(c.value("unique_id").toString());
        const QJsonObject origin = c.value("origin").toObject();
        QCOMPARE(origin.value("name").toString(), QString("arvex-logger"));
        QCOMPARE(origin.value("sw_version").toString(), QString("1.09"));
        QCOMPARE(origin.value("support_url").toString(), QString("https://example.org/arvex"));
        // An event happens once: nothing of it expires.
        QCOMPARE(c.value("expire_after").toInt(), event ? 0 : 45);
        const bool diagnostic = ids[i] == "temp_env" || ids[i] == "temp_mosfet"
            || ids[i] == "cycles" || ids[i] == "round_trip" || ids[i] == "weak_cell"
            || ids[i] == "cell_resistance_max";
        QCOMPARE(c.value("entity_category").toString(), QString(diagnostic ? "diagnostic" : ""));
        QVERIFY(!c.value("name").toString().isEmpty());
        QCOMPARE(c.value("state_topic").toString(),
                 QString(event ? "arvex/pack07/event" : "arvex/pack07/state"));
        QCOMPARE(c.value("availability_mode").toString(), QString("all"));
        const QJsonArray availability = c.value("availability").toArray();
        QCOMPARE(availability.size(), 2);
        QCOMPARE(availability[1].toObject().value("topic").toString(),
                 QString("arvex/logger/pi/availability"));
        QCOMPARE(c.value("device").toObject().value("identifiers").toArray().first().toString(),
                 QString("arvex_pack07"));
        // As the Energy dashboard takes a battery's energy in and out.
        if (ids[i].startsWith("energy_")) {
            QCOMPARE(c.value("device_class").toString(), QString("energy"));
            QCOMPARE(c.value("state_class").toString(), QString("total_increasing"));
            QCOMPARE(c.value("unit_of_measurement").toString(), QString("kWh"));
        }
        if (binary)
            QCOMPARE(c.value("device_class").toString(), QString(problem ? "problem" : ""));
        else
            QVERIFY(ids[i] == "cycles" || ids[i] == "weak_cell" || ids[i] == "problems" || event
                    || !c.value("unit_of_measurement").toString().isEmpty());

        // Every key a template reads is in the state.
        for (const char *key : { "value_template", "json_attributes_template" }) {
            auto it = reads.globalMatch(c.value(key).toString());
            QVERIFY(QString(key) != "value_template" || it.hasNext() || event);
            while (it.hasNext()) {
                const auto match = it.next();
                QVERIFY2(resolves(state, match.captured(1), match.captured(2), match.captured(3)),
                         qPrintable(ids[i] + ": " + match.captured(0)));
            }
        }
    }
    QCOMPARE(uniqueIds.size(), messages.size());
    // The last cell reads the last element.
    if (cells > 0) {
        const QJsonObject last = QJsonDocument::fromJson(messages[4 + cells].payload).object();
        QCOMPARE(last.value("value_template").toString(),
                 QString("{{ value_json.cells[%1] }}").arg(cells - 1));
        QCOMPARE(last.value("unit_of_measurement").toString(), QString("mV"));
    }
}

void TestHaDiscovery::eventsAndProblems()
{
    HaDiscovery::Settings settings;
    settings.prefix = "site/b";
    const auto messages = HaDiscovery::configs(settings, 3, 4);
    QCOMPARE(HaDiscovery::eventTopic("site/b", 3), QString("site/b/pack03/event"));

    // The event entity fires one type per kind of event: the payload's event_type, nothing to
    // read out of it with a template (an event entity takes none it does not need).
    const HaDiscovery::Message &events = messages.last();
    QCOMPARE(events.topic, QString("homeassistant/event/site_b_pack03/events/config"));
    const QJsonObject e = QJsonDocument::fromJson(events.payload).object();
    QCOMPARE(e.value("state_topic").toString(), QString("site/b/pack03/event"));
    QVERIFY(!e.contains("value_template") && !e.contains("expire_after"));
    QStringList types;
    for (const QJsonValue v : e.value("event_types").toArray())
        types << v.toString();
    QCOMPARE(types, EventNames::keys());
    QVERIFY(types.contains("cell_over_voltage") && types.contains("link_lost"));
    for (const QString &type : types)
        QVERIFY2(QRegularExpression("^[a-z0-9_]+$").match(type).hasMatch(), qPrintable(type));
    // In the pack's device, available with it.
    QCOMPARE(e.value("device").toObject().value("identifiers").toArray().first().toString(),
             QString("site_b_pack03"));
    QCOMPARE(e.value("availability").toArray().size(), 2);

    // The text sensor shows the line of what is ongoing.
    const int at = HaDiscovery::objectIds(4).indexOf("problems");
    QVERIFY(at >= 0);
    const QJsonObject p = QJsonDocument::fromJson(messages[at].payload).object();
    QCOMPARE(p.value("name").toString(), QString("Problems"));
    QCOMPARE(p.value("icon").toString(), QString("mdi:alert"));
    QCOMPARE(p.value("value_template").toString(), QString("{{ value_json.problems }}"));
    QVERIFY(!p.contains("unit_of_measurement") && !p.contains("state_class"));
}

void TestHaDiscovery::entityIds_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("uniqueId");
    QTest::addColumn<QString>("entityId");

    // Home Assistant takes an entity id of lower-case letters, digits and single '_' only; the
    // unique id stays as the topic-safe node always made it.
    QTest::newRow("default") << "arvex"
                             << "arvex_pack01_voltage"
                             << "sensor.arvex_pack01_voltage";
    QTest::newRow("capitals and a dash") << "Site-B"
                                         << "Site-B_pack01_voltage"
                                         << "sensor.site_b_pack01_voltage";
    QTest::newRow("levels and spaces") << "site/b c"
                                       << "site_b_c_pack01_voltage"
                                       << "sensor.site_b_c_pack01_voltage";
    QTest::newRow("nothing Latin") << QString::fromUtf8("\u7535\u6c60") << "___pack01_voltage"
                                   << "sensor.pack01_voltage";
}

void TestHaDiscovery::entityIds()
{
    QFETCH(QString, prefix);
    QFETCH(QString, uniqueId);
    QFETCH(QString, entityId);
    HaDiscovery::Settings settings;
    settings.prefix = prefix;
    const QJsonObject voltage =
        QJsonDocument::fromJson(HaDiscovery::configs(settings, 1, 0).first().payload).object();
    QCOMPARE(voltage.value("unique_id").toString(), uniqueId);
    QCOMPARE(voltage.value("default_entity_id").toString(), entityId);
}

void TestHaDiscovery::expiry()
{
    // Three polling periods, whole seconds rounded up, never under half a minute.
    const struct
    {
        int periodMs;
        int seconds;
    } cases[] = { { 300, 30 },
                  { 1000, 30 },
                  { 10000, 30 },
                  { 10001, 31 },
                  { 60000, 180 },
                  { 3600000, 10800 },
                  { 0, HaDiscovery::MinExpireAfterS } };
    for (const auto &c : cases)
        QVERIFY2(HaDiscovery::expireAfterS(c.periodMs) == c.seconds,
                 qPrintable(QString::number(c.periodMs)));
}

void TestHaDiscovery::bank()
{
    HaDiscovery::Settings settings;
    settings.loggerId = "pi";
    const auto messages = HaDiscovery::bankConfigs(settings);
    const QStringList ids = HaDiscovery::bankObjectIds();
    QCOMPARE(ids,
             QStringList(
                 { "current", "power", "soc", "cell_min", "energy_charged", "energy_discharged" }));
    QCOMPARE(messages.size(), ids.size());

    // Every template reads a key the bank's state has.
    QVector<BankState::Member> members(2);
    members[0].pack.address = 1;
    members[0].pack.lowestCell = 4;
    members[0].pack.lowestMv = 3200;
    members[0].answering = true;
    members[1].pack.address = 2;
    const QJsonObject state = BankState::build(members, QDateTime::currentDateTime());
    const QRegularExpression reads(R"(value_json\.(\w+)(?:\[(\d+)\])?(?:\.(\w+))?)");
    for (int i = 0; i < messages.size(); ++i) {
        const QJsonObject c = QJsonDocument::fromJson(messages[i].payload).object();
        QCOMPARE(messages[i].topic,
                 QString("homeassistant/sensor/arvex_bank/%1/config").arg(ids[i]));
        QCOMPARE(c.value("state_topic").toString(), QString("arvex/bank/state"));
        QCOMPARE(c.value("device").toObject().value("name").toString(), QString("Arvex bank"));
        QCOMPARE(c.value("availability").toArray().size(), 1);
        if (ids[i].startsWith("energy_")) {
            QCOMPARE(c.value("device_class").toString(), QString("energy"));
            QCOMPARE(c.value("state_class").toString(), QString("total_increasing"));
        }
        auto it = reads.globalMatch(c.value("value_template").toString());
        QVERIFY(it.hasNext());
        while (it.hasNext()) {
            const auto match = it.next();
            QVERIFY2(resolves(state, match.captured(1), match.captured(2), match.captured(3)),
                     qPrintable(ids[i] + ": " + match.captured(0)));
        }
    }
    QVERIFY(state.value("energy").toObject().value("total").toObject().contains("charged_kwh"));
}

QTEST_APPLESS_MAIN(TestHaDiscovery)
#include "tst_hadiscovery.moc"
