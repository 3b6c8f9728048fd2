#pragma once

#include "trendbuffer.h"

#include <QColor>
#include <QString>
#include <QtCharts/QChartGlobal>

#include <vector>

QT_CHARTS_BEGIN_NAMESPACE
class QAbstractAxis;
class QValueAxis;
QT_CHARTS_END_NAMESPACE

// What the charts of the trends page show and how they look: the series of each chart with their
// names, units and colours, the axes' ranges, and the time axis' format.
namespace TrendLooks {

inline const QColor Background(55, 55, 55);
inline const QColor LabelColor(255, 254, 255);
inline const QColor GridColor(85, 85, 85);

// One series: the channel it draws, its name, the factor from the stored unit to the shown one,
// the decimals of its values and the axis it belongs to (0 left, 1 right).
struct SeriesLook
{
    TrendBuffer::Channel channel;
    const char *name;
    double scale;
    int decimals;
    const char *unit;
    QColor color;
    int axis;
};

// The shown range of an axis: at least minimumSpan wide, and always holding [anchorLow,
// anchorHigh] when that is not empty.
struct AxisLook
{
    const char *unit;
    double minimumSpan;
    double anchorLow;
    double anchorHigh;
};

struct ChartLook
{
    const char *objectName;
    std::vector<SeriesLook> series;
    std::vector<AxisLook> axes;
};

// The four charts, in the order of the page's grid (left to right, top to bottom).
const std::vector<ChartLook> &chartLooks();

// The time axis' labels for a window of spanMs.
QString timeFormat(qint64 spanMs);

// Shows at least [lo, hi] in four or five steps of 1, 2, 2.5 or 5 times a power of ten, with
// as many decimals as the step needs.
void setNiceRange(QtCharts::QValueAxis *axis, double lo, double hi);

// The labels, titles and lines of an axis in the page's colours and small print.
void styleAxis(QtCharts::QAbstractAxis *axis);

} // namespace TrendLooks
