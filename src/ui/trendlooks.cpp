#include "trendlooks.h"

#include <QtCharts/QAbstractAxis>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

QT_CHARTS_USE_NAMESPACE

namespace TrendLooks {

const std::vector<ChartLook> &chartLooks()
{
    static const std::vector<ChartLook> looks = {
        { "trend_chart_power",
          { { TrendBuffer::PackVoltage, QT_TRANSLATE_NOOP("TrendView", "总电压"), 0.001, 2, "V",
              QColor(64, 164, 255), 0 },
            { TrendBuffer::Current, QT_TRANSLATE_NOOP("TrendView", "电流"), 0.001, 2, "A",
              QColor(255, 176, 0), 1 } },
          { { "V", 0.5, 0, -1 }, { "A", 1, 0, 0 } } },
        { "trend_chart_soc",
          { { TrendBuffer::Soc, QT_TRANSLATE_NOOP("TrendView", "SOC"), 1, 0, "%",
              QColor(40, 200, 70), 0 } },
          { { "%", 10, 0, 100 } } },
        { "trend_chart_cells",
          { { TrendBuffer::HighestCell, QT_TRANSLATE_NOOP("TrendView", "最大电压"), 1, 0, "mV",
              QColor(232, 72, 72), 0 },
            { TrendBuffer::LowestCell, QT_TRANSLATE_NOOP("TrendView", "最小电压"), 1, 0, "mV",
              QColor(64, 164, 255), 0 },
            { TrendBuffer::AverageCell, QT_TRANSLATE_NOOP("TrendView", "平均电压"), 1, 0, "mV",
              QColor(236, 236, 236), 0 } },
          { { "mV", 20, 0, -1 } } },
        { "trend_chart_temperatures",
          { { TrendBuffer::MosTemperature, QT_TRANSLATE_NOOP("TrendView", "MOS"), 0.01, 1, "℃",
              QColor(255, 120, 60), 0 },
            { TrendBuffer::CellTemperature1, QT_TRANSLATE_NOOP("TrendView", "TS1"), 0.01, 1, "℃",
              QColor(255, 214, 64), 0 },
            { TrendBuffer::CellTemperature2, QT_TRANSLATE_NOOP("TrendView", "TS2"), 0.01, 1, "℃",
              QColor(120, 220, 120), 0 },
            { TrendBuffer::CellTemperature3, QT_TRANSLATE_NOOP("TrendView", "TS3"), 0.01, 1, "℃",
              QColor(80, 200, 255), 0 },
            { TrendBuffer::CellTemperature4, QT_TRANSLATE_NOOP("TrendView", "TS4"), 0.01, 1, "℃",
              QColor(190, 140, 255), 0 },
            { TrendBuffer::AmbientTemperature, QT_TRANSLATE_NOOP("TrendView", "环境"), 0.01, 1, "℃",
              QColor(190, 190, 190), 0 } },
          { { "℃", 2, 0, -1 } } },
    };
    return looks;
}

QString timeFormat(qint64 spanMs)
{
    if (spanMs <= 20 * 60 * 1000)
        return QStringLiteral("HH:mm:ss");
    if (spanMs <= 24 * 3600 * 1000)
        return QStringLiteral("HH:mm");
    return QStringLiteral("MM-dd HH:mm");
}

void setNiceRange(QValueAxis *axis, double lo, double hi)
{
    const double raw = (hi - lo) / 4;
    if (!(raw > 0) || !std::isfinite(raw)) {
        axis->setRange(lo, lo + 1);
        return;
    }
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power * 5;
    for (double factor : { 1.0, 2.0, 2.5, 5.0 }) {
        if (power * factor >= raw) {
            step = power * factor;
            break;
        }
    }
    const double first = std::floor(lo / step + 1e-9) * step;
    const double last = std::ceil(hi / step - 1e-9) * step;
    const int decimals =
        std::max(0, int(std::ceil(-std::log10(step) - 1e-9)) + (step / power == 2.5 ? 1 : 0));
    // Each of these lays the chart out again when set, even to what it already is.
    const QString format = QStringLiteral("%.%1f").arg(decimals);
    if (axis->labelFormat() != format)
        axis->setLabelFormat(format);
    if (axis->min() != first || axis->max() != last)
        axis->setRange(first, last);
    const int ticks = int(std::lround((last - first) / step)) + 1;
    if (axis->tickCount() != ticks)
        axis->setTickCount(ticks);
}

void styleAxis(QAbstractAxis *axis)
{
    axis->setLabelsColor(LabelColor);
    axis->setTitleBrush(LabelColor);
    axis->setGridLineColor(GridColor);
    axis->setLinePenColor(GridColor);
    QFont font = axis->labelsFont();
    font.setPointSize(8);
    axis->setLabelsFont(font);
    axis->setTitleFont(font);
}

} // namespace TrendLooks
