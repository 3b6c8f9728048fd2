#include "packanalyses.h"

#include "anchoredclock.h"
#include "packsummary.h"

#include <memory>

void PackAnalysis::takeReply(qint64 timeMs, const AFE &record, const RealTimeReply &values)
{
    energy.take(timeMs, record.totalv, PackSummary::signedCurrent(record.cadc, record.job_statu));
    ++replies;
    health.take(timeMs, record, values.cellsInSeries);
    events.take(timeMs, record, values);
    lastReplyMs = timeMs;
}

void PackAnalysis::takeUnanswered(qint64 timeMs)
{
    energy.missed();
    events.missed(timeMs);
}

void PackAnalysis::takeParameters(const QVector<ParameterBlock::Field> &fields)
{
    parameters = fields;
    const int designAh = ParameterBlock::designCapacityAh(fields);
    energy.setDesignCapacityAh(designAh);
    health.setDesignCapacityAh(designAh);
    events.setParameters(fields);
}

void PackAnalysis::addToState(QJsonObject *state) const
{
    if (lastReplyMs >= 0)
        state->insert(QStringLiteral("energy"),
                      energy.toState(EnergyMeter::localDate(lastReplyMs)));
    health.addToState(state);
    // What goes on now, as Home Assistant's text sensor shows it, and how many.
    state->insert(QStringLiteral("problems"),
                  EventNames::problems(events.ongoing(), EventNames::Language::English));
    state->insert(QStringLiteral("events_ongoing"), events.ongoing().size());
}

PackAnalyses::PackAnalyses(Clock clock, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(clock))
{
    if (!m_clock) {
        auto anchored = std::make_shared<AnchoredClock>();
        m_clock = [anchored] { return anchored->now(); };
    }
}

const PackAnalysis &PackAnalyses::pack(int address) const
{
    static const PackAnalysis none;
    const auto it = m_packs.constFind(address);
    return it != m_packs.constEnd() ? *it : none;
}

PackAnalysis &PackAnalyses::packFor(int address)
{
    auto it = m_packs.find(address);
    if (it == m_packs.end()) {
        it = m_packs.insert(address, PackAnalysis());
        it->events.setAddress(address);
        it->events.setAlerts(m_alerts);
        it->events.setIdSource(&m_nextEventId);
    }
    return *it;
}

void PackAnalyses::reportEvents(int address)
{
    const QVector<PackEvent> changes = m_packs[address].events.takeChanges();
    for (const PackEvent &event : changes)
        emit eventChanged(event);
}

void PackAnalyses::clear()
{
    stop();
    m_packs.clear();
}

void PackAnalyses::stop()
{
    const qint64 t = now();
    for (auto it = m_packs.begin(); it != m_packs.end(); ++it) {
        it->events.stop(t);
        reportEvents(it.key());
    }
}

void PackAnalyses::setAlerts(const EventJournal::Alerts &alerts)
{
    m_alerts = alerts;
    for (PackAnalysis &pack : m_packs)
        pack.events.setAlerts(alerts);
}

void PackAnalyses::reply(int address, const RealTimeReply &values, const AFE &record)
{
    packFor(address).takeReply(now(), record, values);
    emit changed(address);
    reportEvents(address);
}

void PackAnalyses::unanswered(int address)
{
    packFor(address).takeUnanswered(now());
    emit changed(address);
    reportEvents(address);
}

void PackAnalyses::parameters(int address, const QVector<ParameterBlock::Field> &fields)
{
    packFor(address).takeParameters(fields);
    emit changed(address);
}
