#pragma once

#include <QJsonObject>
#include <QVector>

#include <array>

struct cell;

// Which cell of a pack is wearing out. Every step of the current between two replies is a
// measurement: each cell's voltage steps with it through the cell's internal resistance, and a
// cell whose resistance has grown is the one that fails first. From the pack's valid replies in
// order, with their times:
// - each cell's internal resistance, the median of its last Window steps (valid after ValidAfter);
// - the cells at least HighFactor times the pack's median named as high-resistance;
// - the cell spread (highest minus lowest) at rest and under load;
// - the cell that is lowest most often while the pack discharges.
class CellHealth
{
public:
    static constexpr int MaxCells = 25;
    static constexpr int Window = 50; // steps kept per cell
    static constexpr int ValidAfter = 5; // steps before a cell's figure counts
    static constexpr double HighFactor = 1.5; // of the pack's median: a high-resistance cell
    static constexpr int DefaultStepMa = 5000; // the least step without a design capacity
    static constexpr int PeriodSamples = 15; // reply spacings the period is learnt from

    // Why a current step was not used.
    enum LeftOut {
        TooFarApart, // more than two periods between the replies (or the period not known yet)
        Protection, // a protection was active in either reply
        Balancing, // a cell was being balanced in either reply
        LeftOutKinds
    };

    struct Cell
    {
        double resistanceMohm = 0; // median of the steps kept; meaningful when valid
        double spreadMohm = 0; // interquartile range of the steps kept
        int steps = 0; // steps kept, at most Window
        bool valid = false; // at least ValidAfter steps
        bool high = false; // named as high-resistance
    };

    struct Result
    {
        int cells = 0; // cells of the pack (0 before a reply)
        qint64 steps = 0; // steps used since the start
        std::array<qint64, LeftOutKinds> leftOut{}; // steps not used, by reason
        bool enoughSteps = false; // every cell has a valid figure
        QVector<Cell> cell; // cells entries; [0] is cell 1
        double medianMohm = 0; // the pack's median over the valid cells; 0 when none
        int weakCell = 0; // the highest of the high-resistance cells, 1-based; 0 when none
        int highestCell = 0; // the valid cell of the highest resistance, 1-based; 0 when none
        // Cell spread, highest minus lowest in mV: the last reply at rest and under load, and
        // their means since the start; -1 when there was no such reply.
        int restSpreadMv = -1;
        int loadSpreadMv = -1;
        double restSpreadMeanMv = -1;
        double loadSpreadMeanMv = -1;
        // The cell lowest most often while discharging, 1-based (0 when the pack never
        // discharged), and in how many of those replies it was.
        int lowestCell = 0;
        qint64 lowestCount = 0;
        qint64 dischargeReplies = 0;
    };

    // The least step that counts: a tenth of the design capacity's current where it is known,
    // otherwise DefaultStepMa.
    void setDesignCapacityAh(int ah);
    int stepThresholdMa() const { return m_stepMa; }
    // The usual spacing of the replies; 0 (the default) learns it from the replies themselves.
    void setPeriodMs(qint64 ms);
    qint64 periodMs() const;

    // One valid real-time reply at timeMs (milliseconds that never step back). cellsInSeries as
    // the reply states it; 0 (a recording) counts the cells up to the last one that is not 0.
    void take(qint64 timeMs, const cell &record, int cellsInSeries);
    // Forgets everything but the design capacity and a given period.
    void clear();

    // The figures; worked out when asked, after a change (the resistances only after a step).
    const Result &result() const;
    // The weak cell alone, as result().weakCell.
    int weakCell() const { return result().weakCell; }

    // The "health" object of the pack's state: "steps", "enough_steps", "cell_resistance_mohm"
    // (one per cell, null while not valid), "cell_steps", "median_mohm", "weak_cell",
    // "high_resistance_cells", "highest_resistance_mohm" with its "highest_resistance_cell",
    // "cell_difference_mv" (rest, load) and
    // "lowest_cell_discharging".
    void addToState(QJsonObject *state) const;

private:
    struct Reply
    {
        qint64 timeMs = 0;
        int currentMa = 0; // signed: negative while discharging
        bool protection = false;
        bool balancing = false;
        std::array<int, MaxCells> mv{};
    };

    void learnSpacing(qint64 spacingMs);
    void takeStep(const Reply &before, const Reply &after);
    void resetCells(int cells);
    void workOutResistances() const;

    int m_stepMa = DefaultStepMa;
    qint64 m_givenPeriodMs = 0;

    int m_cells = 0;
    bool m_hasLast = false;
    Reply m_last;

    std::array<qint64, PeriodSamples> m_spacings{};
    int m_spacingCount = 0;
    int m_spacingNext = 0;

    // Each cell's last steps in mOhm, a ring of Window.
    std::array<std::array<float, Window>, MaxCells> m_steps{};
    int m_stepCount = 0; // kept, at most Window
    int m_stepNext = 0;
    qint64 m_stepsUsed = 0;
    std::array<qint64, LeftOutKinds> m_leftOut{};

    int m_restSpreadMv = -1;
    int m_loadSpreadMv = -1;
    qint64 m_restSpreadSum = 0;
    qint64 m_restReplies = 0;
    qint64 m_loadSpreadSum = 0;
    qint64 m_loadReplies = 0;
    std::array<qint64, MaxCells> m_lowestCounts{};
    qint64 m_dischargeReplies = 0;

    mutable Result m_result;
    mutable bool m_dirty = true;
    mutable bool m_stepsDirty = true;
};
