#pragma once

#include "trendbuffer.h"

#include <QWidget>
#include <QtCharts/QChartGlobal>

#include <memory>
#include <vector>

class QTimer;

// The charts of the trends page, over one shared time axis: pack voltage and current, state of
// charge, the highest, lowest and average cell voltage, and the six temperatures. They draw the
// samples of a TrendBuffer, cut down to about two points per pixel column and broken where the
// samples have a gap, and redraw at most a few times a second, and only while they are on screen.
// The wheel zooms the time axis around the pointer, dragging moves it, and the pointer shows the
// values of the nearest sample in every chart. A legend entry switches its series on and off. The
// charts are made when the view is first shown.
class TrendView : public QWidget
{
    Q_OBJECT

public:
    // What the time axis shows: the newest five minutes or hour, everything, or what the user
    // zoomed or moved to.
    enum class Span { FiveMinutes, Hour, Everything, Free };
    Q_ENUM(Span)

    static constexpr int RefreshMs = 250;
    static constexpr qint64 MinimumWindowMs = 10000;

    explicit TrendView(QWidget *parent = nullptr);
    ~TrendView() override;

    // The samples to draw (not owned; nullptr draws nothing). Drawn at once when on screen.
    void setBuffer(const TrendBuffer *buffer);
    const TrendBuffer *buffer() const { return m_buffer; }

    void setSpan(Span span);
    Span span() const { return m_span; }

    // The buffer has new samples: they are drawn at the next refresh while on screen.
    void samplesAdded() { m_dirty = true; }
    // Draws the shown window now.
    void refresh();
    // The series names and axis titles in the current language.
    void retranslate();

    // The shown window, in ms since 1970-01-01 UTC.
    qint64 windowFrom() const { return m_from; }
    qint64 windowTo() const { return m_to; }
    // Zooms by factor (below 1: in) keeping the moment around in place, and moves the window by
    // deltaMs; both leave the span Free.
    void zoom(double factor, qint64 around);
    void pan(qint64 deltaMs);
    // Marks the sample nearest to ms in every chart with its values; hoverEnd() removes the marks.
    void hoverAt(qint64 ms);
    void hoverEnd();
    // The moment under a point of a chart's view, from the chart's plot area.
    qint64 timeAt(QWidget *chartViewport, const QPoint &pos) const;

signals:
    // The span changed, by setSpan or by a zoom or move.
    void spanChanged(TrendView::Span span);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct Chart;
    class ChartView;

    void addChart(int row, int column, const char *name);
    // The lines of a chart from their points, on its plot area and axes as they are now.
    void drawLines(Chart &c);
    void updateWindow();
    void setWindow(qint64 from, qint64 to);

    const TrendBuffer *m_buffer = nullptr;
    std::vector<std::unique_ptr<Chart>> m_charts;
    QTimer *m_timer;
    Span m_span = Span::FiveMinutes;
    qint64 m_from = 0;
    qint64 m_to = 0;
    bool m_dirty = true;
    qint64 m_hoverMs = -1;
};
