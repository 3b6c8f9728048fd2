// Home Assistant discovery: every entity's config, and every template reading a key the state
// really has.
#include "hadiscovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

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
        { "job", status },
        { "balancing", QJsonArray() },
        { "cycles", 3 },
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
    const auto messages = HaDiscovery::configs("arvex", "pi", 7, cells);
    const QStringList ids = HaDiscovery::objectIds(cells);
    QCOMPARE(messages.size(), 4 + cells + 3 + 6 + 1 + 2);
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
        const bool binary = ids[i] == "protection" || ids[i] == "alarm";
        QCOMPARE(m.topic,
                 QString("homeassistant/%1/arvex_pack07/%2/config")
                     .arg(binary ? "binary_sensor" : "sensor", ids[i]));
        QCOMPARE(c.value("unique_id").toString(), "arvex_pack07_" + ids[i]);
        QCOMPARE(c.value("object_id").toString(), "arvex_pack07_" + ids[i]);
        uniqueIds.insert(c.value("unique_id").toString());
        QVERIFY(!c.value("name").toString().isEmpty());
        QCOMPARE(c.value("state_topic").toString(), QString("arvex/pack07/state"));
        QCOMPARE(c.value("availability_mode").toString(), QString("all"));
        const QJsonArray availability = c.value("availability").toArray();
        QCOMPARE(availability.size(), 2);
        QCOMPARE(availability[1].toObject().value("topic").toString(),
                 QString("arvex/logger/pi/availability"));
        QCOMPARE(c.value("device").toObject().value("identifiers").toArray().first().toString(),
                 QString("arvex_pack07"));
        if (binary)
            QCOMPARE(c.value("device_class").toString(), QString("problem"));
        else
            QVERIFY(ids[i] == "cycles" || !c.value("unit_of_measurement").toString().isEmpty());

        // Every key a template reads is in the state.
        for (const char *key : { "value_template", "json_attributes_template" }) {
            auto it = reads.globalMatch(c.value(key).toString());
            QVERIFY(QString(key) != "value_template" || it.hasNext());
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
        const QJsonObject last = QJsonDocument::fromJson(messages[3 + cells].payload).object();
        QCOMPARE(last.value("value_template").toString(),
                 QString("{{ value_json.cells[%1] }}").arg(cells - 1));
        QCOMPARE(last.value("unit_of_measurement").toString(), QString("mV"));
    }
}

QTEST_APPLESS_MAIN(TestHaDiscovery)
#include "tst_hadiscovery.moc"
