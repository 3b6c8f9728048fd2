#pragma once

#include "cellchart.h"
#include "widgettable.h"

#include <QObject>
#include <QPixmap>
#include <QTime>
#include <QVector>
#include <QtCharts/QChartGlobal>

#include <functional>

class BarLabels;
class LampFlasher;
class QLabel;
class QLineEdit;
class QTimer;
class QWheelEvent;
class QWidget;
class Ui_MainWindow;
struct RealTimeReply;
struct cell;
namespace StatusLamps {
struct LampPicture;
}

QT_CHARTS_BEGIN_NAMESPACE
class QBarSet;
class QChart;
class QStackedBarSeries;
class QValueAxis;
QT_CHARTS_END_NAMESPACE

// The main page: what a real-time record shows (the value fields, the current display, the state
// of charge bar, the status lamps, the list of balancing cells and the cell chart with its wheel
// zoom) and whether it is still live. It is given the form's widgets, finds those it uses once,
// and knows nothing of the line: the window tells it what came and when.
//
// Times are readings of the window's clock, in milliseconds; the page never reads a clock itself.
class RealTimePage : public QObject
{
    Q_OBJECT

public:
    // The lamp pictures, loaded once: off (grey), on (green), alarm (amber) and error (red).
    struct LampPictures
    {
        QPixmap off;
        QPixmap on;
        QPixmap alarm;
        QPixmap error;
    };
    // The wall-clock time (milliseconds since 1970) of a reading of the window's clock.
    using WallTime = std::function<qint64(qint64 reading)>;

    // window: the one the form was set up on, which owns the page.
    RealTimePage(Ui_MainWindow *form, QWidget *window, WallTime wallTimeOf);
    ~RealTimePage() override;

    const LampPictures &lampPictures() const { return m_pictures; }

    // Shows a valid real-time record received at now; values holds the texts of its fields. The
    // chart zeroes implausible cell voltages in record itself, so the log and the trends take it
    // first. The wheel zoom centres on the record last shown, which outlives the page.
    void showRecord(const RealTimeReply &values, cell &record, qint64 now);

    // The stale watch: values the board has not confirmed for three poll periods since the line
    // opened or the last record are dimmed, and at once when the line closes; the next record
    // brings them back. watch() runs at each poll tick while the line is open.
    void opened(int periodMs, qint64 now);
    void closed();
    void watch(qint64 now);

    // The texts the page makes itself, in the language just chosen.
    void retranslate();

    // The status lamp groups, one code each (the window's named slots).
    void jobSet(int code);
    void alertSet(int code);
    void sysSet(int code);
    void infoSet(int code);
    void BlanceSet(int word);

    // Flashes a lamp: onPixmap now, offPixmap after interval milliseconds. Flashes of the same
    // lamp do not cancel each other; each one falls back at its own time. The screen follows
    // once per display frame (LampFlasher).
    void flash(QLabel *label, const QPixmap &onPixmap, const QPixmap &offPixmap, int interval);
    void switchLight(QLabel *label, const QPixmap &offPixmap);

    // A wheel step over the chart zooms its voltage axis; false (the event ignored) elsewhere.
    bool wheel(QWheelEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A page of the tabs that shows some of a reply, and whether it is behind the last reply.
    struct Page
    {
        QWidget *widget; // null: outside the tabs, always shown
        QHash<QLatin1String, QLineEdit *> fields; // the reply's fields on it, by name
        bool behind;
    };

    void initChart();
    void initStaleLabel();
    void initPages(const RealTimeReply &sample);
    bool isOnScreen(const QWidget *page) const;
    // Brings the pages on screen up to the last reply; the others follow when they are shown.
    void showWhatIsShown();
    void showPage(Page &page);
    void refreshChart();
    void refreshLamps();
    void setLamp(const char *lamp, const char *picture);
    void setLamps(const QVector<StatusLamps::LampPicture> &pictures);
    void setStale(bool stale);
    void placeStaleLabel();
    void showStaleText();

    Ui_MainWindow *ui;
    QWidget *m_window;
    WallTime m_wallTimeOf;
    LampFlasher *m_flasher = nullptr;
    LampPictures m_pictures;
    cell *m_record = nullptr; // the record last shown
    // The last reply, as its pages show it: the fields' texts and the chart's bars.
    QVector<WidgetText> m_texts;
    CellChart::Bars m_bars;
    QVector<Page> m_pages;
    QWidget *m_chartPage = nullptr; // the page of the chart, the displays and the lamps
    QTimer *m_showTimer = nullptr; // the page in front, after the reply

    WidgetTable<QLineEdit> m_fields; // every line edit a real-time reply writes
    WidgetTable<QLabel> m_lamps; // every lamp of the status lamp refresh

    // The cell chart's parts, under the names they have always had.
    QtCharts::QChart *chart = nullptr;
    QtCharts::QStackedBarSeries *series = nullptr;
    QtCharts::QValueAxis *axisY = nullptr;
    QtCharts::QBarSet *mainSet = nullptr; // balancing cells, drawn dark green
    QtCharts::QBarSet *specialSet = nullptr; // the other cells
    int maxmark = 4500; // the wheel zoom in whole millivolts, applied again with every record
    int minmark = 2000;
    BarLabels *m_barLabels = nullptr; // the values over the bars

    QLabel *m_staleLabel = nullptr; // "data_stale": since when nothing came
    QWidget *m_chartView = nullptr; // the view it stands in, whose size it follows
    bool m_open = false;
    bool m_stale = false;
    bool m_seen = false; // a record has come this run
    qint64 m_since = 0; // the last record, or the line's opening
    qint64 m_lastRecord = 0;
    qint64 m_staleAfter = 0; // ms without a record before the values go stale
    QTime m_lastRecordTime; // its time of day, for the text
};
