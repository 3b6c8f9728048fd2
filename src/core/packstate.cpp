#include "packstate.h"

#include "packsummary.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace PackState {

namespace {

// Protection code -> what protects (code 0: none).
const char *const Protections[15] = {
    nullptr,
    "charge over-temperature",
    "discharge over-temperature",
    "charge under-temperature",
    "discharge under-temperature",
    "cell over-voltage",
    "charge over-current",
    "cell under-voltage",
    "discharge over-current 1",
    "discharge over-current 2",
    "PCB over-temperature",
    "short circuit",
    "cell difference",
    "pack over-voltage",
    "pack under-voltage",
};

// Alarm word bit -> alarm. Bit 0 is the all-clear case of the board's lamps, not an alarm.
const char *const Alarms[5] = {
    nullptr,
    "charge over-temperature",
    "charge under-temperature",
    "discharge over-temperature",
    "discharge under-temperature",
};

QString unknown(int code)
{
    return QStringLiteral("unknown code %1").arg(code);
}

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QJsonObject status(int code, const QStringList &active)
{
    return QJsonObject{ { QStringLiteral("code"), code },
                        { QStringLiteral("active"), QJsonArray::fromStringList(active) } };
}

} // namespace

QStringList protectionNames(int code)
{
    if (code == 0)
        return {};
    if (code > 0 && code < 15)
        return { QLatin1String(Protections[code]) };
    return { unknown(code) };
}

QStringList alarmNames(int word)
{
    QStringList names;
    for (int bit = 1; bit < 31; ++bit) {
        if (!(word & (1 << bit)))
            continue;
        names << (bit < 5 ? QString(QLatin1String(Alarms[bit]))
                          : QStringLiteral("unknown alarm bit %1").arg(bit));
    }
    if (word < 0)
        names << unknown(word);
    return names;
}

QStringList jobNames(int code)
{
    switch (code) {
    case 0:
        return {};
    case 1:
        return { QStringLiteral("charging") };
    case 2:
        return { QStringLiteral("discharging") };
    case 3:
        return { QStringLiteral("no job state") };
    default:
        return { unknown(code) };
    }
}

QStringList mosfetNames(int chargeDigit, int dischargeDigit)
{
    QStringList names;
    if (chargeDigit)
        names << QStringLiteral("charge MOSFET on");
    if (dischargeDigit)
        names << QStringLiteral("discharge MOSFET on");
    return names;
}

int presentCells(const AFE &record, const RealTimeReply &values)
{
    constexpr int MaxCells = int(sizeof(record.cell) / sizeof(record.cell[0]));
    if (values.cellsInSeries > 0)
        return qMin(values.cellsInSeries, MaxCells);
    int n = MaxCells;
    while (n > 0 && record.cell[n - 1] == 0)
        --n;
    return n;
}

QString isoTime(const QDateTime &time)
{
    // Qt::ISODateWithMs drops the offset of a local time; it is written out here.
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
        + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1:%2")
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QJsonObject build(const AFE &record, const RealTimeReply &values, qint64 seq, const QDateTime &time)
{
    const int present = presentCells(record, values);
    QJsonArray cells;
    for (int k = 0; k < present; ++k)
        cells.append(record.cell[k]);
    PackSummary::Pack extremes;
    PackSummary::cellExtremes(record, present, &extremes);

    QJsonArray temperatures;
    for (int centi : record.ts)
        temperatures.append(std::round(centi / 10.0) / 10.0); // from the integer: 30.05 -> 30.1

    QJsonArray balancing;
    for (int bit = 0; bit < 16; ++bit) {
        if (record.blance_statu & (1 << bit))
            balancing.append(bit + 1);
    }

    const double volts = record.totalv / 1000.0;
    // Signed as the trends and the tiles sign it: a board may send a discharge as a magnitude.
    const double amps = PackSummary::signedCurrent(record.cadc, record.job_statu) / 1000.0;
    QJsonObject state;
    state.insert(QStringLiteral("time"), isoTime(time));
    state.insert(QStringLiteral("address"), record.id);
    state.insert(QStringLiteral("battery_number"), values.batteryNumber);
    state.insert(QStringLiteral("seq"), seq);
    state.insert(QStringLiteral("voltage"), rounded(volts, 3));
    state.insert(QStringLiteral("current"), rounded(amps, 3));
    state.insert(QStringLiteral("power"), rounded(volts * amps, 1));
    state.insert(QStringLiteral("soc"), record.soc);
    // The board's remaining capacity, sent in mAh.
    state.insert(QStringLiteral("remaining_capacity"), rounded(values.newcc / 1000.0, 3));
    state.insert(QStringLiteral("cells"), cells);
    state.insert(QStringLiteral("cell_min"), extremes.lowestMv);
    state.insert(QStringLiteral("cell_min_no"), extremes.lowestCell);
    state.insert(QStringLiteral("cell_max"), extremes.highestMv);
    state.insert(QStringLiteral("cell_max_no"), extremes.highestCell);
    state.insert(QStringLiteral("cell_diff"), extremes.cellDifferenceMv());
    state.insert(QStringLiteral("temperatures"), temperatures);
    state.insert(QStringLiteral("protection"),
                 status(record.sys_statu, protectionNames(record.sys_statu)));
    state.insert(QStringLiteral("alarm"), status(record.alrt_statu, alarmNames(record.alrt_statu)));
    state.insert(QStringLiteral("system"),
                 status(record.mos_statu, mosfetNames(values.chargeMos, values.dischargeMos)));
    // Each MOSFET on its own: the word of "system" cannot tell every case apart.
    state.insert(QStringLiteral("charge_mosfet"), values.chargeMos != 0);
    state.insert(QStringLiteral("discharge_mosfet"), values.dischargeMos != 0);
    state.insert(QStringLiteral("job"), status(record.job_statu, jobNames(record.job_statu)));
    state.insert(QStringLiteral("balancing"), balancing);
    state.insert(QStringLiteral("cycles"), values.cycleCount);
    return state;
}

void addRoundTrip(QJsonObject *state, int roundTripMs)
{
    if (roundTripMs >= 0)
        state->insert(QStringLiteral("round_trip_ms"), roundTripMs);
}

QByteArray toLine(const QJsonObject &state)
{
    return QJsonDocument(state).toJson(QJsonDocument::Compact);
}

} // namespace PackState
