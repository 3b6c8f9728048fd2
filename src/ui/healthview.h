#pragma once

#include "cellhealth.h"

#include <QLocale>
#include <QWidget>

// Each cell's internal resistance as a bar in mOhm, the pack's median as a dashed line across
// them, the cell named as wearing out in red (others above the factor in amber, cells with too
// few steps grey), and under each bar its number and the number of current steps behind it.
// Until every cell has enough steps it says so across the chart. It paints the figures it was
// handed; its owner decides when to hand new ones.
class HealthView : public QWidget
{
    Q_OBJECT

public:
    explicit HealthView(QWidget *parent = nullptr);

    void setResult(const CellHealth::Result &result);
    const CellHealth::Result &result() const { return m_result; }
    void setLocale(const QLocale &locale);

    // What the view says across the chart: "not enough current steps yet" until every cell has
    // enough steps; empty once they have.
    QString message() const;

    QSize sizeHint() const override { return QSize(900, 420); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    CellHealth::Result m_result;
    QLocale m_locale;
};
