#include "packmetrics.h"

#include "packstate.h"
#include "packsummary.h"

#include <QStringList>

#include <algorithm>

namespace PackMetrics {

namespace {

// Indexes into the table below.
enum Index {
    Up,
    LastReplyAge,
    Voltage,
    Current,
    Power,
    StateOfCharge,
    CellVoltage,
    Temperature,
    Cycles,
    Protection,
    Alarm,
    Replies,
    Timeouts,
    CrcErrors,
    ChargedEnergy,
    DischargedEnergy,
    EventsOngoing,
    EventsStarted,
    BusCycle,
};

const std::vector<Family> Families = {
    { "arvex_pack_up", Kind::Gauge,
      "1 while the pack answers its polls, 0 once it left three in a row unanswered or the line "
      "is gone." },
    { "arvex_pack_last_reply_age_seconds", Kind::Gauge, "Time since the pack's last valid reply." },
    { "arvex_pack_voltage_volts", Kind::Gauge, "Pack voltage." },
    { "arvex_pack_current_amperes", Kind::Gauge, "Pack current, negative while discharging." },
    { "arvex_pack_power_watts", Kind::Gauge, "Pack power, negative while discharging." },
    { "arvex_pack_state_of_charge_ratio", Kind::Gauge, "State of charge, 0 to 1." },
    { "arvex_pack_cell_voltage_volts", Kind::Gauge, "Voltage of each cell the pack reports." },
    { "arvex_pack_temperature_celsius", Kind::Gauge,
      "Temperature of each sensor: environment, mosfet, and the cell sensors 1 to 4." },
    { "arvex_pack_cycles_total", Kind::Counter, "Charge cycles the board has counted." },
    { "arvex_pack_protection", Kind::Gauge,
      "1 while the board's protection of this kind is active, else 0." },
    { "arvex_pack_alarm", Kind::Gauge,
      "1 while the board's alarm of this kind is active, else 0." },
    { "arvex_pack_replies_total", Kind::Counter, "Valid real-time replies from the pack." },
    { "arvex_pack_timeouts_total", Kind::Counter, "Polls of the pack that got no reply in time." },
    { "arvex_pack_crc_errors_total", Kind::Counter,
      "Replies from the pack that came cut short or garbled." },
    { "arvex_pack_charged_energy_joules_total", Kind::Counter,
      "Energy charged into the pack since its books began." },
    { "arvex_pack_discharged_energy_joules_total", Kind::Counter,
      "Energy discharged from the pack since its books began." },
    { "arvex_pack_events_ongoing", Kind::Gauge,
      "Events of the pack going on now: protections, alarms, MOSFETs off, a lost link, alerts." },
    { "arvex_pack_events_started_total", Kind::Counter,
      "Events of the pack that started since the logger began, by event type." },
    { "arvex_bus_cycle_duration_seconds", Kind::Gauge,
      "Duration of the last whole poll cycle over the packs on the line." },
};

// "cell over-voltage" -> "cell_over_voltage": a label value without spaces or dashes.
std::string labelValue(const QString &name)
{
    std::string value = name.toLower().toStdString();
    for (char &c : value) {
        if (c == ' ' || c == '-')
            c = '_';
    }
    return value;
}

// The label values of each protection code and alarm bit, from the names the state JSON uses.
struct Kinds
{
    std::vector<std::pair<int, std::string>> protections; // code, label
    std::vector<std::pair<int, std::string>> alarms; // bit, label
    Kinds()
    {
        for (int code = 1;
             !PackState::protectionNames(code).first().startsWith(QLatin1String("unknown")); ++code)
            protections.emplace_back(code, labelValue(PackState::protectionNames(code).first()));
        for (int bit = 1;
             !PackState::alarmNames(1 << bit).first().startsWith(QLatin1String("unknown")); ++bit)
            alarms.emplace_back(bit, labelValue(PackState::alarmNames(1 << bit).first()));
    }
};

const Kinds &kinds()
{
    static const Kinds table;
    return table;
}

const char *const Sensors[6] = { "environment", "mosfet", "1", "2", "3", "4" };

} // namespace

const std::vector<Family> &families()
{
    return Families;
}

std::vector<Series> collect(const Bank &bank)
{
    std::vector<Series> series;
    series.reserve(Families.size());
    for (const Family &family : Families)
        series.push_back(Series{ &family, {} });
    const auto add = [&series](Index index, Labels labels, double value) {
        series[index].samples.push_back(Sample{ std::move(labels), value });
    };

    for (const Pack &pack : bank.packs) {
        const std::string address = std::to_string(pack.address);
        const auto of = [&address] { return Labels{ { "pack", address } }; };
        const auto with = [&address](const char *name, std::string value) {
            return Labels{ { "pack", address }, { name, std::move(value) } };
        };
        add(Up, of(), pack.up ? 1 : 0);
        if (pack.lastReplyAgeSeconds >= 0)
            add(LastReplyAge, of(), pack.lastReplyAgeSeconds);
        add(Replies, of(), pack.replies);
        add(Timeouts, of(), pack.timeouts);
        add(CrcErrors, of(), pack.crcErrors);
        if (!std::isnan(pack.chargedJoules))
            add(ChargedEnergy, of(), pack.chargedJoules);
        if (!std::isnan(pack.dischargedJoules))
            add(DischargedEnergy, of(), pack.dischargedJoules);
        add(EventsOngoing, of(), pack.eventsOngoing);
        for (const auto &[type, count] : pack.eventsStarted)
            add(EventsStarted, with("event_type", type), count);
        if (!pack.up || !pack.hasReply)
            continue;

        const AFE &r = pack.record;
        const double volts = r.totalv / 1000.0;
        const double amps = PackSummary::signedCurrent(r.cadc, r.job_statu) / 1000.0;
        add(Voltage, of(), volts);
        add(Current, of(), amps);
        add(Power, of(), volts * amps);
        add(StateOfCharge, of(), r.soc / 100.0);
        const int cells = std::min(pack.cells, int(sizeof(r.cell) / sizeof(r.cell[0])));
        for (int k = 0; k < cells; ++k)
            add(CellVoltage, with("cell", std::to_string(k + 1)), r.cell[k] / 1000.0);
        for (int k = 0; k < 6; ++k)
            add(Temperature, with("sensor", Sensors[k]), r.ts[k] / 100.0);
        add(Cycles, of(), pack.cycles);

        // Every kind is served, 0 or 1, so a series does not come and go with the code; a code
        // outside the board's table is "unknown", never passed over.
        bool known = r.sys_statu == 0;
        for (const auto &protection : kinds().protections) {
            known = known || r.sys_statu == protection.first;
            add(Protection, with("protection", protection.second),
                r.sys_statu == protection.first ? 1 : 0);
        }
        add(Protection, with("protection", "unknown"), known ? 0 : 1);
        int knownBits = 1; // bit 0 is the all-clear state, not an alarm
        for (const auto &alarm : kinds().alarms) {
            knownBits |= 1 << alarm.first;
            add(Alarm, with("alarm", alarm.second), (r.alrt_statu >> alarm.first) & 1);
        }
        add(Alarm, with("alarm", "unknown"), (r.alrt_statu & ~knownBits) ? 1 : 0);
    }
    if (bank.cycleSeconds >= 0)
        add(BusCycle, {}, bank.cycleSeconds);

    std::vector<Series> served;
    served.reserve(series.size());
    for (Series &s : series) {
        if (!s.samples.empty())
            served.push_back(std::move(s));
    }
    return served;
}

} // namespace PackMetrics
