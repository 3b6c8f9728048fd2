#pragma once

#include "parameterblock.h"
#include "telemetry.h"

#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

// One thing that went wrong (or changed state) on one pack, with when it began and ended and
// where it happened as far as the replies tell: a protection code, an alarm bit, a MOSFET that
// switched off, the pack's link, or one of the two alerts the user sets (cell spread, low charge).
struct PackEvent
{
    enum Kind {
        Protection, // the board's protection code (one code names one protection; 15 unknown)
        Alarm, // a bit of the alarm word
        Status, // a MOSFET the board switched off
        Link, // the pack stopped answering (three polls in a row) and came back
        Spread, // highest minus lowest cell above the user's threshold
        LowSoc, // state of charge below the user's threshold
    };
    // What `where` and the values name. The values are in the place's unit: mV for a cell, a
    // spread or the pack voltage, 0.01 degC for a sensor, mA for the current, % for the charge.
    enum Place {
        Nowhere, // a link event, an unknown code
        Cell, // where = the cell's number, from 1
        Sensor, // where = the sensor's index in the record's ts[] (0 environment, 1 MOSFET, 2..5)
        Current, // the pack current, signed (negative while discharging)
        PackVoltage,
        CellSpread, // where = the cell that makes the spread (the highest or lowest, from 1)
        Charge, // state of charge
    };

    qint64 id = 0; // increasing over the whole owner; 0 for an event read back from a file
    int address = 0;
    Kind kind = Protection;
    // Protection: the code; Alarm: the bit; Status: 0 charge MOSFET, 1 discharge MOSFET; else 0.
    int code = 0;
    // The event's stable name: lower-case words joined by '_' ("cell_over_voltage",
    // "unknown_protection", "link_lost"); the event type Home Assistant and MQTT carry, so the
    // set is closed: an unknown code or bit shares one key and is told apart by `code`.
    QString key;
    qint64 startMs = -1; // wall-anchored milliseconds (epoch), as the analyses' clock gives
    qint64 endMs = -1; // -1 while ongoing
    // The end is when watching stopped (the line closed, the program ended), not when the
    // condition cleared; or, read back from a file, no end was ever written.
    bool endUnknown = false;
    Place place = Nowhere;
    int where = 0;
    int valueStart = 0; // at the start
    int worst = 0; // the worst seen while ongoing (highest for "over", lowest for "under")
    bool hasThreshold = false; // the parameter block read from the pack names the trip point
    int threshold = 0;

    bool ongoing() const { return endMs < 0 && !endUnknown; }
    // Milliseconds from start to end, or to nowMs while ongoing; 0 when no end is known (read
    // back without an end line).
    qint64 durationMs(qint64 nowMs) const
    {
        if (ongoing())
            return nowMs - startMs;
        return endMs < 0 ? 0 : endMs - startMs;
    }
};
Q_DECLARE_METATYPE(PackEvent)

// The journal of one pack: decides from consecutive valid replies and unanswered polls which
// events start and end. It keeps only the ongoing events; whoever shows or stores the history
// takes each change as it is reported (takeChanges). Nothing is built per reply unless an event
// starts, ends or gets worse.
class EventJournal
{
public:
    // Polls unanswered in a row that count as a lost link.
    static constexpr int LinkMisses = 3;
    // How far back past its threshold a user's alert must come before it ends, so a value that
    // sits on the threshold (a spread wavering by a millivolt, a charge between two percent)
    // makes one event, not one per reply.
    static constexpr int SpreadHysteresisMv = 10;
    static constexpr int SocHysteresisPercent = 2;

    // The user's alerts; 0 switches one off (the default).
    struct Alerts
    {
        int spreadMv = 0; // highest minus lowest cell above this
        int lowSocPercent = 0; // state of charge below this
    };

    void setAddress(int address) { m_address = address; }
    void setAlerts(const Alerts &alerts);
    // The pack's parameter block: the trip points named beside each event.
    void setParameters(const QVector<ParameterBlock::Field> &fields);

    // One valid reply at timeMs.
    void take(qint64 timeMs, const AFE &record, const RealTimeReply &values);
    // A poll went unanswered at timeMs; the LinkMisses-th in a row starts a link event dated at
    // the first of them; the next reply ends it.
    void missed(qint64 timeMs);
    // Watching stops (the line closed, the program ends): every ongoing event ends at timeMs
    // with endUnknown set.
    void stop(qint64 timeMs);

    const QVector<PackEvent> &ongoing() const { return m_ongoing; }
    // Events started since the journal began, by key (only keys that started).
    const QMap<QString, qint64> &started() const { return m_started; }
    // The events that started or ended since the last call, in order (a started one with
    // endMs -1, an ended one with its end); ids come from nextId.
    QVector<PackEvent> takeChanges();

    // Ids for the events of every pack of one owner.
    void setIdSource(qint64 *nextId) { m_nextId = nextId; }

private:
    // A trip point read from the parameter block, in the unit of the event it names.
    struct Trip
    {
        bool known = false;
        int value = 0;
    };
    struct Reading;

    qint64 nextId();
    void start(qint64 timeMs, PackEvent::Kind kind, int code, const Reading &reading);
    void end(qint64 timeMs, PackEvent::Kind kind, int code);
    void takeAlarms(qint64 timeMs, unsigned word, const Reading &reading);
    void takeAlerts(qint64 timeMs, const Reading &reading);

    int m_address = 0;
    Alerts m_alerts;
    qint64 *m_nextId = nullptr;
    qint64 m_localId = 0; // ids while no owner gives them
    QVector<PackEvent> m_ongoing;
    QVector<PackEvent> m_changes;
    QMap<QString, qint64> m_started;
    // What the last reply said, to tell a change by a compare or two per reply.
    int m_protection = 0;
    unsigned m_alarms = 0;
    bool m_chargeOff = false;
    bool m_dischargeOff = false;
    bool m_spreadHigh = false;
    bool m_socLow = false;
    int m_misses = 0; // unanswered polls in a row, counted up to LinkMisses
    qint64 m_firstMissMs = -1;
    std::array<Trip, 15> m_protectionTrips{}; // by protection code
    std::array<Trip, 5> m_alarmTrips{}; // by alarm bit
};

// The texts that name events: one table, translated like the rest (source texts in Chinese for
// the window), with an English column for the logger and MQTT, whose texts are English always.
namespace EventNames {

enum class Language {
    Translated, // the window's language, through QCoreApplication::translate
    English, // fixed English (logger, MQTT payloads)
};

// The key of a kind's code (a protection code, an alarm bit, 0 or 1 for the MOSFETs).
QString key(PackEvent::Kind kind, int code);
// The numbers of the Translated texts follow this locale (the window's language); the system's
// until it is set.
void setLocale(const QLocale &locale);

// Every key a pack can report (Home Assistant's event_types), in table order; unknown codes and
// bits share "unknown_protection" and "unknown_alarm".
QStringList keys();
// The event's name: "cell over-voltage", "unknown protection code 15", "link lost".
QString title(const PackEvent &event, Language language = Language::Translated);
// Where: "cell 7", "sensor TS2", "MOSFET sensor", "current", "" for none.
QString where(const PackEvent &event, Language language = Language::Translated);
// A value in the event's unit, with the unit: "3,651 mV", "45.2 °C", "-120.5 A", "12 %".
QString value(const PackEvent &event, int value, Language language = Language::Translated);
// The whole line: "cell over-voltage, cell 7 at 3,651 mV, trip 3,650 mV".
QString describe(const PackEvent &event, Language language = Language::Translated);
// The kind's name for filters: "protection", "alarm", "status", "link", "spread", "low charge".
QString kindName(PackEvent::Kind kind, Language language = Language::Translated);

// What is ongoing, as one line for Home Assistant's "Problems" sensor (at most 255 characters,
// cut at an event): "cell over-voltage (cell 7); link lost"; "none" when nothing is.
QString problems(const QVector<PackEvent> &ongoing, Language language = Language::English);
// The event as the logger's JSON and MQTT carry it (English texts, times in ISO 8601 UTC):
// {"pack","event_type","kind","text","where","cell"/"sensor" (when named),"value","worst",
//  "threshold" (when known),"unit","start","end" (null while ongoing),"duration_s","ongoing"}.
QJsonObject toJson(const PackEvent &event);

} // namespace EventNames
