#include "trendchartview.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QtCharts/QChart>

#include <cmath>

QT_CHARTS_USE_NAMESPACE

TrendView::ChartView::ChartView(TrendView *owner, QChart *chart)
    : QChartView(chart, owner)
    , m_owner(owner)
{
    setMouseTracking(true);
    setRenderHint(QPainter::Antialiasing);
    setCursor(Qt::CrossCursor);
}

void TrendView::ChartView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    event->accept();
    if (delta == 0)
        return;
    const qint64 around = m_owner->timeAt(viewport(), event->position().toPoint());
    m_owner->zoom(std::pow(0.8, delta / 120.0), around);
}

void TrendView::ChartView::mousePressEvent(QMouseEvent *event)
{
    // The legend takes its clicks; a press on the plot starts a drag.
    QChartView::mousePressEvent(event);
    const QPointF at = chart()->mapFromScene(mapToScene(event->pos()));
    if (event->button() == Qt::LeftButton && chart()->plotArea().contains(at)) {
        m_dragX = event->pos().x();
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void TrendView::ChartView::mouseMoveEvent(QMouseEvent *event)
{
    QChartView::mouseMoveEvent(event);
    event->accept();
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        const qreal width = chart()->plotArea().width();
        const int dx = event->pos().x() - m_dragX;
        m_dragX = event->pos().x();
        if (width > 0 && dx != 0)
            m_owner->pan(qint64(-dx * double(m_owner->windowTo() - m_owner->windowFrom()) / width));
    }
    m_owner->hoverAt(m_owner->timeAt(viewport(), event->pos()));
}

void TrendView::ChartView::mouseReleaseEvent(QMouseEvent *event)
{
    QChartView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        setCursor(Qt::CrossCursor);
    }
    event->accept();
}

void TrendView::ChartView::leaveEvent(QEvent *event)
{
    m_owner->hoverEnd();
    QChartView::leaveEvent(event);
}

void TrendView::ChartView::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    m_owner->m_dirty = true; // more or fewer pixel columns to fill
}
