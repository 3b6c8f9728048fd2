#include "hadiscovery.h"

#include "eventjournal.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace HaDiscovery {

namespace {

// Topic levels and node ids keep to letters, digits, '_' and '-'; anything else (a '/', a
// wildcard, a space) becomes '_'.
QString topicSafe(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
            || u == '_' || u == '-';
        if (!ok)
            c = QLatin1Char('_');
    }
    return out;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// An entity id's object part as Home Assistant accepts it: lower-case letters and digits, runs of
// anything else as one '_', none at either end.
QString entitySlug(const QString &text)
{
    QString out;
    bool gap = false;
    for (const QChar c : text.toLower()) {
        const ushort u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')) {
            if (gap && !out.isEmpty())
                out += QLatin1Char('_');
            gap = false;
            out += c;
        } else {
            gap = true;
        }
    }
    return out;
}

struct Entity
{
    QString object;
    QString name;
    const char *component; // "sensor" or "binary_sensor"
    const char *deviceClass; // nullptr: none
    const char *stateClass;
    const char *unit;
    QString valueTemplate;
    QString attributesTemplate; // empty: none
    bool diagnostic = false; // about the board and the link rather than the pack's job
    const char *icon = nullptr;
    // An event entity: fired by each message on the pack's event topic, whose payload names its
    // event_type; it has no value to read and nothing to expire.
    bool event = false;
};

void appendSensor(QVector<Entity> *list, const QString &object, const QString &name,
                  const char *deviceClass, const char *stateClass, const char *unit,
                  const QString &value)
{
    list->append({ object, name, "sensor", deviceClass, stateClass, unit, value, QString() });
}

// The current, power and state of charge, a pack's and the bank's alike.
void appendFlows(QVector<Entity> *list)
{
    const char *measurement = "measurement";
    appendSensor(list, "current", "Current", "current", measurement, "A",
                 "{{ value_json.current }}");
    appendSensor(list, "power", "Power", "power", measurement, "W", "{{ value_json.power }}");
    appendSensor(list, "soc", "State of charge", "battery", measurement, "%",
                 "{{ value_json.soc }}");
}

// What went in and out since the books started: the Energy dashboard takes these as a battery's
// energy in and out.
void appendEnergy(QVector<Entity> *list)
{
    appendSensor(list, "energy_charged", "Energy charged", "energy", "total_increasing", "kWh",
                 "{{ value_json.energy.total.charged_kwh }}");
    appendSensor(list, "energy_discharged", "Energy discharged", "energy", "total_increasing",
                 "kWh", "{{ value_json.energy.total.discharged_kwh }}");
}

QVector<Entity> entities(int cells)
{
    QVector<Entity> list;
    const auto sensor = [&list](auto &&...field) { appendSensor(&list, field...); };
    const char *measurement = "measurement";
    sensor("voltage", "Voltage", "voltage", measurement, "V", "{{ value_json.voltage }}");
    appendFlows(&list);
    // Home Assistant has no device class for a charge in Ah.
    sensor("remaining_capacity", "Remaining capacity", nullptr, measurement, "Ah",
           "{{ value_json.remaining_capacity }}");
    for (int i = 0; i < cells; ++i)
        sensor("cell_" + twoDigits(i + 1), QStringLiteral("Cell %1").arg(i + 1), "voltage",
               measurement, "mV", QStringLiteral("{{ value_json.cells[%1] }}").arg(i));
    sensor("cell_min", "Lowest cell", "voltage", measurement, "mV", "{{ value_json.cell_min }}");
    list.last().attributesTemplate = "{{ {'cell': value_json.cell_min_no} | tojson }}";
    sensor("cell_max", "Highest cell", "voltage", measurement, "mV", "{{ value_json.cell_max }}");
    list.last().attributesTemplate = "{{ {'cell': value_json.cell_max_no} | tojson }}";
    sensor("cell_diff", "Cell difference", "voltage", measurement, "mV",
           "{{ value_json.cell_diff }}");
    const QString temperatureNames[6] = { "Environment temperature", "MOSFET temperature",
                                          "Temperature 1",           "Temperature 2",
                                          "Temperature 3",           "Temperature 4" };
    const QString temperatureObjects[6] = { "temp_env", "temp_mosfet", "temp_1",
                                            "temp_2",   "temp_3",      "temp_4" };
    for (int i = 0; i < 6; ++i) {
        sensor(temperatureObjects[i], temperatureNames[i], "temperature", measurement, "\u00b0C",
               QStringLiteral("{{ value_json.temperatures[%1] }}").arg(i));
        list.last().diagnostic = i < 2; // the board's own and the air around it
    }
    sensor("cycles", "Cycles", nullptr, "total_increasing", nullptr, "{{ value_json.cycles }}");
    list.last().diagnostic = true;
    // Measured where the session times its requests (a bus of packs); unknown otherwise.
    sensor("round_trip", "Round trip", "duration", measurement, "ms",
           "{{ value_json.round_trip_ms if value_json.round_trip_ms is defined else none }}");
    list.last().diagnostic = true;
    appendEnergy(&list);
    // The cells' health: the cell named as wearing out (none while every cell is alike or too few
    // current steps were seen) and the highest internal resistance with its cell.
    sensor("weak_cell", "Weakest cell", nullptr, nullptr, nullptr,
           "{{ value_json.health.weak_cell if value_json.health is defined else none }}");
    list.last().attributesTemplate =
        "{{ {'high_resistance_cells': value_json.health.high_resistance_cells, "
        "'steps': value_json.health.steps} | tojson if value_json.health is defined else '{}' }}";
    list.last().diagnostic = true;
    sensor("cell_resistance_max", "Highest cell resistance", nullptr, measurement, "m\u03a9",
           "{{ value_json.health.highest_resistance_mohm if value_json.health is defined "
           "else none }}");
    list.last().attributesTemplate =
        "{{ {'cell': value_json.health.highest_resistance_cell, 'median_mohm': "
        "value_json.health.median_mohm} | tojson if value_json.health is defined else '{}' }}";
    list.last().diagnostic = true;
    // What is ongoing, for an automation or a card to show with the cell's number.
    sensor("problems", "Problems", nullptr, nullptr, nullptr, "{{ value_json.problems }}");
    list.last().attributesTemplate = "{{ {'ongoing': value_json.events_ongoing} | tojson }}";
    list.last().icon = "mdi:alert";
    for (const char *key : { "protection", "alarm" }) {
        const QString k = QLatin1String(key);
        list.append({ k, k == "alarm" ? QStringLiteral("Alarm") : QStringLiteral("Protection"),
                      "binary_sensor", "problem", nullptr, nullptr,
                      "{{ 'ON' if value_json." + k + ".active|length > 0 else 'OFF' }}",
                      "{{ {'code': value_json." + k + ".code, 'active': value_json." + k
                          + ".active} | tojson }}" });
    }
    for (const char *key : { "charge_mosfet", "discharge_mosfet" }) {
        const QString k = QLatin1String(key);
        list.append({ k,
                      k == "charge_mosfet" ? QStringLiteral("Charge MOSFET")
                                           : QStringLiteral("Discharge MOSFET"),
                      "binary_sensor", nullptr, nullptr, nullptr,
                      "{{ 'ON' if value_json." + k + " else 'OFF' }}", QString() });
    }
    Entity events{ "events", "Events", "event", nullptr, nullptr, nullptr, QString(), QString() };
    events.icon = "mdi:alert-circle";
    events.event = true;
    list.append(events);
    return list;
}

QString configTopic(const QString &discoveryPrefix, const char *component, const QString &node,
                    const QString &object)
{
    return QStringLiteral("%1/%2/%3/%4/config")
        .arg(discoveryPrefix, QLatin1String(component), node, object);
}

} // namespace

int expireAfterS(int periodMs)
{
    const qint64 threePeriodsS = (3 * qint64(std::max(periodMs, 0)) + 999) / 1000;
    return int(std::max<qint64>(threePeriodsS, MinExpireAfterS));
}

QString packName(int address)
{
    return "pack" + twoDigits(address);
}

QString stateTopic(const QString &prefix, int address)
{
    return prefix + '/' + packName(address) + "/state";
}

QString eventTopic(const QString &prefix, int address)
{
    return prefix + '/' + packName(address) + "/event";
}

QString availabilityTopic(const QString &prefix, int address)
{
    return prefix + '/' + packName(address) + "/availability";
}

QString loggerAvailabilityTopic(const QString &prefix, const QString &loggerId)
{
    return prefix + "/logger/" + topicSafe(loggerId) + "/availability";
}

QString nodeId(const QString &prefix, int address)
{
    return topicSafe(prefix) + '_' + packName(address);
}

int presentCells(const QJsonObject &state)
{
    return state.value(QLatin1String("cells")).toArray().size();
}

QStringList objectIds(int cells)
{
    QStringList ids;
    for (const Entity &e : entities(cells))
        ids.append(e.object);
    return ids;
}

namespace {

QJsonObject originObject(const Origin &o)
{
    QJsonObject origin{ { "name", o.name } };
    if (!o.swVersion.isEmpty())
        origin.insert("sw_version", o.swVersion);
    if (!o.supportUrl.isEmpty())
        origin.insert("support_url", o.supportUrl);
    return origin;
}

// eventTopic: where an event entity reads; empty for a device without one.
QVector<Message> messages(const Settings &settings, const QString &node, const QString &state,
                          const QJsonArray &availability, const QJsonObject &device,
                          const QVector<Entity> &list, const QString &eventTopic = QString())
{
    const QJsonObject origin = originObject(settings.origin);
    QVector<Message> out;
    for (const Entity &e : list) {
        // The unique id stays as it always was: Home Assistant keeps an entity by it.
        const QString id = node + '_' + e.object;
        QJsonObject config{
            { "name", e.name },
            { "unique_id", id },
            { "default_entity_id", QString::fromLatin1(e.component) + '.' + entitySlug(id) },
            { "state_topic", e.event ? eventTopic : state },
            { "availability", availability },
            { "availability_mode", "all" },
            { "device", device },
            { "origin", origin },
        };
        if (e.event) {
            config.insert("event_types", QJsonArray::fromStringList(EventNames::keys()));
        } else {
            config.insert("value_template", e.valueTemplate);
            config.insert("expire_after", settings.expireAfterS);
        }
        if (e.icon)
            config.insert("icon", e.icon);
        if (e.deviceClass)
            config.insert("device_class", e.deviceClass);
        if (e.stateClass)
            config.insert("state_class", e.stateClass);
        if (e.unit)
            config.insert("unit_of_measurement", QString::fromUtf8(e.unit));
        if (e.diagnostic)
            config.insert("entity_category", "diagnostic");
        if (!e.attributesTemplate.isEmpty()) {
            config.insert("json_attributes_topic", state);
            config.insert("json_attributes_template", e.attributesTemplate);
        }
        out.append({ configTopic(settings.discoveryPrefix, e.component, node, e.object),
                     QJsonDocument(config).toJson(QJsonDocument::Compact) });
    }
    return out;
}

QVector<Entity> bankEntities()
{
    QVector<Entity> list;
    const auto sensor = [&list](auto &&...field) { appendSensor(&list, field...); };
    const char *measurement = "measurement";
    appendFlows(&list);
    list.last().attributesTemplate = "{{ {'weighting': value_json.soc_weighting} | tojson }}";
    sensor("cell_min", "Lowest cell", "voltage", measurement, "mV",
           "{{ value_json.cell_min if value_json.cell_min is defined else none }}");
    list.last().attributesTemplate =
        "{{ {'pack': value_json.cell_min_pack, 'cell': value_json.cell_min_no} | tojson "
        "if value_json.cell_min is defined else {} | tojson }}";
    appendEnergy(&list);
    return list;
}

} // namespace

QVector<Message> configs(const Settings &settings, int address, int cells)
{
    const QString node = nodeId(settings.prefix, address);
    const QJsonArray availability{
        QJsonObject{ { "topic", availabilityTopic(settings.prefix, address) } },
        QJsonObject{ { "topic", loggerAvailabilityTopic(settings.prefix, settings.loggerId) } },
    };
    const QJsonObject device{
        { "identifiers", QJsonArray{ node } },
        { "name", QStringLiteral("Arvex pack %1").arg(twoDigits(address)) },
        { "manufacturer", "Arvex" },
        { "model", "Battery management board" },
    };
    return messages(settings, node, stateTopic(settings.prefix, address), availability, device,
                    entities(cells), eventTopic(settings.prefix, address));
}

QString bankStateTopic(const QString &prefix)
{
    return prefix + "/bank/state";
}

QString bankNodeId(const QString &prefix)
{
    return topicSafe(prefix) + "_bank";
}

QStringList bankObjectIds()
{
    QStringList ids;
    for (const Entity &e : bankEntities())
        ids.append(e.object);
    return ids;
}

QVector<Message> bankConfigs(const Settings &settings)
{
    const QString node = bankNodeId(settings.prefix);
    // The bank is there while its logger is.
    const QJsonArray availability{
        QJsonObject{ { "topic", loggerAvailabilityTopic(settings.prefix, settings.loggerId) } },
    };
    const QJsonObject device{
        { "identifiers", QJsonArray{ node } },
        { "name", "Arvex bank" },
        { "manufacturer", "Arvex" },
        { "model", "Battery bank" },
    };
    return messages(settings, node, bankStateTopic(settings.prefix), availability, device,
                    bankEntities());
}

} // namespace HaDiscovery
