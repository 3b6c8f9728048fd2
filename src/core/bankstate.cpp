#include "bankstate.h"

#include "packstate.h"

#include <QJsonArray>

#include <cmath>

namespace BankState {

namespace {

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

} // namespace

double averageSoc(const QVector<Member> &members, bool *byCapacity)
{
    double knownSum = 0;
    int known = 0;
    int answering = 0;
    for (const Member &m : members) {
        if (!m.answering)
            continue;
        ++answering;
        if (m.designAh > 0) {
            knownSum += m.designAh;
            ++known;
        }
    }
    if (byCapacity)
        *byCapacity = known > 0;
    if (answering == 0)
        return -1;
    const double stand = known > 0 ? knownSum / known : 1;
    double weighted = 0;
    double weights = 0;
    for (const Member &m : members) {
        if (!m.answering)
            continue;
        const double w = m.designAh > 0 ? m.designAh : stand;
        weighted += w * m.pack.soc;
        weights += w;
    }
    return weighted / weights;
}

EnergyMeter::Totals total(const QVector<Member> &members, QDate *since)
{
    EnergyMeter::Totals sum;
    QDate first;
    for (const Member &m : members) {
        if (!m.energy)
            continue;
        sum.add(m.energy->total());
        const QDate d = m.energy->since();
        if (d.isValid() && (!first.isValid() || d < first))
            first = d;
    }
    if (since)
        *since = first;
    return sum;
}

EnergyMeter::Totals day(const QVector<Member> &members, const QDate &date)
{
    EnergyMeter::Totals sum;
    for (const Member &m : members) {
        if (m.energy)
            sum.add(m.energy->day(date));
    }
    return sum;
}

QJsonObject build(const QVector<Member> &members, const QDateTime &time)
{
    QVector<PackSummary::Pack> answering;
    QJsonArray addresses;
    for (const Member &m : members) {
        if (m.answering) {
            answering.append(m.pack);
            addresses.append(m.pack.address);
        }
    }
    const PackSummary::Bank bank = PackSummary::bank(answering);
    bool byCapacity = false;
    const double soc = averageSoc(members, &byCapacity);
    QDate since;
    const EnergyMeter::Totals sum = total(members, &since);

    QJsonObject state;
    state.insert(QStringLiteral("time"), PackState::isoTime(time));
    state.insert(QStringLiteral("packs"), bank.packs);
    state.insert(QStringLiteral("addresses"), addresses);
    state.insert(QStringLiteral("current"), rounded(bank.currentMa / 1000.0, 3));
    state.insert(QStringLiteral("power"), rounded(bank.powerW, 1));
    state.insert(QStringLiteral("soc"), soc >= 0 ? QJsonValue(rounded(soc, 1)) : QJsonValue());
    state.insert(QStringLiteral("soc_weighting"),
                 byCapacity ? QStringLiteral("design_capacity") : QStringLiteral("equal"));
    if (bank.lowestCell > 0) {
        state.insert(QStringLiteral("cell_min"), bank.lowestMv);
        state.insert(QStringLiteral("cell_min_pack"), bank.lowestPack);
        state.insert(QStringLiteral("cell_min_no"), bank.lowestCell);
    }
    QJsonObject energy;
    energy.insert(QStringLiteral("since"),
                  since.isValid() ? QJsonValue(since.toString(Qt::ISODate)) : QJsonValue());
    energy.insert(QStringLiteral("total"), sum.toState());
    energy.insert(QStringLiteral("today"), day(members, time.date()).toState());
    state.insert(QStringLiteral("energy"), energy);
    return state;
}

} // namespace BankState
