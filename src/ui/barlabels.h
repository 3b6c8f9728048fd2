#pragma once

#include <QObject>
#include <QVector>
#include <QtCharts/QChartGlobal>

class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

QT_CHARTS_BEGIN_NAMESPACE
class QAbstractBarSeries;
class QChart;
class QValueAxis;
QT_CHARTS_END_NAMESPACE

// The value labels at the outer end of the bars of a stacked bar series: one label per category,
// showing the height of its stack, hidden for an empty one, in the label font and colour of the
// set that carries the value, clipped to the plot area.
//
// The series' own labels are rich-text documents that are parsed, laid out and given their font
// again for every value that changes: some 0.1 ms a label, most of a reply's time when sixteen
// cells move. Plain text items draw the same numbers at a fraction of that.
class BarLabels : public QObject
{
    Q_OBJECT

public:
    // valueAxis: the axis whose range changes move the bars (the labels follow it).
    BarLabels(QtCharts::QChart *chart, QtCharts::QAbstractBarSeries *series,
              QtCharts::QValueAxis *valueAxis, int categories);

    // Brings the labels up to the series' values; a label whose value is unchanged is not
    // touched.
    void refresh();

    // Fades every label (1: as drawn, 0: gone).
    void setOpacity(qreal opacity);

    // What a category's label shows; empty while it is hidden.
    QString text(int category) const;

private:
    void place(int category);
    void placeAll();

    QtCharts::QChart *m_chart;
    QtCharts::QAbstractBarSeries *m_series;
    QGraphicsRectItem *m_clip; // the plot area; labels outside it are cut off
    QVector<QGraphicsSimpleTextItem *> m_labels;
    QVector<qreal> m_values;
};
