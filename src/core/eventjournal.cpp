#include "eventjournal.h"

#include "packsummary.h"

#include <cstdlib>

namespace {

constexpr int ProtectionCodes = 15; // 0 none, 1..14 known
constexpr int KnownAlarmBits = 5; // bits 1..4 known; bit 0 has no meaning known

// What an event watches in a reply, and which way is worse.
enum class Measure {
    None,
    HighestCell,
    LowestCell,
    HottestSensor, // of the cell sensors TS1..TS4
    ColdestSensor,
    MosSensor,
    Current,
    PackVoltage,
    Spread,
    Charge,
};
enum class Worse { Higher, Lower, Larger };

struct Rule
{
    Measure measure;
    Worse worse;
};

// By protection code: the sensor or value the board judges it by.
const Rule ProtectionRules[ProtectionCodes] = {
    { Measure::None, Worse::Higher },
    { Measure::HottestSensor, Worse::Higher }, // 1 charge over-temperature
    { Measure::HottestSensor, Worse::Higher }, // 2 discharge over-temperature
    { Measure::ColdestSensor, Worse::Lower }, // 3 charge under-temperature
    { Measure::ColdestSensor, Worse::Lower }, // 4 discharge under-temperature
    { Measure::HighestCell, Worse::Higher }, // 5 cell over-voltage
    { Measure::Current, Worse::Larger }, // 6 charge over-current
    { Measure::LowestCell, Worse::Lower }, // 7 cell under-voltage
    { Measure::Current, Worse::Larger }, // 8 discharge over-current, level 1
    { Measure::Current, Worse::Larger }, // 9 level 2
    { Measure::MosSensor, Worse::Higher }, // 10 PCB over-temperature
    { Measure::Current, Worse::Larger }, // 11 short circuit
    { Measure::Spread, Worse::Higher }, // 12 cell voltage difference
    { Measure::PackVoltage, Worse::Higher }, // 13 pack over-voltage
    { Measure::PackVoltage, Worse::Lower }, // 14 pack under-voltage
};

// By alarm bit: the temperature alarms watch the cell sensors.
const Rule AlarmRules[KnownAlarmBits] = {
    { Measure::None, Worse::Higher },
    { Measure::HottestSensor, Worse::Higher }, // 1 charge high temperature
    { Measure::ColdestSensor, Worse::Lower }, // 2 charge low temperature
    { Measure::HottestSensor, Worse::Higher }, // 3 discharge high temperature
    { Measure::ColdestSensor, Worse::Lower }, // 4 discharge low temperature
};

Rule ruleOf(PackEvent::Kind kind, int code)
{
    switch (kind) {
    case PackEvent::Protection:
        return code > 0 && code < ProtectionCodes ? ProtectionRules[code]
                                                  : Rule{ Measure::None, Worse::Higher };
    case PackEvent::Alarm:
        return code > 0 && code < KnownAlarmBits ? AlarmRules[code]
                                                 : Rule{ Measure::None, Worse::Higher };
    case PackEvent::Spread:
        return { Measure::Spread, Worse::Higher };
    case PackEvent::LowSoc:
        return { Measure::Charge, Worse::Lower };
    case PackEvent::Status:
    case PackEvent::Link:
        break;
    }
    return { Measure::None, Worse::Higher };
}

bool isWorse(Worse worse, int value, int than)
{
    switch (worse) {
    case Worse::Higher:
        return value > than;
    case Worse::Lower:
        return value < than;
    case Worse::Larger:
        return std::llabs(qint64(value)) > std::llabs(qint64(than));
    }
    return false;
}

// The trip points of the parameter block, by the form's field names, and the factor from the
// field's unit to the event's: A to mA (discharge currents negative, as the pack reports them),
// degC to 0.01 degC, 10 mV to mV.
struct TripField
{
    int code;
    const char *field;
    int factor;
};
const TripField ProtectionTripFields[] = {
    { 1, "conf_chght", 100 }, { 2, "conf_dsght", 100 },   { 3, "conf_chglt", 100 },
    { 4, "conf_dsglt", 100 }, { 5, "conf_hv", 1 },        { 6, "conf_chgc", 1000 },
    { 7, "conf_lv", 1 },      { 8, "conf_dsgc1", -1000 }, { 9, "conf_dsgc2", -1000 },
    { 12, "conf_vxp", 1 },    { 13, "conf_avhp_2", 10 },  { 14, "conf_avlp_2", 10 },
};
const TripField AlarmTripFields[] = {
    { 1, "conf_chght_alert", 100 },
    { 2, "conf_chglt_alert", 100 },
    { 3, "conf_dsght_alert", 100 },
    { 4, "conf_dsglt_alert", 100 },
};

} // namespace

// One reply as the events look at it; the cells' extremes are found only when an event asks.
struct EventJournal::Reading
{
    Reading(const AFE &r, int cells)
        : record(r)
        , cellsInSeries(cells)
    { }

    const AFE &record;
    int cellsInSeries;
    mutable bool haveCells = false;
    mutable PackSummary::Pack cells;

    const PackSummary::Pack &extremes() const
    {
        if (!haveCells) {
            PackSummary::cellExtremes(record, PackSummary::presentCells(record, cellsInSeries),
                                      &cells);
            haveCells = true;
        }
        return cells;
    }

    // The cell that makes a spread: of the highest and the lowest, the one farther from the
    // average of the cells (a weak cell sagging makes it as often as a full one rising).
    int outlyingCell() const
    {
        const PackSummary::Pack &e = extremes();
        const int present = PackSummary::presentCells(record, cellsInSeries);
        if (present == 0)
            return 0;
        qint64 sum = 0;
        for (int i = 0; i < present; ++i)
            sum += record.cell[i];
        const qint64 twiceAverage = 2 * sum / present;
        // highest - average against average - lowest, in whole millivolts doubled.
        return 2 * qint64(e.highestMv) - twiceAverage >= twiceAverage - 2 * qint64(e.lowestMv)
            ? e.highestCell
            : e.lowestCell;
    }

    // The index in ts[] of the hottest or coldest cell sensor (TS1..TS4 are ts[2..5]).
    int sensor(bool hottest) const
    {
        int best = 2;
        for (int i = 3; i < 6; ++i) {
            if (hottest ? record.ts[i] > record.ts[best] : record.ts[i] < record.ts[best])
                best = i;
        }
        return best;
    }

    struct Sample
    {
        PackEvent::Place place = PackEvent::Nowhere;
        int where = 0;
        int value = 0;
    };

    Sample sample(Measure measure) const
    {
        switch (measure) {
        case Measure::None:
            break;
        case Measure::HighestCell:
            return { PackEvent::Cell, extremes().highestCell, extremes().highestMv };
        case Measure::LowestCell:
            return { PackEvent::Cell, extremes().lowestCell, extremes().lowestMv };
        case Measure::HottestSensor:
        case Measure::ColdestSensor: {
            const int i = sensor(measure == Measure::HottestSensor);
            return { PackEvent::Sensor, i, record.ts[i] };
        }
        case Measure::MosSensor:
            return { PackEvent::Sensor, 1, record.ts[1] };
        case Measure::Current:
            return { PackEvent::Current, 0,
                     PackSummary::signedCurrent(record.cadc, record.job_statu) };
        case Measure::PackVoltage:
            return { PackEvent::PackVoltage, 0, record.totalv };
        case Measure::Spread:
            return { PackEvent::CellSpread, outlyingCell(),
                     extremes().highestMv - extremes().lowestMv };
        case Measure::Charge:
            return { PackEvent::Charge, 0, record.soc };
        }
        return {};
    }
};

void EventJournal::setAlerts(const Alerts &alerts)
{
    m_alerts = alerts;
}

void EventJournal::setParameters(const QVector<ParameterBlock::Field> &fields)
{
    m_protectionTrips.fill(Trip());
    m_alarmTrips.fill(Trip());
    auto read = [&fields](const TripField &f, Trip *trip) {
        for (const ParameterBlock::Field &field : fields) {
            if (field.kind != ParameterBlock::Field::Text || qstrcmp(field.widget, f.field) != 0)
                continue;
            bool ok = false;
            const int shown = field.text.trimmed().toInt(&ok);
            // A field holds at most four digits; anything else is not a trip point.
            if (ok && std::abs(shown) < 100000)
                *trip = Trip{ true, shown * f.factor };
            return;
        }
    };
    for (const TripField &f : ProtectionTripFields)
        read(f, &m_protectionTrips[size_t(f.code)]);
    for (const TripField &f : AlarmTripFields)
        read(f, &m_alarmTrips[size_t(f.code)]);
}

qint64 EventJournal::nextId()
{
    return m_nextId ? (*m_nextId)++ : ++m_localId;
}

void EventJournal::start(qint64 timeMs, PackEvent::Kind kind, int code, const Reading &reading)
{
    PackEvent event;
    event.id = nextId();
    event.address = m_address;
    event.kind = kind;
    event.code = code;
    event.key = EventNames::key(kind, code);
    event.startMs = timeMs;
    const Reading::Sample s = reading.sample(ruleOf(kind, code).measure);
    event.place = s.place;
    event.where = s.where;
    event.valueStart = s.value;
    event.worst = s.value;

    Trip trip;
    if (kind == PackEvent::Protection && code > 0 && code < ProtectionCodes)
        trip = m_protectionTrips[size_t(code)];
    else if (kind == PackEvent::Alarm && code > 0 && code < KnownAlarmBits)
        trip = m_alarmTrips[size_t(code)];
    else if (kind == PackEvent::Spread)
        trip = Trip{ true, m_alerts.spreadMv };
    else if (kind == PackEvent::LowSoc)
        trip = Trip{ true, m_alerts.lowSocPercent };
    event.hasThreshold = trip.known;
    event.threshold = trip.value;

    m_ongoing.append(event);
    m_changes.append(event);
    ++m_started[event.key];
}

void EventJournal::end(qint64 timeMs, PackEvent::Kind kind, int code)
{
    for (int i = 0; i < m_ongoing.size(); ++i) {
        if (m_ongoing[i].kind == kind && m_ongoing[i].code == code) {
            PackEvent event = m_ongoing.takeAt(i);
            event.endMs = qMax(timeMs, event.startMs);
            m_changes.append(event);
            return;
        }
    }
}

void EventJournal::take(qint64 timeMs, const AFE &record, const RealTimeReply &values)
{
    const Reading reading(record, values.cellsInSeries);

    if (m_misses > 0) {
        if (m_misses >= LinkMisses)
            end(timeMs, PackEvent::Link, 0);
        m_misses = 0;
        m_firstMissMs = -1;
    }

    // One code at a time: a change ends the old code's event and starts the new one's.
    if (record.sys_statu != m_protection) {
        if (m_protection != 0)
            end(timeMs, PackEvent::Protection, m_protection);
        m_protection = record.sys_statu;
        if (m_protection != 0)
            start(timeMs, PackEvent::Protection, m_protection, reading);
    }

    const unsigned alarms = unsigned(record.alrt_statu);
    if (alarms != m_alarms)
        takeAlarms(timeMs, alarms, reading);

    // A digit of 1 is on; 0 is off; any other digit says nothing we know and changes nothing.
    const bool chargeOff = values.chargeMos == 0 || (values.chargeMos != 1 && m_chargeOff);
    const bool dischargeOff =
        values.dischargeMos == 0 || (values.dischargeMos != 1 && m_dischargeOff);
    if (chargeOff != m_chargeOff) {
        m_chargeOff = chargeOff;
        if (chargeOff)
            start(timeMs, PackEvent::Status, 0, reading);
        else
            end(timeMs, PackEvent::Status, 0);
    }
    if (dischargeOff != m_dischargeOff) {
        m_dischargeOff = dischargeOff;
        if (dischargeOff)
            start(timeMs, PackEvent::Status, 1, reading);
        else
            end(timeMs, PackEvent::Status, 1);
    }

    if (m_alerts.spreadMv > 0 || m_alerts.lowSocPercent > 0 || m_spreadHigh || m_socLow)
        takeAlerts(timeMs, reading);

    // The worst values of what goes on: kept in the ongoing events, reported when they end.
    // Read through a const reference, so a copy of the list held by a reader is not detached
    // (and copied) on every reply, only when a value gets worse.
    const QVector<PackEvent> &ongoing = m_ongoing;
    for (int i = 0; i < ongoing.size(); ++i) {
        const Rule rule = ruleOf(ongoing[i].kind, ongoing[i].code);
        if (rule.measure == Measure::None)
            continue;
        const int value = reading.sample(rule.measure).value;
        if (isWorse(rule.worse, value, ongoing[i].worst))
            m_ongoing[i].worst = value;
    }
}

void EventJournal::takeAlarms(qint64 timeMs, unsigned word, const Reading &reading)
{
    const unsigned changed = word ^ m_alarms;
    m_alarms = word;
    for (int bit = 0; bit < 32; ++bit) {
        const unsigned mask = 1u << bit;
        if (!(changed & mask))
            continue;
        if (word & mask)
            start(timeMs, PackEvent::Alarm, bit, reading);
        else
            end(timeMs, PackEvent::Alarm, bit);
    }
}

void EventJournal::takeAlerts(qint64 timeMs, const Reading &reading)
{
    // The spread over the cells present; a record without cells tells nothing of it.
    const int spreadMv = m_alerts.spreadMv;
    const bool haveCells = reading.extremes().highestCell > 0;
    const int spread = reading.extremes().highestMv - reading.extremes().lowestMv;
    if (!m_spreadHigh) {
        if (spreadMv > 0 && haveCells && spread > spreadMv) {
            m_spreadHigh = true;
            start(timeMs, PackEvent::Spread, 0, reading);
        }
    } else if (spreadMv <= 0 || (haveCells && spread <= spreadMv - SpreadHysteresisMv)) {
        m_spreadHigh = false;
        end(timeMs, PackEvent::Spread, 0);
    }

    const int lowSoc = m_alerts.lowSocPercent;
    if (!m_socLow) {
        if (lowSoc > 0 && reading.record.soc < lowSoc) {
            m_socLow = true;
            start(timeMs, PackEvent::LowSoc, 0, reading);
        }
    } else if (lowSoc <= 0 || reading.record.soc >= lowSoc + SocHysteresisPercent) {
        m_socLow = false;
        end(timeMs, PackEvent::LowSoc, 0);
    }
}

void EventJournal::missed(qint64 timeMs)
{
    if (m_misses >= LinkMisses)
        return;
    if (m_misses == 0)
        m_firstMissMs = timeMs;
    if (++m_misses < LinkMisses)
        return;
    PackEvent event;
    event.id = nextId();
    event.address = m_address;
    event.kind = PackEvent::Link;
    event.key = EventNames::key(PackEvent::Link, 0);
    event.startMs = m_firstMissMs;
    m_ongoing.append(event);
    m_changes.append(event);
    ++m_started[event.key];
}

void EventJournal::stop(qint64 timeMs)
{
    for (PackEvent &event : m_ongoing) {
        event.endMs = qMax(timeMs, event.startMs);
        event.endUnknown = true;
        m_changes.append(event);
    }
    m_ongoing.clear();
    // Watching starts afresh: what is still on at the next reply is a new event.
    m_protection = 0;
    m_alarms = 0;
    m_chargeOff = false;
    m_dischargeOff = false;
    m_spreadHigh = false;
    m_socLow = false;
    m_misses = 0;
    m_firstMissMs = -1;
}

QVector<PackEvent> EventJournal::takeChanges()
{
    QVector<PackEvent> changes;
    changes.swap(m_changes);
    return changes;
}
