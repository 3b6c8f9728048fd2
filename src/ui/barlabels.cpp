#include "barlabels.h"

#include <QBrush>
#include <QFont>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QtCharts/QAbstractBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>

QT_CHARTS_USE_NAMESPACE

namespace {
// Gap between the end of a bar and its label, as the series leaves it for its own labels.
constexpr qreal Gap = 4;
// Above the bars and the axes of the chart.
constexpr qreal LabelZ = 100;
} // namespace

BarLabels::BarLabels(QChart *chart, QAbstractBarSeries *series, QValueAxis *valueAxis,
                     int categories)
    : QObject(chart)
    , m_chart(chart)
    , m_series(series)
    , m_clip(new QGraphicsRectItem(chart))
    , m_values(categories, 0)
{
    m_clip->setPen(Qt::NoPen);
    m_clip->setBrush(Qt::NoBrush);
    m_clip->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    m_clip->setZValue(LabelZ);
    m_clip->setRect(chart->plotArea());
    m_labels.reserve(categories);
    for (int i = 0; i < categories; ++i) {
        auto *label = new QGraphicsSimpleTextItem(m_clip);
        label->setVisible(false);
        m_labels.append(label);
    }
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF &area) {
        m_clip->setRect(area);
        placeAll();
    });
    connect(valueAxis, &QValueAxis::rangeChanged, this, &BarLabels::placeAll);
}

void BarLabels::setOpacity(qreal opacity)
{
    m_clip->setOpacity(opacity);
}

void BarLabels::refresh()
{
    const QList<QBarSet *> sets = m_series->barSets();
    for (int i = 0; i < m_labels.size(); ++i) {
        qreal total = 0;
        const QBarSet *carrier = nullptr;
        for (const QBarSet *set : sets) {
            const qreal value = i < set->count() ? set->at(i) : 0;
            if (value != 0 && !carrier)
                carrier = set;
            total += value;
        }
        if (total == m_values.at(i))
            continue;
        m_values[i] = total;
        QGraphicsSimpleTextItem *label = m_labels.at(i);
        if (total == 0 || !carrier) {
            label->setVisible(false);
            continue;
        }
        if (label->font() != carrier->labelFont())
            label->setFont(carrier->labelFont());
        if (label->brush() != carrier->labelBrush())
            label->setBrush(carrier->labelBrush());
        label->setText(QString::number(total));
        label->setVisible(true);
        place(i);
    }
}

QString BarLabels::text(int category) const
{
    const QGraphicsSimpleTextItem *label = m_labels.value(category);
    return label && label->isVisible() ? label->text() : QString();
}

void BarLabels::place(int category)
{
    QGraphicsSimpleTextItem *label = m_labels.at(category);
    if (!label->isVisible())
        return;
    // The top of the stack, centred over the bar.
    const QPointF end = m_chart->mapToPosition(QPointF(category, m_values.at(category)), m_series);
    const QRectF box = label->boundingRect();
    label->setPos(end.x() - box.width() / 2, end.y() - box.height() - Gap);
}

void BarLabels::placeAll()
{
    for (int i = 0; i < m_labels.size(); ++i)
        place(i);
}
