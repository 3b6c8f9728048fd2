#pragma once

#include <QVector>

struct cell;

// What the overview shows of one pack and of the bank the packs make together: the few figures
// a user compares across packs, taken from a real-time record.
namespace PackSummary {

struct Pack
{
    int address = 0;
    int voltageMv = 0; // pack voltage
    int currentMa = 0; // negative while discharging
    int soc = 0; // %
    // Over the cells present: the lowest and highest voltage and their 1-based numbers; 0 when
    // the record holds no cell.
    int lowestMv = 0;
    int lowestCell = 0;
    int highestMv = 0;
    int highestCell = 0;
    int highestTemperature = 0; // 0.01 degC, the warmest of the six sensors
    bool protection = false; // a protection is active (the main page shows a red lamp)
    bool alarm = false; // an alarm is active (an amber lamp)
    int cellDifferenceMv() const { return highestMv - lowestMv; }
};

// The record's figures. cellsInSeries, as the reply reports it, says how many cells are present;
// 0 (or more than the record holds) counts them up to the last nonzero one.
Pack summarize(int address, const cell &record, int cellsInSeries);
// How many cells the record holds: cellsInSeries, or up to the last nonzero cell when it is 0 or
// more than the record holds.
int presentCells(const cell &record, int cellsInSeries);
// The lowest and highest of the first present cells into pack (the first of equal cells).
void cellExtremes(const cell &record, int present, Pack *pack);

// The current with its direction: the board may send the magnitude while discharging.
int signedCurrent(int currentMa, int jobCode);

struct Bank
{
    int packs = 0; // the packs the figures are taken over
    qint64 currentMa = 0; // sum
    double powerW = 0; // sum of each pack's voltage times its current
    double averageSoc = 0;
    int lowestMv = 0; // the lowest cell of the bank, and where it is; 0 without packs
    int lowestPack = 0;
    int lowestCell = 0;
};

// The bank over the packs given (those answering).
Bank bank(const QVector<Pack> &packs);

} // namespace PackSummary
