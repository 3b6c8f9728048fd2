#pragma once

#include <QPoint>
#include <QtCharts/QChartView>

// The view of the cell voltage chart. The window has no system frame, so dragging the chart with
// the left button moves the whole window.
class NChartView : public QtCharts::QChartView
{
    Q_OBJECT

public:
    explicit NChartView(QWidget *parent = nullptr);
    ~NChartView() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPoint m_lastPos; // left-button press position in view coordinates; null when not dragging
};
