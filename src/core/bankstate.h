#pragma once

#include "energymeter.h"
#include "packsummary.h"

#include <QDateTime>
#include <QJsonObject>
#include <QVector>

// The state of the bank the packs on one line make together, as the logger prints and
// publishes it on a topic of its own:
//   {"time":"...","packs":3,"addresses":[1,2,3],"current":-30.5,"power":-1610.2,"soc":72.4,
//    "soc_weighting":"design_capacity","cell_min":3187,"cell_min_pack":2,"cell_min_no":11,
//    "energy":{"since":"2026-12-01","total":{...},"today":{...}}}
// The current, power, state of charge and lowest cell are those of the packs that answer; the
// energy is every pack's books added up, so a pack that is away keeps what it took.
namespace BankState {

struct Member
{
    PackSummary::Pack pack; // its last reply
    bool answering = false; // taken into the instantaneous figures
    double designAh = 0; // 0: not known
    const EnergyMeter *energy = nullptr; // its books; nullptr: none
};

// The state of charge over the answering packs, each weighted by its design capacity; a pack
// whose capacity is unknown weighs as much as the known ones on average (all alike when none
// is known). byCapacity says whether any capacity was known. -1 without answering packs.
double averageSoc(const QVector<Member> &members, bool *byCapacity = nullptr);

// The bank's books: every pack's added up, since the earliest start.
EnergyMeter::Totals total(const QVector<Member> &members, QDate *since = nullptr);
EnergyMeter::Totals day(const QVector<Member> &members, const QDate &date);

QJsonObject build(const QVector<Member> &members, const QDateTime &time);

} // namespace BankState
