#include "packanalyses.h"

#include "anchoredclock.h"
#include "packsummary.h"

#include <memory>

void PackAnalysis::takeReply(qint64 timeMs, const AFE &record, const RealTimeReply &values)
{
    energy.take(timeMs, record.totalv, PackSummary::signedCurrent(record.cadc, record.job_statu));
    ++replies;
    health.take(timeMs, record, values.cellsInSeries);
    lastReplyMs = timeMs;
}

void PackAnalysis::takeUnanswered(qint64 timeMs)
{
    Q_UNUSED(timeMs);
    energy.missed();
}

void PackAnalysis::takeParameters(const QVector<ParameterBlock::Field> &fields)
{
    parameters = fields;
    const int designAh = ParameterBlock::designCapacityAh(fields);
    energy.setDesignCapacityAh(designAh);
    health.setDesignCapacityAh(designAh);
}

void PackAnalysis::addToState(QJsonObject *state) const
{
    if (lastReplyMs >= 0)
        state->insert(QStringLiteral("energy"),
                      energy.toState(EnergyMeter::localDate(lastReplyMs)));
    health.addToState(state);
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

void PackAnalyses::clear()
{
    m_packs.clear();
}

void PackAnalyses::reply(int address, const RealTimeReply &values, const AFE &record)
{
    m_packs[address].takeReply(now(), record, values);
    emit changed(address);
}

void PackAnalyses::unanswered(int address)
{
    m_packs[address].takeUnanswered(now());
    emit changed(address);
}

void PackAnalyses::parameters(int address, const QVector<ParameterBlock::Field> &fields)
{
    m_packs[address].takeParameters(fields);
    emit changed(address);
}
