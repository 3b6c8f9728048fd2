#include "healthview.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const QColor Background(0x2e, 0x2e, 0x2e);
const QColor Axis(0x70, 0x70, 0x70);
const QColor Text(0xe8, 0xe8, 0xe8);
const QColor Dim(0x90, 0x90, 0x90);
const QColor Healthy(0x2a, 0x9f, 0xd6);
const QColor High(0xff, 0xb3, 0x00);
const QColor Weak(0xe5, 0x39, 0x35);
const QColor TooFew(0x60, 0x60, 0x60);
const QColor Median(0xf0, 0xf0, 0xf0);

constexpr int Margin = 12;
constexpr int AxisWidth = 64; // the scale's numbers at the left
constexpr int TopRoom = 28; // the caption above the bars

// A round step for the scale's lines: 1, 2 or 5 times a power of ten.
double niceStep(double span)
{
    const double raw = span / 4;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : { 1.0, 2.0, 5.0 }) {
        if (f * power >= raw)
            return f * power;
    }
    return 10 * power;
}
} // namespace

HealthView::HealthView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("health_view"));
    setMinimumSize(400, 240);
}

void HealthView::setResult(const CellHealth::Result &result)
{
    m_result = result;
    update();
}

void HealthView::setLocale(const QLocale &locale)
{
    m_locale = locale;
    update();
}

QString HealthView::message() const
{
    return m_result.enoughSteps ? QString() : tr("电流阶跃尚不足");
}

void HealthView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        update();
    QWidget::changeEvent(event);
}

void HealthView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Background);
    const QFontMetrics fm(font());
    const int line = fm.height();
    const CellHealth::Result &r = m_result;

    // The chart's area: the scale at the left, the cell numbers and step counts below.
    // Half a line of room above and below for the scale's top and bottom numbers.
    const QRect chart(Margin + AxisWidth, Margin + TopRoom + line / 2,
                      width() - 2 * Margin - AxisWidth,
                      height() - 2 * Margin - TopRoom - 3 * line - 8);
    p.setPen(Text);
    p.drawText(QRect(Margin, Margin, width() - 2 * Margin, TopRoom), Qt::AlignLeft | Qt::AlignTop,
               tr("电芯内阻 (mΩ)"));

    double top = 0;
    for (const CellHealth::Cell &c : r.cell) {
        if (c.steps > 0)
            top = std::max(top, c.resistanceMohm);
    }
    top = std::max(top, r.medianMohm * CellHealth::HighFactor);
    const bool scaled = top > 0 && chart.height() > 0;
    if (scaled) {
        const double step = niceStep(top * 1.1);
        top = std::ceil(top * 1.1 / step) * step;
        p.setPen(Axis);
        for (double v = 0; v <= top + step / 2; v += step) {
            const int y = chart.bottom() - int(std::lround(v / top * chart.height()));
            p.drawLine(chart.left(), y, chart.right(), y);
            p.setPen(Dim);
            p.drawText(QRect(Margin, y - line / 2, AxisWidth - 6, line),
                       Qt::AlignRight | Qt::AlignVCenter,
                       m_locale.toString(v, 'f',
                                         step < 0.1     ? 2
                                             : step < 1 ? 1
                                                        : 0));
            p.setPen(Axis);
        }
    }
    p.setPen(Axis);
    p.drawLine(chart.bottomLeft(), chart.bottomRight());

    // The captions of the two rows under the bars.
    const int numbersY = chart.bottom() + line / 2 + 4;
    const int stepsY = numbersY + line + 2;
    p.setPen(Dim);
    p.drawText(QRect(Margin, numbersY, AxisWidth - 6, line), Qt::AlignRight | Qt::AlignVCenter,
               tr("电芯"));
    p.drawText(QRect(Margin, stepsY, AxisWidth - 6, line), Qt::AlignRight | Qt::AlignVCenter,
               tr("阶跃"));

    const int n = r.cells;
    if (n > 0) {
        const double slot = double(chart.width()) / n;
        const int barWidth = std::max(2, int(slot * 0.6));
        for (int i = 0; i < n; ++i) {
            const CellHealth::Cell &c = r.cell[i];
            const int x = chart.left() + int(slot * i + (slot - barWidth) / 2);
            const int columnLeft = chart.left() + int(slot * i);
            const int columnWidth = int(slot);
            if (scaled && c.steps > 0 && c.resistanceMohm > 0) {
                const int h = int(std::lround(c.resistanceMohm / top * chart.height()));
                const QColor colour = !c.valid ? TooFew
                    : i + 1 == r.weakCell      ? Weak
                    : c.high                   ? High
                                               : Healthy;
                p.fillRect(QRect(x, chart.bottom() - h, barWidth, h), colour);
                // The value above the bar where there is room for it.
                const QString value = m_locale.toString(c.resistanceMohm, 'f', 2);
                if (c.valid && fm.horizontalAdvance(value) <= columnWidth) {
                    p.setPen(i + 1 == r.weakCell ? Weak : Dim);
                    p.drawText(QRect(columnLeft, chart.bottom() - h - line, columnWidth, line),
                               Qt::AlignHCenter | Qt::AlignBottom, value);
                }
            }
            p.setPen(i + 1 == r.weakCell ? Weak : Text);
            p.drawText(QRect(columnLeft, numbersY, columnWidth, line), Qt::AlignCenter,
                       QString::number(i + 1));
            p.setPen(Dim);
            p.drawText(QRect(columnLeft, stepsY, columnWidth, line), Qt::AlignCenter,
                       m_locale.toString(c.steps));
        }
    }

    // The pack's median across the bars.
    if (scaled && r.medianMohm > 0) {
        const int y = chart.bottom() - int(std::lround(r.medianMohm / top * chart.height()));
        p.setPen(QPen(Median, 1.5, Qt::DashLine));
        p.drawLine(chart.left(), y, chart.right(), y);
        p.setPen(Median);
        p.drawText(QRect(chart.left(), Margin, chart.width(), TopRoom),
                   Qt::AlignRight | Qt::AlignTop,
                   tr("中位数 %1 mΩ").arg(m_locale.toString(r.medianMohm, 'f', 3)));
    }

    const QString says = message();
    if (!says.isEmpty()) {
        QFont big = font();
        big.setPointSizeF(big.pointSizeF() * 1.4);
        p.setFont(big);
        p.setPen(Text);
        p.drawText(chart, Qt::AlignCenter, says);
    }
}
