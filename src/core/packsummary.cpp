#include "packsummary.h"

#include "statuslamps.h"
#include "telemetry.h"

#include <algorithm>
#include <iterator>

namespace PackSummary {

namespace {
constexpr int JobDischarging = 2;
constexpr int CellSlots = int(std::size(cell{}.cell));
constexpr int TemperatureSlots = int(std::size(cell{}.ts));
} // namespace

int signedCurrent(int currentMa, int jobCode)
{
    return jobCode == JobDischarging && currentMa > 0 ? -currentMa : currentMa;
}

int presentCells(const cell &record, int cellsInSeries)
{
    int present = cellsInSeries;
    if (present <= 0 || present > CellSlots) {
        present = CellSlots;
        while (present > 0 && record.cell[present - 1] == 0)
            --present;
    }
    return present;
}

void cellExtremes(const cell &record, int present, Pack *pack)
{
    present = std::min(present, CellSlots);
    for (int i = 0; i < present; ++i) {
        const int mv = record.cell[i];
        if (pack->lowestCell == 0 || mv < pack->lowestMv) {
            pack->lowestMv = mv;
            pack->lowestCell = i + 1;
        }
        if (pack->highestCell == 0 || mv > pack->highestMv) {
            pack->highestMv = mv;
            pack->highestCell = i + 1;
        }
    }
}

Pack summarize(int address, const cell &record, int cellsInSeries)
{
    Pack pack;
    pack.address = address;
    pack.voltageMv = record.totalv;
    pack.currentMa = signedCurrent(record.cadc, record.job_statu);
    pack.soc = record.soc;

    cellExtremes(record, presentCells(record, cellsInSeries), &pack);

    pack.highestTemperature = *std::max_element(record.ts, record.ts + TemperatureSlots);

    // The same judgement as the lamps of the main page: a red protection lamp, an amber alarm
    // lamp.
    for (const StatusLamps::LampPicture &lamp : StatusLamps::protection(record.sys_statu)) {
        if (qstrcmp(lamp.picture, StatusLamps::Error) == 0)
            pack.protection = true;
    }
    for (int alarmCase : StatusLamps::alarmCases(record.alrt_statu)) {
        for (const StatusLamps::LampPicture &lamp : StatusLamps::alarm(alarmCase)) {
            if (qstrcmp(lamp.picture, StatusLamps::Warning) == 0)
                pack.alarm = true;
        }
    }
    return pack;
}

Bank bank(const QVector<Pack> &packs)
{
    Bank bank;
    qint64 socSum = 0;
    for (const Pack &pack : packs) {
        ++bank.packs;
        bank.currentMa += pack.currentMa;
        bank.powerW += double(pack.voltageMv) * double(pack.currentMa) / 1e6;
        socSum += pack.soc;
        if (pack.lowestCell > 0 && (bank.lowestCell == 0 || pack.lowestMv < bank.lowestMv)) {
            bank.lowestMv = pack.lowestMv;
            bank.lowestPack = pack.address;
            bank.lowestCell = pack.lowestCell;
        }
    }
    if (bank.packs > 0)
        bank.averageSoc = double(socSum) / bank.packs;
    return bank;
}

} // namespace PackSummary
