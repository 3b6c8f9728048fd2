#pragma once

#include "trendview.h"

#include <QtCharts/QChartView>

// A chart's view: the wheel zooms the time axis, the left button drags it, and the pointer marks
// the nearest sample. Unlike the cell chart, dragging here does not move the window.
class TrendView::ChartView : public QtCharts::QChartView
{
public:
    ChartView(TrendView *owner, QtCharts::QChart *chart);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TrendView *m_owner;
    int m_dragX = 0;
    bool m_dragging = false;
};
