#pragma once

#include "telemetry.h"

// The arithmetic of the cell voltage bar chart: which bar shows which value, and the wheel zoom
// of its voltage axis.
namespace CellChart {

constexpr int Cells = 16; // cells 1 .. 16 are charted
constexpr int LowestShown = 500; // mV; values outside [LowestShown, HighestShown] read 0
constexpr int HighestShown = 5000;
constexpr int InitialMinMark = 2000; // mV, the voltage axis at start
constexpr int InitialMaxMark = 4500;

// The values of the two stacked bar sets, one per cell: a balancing cell stands in
// `balancing` (drawn dark green), every other cell in `idle`; the other set holds 0.
struct Bars
{
    int balancing[Cells] = {};
    int idle[Cells] = {};
};

// Zeroes implausible voltages of cells 1 .. 16 in the record itself, then splits them by the
// record's balancing word.
Bars refresh(cell *afe);

// One wheel step on the voltage axis.
struct Zoom
{
    bool changed = false; // false: the step was refused and nothing changes
    double min = 0; // the new axis range, exactly
    double max = 0;
    int minmark = 0; // the same bounds truncated toward zero, kept for later refreshes
    int maxmark = 0;
};

// Zooms around avgv: a positive vertical delta narrows the range by 10 %, anything else widens
// it by 10 %. The range never drops below a tenth of the cell spread (maxv - minv). A step
// whose lower bound would not stay above 0 mV, or whose bounds no longer fit an int, is refused.
Zoom wheelZoom(double axisMin, double axisMax, int verticalDelta, const cell &afe);

} // namespace CellChart
