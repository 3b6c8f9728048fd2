#include "cellchart.h"

#include <limits>

namespace CellChart {

Bars refresh(cell *afe)
{
    Bars bars;
    if (!afe)
        return bars;
    for (int i = 0; i < Cells; ++i) {
        int &voltage = afe->cell[i];
        if (voltage < LowestShown || voltage > HighestShown)
            voltage = 0;
        if (afe->blance_statu & (1 << i))
            bars.balancing[i] = voltage;
        else
            bars.idle[i] = voltage;
    }
    return bars;
}

Zoom wheelZoom(double axisMin, double axisMax, int verticalDelta, const cell &afe)
{
    constexpr double Factor = 0.1;
    const double centre = afe.avgv;
    double range = axisMax - axisMin;
    if (verticalDelta > 0)
        range -= range * Factor;
    else
        range += range * Factor;
    // The spread is taken in whole millivolts, then scaled.
    const double spreadFloor = double(qint64(afe.maxv) - qint64(afe.minv)) * Factor;
    if (range < spreadFloor)
        range = spreadFloor;

    Zoom zoom;
    const double max = centre + range / 2;
    const double min = centre - range / 2;
    if (!(min > 0))
        return zoom;
    // Repeated zooming out grows the range without end; stop where the stored bounds would no
    // longer be whole numbers of millivolts that an int can hold.
    if (!(max < double(std::numeric_limits<int>::max())))
        return zoom;
    zoom.changed = true;
    zoom.min = min;
    zoom.max = max;
    zoom.minmark = int(min);
    zoom.maxmark = int(max);
    return zoom;
}

} // namespace CellChart
