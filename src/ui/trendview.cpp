#include "trendview.h"

#include "trendchartview.h"
#include "trendlooks.h"

#include <QDateTime>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <iterator>
#include <limits>

QT_CHARTS_USE_NAMESPACE

namespace {

constexpr int PixelsPerBucket = 2;
constexpr qreal SeriesZ = 4; // where a chart's own series stand: over the grid, under the legend

} // namespace

using namespace TrendLooks;

struct TrendView::Chart
{
    const ChartLook *look = nullptr;
    ChartView *view = nullptr;
    QChart *chart = nullptr;
    QDateTimeAxis *time = nullptr;
    std::vector<QValueAxis *> axes;
    // The series stand in the legend and switch their lines; the lines are drawn by paths, which
    // can be broken where the samples have a gap (a line series runs through every point).
    std::vector<QLineSeries *> series; // in the order of look->series, empty
    QGraphicsRectItem *plot = nullptr; // the plot area: the lines are cut to it
    std::vector<QGraphicsPathItem *> lines; // one per series
    std::vector<std::vector<TrendBuffer::Point>> points; // what each line was drawn from
    QGraphicsLineItem *cursor = nullptr;
    QGraphicsRectItem *box = nullptr;
    QGraphicsSimpleTextItem *text = nullptr;
};

TrendView::TrendView(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);

    m_timer->setInterval(RefreshMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_dirty)
            refresh();
    });
    updateWindow();
}

TrendView::~TrendView() = default;

void TrendView::addChart(int row, int column, const char *name)
{
    auto c = std::make_unique<Chart>();
    c->look = &chartLooks()[m_charts.size()];
    c->chart = new QChart;
    c->chart->setAnimationOptions(QChart::NoAnimation);
    c->chart->setBackgroundBrush(Background);
    c->chart->setBackgroundRoundness(0);
    c->chart->setMargins(QMargins(4, 4, 4, 0));
    c->chart->legend()->setAlignment(Qt::AlignBottom);
    c->chart->legend()->setLabelColor(LabelColor);
    QFont legendFont = c->chart->legend()->font();
    legendFont.setPointSize(8);
    c->chart->legend()->setFont(legendFont);

    c->time = new QDateTimeAxis;
    c->time->setTickCount(7);
    styleAxis(c->time);
    c->chart->addAxis(c->time, Qt::AlignBottom);
    for (std::size_t a = 0; a < c->look->axes.size(); ++a) {
        auto *axis = new QValueAxis;
        axis->setTitleText(QString::fromUtf8(c->look->axes[a].unit));
        styleAxis(axis);
        axis->setGridLineVisible(a == 0); // one grid per chart: the left axis's
        c->chart->addAxis(axis, a == 0 ? Qt::AlignLeft : Qt::AlignRight);
        c->axes.push_back(axis);
    }
    c->plot = new QGraphicsRectItem(c->chart);
    c->plot->setPen(Qt::NoPen);
    c->plot->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    c->plot->setZValue(SeriesZ);
    for (const SeriesLook &look : c->look->series) {
        auto *series = new QLineSeries;
        series->setPen(QPen(look.color, 1.0));
        c->chart->addSeries(series);
        series->attachAxis(c->time);
        series->attachAxis(c->axes[std::size_t(look.axis)]);
        c->series.push_back(series);
        auto *line = new QGraphicsPathItem(c->plot);
        line->setPen(series->pen());
        c->lines.push_back(line);
    }
    c->points.resize(c->series.size());
    // A legend entry switches its series; the entry stays, dimmed while its series is off.
    const QList<QLegendMarker *> markers = c->chart->legend()->markers();
    for (QLegendMarker *marker : markers) {
        connect(marker, &QLegendMarker::clicked, this, [this, marker] {
            QAbstractSeries *series = marker->series();
            series->setVisible(!series->isVisible());
            marker->setVisible(true);
            QColor label = LabelColor;
            label.setAlphaF(series->isVisible() ? 1.0 : 0.4);
            marker->setLabelBrush(label);
            QBrush swatch = marker->brush();
            QColor colour = swatch.color();
            colour.setAlphaF(series->isVisible() ? 1.0 : 0.3);
            swatch.setColor(colour);
            marker->setBrush(swatch);
            refresh();
        });
    }

    c->cursor = new QGraphicsLineItem(c->chart);
    c->cursor->setPen(QPen(QColor(255, 255, 255, 150), 1, Qt::DashLine));
    c->box = new QGraphicsRectItem(c->chart);
    c->box->setBrush(QColor(30, 30, 30, 220));
    c->box->setPen(QPen(QColor(120, 120, 120)));
    c->text = new QGraphicsSimpleTextItem(c->box);
    c->text->setBrush(LabelColor);
    for (QGraphicsItem *item :
         { static_cast<QGraphicsItem *>(c->cursor), static_cast<QGraphicsItem *>(c->box) }) {
        item->setZValue(100);
        item->hide();
    }

    c->view = new ChartView(this, c->chart);
    c->view->setObjectName(QLatin1String(name));
    c->view->setBackgroundBrush(Background);
    // The lines move with the plot area at once; their points are cut to its width at the next
    // refresh.
    connect(c->chart, &QChart::plotAreaChanged, this, [this, chart = c.get()] {
        m_dirty = true;
        drawLines(*chart);
    });
    static_cast<QGridLayout *>(layout())->addWidget(c->view, row, column);
    m_charts.push_back(std::move(c));
}

void TrendView::retranslate()
{
    for (const auto &c : m_charts) {
        for (std::size_t i = 0; i < c->series.size(); ++i)
            c->series[i]->setName(tr(c->look->series[i].name));
    }
    if (m_hoverMs >= 0)
        hoverAt(m_hoverMs);
}

void TrendView::setBuffer(const TrendBuffer *buffer)
{
    m_buffer = buffer;
    m_dirty = true;
    hoverEnd();
    if (isVisible())
        refresh();
}

void TrendView::setSpan(Span span)
{
    const bool changed = span != m_span;
    m_span = span;
    m_dirty = true;
    if (isVisible())
        refresh();
    else
        updateWindow();
    if (changed)
        emit spanChanged(span);
}

void TrendView::updateWindow()
{
    if (m_span == Span::Free)
        return;
    const bool empty = !m_buffer || m_buffer->isEmpty();
    const qint64 last = empty ? QDateTime::currentMSecsSinceEpoch() : m_buffer->lastTime();
    // The window's ends move in round steps of the local clock, not with every sample: the
    // time axis keeps its labels (laying them out again costs more than the lines) and they
    // stand on round times.
    const qint64 offset = qint64(QDateTime::fromMSecsSinceEpoch(last).offsetFromUtc()) * 1000;
    const auto up = [offset](qint64 ms, qint64 step) {
        const qint64 local = ms + offset;
        const qint64 rest = ((local % step) + step) % step;
        return rest ? ms + (step - rest) : ms;
    };
    const auto down = [offset](qint64 ms, qint64 step) {
        return ms - (((ms + offset) % step) + step) % step;
    };
    switch (m_span) {
    case Span::FiveMinutes: {
        const qint64 to = up(last, 10 * 1000);
        setWindow(to - 5 * 60 * 1000, to);
        break;
    }
    case Span::Hour: {
        const qint64 to = up(last, 60 * 1000);
        setWindow(to - 3600 * 1000, to);
        break;
    }
    case Span::Everything: {
        const qint64 first = empty ? last - 5 * 60 * 1000 : m_buffer->firstTime();
        // About a fiftieth of the span, rounded to a step a clock shows.
        static const qint64 steps[] = { 1000,    2000,    5000,     10000,    15000,    30000,
                                        60000,   120000,  300000,   600000,   900000,   1800000,
                                        3600000, 7200000, 10800000, 21600000, 43200000, 86400000 };
        qint64 step = steps[std::size(steps) - 1];
        for (qint64 candidate : steps) {
            if (candidate * 50 >= last - first) {
                step = candidate;
                break;
            }
        }
        setWindow(down(first, step), up(last, step));
        break;
    }
    case Span::Free:
        break;
    }
}

void TrendView::setWindow(qint64 from, qint64 to)
{
    if (to - from < MinimumWindowMs) {
        const qint64 middle = from + (to - from) / 2;
        from = middle - MinimumWindowMs / 2;
        to = from + MinimumWindowMs;
    }
    m_from = from;
    m_to = to;
}

void TrendView::zoom(double factor, qint64 around)
{
    if (!(factor > 0))
        return;
    const qint64 dataSpan =
        m_buffer && !m_buffer->isEmpty() ? m_buffer->lastTime() - m_buffer->firstTime() : 0;
    const double largest = std::max<double>(2.0 * dataSpan, 2 * 3600 * 1000);
    const double span = double(m_to - m_from);
    const double next = std::clamp(span * factor, double(MinimumWindowMs), largest);
    around = std::clamp(around, m_from, m_to);
    const qint64 from = around - qint64(double(around - m_from) * next / span);
    setWindow(from, from + qint64(next));
    const bool changed = m_span != Span::Free;
    m_span = Span::Free;
    refresh();
    if (changed)
        emit spanChanged(m_span);
}

void TrendView::pan(qint64 deltaMs)
{
    qint64 from = m_from + deltaMs;
    qint64 to = m_to + deltaMs;
    // The window's middle stays over the samples, so it cannot be lost off either end.
    if (m_buffer && !m_buffer->isEmpty()) {
        const qint64 middle = from + (to - from) / 2;
        const qint64 kept = std::clamp(middle, m_buffer->firstTime(), m_buffer->lastTime());
        from += kept - middle;
        to += kept - middle;
    }
    setWindow(from, to);
    const bool changed = m_span != Span::Free;
    m_span = Span::Free;
    refresh();
    if (changed)
        emit spanChanged(m_span);
}

qint64 TrendView::timeAt(QWidget *chartViewport, const QPoint &pos) const
{
    for (const auto &c : m_charts) {
        if (c->view->viewport() != chartViewport)
            continue;
        const QRectF plot = c->chart->plotArea();
        const QPointF at = c->chart->mapFromScene(c->view->mapToScene(pos));
        if (plot.width() <= 0)
            break;
        const double share = std::clamp((at.x() - plot.left()) / plot.width(), 0.0, 1.0);
        return m_from + qint64(share * double(m_to - m_from));
    }
    return m_from;
}

void TrendView::refresh()
{
    updateWindow();
    m_dirty = false;
    const QDateTime from = QDateTime::fromMSecsSinceEpoch(m_from);
    const QDateTime to = QDateTime::fromMSecsSinceEpoch(m_to);
    const QString format = timeFormat(m_to - m_from);
    // Round steps for the fixed spans: a minute over five minutes, ten over an hour.
    const int ticks = m_to - m_from == 5 * 60 * 1000 ? 6 : 7;
    for (const auto &c : m_charts) {
        // A bucket of two pixel columns gives its lowest and highest sample: one point per column
        // on average, which draws the same envelope as two and costs half as much.
        const qreal plotWidth = c->chart->plotArea().width();
        const int columns = int(plotWidth > 1 ? plotWidth : c->view->width());
        const int buckets = std::max(1, columns / PixelsPerBucket);
        std::vector<double> low(c->axes.size(), std::numeric_limits<double>::infinity());
        std::vector<double> high(c->axes.size(), -std::numeric_limits<double>::infinity());
        for (std::size_t i = 0; i < c->series.size(); ++i) {
            const SeriesLook &look = c->look->series[i];
            std::vector<TrendBuffer::Point> &points = c->points[i];
            points.clear();
            if (!m_buffer || !c->series[i]->isVisible())
                continue;
            m_buffer->decimate(look.channel, m_from, m_to, buckets, &points);
            double &lo = low[std::size_t(look.axis)];
            double &hi = high[std::size_t(look.axis)];
            for (const TrendBuffer::Point &p : points) {
                if (p.isGap() || p.ms < m_from || p.ms > m_to)
                    continue;
                lo = std::min(lo, p.value * look.scale);
                hi = std::max(hi, p.value * look.scale);
            }
        }
        if (c->time->format() != format)
            c->time->setFormat(format);
        if (c->time->tickCount() != ticks)
            c->time->setTickCount(ticks);
        if (c->time->min() != from || c->time->max() != to)
            c->time->setRange(from, to);
        for (std::size_t a = 0; a < c->axes.size(); ++a) {
            const AxisLook &look = c->look->axes[a];
            double lo = low[a], hi = high[a];
            if (lo <= hi) { // a little room above and below the lines
                const double margin = (hi - lo) * 0.05;
                lo -= margin;
                hi += margin;
            }
            if (look.anchorLow <= look.anchorHigh) {
                lo = std::min(lo, look.anchorLow);
                hi = std::max(hi, look.anchorHigh);
            }
            if (!(lo <= hi)) { // nothing shown
                lo = 0;
                hi = look.minimumSpan;
            }
            if (hi - lo < look.minimumSpan) {
                const double middle = (lo + hi) / 2;
                lo = middle - look.minimumSpan / 2;
                hi = middle + look.minimumSpan / 2;
            }
            setNiceRange(c->axes[a], lo, hi);
        }
        drawLines(*c);
    }
    if (m_hoverMs >= 0)
        hoverAt(m_hoverMs);
}

void TrendView::drawLines(Chart &c)
{
    const QRectF plot = c.chart->plotArea();
    c.plot->setRect(plot);
    const double span = double(m_to - m_from);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
        const SeriesLook &look = c.look->series[i];
        const QValueAxis *axis = c.axes[std::size_t(look.axis)];
        const double range = axis->max() - axis->min();
        QPainterPath path;
        if (span > 0 && range > 0) {
            const double sx = plot.width() / span;
            const double sy = plot.height() / range;
            QPointF start; // of the line being drawn
            int drawn = 0; // its points
            // A sample between two gaps shows as a dot.
            const auto endLine = [&] {
                if (drawn == 1)
                    path.lineTo(start + QPointF(1, 0));
                drawn = 0;
            };
            for (const TrendBuffer::Point &p : c.points[i]) {
                if (p.isGap()) {
                    endLine();
                    continue;
                }
                const QPointF at(plot.left() + double(p.ms - m_from) * sx,
                                 plot.bottom() - (p.value * look.scale - axis->min()) * sy);
                if (drawn++ == 0) {
                    path.moveTo(at);
                    start = at;
                } else {
                    path.lineTo(at);
                }
            }
            endLine();
        }
        c.lines[i]->setPath(path);
        c.lines[i]->setVisible(c.series[i]->isVisible());
    }
}

void TrendView::hoverAt(qint64 ms)
{
    const int index = m_buffer ? m_buffer->nearest(ms) : -1;
    if (index < 0 || m_to <= m_from) {
        hoverEnd();
        return;
    }
    m_hoverMs = ms;
    const TrendBuffer::Sample sample = m_buffer->sampleAt(index);
    const QString time = QDateTime::fromMSecsSinceEpoch(sample.ms).toString(
        m_to - m_from > 24 * 3600 * 1000 ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                         : QStringLiteral("HH:mm:ss"));
    for (const auto &c : m_charts) {
        const QRectF plot = c->chart->plotArea();
        const double x =
            plot.left() + double(sample.ms - m_from) * plot.width() / double(m_to - m_from);
        if (x < plot.left() || x > plot.right()) {
            c->cursor->hide();
            c->box->hide();
            continue;
        }
        QStringList lines{ time };
        for (std::size_t i = 0; i < c->series.size(); ++i) {
            if (!c->series[i]->isVisible())
                continue;
            const SeriesLook &look = c->look->series[i];
            lines << QStringLiteral("%1  %2 %3")
                         .arg(c->series[i]->name())
                         .arg(sample.values[look.channel] * look.scale, 0, 'f', look.decimals)
                         .arg(QString::fromUtf8(look.unit));
        }
        c->cursor->setLine(x, plot.top(), x, plot.bottom());
        c->cursor->show();
        c->text->setText(lines.join(QLatin1Char('\n')));
        const QRectF textRect = c->text->boundingRect();
        const QSizeF size(textRect.width() + 12, textRect.height() + 8);
        qreal left = x + 8;
        if (left + size.width() > plot.right())
            left = x - 8 - size.width();
        c->box->setRect(0, 0, size.width(), size.height());
        c->box->setPos(std::max(plot.left(), left), plot.top() + 4);
        c->text->setPos(6, 4);
        c->box->show();
    }
}

void TrendView::hoverEnd()
{
    m_hoverMs = -1;
    for (const auto &c : m_charts) {
        c->cursor->hide();
        c->box->hide();
    }
}

void TrendView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The charts are made when first shown: a window whose trends are never looked at does not
    // lay out four charts (a burst of work that would hold up the serial line's events).
    if (m_charts.empty()) {
        for (int i = 0; i < int(chartLooks().size()); ++i)
            addChart(i / 2, i % 2, chartLooks()[std::size_t(i)].objectName);
        retranslate();
        for (const auto &c : m_charts)
            c->view->show();
        layout()->activate();
    }
    m_timer->start();
    refresh();
}

void TrendView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer->stop();
}
