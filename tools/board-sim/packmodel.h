#pragma once

#include "boardparameters.h"
#include "forcing.h"

#include <QString>
#include <QVector>

#include <array>
#include <cstdint>
#include <random>

// One step of the current profile: a constant current (A, positive while charging, negative
// while discharging, 0 at rest) held for a time. The profile repeats.
struct ProfileStep
{
    double amps = 0;
    double seconds = 0;
};

// Parses a profile: a preset name ("cycle", "charge", "discharge", "rest") or a comma-separated
// list of AMPS:SECONDS steps such as "50:240,0:60,-40:300,0:60". Returns an empty list and sets
// *error for anything else.
QVector<ProfileStep> parseProfile(const QString &text, QString *error);

// Protection codes as the board reports them.
enum Protection : int {
    NoProtection = 0,
    ChargeOverTemp = 1,
    DischargeOverTemp = 2,
    ChargeUnderTemp = 3,
    DischargeUnderTemp = 4,
    CellOverVoltage = 5,
    ChargeOverCurrent = 6,
    CellUnderVoltage = 7,
    DischargeOverCurrent1 = 8,
    DischargeOverCurrent2 = 9,
    PcbOverTemp = 10,
    ShortCircuit = 11,
    CellDifference = 12,
    PackOverVoltage = 13,
    PackUnderVoltage = 14,
};

// Alarm word bits. The real-time reply carries the low four bits; the discharge low-temperature
// alarm (bit 4) does not fit there.
enum AlarmBit : int {
    ChargeHighTempAlarm = 1 << 1,
    ChargeLowTempAlarm = 1 << 2,
    DischargeHighTempAlarm = 1 << 3,
    DischargeLowTempAlarm = 1 << 4,
};

// Job codes.
enum Job : int { JobRest = 0, JobCharging = 1, JobDischarging = 2 };

// What the board measures and decides at one moment, in physical units.
struct Telemetry
{
    static constexpr int MaxCells = 25;
    int cellCount = 0;
    std::array<int, MaxCells> cellMv{}; // 0 beyond the cell count
    std::array<int, 6> tempCenti{}; // 0.01 degC: environment, MOSFET, TS1..TS4
    int protection = NoProtection;
    int alarms = 0;
    int job = JobRest;
    bool chargeMos = true;
    bool dischargeMos = true;
    bool charger = false; // a charger is connected
    bool load = false; // a load is connected
    int currentMa = 0; // positive while charging
    qint64 remainingMah = 0;
    qint64 chargedMah = 0;
    qint64 dischargedMah = 0;
    int cycles = 0;
    uint32_t balancing = 0; // bit i: cell i + 1 is being balanced
    int packMv = 0;
    int avgMv = 0;
    int maxMv = 0;
    int minMv = 0;
    int maxDiffMv = 0; // highest minus lowest cell
    int minDiffMv = 0; // the closest two cells
    int maxCell = 0; // number of the highest cell, from 1
    int socPercent = 0;
    int sohPercent = 0;
    bool calibrating = false;
    int calibrationAmps = 0; // the current measured by the last calibration
};

// A pack of LiFePO4 cells in series: state of charge integrated from the profile current, cell
// voltages from an open-circuit curve plus internal resistance plus a fixed per-cell spread,
// temperatures that follow the heat of the current, balancing, and protections and alarms decided
// from the board's own thresholds. Everything random comes from the seed, so a run is repeatable.
class PackModel
{
public:
    struct Config
    {
        int cells = 16;
        double socPercent = 50;
        double ambientC = 25;
        uint32_t seed = 1;
        QVector<ProfileStep> profile;
        int weakCell = 0; // 1-based; 0: none
        double weakFactor = DefaultWeakFactor; // the weak cell's resistance against its own
    };

    static constexpr double DefaultWeakFactor = 2.5;
    // A cell's resistance once the current has flowed for a while: a share of it at once
    // (ohmic), the rest building up and relaxing slowly (polarisation).
    static constexpr double CellResistanceOhm = 0.0010;
    static constexpr double OhmicShare = 0.3;
    static constexpr double BalanceCurrentA = 0.06;
    static constexpr double CurrentTripReleaseS = 5; // over-current and short circuit
    static constexpr double TempTripDelayS = 1;
    static constexpr double CalibrationS = 5;
    static constexpr double PcbTripC = 85;
    static constexpr double PcbReleaseC = 75;

    // What went in and out of the pack, from the model's own current and pack voltage: the
    // figure the host tool's books are checked against.
    struct Books
    {
        double chargedAh = 0;
        double dischargedAh = 0;
        double chargedWh = 0;
        double dischargedWh = 0;
        double seconds = 0; // the time booked
    };

    PackModel(const Config &config, const BoardParameters &parameters);

    // Advances the model by the given time. The parameters are read at every step, so a written
    // threshold takes effect at once.
    void step(double seconds, const BoardParameters &parameters);
    const Telemetry &telemetry() const { return m_t; }
    const Books &books() const { return m_books; }
    // Books the present current and voltage for the given time without moving the model (the
    // measured values are frozen, the current still flows).
    void keepBooks(double seconds);

    // The device commands that act on the model.
    void resetSoc(); // back to the starting state of charge
    void startCalibration();
    void clearProtections(); // after a controller reset

    // Holds a cell's or a sensor's reading at the forcing's value from the next step on (a
    // forcing without a value takes the default from the board's thresholds now); a later
    // forcing of the same cell or sensor replaces an earlier one. The forcing as applied.
    Forcing force(Forcing forcing, const BoardParameters &parameters);
    // Ends the forcing of that cell or sensor; false when there was none.
    bool release(const Forcing &place);
    // Ends every forcing; how many there were.
    int releaseAll();
    const QVector<Forcing> &forcings() const { return m_forcings; }
    // A charger is connected (the profile asks for a charging current).
    bool charging() const { return m_requestedA > 0; }

    double soc() const { return m_soc; }
    // The internal resistance of cell i (from 0) that a step of the current sees at once: what
    // a tool can measure from the cell voltages before and after the step.
    double cellResistanceOhm(int i) const;
    double cellOpenCircuitMv(double soc) const;

private:
    struct Trip
    {
        bool active = false;
        double pendingS = 0; // how long the condition has held
        double heldS = 0; // how long the protection has been active
    };

    void updateProtections(double dt, const BoardParameters &p, double requestedA);
    void measure(const BoardParameters &p);
    double gauss(double sigma);

    Config m_config;
    std::mt19937 m_rng;
    double m_profileTime = 0;
    double m_soc = 0.5; // pack state of charge, 0..1
    double m_currentA = 0;
    double m_polarisationA = 0; // the current as the slow part of the cell voltage sees it
    bool m_started = false;
    double m_requestedA = 0;
    double m_chargedAh = 0;
    double m_dischargedAh = 0;
    double m_cellTempC = 25;
    double m_mosTempC = 25;
    double m_calibrationLeftS = 0;
    int m_calibrationAmps = 0;
    std::array<double, Telemetry::MaxCells> m_socOffset{}; // imbalance of each cell
    std::array<double, Telemetry::MaxCells> m_resistanceFactor{};
    std::array<double, Telemetry::MaxCells> m_sensorOffsetMv{};
    std::array<double, 6> m_tempOffsetC{};
    std::array<Trip, 15> m_trips{};
    QVector<Forcing> m_forcings;
    Telemetry m_t;
    Books m_books;
};
