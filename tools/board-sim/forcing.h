#pragma once

#include "boardparameters.h"

#include <QString>

// A reading the board is made to take whatever the pack does: a cell's voltage or a temperature
// sensor's reading held at one value, so the board's own protections and alarms decide on it
// with their own thresholds and delays. Written "KIND:N[:VALUE]":
//   over-voltage:7[:MV]      cell 7 reads MV (default: 1 mV past the cell over-voltage point)
//   under-voltage:7[:MV]     cell 7 reads MV (default: 1 mV under the cell under-voltage point)
//   over-temp:2[:DEGC]       sensor TS2 reads DEGC (default: 1 degC past the high-temperature
//                            protection of the side in use when forced)
//   under-temp:2[:DEGC]      likewise under the low-temperature protection
//   alarm-high-temp:2[:DEGC] 1 degC past the high-temperature alarm of the side in use
//   alarm-low-temp:2[:DEGC]  1 degC under the low-temperature alarm of the side in use
// The side in use is the charge side while a charger is connected, the discharge side otherwise.
struct Forcing
{
    enum Kind { OverVoltage, UnderVoltage, OverTemp, UnderTemp, HighTempAlarm, LowTempAlarm };

    static constexpr int MaxCellMv = 9999;
    static constexpr int MinCentiC = -4000; // what the reply's temperature field can carry
    static constexpr int MaxCentiC = 12500;
    static constexpr int Sensors = 4; // TS1..TS4

    Kind kind = OverVoltage;
    int index = 0; // the cell, from 1; or the sensor, 1 for TS1 .. 4 for TS4
    bool hasValue = false;
    int value = 0; // mV for a cell, 0.01 degC for a sensor

    bool onCell() const { return kind == OverVoltage || kind == UnderVoltage; }
    // The same cell or sensor (a later forcing there replaces an earlier one).
    bool samePlace(const Forcing &other) const
    {
        return onCell() == other.onCell() && index == other.index;
    }

    // "KIND:N[:VALUE]"; withValue false: "KIND:N" only (what to release). False with a line of
    // error for anything else. The cell is checked against a board's cells when it is forced.
    static bool parse(const QString &text, Forcing *out, QString *error, bool withValue = true);
    static QString kindName(Kind kind);

    // The value a forcing without one takes: just past the board's threshold in force.
    int defaultValue(const BoardParameters &p, bool charging) const;
    // "cell 7 to 3651 mV (over-voltage)", "sensor TS2 to 66.00 degC (over-temp)".
    QString describe() const;
    // "cell 7", "sensor TS2".
    QString place() const;
};
