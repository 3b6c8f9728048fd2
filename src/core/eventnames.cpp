#include "eventjournal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonValue>
#include <QLocale>

#include <cmath>
#include <iterator>

namespace EventNames {

namespace {

// Every event the journal reports, in the order of keys(). Protections and alarms by their code
// or bit; Unknown stands for every code or bit not listed, told apart by the event's code.
constexpr int Unknown = -1;
struct Name
{
    const char *key;
    PackEvent::Kind kind;
    int code;
    const char *source; // the window's source text
    const char *english;
};
const Name Names[] = {
    { "charge_over_temperature", PackEvent::Protection, 1,
      QT_TRANSLATE_NOOP("EventNames", "充电高温保护"), "charge over-temperature" },
    { "discharge_over_temperature", PackEvent::Protection, 2,
      QT_TRANSLATE_NOOP("EventNames", "放电高温保护"), "discharge over-temperature" },
    { "charge_under_temperature", PackEvent::Protection, 3,
      QT_TRANSLATE_NOOP("EventNames", "充电低温保护"), "charge under-temperature" },
    { "discharge_under_temperature", PackEvent::Protection, 4,
      QT_TRANSLATE_NOOP("EventNames", "放电低温保护"), "discharge under-temperature" },
    { "cell_over_voltage", PackEvent::Protection, 5, QT_TRANSLATE_NOOP("EventNames", "过压保护"),
      "cell over-voltage" },
    { "charge_over_current", PackEvent::Protection, 6,
      QT_TRANSLATE_NOOP("EventNames", "充电过流保护"), "charge over-current" },
    { "cell_under_voltage", PackEvent::Protection, 7, QT_TRANSLATE_NOOP("EventNames", "欠压保护"),
      "cell under-voltage" },
    { "discharge_over_current_1", PackEvent::Protection, 8,
      QT_TRANSLATE_NOOP("EventNames", "一级放电过流保护"), "discharge over-current level 1" },
    { "discharge_over_current_2", PackEvent::Protection, 9,
      QT_TRANSLATE_NOOP("EventNames", "二级放电过流保护"), "discharge over-current level 2" },
    { "pcb_over_temperature", PackEvent::Protection, 10,
      QT_TRANSLATE_NOOP("EventNames", "PCB高温保护"), "PCB over-temperature" },
    { "short_circuit", PackEvent::Protection, 11, QT_TRANSLATE_NOOP("EventNames", "短路保护"),
      "short circuit" },
    { "cell_voltage_difference", PackEvent::Protection, 12,
      QT_TRANSLATE_NOOP("EventNames", "压差保护"), "cell voltage difference" },
    { "pack_over_voltage", PackEvent::Protection, 13, QT_TRANSLATE_NOOP("EventNames", "总过压保护"),
      "pack over-voltage" },
    { "pack_under_voltage", PackEvent::Protection, 14,
      QT_TRANSLATE_NOOP("EventNames", "总欠压保护"), "pack under-voltage" },
    { "unknown_protection", PackEvent::Protection, Unknown,
      QT_TRANSLATE_NOOP("EventNames", "未知保护代码 %1"), "unknown protection code %1" },
    { "charge_high_temperature_alarm", PackEvent::Alarm, 1,
      QT_TRANSLATE_NOOP("EventNames", "充电高温报警"), "charge high-temperature alarm" },
    { "charge_low_temperature_alarm", PackEvent::Alarm, 2,
      QT_TRANSLATE_NOOP("EventNames", "充电低温报警"), "charge low-temperature alarm" },
    { "discharge_high_temperature_alarm", PackEvent::Alarm, 3,
      QT_TRANSLATE_NOOP("EventNames", "放电高温报警"), "discharge high-temperature alarm" },
    { "discharge_low_temperature_alarm", PackEvent::Alarm, 4,
      QT_TRANSLATE_NOOP("EventNames", "放电低温报警"), "discharge low-temperature alarm" },
    { "unknown_alarm", PackEvent::Alarm, Unknown, QT_TRANSLATE_NOOP("EventNames", "未知报警位 %1"),
      "unknown alarm bit %1" },
    { "charge_mosfet_off", PackEvent::Status, 0, QT_TRANSLATE_NOOP("EventNames", "充电MOS关闭"),
      "charge MOSFET off" },
    { "discharge_mosfet_off", PackEvent::Status, 1, QT_TRANSLATE_NOOP("EventNames", "放电MOS关闭"),
      "discharge MOSFET off" },
    { "link_lost", PackEvent::Link, 0, QT_TRANSLATE_NOOP("EventNames", "通信中断"), "link lost" },
    { "cell_spread", PackEvent::Spread, 0, QT_TRANSLATE_NOOP("EventNames", "压差过大"),
      "cell spread high" },
    { "low_charge", PackEvent::LowSoc, 0, QT_TRANSLATE_NOOP("EventNames", "低电量"), "low charge" },
};
constexpr int NameCount = int(std::size(Names));

struct KindName
{
    const char *source;
    const char *english;
};
// By PackEvent::Kind.
const KindName KindNames[] = {
    { QT_TRANSLATE_NOOP("EventNames", "保护"), "protection" },
    { QT_TRANSLATE_NOOP("EventNames", "报警"), "alarm" },
    { QT_TRANSLATE_NOOP("EventNames", "状态"), "status" },
    { QT_TRANSLATE_NOOP("EventNames", "通信"), "link" },
    { QT_TRANSLATE_NOOP("EventNames", "压差"), "spread" },
    { QT_TRANSLATE_NOOP("EventNames", "低电量"), "low charge" },
};
static_assert(std::size(KindNames) == PackEvent::LowSoc + 1, "a name for every kind");

// The index in Names of a kind's code; -1 for a code no event of that kind carries.
int indexOf(PackEvent::Kind kind, int code)
{
    int unknown = -1;
    for (int i = 0; i < NameCount; ++i) {
        if (Names[i].kind != kind)
            continue;
        if (Names[i].code == code)
            return i;
        if (Names[i].code == Unknown)
            unknown = i;
    }
    // Codes and bits are never negative; the MOSFETs and the rest have no unknown ones.
    return code >= 0 ? unknown : -1;
}

QString text(const char *source, const char *english, Language language)
{
    return language == Language::English ? QString::fromUtf8(english)
                                         : QCoreApplication::translate("EventNames", source);
}

// The window's language's numbers; the system's until the window names its language.
QLocale &translatedLocale()
{
    static QLocale locale;
    return locale;
}

QLocale localeOf(Language language)
{
    return language == Language::English ? QLocale(QLocale::English, QLocale::UnitedStates)
                                         : translatedLocale();
}

// A value with decimals, never shown as "-0.0".
QString decimals(const QLocale &locale, double value, int places)
{
    if (std::round(value * std::pow(10.0, places)) == 0)
        value = 0;
    return locale.toString(value, 'f', places);
}

QString isoUtc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

// Where as a plain name for JSON: "TS2", "MOSFET", "ambient".
QString sensorName(int index)
{
    if (index == 0)
        return QStringLiteral("ambient");
    if (index == 1)
        return QStringLiteral("MOSFET");
    return QStringLiteral("TS%1").arg(index - 1);
}

} // namespace

QString key(PackEvent::Kind kind, int code)
{
    const int i = indexOf(kind, code);
    return i < 0 ? QString() : keys().at(i);
}

QStringList keys()
{
    static const QStringList all = [] {
        QStringList k;
        for (const Name &name : Names)
            k.append(QString::fromLatin1(name.key));
        return k;
    }();
    return all;
}

QString title(const PackEvent &event, Language language)
{
    const int i = indexOf(event.kind, event.code);
    if (i < 0)
        return event.key;
    const QString name = text(Names[i].source, Names[i].english, language);
    return Names[i].code == Unknown ? name.arg(event.code) : name;
}

void setLocale(const QLocale &locale)
{
    translatedLocale() = locale;
}

QString where(const PackEvent &event, Language language)
{
    switch (event.place) {
    case PackEvent::Nowhere:
        break;
    case PackEvent::Cell:
    case PackEvent::CellSpread:
        return text(QT_TRANSLATE_NOOP("EventNames", "电芯 %1"), "cell %1", language)
            .arg(event.where);
    case PackEvent::Sensor:
        if (event.where == 0)
            return text(QT_TRANSLATE_NOOP("EventNames", "环境温度传感器"), "ambient sensor",
                        language);
        if (event.where == 1)
            return text(QT_TRANSLATE_NOOP("EventNames", "MOS温度传感器"), "MOSFET sensor",
                        language);
        return text(QT_TRANSLATE_NOOP("EventNames", "温度传感器 TS%1"), "sensor TS%1", language)
            .arg(event.where - 1);
    case PackEvent::Current:
        return text(QT_TRANSLATE_NOOP("EventNames", "电流"), "current", language);
    case PackEvent::PackVoltage:
        return text(QT_TRANSLATE_NOOP("EventNames", "总电压"), "pack voltage", language);
    case PackEvent::Charge:
        return text(QT_TRANSLATE_NOOP("EventNames", "电量"), "state of charge", language);
    }
    return QString();
}

QString value(const PackEvent &event, int value, Language language)
{
    const QLocale locale = localeOf(language);
    switch (event.place) {
    case PackEvent::Nowhere:
        break;
    case PackEvent::Cell:
    case PackEvent::CellSpread:
        return locale.toString(value) + QStringLiteral(" mV");
    case PackEvent::Sensor:
        return decimals(locale, value / 100.0, 1) + QStringLiteral(" °C");
    case PackEvent::Current:
        return decimals(locale, value / 1000.0, 1) + QStringLiteral(" A");
    case PackEvent::PackVoltage:
        return decimals(locale, value / 1000.0, 2) + QStringLiteral(" V");
    case PackEvent::Charge:
        return locale.toString(value) + QStringLiteral(" %");
    }
    return QString();
}

QString describe(const PackEvent &event, Language language)
{
    QString line = title(event, language);
    if (event.place == PackEvent::Nowhere)
        return line;
    const QString at = value(event, event.valueStart, language);
    if (event.place == PackEvent::CellSpread)
        line = text(QT_TRANSLATE_NOOP("EventNames", "%1，%2，%3 偏离最大"), "%1, %2, %3 stands out",
                    language)
                   .arg(line, at, where(event, language));
    else
        line = text(QT_TRANSLATE_NOOP("EventNames", "%1，%2 为 %3"), "%1, %2 at %3", language)
                   .arg(line, where(event, language), at);
    if (event.worst != event.valueStart)
        line += text(QT_TRANSLATE_NOOP("EventNames", "，最差 %1"), ", worst %1", language)
                    .arg(value(event, event.worst, language));
    if (event.hasThreshold) {
        const QString threshold = value(event, event.threshold, language);
        if (event.kind == PackEvent::Protection)
            line += text(QT_TRANSLATE_NOOP("EventNames", "，保护阈值 %1"), ", trip %1", language)
                        .arg(threshold);
        else if (event.kind == PackEvent::Alarm)
            line +=
                text(QT_TRANSLATE_NOOP("EventNames", "，报警阈值 %1"), ", alarm point %1", language)
                    .arg(threshold);
        else
            line += text(QT_TRANSLATE_NOOP("EventNames", "，设定值 %1"), ", limit %1", language)
                        .arg(threshold);
    }
    return line;
}

QString kindName(PackEvent::Kind kind, Language language)
{
    if (kind < PackEvent::Protection || kind > PackEvent::LowSoc)
        return QString();
    return text(KindNames[kind].source, KindNames[kind].english, language);
}

QString problems(const QVector<PackEvent> &ongoing, Language language)
{
    constexpr int Most = 255; // what Home Assistant keeps of a state
    const QString more = QStringLiteral("; …");
    QString line;
    for (int i = 0; i < ongoing.size(); ++i) {
        QString item = title(ongoing[i], language);
        const QString place = where(ongoing[i], language);
        if (!place.isEmpty())
            item += QStringLiteral(" (") + place + QLatin1Char(')');
        const QString next = line.isEmpty() ? item : line + QStringLiteral("; ") + item;
        // The last one may take the room kept for the mark that more were left out.
        const int room = i + 1 == ongoing.size() ? Most : Most - more.size();
        if (next.size() > room) {
            if (line.isEmpty())
                return item.left(Most - 1) + QChar(0x2026);
            return line + more;
        }
        line = next;
    }
    return line.isEmpty() ? QStringLiteral("none") : line;
}

QJsonObject toJson(const PackEvent &event)
{
    QJsonObject o;
    if (event.id > 0)
        o.insert(QStringLiteral("id"), event.id);
    o.insert(QStringLiteral("pack"), event.address);
    o.insert(QStringLiteral("event_type"), event.key);
    o.insert(QStringLiteral("kind"), kindName(event.kind, Language::English));
    o.insert(QStringLiteral("code"), event.code);
    o.insert(QStringLiteral("text"), describe(event, Language::English));
    o.insert(QStringLiteral("where"), where(event, Language::English));
    if (event.place == PackEvent::Cell || event.place == PackEvent::CellSpread)
        o.insert(QStringLiteral("cell"), event.where);
    else if (event.place == PackEvent::Sensor)
        o.insert(QStringLiteral("sensor"), sensorName(event.where));

    // Values in the unit named beside them, as a number.
    QString unit;
    double scale = 1;
    switch (event.place) {
    case PackEvent::Nowhere:
        break;
    case PackEvent::Cell:
    case PackEvent::CellSpread:
        unit = QStringLiteral("mV");
        break;
    case PackEvent::Sensor:
        unit = QStringLiteral("°C");
        scale = 100;
        break;
    case PackEvent::Current:
        unit = QStringLiteral("A");
        scale = 1000;
        break;
    case PackEvent::PackVoltage:
        unit = QStringLiteral("V");
        scale = 1000;
        break;
    case PackEvent::Charge:
        unit = QStringLiteral("%");
        break;
    }
    auto number = [scale](int v) { return scale == 1 ? QJsonValue(v) : QJsonValue(v / scale); };
    const bool valued = event.place != PackEvent::Nowhere;
    o.insert(QStringLiteral("value"), valued ? number(event.valueStart) : QJsonValue());
    o.insert(QStringLiteral("worst"), valued ? number(event.worst) : QJsonValue());
    if (event.hasThreshold && valued)
        o.insert(QStringLiteral("threshold"), number(event.threshold));
    o.insert(QStringLiteral("unit"), unit);

    o.insert(QStringLiteral("start"), isoUtc(event.startMs));
    const bool ended = event.endMs >= 0;
    o.insert(QStringLiteral("end"), ended ? QJsonValue(isoUtc(event.endMs)) : QJsonValue());
    o.insert(QStringLiteral("duration_s"),
             ended ? QJsonValue((event.endMs - event.startMs) / 1000.0) : QJsonValue());
    o.insert(QStringLiteral("ongoing"), event.ongoing());
    o.insert(QStringLiteral("end_unknown"), event.endUnknown);
    return o;
}

} // namespace EventNames
