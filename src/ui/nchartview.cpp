#include "nchartview.h"

#include <QMouseEvent>

NChartView::NChartView(QWidget *parent)
    : QtCharts::QChartView(parent)
{
    setDragMode(QGraphicsView::NoDrag);
}

NChartView::~NChartView() = default;

void NChartView::mousePressEvent(QMouseEvent *event)
{
    QtCharts::QChartView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_lastPos = event->pos();
}

void NChartView::mouseMoveEvent(QMouseEvent *event)
{
    QtCharts::QChartView::mouseMoveEvent(event);
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // The press position is kept: as the window follows the cursor, the view moves back under it.
    const QPoint delta = event->pos() - m_lastPos;
    QWidget *top = this;
    while (top->parentWidget())
        top = top->parentWidget();
    top->move(top->pos() + delta);
}

void NChartView::mouseReleaseEvent(QMouseEvent *event)
{
    QtCharts::QChartView::mouseReleaseEvent(event);
    m_lastPos = QPoint();
}
