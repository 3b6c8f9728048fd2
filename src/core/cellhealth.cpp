#include "cellhealth.h"

#include "packsummary.h"
#include "telemetry.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

constexpr int CellSlots = int(std::size(cell{}.cell));
static_assert(CellSlots == CellHealth::MaxCells, "a record holds MaxCells cells");

// The median and the interquartile range of n values, sorted in place.
void medianAndSpread(float *values, int n, double *median, double *spread)
{
    std::sort(values, values + n);
    auto at = [values, n](double q) {
        // Linear between the two nearest ranks.
        const double pos = q * (n - 1);
        const int lo = int(pos);
        const int hi = std::min(lo + 1, n - 1);
        return values[lo] + (pos - lo) * (values[hi] - values[lo]);
    };
    *median = at(0.5);
    *spread = at(0.75) - at(0.25);
}

QJsonValue rounded(double mohm)
{
    return std::round(mohm * 1000) / 1000;
}

} // namespace

void CellHealth::setDesignCapacityAh(int ah)
{
    // A tenth of the capacity's current: 100 mA per Ah.
    m_stepMa = ah > 0 ? ah * 100 : DefaultStepMa;
}

void CellHealth::setPeriodMs(qint64 ms)
{
    m_givenPeriodMs = std::max<qint64>(ms, 0);
}

qint64 CellHealth::periodMs() const
{
    if (m_givenPeriodMs > 0)
        return m_givenPeriodMs;
    // A few spacings first: the first ones after a start may be anything.
    if (m_spacingCount < 3)
        return 0;
    std::array<qint64, PeriodSamples> s = m_spacings;
    const auto middle = s.begin() + m_spacingCount / 2;
    std::nth_element(s.begin(), middle, s.begin() + m_spacingCount);
    return *middle;
}

void CellHealth::learnSpacing(qint64 spacingMs)
{
    m_spacings[size_t(m_spacingNext)] = spacingMs;
    m_spacingNext = (m_spacingNext + 1) % PeriodSamples;
    m_spacingCount = std::min(m_spacingCount + 1, PeriodSamples);
}

void CellHealth::clear()
{
    const int stepMa = m_stepMa;
    const qint64 period = m_givenPeriodMs;
    *this = CellHealth();
    m_stepMa = stepMa;
    m_givenPeriodMs = period;
}

void CellHealth::resetCells(int cells)
{
    const int stepMa = m_stepMa;
    const qint64 period = m_givenPeriodMs;
    const auto spacings = m_spacings;
    const int spacingCount = m_spacingCount;
    const int spacingNext = m_spacingNext;
    *this = CellHealth();
    m_stepMa = stepMa;
    m_givenPeriodMs = period;
    m_spacings = spacings;
    m_spacingCount = spacingCount;
    m_spacingNext = spacingNext;
    m_cells = cells;
}

void CellHealth::take(qint64 timeMs, const cell &record, int cellsInSeries)
{
    int cells = cellsInSeries;
    if (cells <= 0 || cells > CellSlots) {
        cells = CellSlots;
        while (cells > 0 && record.cell[cells - 1] == 0)
            --cells;
    }
    if (cells == 0)
        return; // nothing to judge a cell by
    // Another number of cells is another pack, or a board set up anew: its figures start over.
    if (cells != m_cells)
        resetCells(cells);
    m_dirty = true;

    Reply now;
    now.timeMs = timeMs;
    now.currentMa = PackSummary::signedCurrent(record.cadc, record.job_statu);
    now.protection = record.sys_statu != 0;
    now.balancing = (unsigned(record.blance_statu) & ((1u << cells) - 1)) != 0;
    int lowest = 0;
    int highest = 0;
    for (int i = 0; i < cells; ++i) {
        const int mv = record.cell[i];
        now.mv[size_t(i)] = mv;
        if (mv < now.mv[size_t(lowest)])
            lowest = i;
        if (mv > now.mv[size_t(highest)])
            highest = i;
    }

    // The spread at rest (hardly any current) and under load (at least a step's worth).
    const int spread = now.mv[size_t(highest)] - now.mv[size_t(lowest)];
    const int restMa = m_stepMa / 10;
    const qint64 amountMa = std::abs(qint64(now.currentMa)); // a line may send any 32 bits
    if (amountMa < restMa) {
        m_restSpreadMv = spread;
        m_restSpreadSum += spread;
        ++m_restReplies;
    } else if (amountMa >= m_stepMa) {
        m_loadSpreadMv = spread;
        m_loadSpreadSum += spread;
        ++m_loadReplies;
    }
    if (now.currentMa <= -restMa) {
        ++m_lowestCounts[size_t(lowest)];
        ++m_dischargeReplies;
    }

    if (m_hasLast && timeMs > m_last.timeMs) {
        learnSpacing(timeMs - m_last.timeMs);
        if (std::abs(qint64(now.currentMa) - m_last.currentMa) >= m_stepMa)
            takeStep(m_last, now);
    }
    m_last = now;
    m_hasLast = true;
}

void CellHealth::takeStep(const Reply &before, const Reply &after)
{
    // Replies further apart than two periods miss part of what happened between them: the cells
    // have relaxed toward their resting voltage or the current changed more than once.
    const qint64 period = periodMs();
    if (period <= 0 || after.timeMs - before.timeMs > 2 * period) {
        ++m_leftOut[TooFarApart];
        return;
    }
    // A protection opens a MOSFET: the step is the board cutting the current off, and the cell
    // voltages are what tripped it (an over-current, a short circuit, a cell at its limit), not a
    // load's step through healthy contacts.
    if (before.protection || after.protection) {
        ++m_leftOut[Protection];
        return;
    }
    // A balanced cell carries the bleed current besides the pack's, and boards pause or skew the
    // measurement of it and of its neighbours (they share sense wires) while the bleed runs.
    if (before.balancing || after.balancing) {
        ++m_leftOut[Balancing];
        return;
    }
    // The current counts positive while charging, so a cell's voltage rises with it: R = dV / dI
    // (the same as -dV / dI with the discharge counted positive). mV per mA is ohm; in mOhm:
    const double perMa = 1000.0 / double(qint64(after.currentMa) - before.currentMa);
    for (int i = 0; i < m_cells; ++i)
        m_steps[size_t(i)][size_t(m_stepNext)] =
            float((after.mv[size_t(i)] - before.mv[size_t(i)]) * perMa);
    m_stepNext = (m_stepNext + 1) % Window;
    m_stepCount = std::min(m_stepCount + 1, Window);
    ++m_stepsUsed;
    m_stepsDirty = true;
}

void CellHealth::workOutResistances() const
{
    m_stepsDirty = false;
    Result &r = m_result;
    r.cell.fill(Cell(), m_cells);
    r.medianMohm = 0;
    r.weakCell = 0;
    r.highestCell = 0;
    r.enoughSteps = false;

    std::array<float, Window> sorted;
    std::array<double, MaxCells> medians;
    int validCells = 0;
    for (int i = 0; i < m_cells; ++i) {
        Cell &c = r.cell[i];
        c.steps = m_stepCount;
        c.valid = m_stepCount >= ValidAfter;
        if (m_stepCount == 0)
            continue;
        std::copy_n(m_steps[size_t(i)].begin(), m_stepCount, sorted.begin());
        medianAndSpread(sorted.data(), m_stepCount, &c.resistanceMohm, &c.spreadMohm);
        if (c.valid) {
            medians[size_t(validCells++)] = c.resistanceMohm;
            if (r.highestCell == 0 || c.resistanceMohm > r.cell[r.highestCell - 1].resistanceMohm)
                r.highestCell = i + 1;
        }
    }
    r.enoughSteps = validCells > 0 && validCells == m_cells;
    if (validCells > 0) {
        std::sort(medians.begin(), medians.begin() + validCells);
        r.medianMohm = validCells % 2
            ? medians[size_t(validCells / 2)]
            : (medians[size_t(validCells / 2 - 1)] + medians[size_t(validCells / 2)]) / 2;
    }
    // A pack whose median is not above zero has no resistance to compare with.
    if (r.medianMohm > 0) {
        for (int i = 0; i < m_cells; ++i) {
            Cell &c = r.cell[i];
            c.high = c.valid && c.resistanceMohm >= HighFactor * r.medianMohm;
            if (c.high
                && (r.weakCell == 0 || c.resistanceMohm > r.cell[r.weakCell - 1].resistanceMohm))
                r.weakCell = i + 1;
        }
    }
}

const CellHealth::Result &CellHealth::result() const
{
    if (!m_dirty)
        return m_result;
    m_dirty = false;
    // The resistances change only with a step; the rest is a handful of numbers.
    if (m_stepsDirty || m_result.cells != m_cells) {
        m_result.cells = m_cells;
        workOutResistances();
    }
    Result &r = m_result;
    r.steps = m_stepsUsed;
    r.leftOut = m_leftOut;
    r.restSpreadMv = m_restSpreadMv;
    r.loadSpreadMv = m_loadSpreadMv;
    r.restSpreadMeanMv = m_restReplies ? double(m_restSpreadSum) / m_restReplies : -1;
    r.loadSpreadMeanMv = m_loadReplies ? double(m_loadSpreadSum) / m_loadReplies : -1;
    r.dischargeReplies = m_dischargeReplies;
    r.lowestCell = 0;
    r.lowestCount = 0;
    for (int i = 0; i < m_cells; ++i) {
        if (m_lowestCounts[size_t(i)] > r.lowestCount) {
            r.lowestCount = m_lowestCounts[size_t(i)];
            r.lowestCell = i + 1;
        }
    }
    return r;
}

void CellHealth::addToState(QJsonObject *state) const
{
    const Result &r = result();
    QJsonArray resistance;
    QJsonArray steps;
    QJsonArray high;
    for (int i = 0; i < r.cells; ++i) {
        const Cell &c = r.cell[i];
        resistance.append(c.valid ? rounded(c.resistanceMohm) : QJsonValue());
        steps.append(c.steps);
        if (c.high)
            high.append(i + 1);
    }
    auto orNull = [](bool known, const QJsonValue &v) { return known ? v : QJsonValue(); };
    QJsonObject health{
        { "steps", r.steps },
        { "enough_steps", r.enoughSteps },
        { "cell_resistance_mohm", resistance },
        { "cell_steps", steps },
        { "median_mohm", orNull(r.medianMohm > 0, rounded(r.medianMohm)) },
        { "weak_cell", orNull(r.weakCell > 0, r.weakCell) },
        { "high_resistance_cells", high },
        { "highest_resistance_mohm",
          orNull(r.highestCell > 0,
                 r.highestCell > 0 ? rounded(r.cell[r.highestCell - 1].resistanceMohm) : 0) },
        { "highest_resistance_cell", orNull(r.highestCell > 0, r.highestCell) },
        { "cell_difference_mv",
          QJsonObject{ { "rest", orNull(r.restSpreadMv >= 0, r.restSpreadMv) },
                       { "load", orNull(r.loadSpreadMv >= 0, r.loadSpreadMv) } } },
        { "lowest_cell_discharging", orNull(r.lowestCell > 0, r.lowestCell) },
    };
    state->insert(QStringLiteral("health"), health);
}
