#include "realtimepage.h"

#include "barlabels.h"
#include "cellchart.h"
#include "labelholder.h"
#include "lampflasher.h"
#include "statuslamps.h"
#include "telemetry.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

QT_CHARTS_USE_NAMESPACE

namespace {

// A field is written only when its text changes: most values stand still from one reply to the
// next, and each setText lays the text out anew.
void setFieldText(QLineEdit *field, const QString &text)
{
    if (field && field->text() != text)
        field->setText(text);
}

void setBar(QBarSet *set, int index, int value)
{
    if (set->at(index) != value)
        set->replace(index, value);
}

// Values the board has not confirmed for this long are shown as stale.
constexpr int StalePeriods = 3;
constexpr qreal StaleOpacity = 0.35;

// Dims a widget through an effect of its own, made and removed with the change: a widget
// without one draws as before, at no cost per reply.
void dim(QWidget *widget, bool dimmed)
{
    if (!widget)
        return;
    if (dimmed) {
        auto *effect = new QGraphicsOpacityEffect(widget);
        effect->setOpacity(StaleOpacity);
        widget->setGraphicsEffect(effect);
    } else {
        widget->setGraphicsEffect(nullptr);
    }
}

} // namespace

RealTimePage::RealTimePage(Ui_MainWindow *form, QWidget *window, WallTime wallTimeOf)
    : QObject(window)
    , ui(form)
    , m_window(window)
    , m_wallTimeOf(std::move(wallTimeOf))
    , m_flasher(new LampFlasher(this))
{
    m_pictures.off = QPixmap(QLatin1String(StatusLamps::Off));
    m_pictures.on = QPixmap(QLatin1String(StatusLamps::Pass));
    m_pictures.alarm = QPixmap(QLatin1String(StatusLamps::Warning));
    m_pictures.error = QPixmap(QLatin1String(StatusLamps::Error));

    // The names come from the units that decide what is shown; a reply of nothing names every
    // field, and code 0 of each lamp group names all of its lamps.
    const RealTimeReply sample = decodeRealTime(QByteArray(), QByteArray(), nullptr);
    for (const WidgetText &text : sample.texts)
        m_fields.add(window, text.widget);

    StatusLamps::Pictures lamps = StatusLamps::info(0);
    lamps += StatusLamps::protection(0);
    lamps += StatusLamps::job(0);
    lamps += StatusLamps::alarm(0);
    for (const StatusLamps::LampPicture &lamp : lamps)
        m_lamps.add(window, lamp.lamp);
    m_lamps.add(window, StatusLamps::balance(0).lamp);

    // The form and these names are built together: a name without its widget is a fault of the
    // build, and every test that builds a window stops here on it.
    const QStringList missing = m_fields.missing() + m_lamps.missing();
    if (!missing.isEmpty())
        qFatal("The form has no widget for: %s", qPrintable(missing.join(QStringLiteral(", "))));

    initChart();
    initStaleLabel();
    initPages(sample);
    // The balancing list changes with the cells being balanced; the page is laid out again only
    // when the list needs another line.
    LabelHolder::wrap(ui->blance_label);
    m_showTimer = new QTimer(this);
    m_showTimer->setSingleShot(true);
    m_showTimer->setInterval(0);
    connect(m_showTimer, &QTimer::timeout, this, &RealTimePage::showWhatIsShown);

    ui->cadc->setMode(QLCDNumber::Dec);
    ui->cadc->setDigitCount(6);
    ui->cadc->setSegmentStyle(QLCDNumber::Flat);
    ui->cadc->setStyleSheet(
        QStringLiteral("border: 1px solid green; color: green; background: silver;"));
    ui->cadc->display(0);
}

RealTimePage::~RealTimePage() = default;

void RealTimePage::initChart()
{
    mainSet = new QBarSet(QStringLiteral("Nomol"));
    specialSet = new QBarSet(QStringLiteral("Blance"));
    QStringList categories;
    for (int i = 1; i <= CellChart::Cells; ++i) {
        mainSet->append(0);
        specialSet->append(0);
        categories.append(QString::number(i));
    }
    specialSet->setColor(QColor(19, 212, 224));
    mainSet->setColor(QColor(14, 120, 53));

    series = new QStackedBarSeries;
    // The values stand at the outer end of the bars, drawn by BarLabels: the series' own labels
    // cost most of a reply's time.
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsVisible(false);
    series->append(mainSet);
    series->append(specialSet);

    chart = new QChart;
    chart->addSeries(series);
    chart->setAnimationOptions(QChart::NoAnimation);

    auto *axisX = new QBarCategoryAxis;
    axisX->append(categories);
    axisX->setLabelsColor(QColor(255, 254, 255));
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);

    axisY = new QValueAxis;
    axisY->setTickCount(6);
    maxmark = CellChart::InitialMaxMark;
    minmark = CellChart::InitialMinMark;
    axisY->setRange(minmark, maxmark);
    axisY->setLabelsColor(QColor(255, 254, 255));
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);

    chart->legend()->hide();

    // The view comes with a placeholder chart of its own; it is released, not deleted, when
    // replaced. The view owns the chart from here on.
    QChart *placeholder = ui->cell->chart();
    ui->cell->setChart(chart);
    if (placeholder != chart)
        delete placeholder;
    ui->cell->setRenderHint(QPainter::Antialiasing);
    chart->setBackgroundBrush(QBrush(QColor(55, 55, 55)));
    m_barLabels = new BarLabels(chart, series, axisY, CellChart::Cells);
}

void RealTimePage::initPages(const RealTimeReply &sample)
{
    // The page of the tabs each widget stands on; the lamps, the displays and the chart share the
    // chart's. A widget outside the tabs is treated as a page of its own that is always shown.
    const auto pageOf = [this](QWidget *widget) -> QWidget * {
        while (widget && ui->tab_widget->indexOf(widget) < 0)
            widget = widget->parentWidget();
        return widget;
    };
    const auto pageFor = [this](QWidget *widget) -> Page & {
        for (Page &page : m_pages) {
            if (page.widget == widget)
                return page;
        }
        m_pages.append(Page{ widget, {}, true });
        if (widget)
            widget->installEventFilter(this);
        return m_pages.last();
    };
    m_chartPage = pageOf(ui->cell);
    pageFor(m_chartPage);
    for (const WidgetText &text : sample.texts) {
        QLineEdit *field = m_fields[text.widget];
        pageFor(pageOf(field)).fields.insert(QLatin1String(text.widget), field);
    }
}

void RealTimePage::initStaleLabel()
{
    // Over the chart's top margin, so that showing it moves nothing; shown only while the values
    // are stale. Presses go through to the chart, which drags the window.
    m_staleLabel = new QLabel(ui->cell);
    m_staleLabel->setObjectName(QStringLiteral("data_stale"));
    m_staleLabel->setAlignment(Qt::AlignCenter);
    m_staleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_staleLabel->setStyleSheet(
        QStringLiteral("QLabel { color : #e0a020; font-weight: bold; background: transparent; }"));
    m_staleLabel->hide();
    placeStaleLabel();
    m_chartView = ui->cell;
    m_chartView->installEventFilter(this);
}

bool RealTimePage::eventFilter(QObject *watched, QEvent *event)
{
    // Compared, never read: the form is gone while its widgets are being destroyed.
    if (watched == m_chartView
        && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeStaleLabel();
    // A page brought to the front shows the last reply in its first paint.
    if (event->type() == QEvent::Show) {
        for (Page &page : m_pages) {
            if (page.widget == watched && page.behind)
                showPage(page);
        }
    }
    return QObject::eventFilter(watched, event);
}

void RealTimePage::showRecord(const RealTimeReply &values, cell &record, qint64 now)
{
    m_record = &record;
    // Any valid real-time reply answers our poll: the board states its battery number in the
    // address field, which need not be the address it is polled at.
    m_since = m_lastRecord = now;
    m_seen = true;
    if (m_stale)
        setStale(false);

    // The chart's values are settled now, whatever is shown: the record handed on to the other
    // packs' pages carries them.
    m_bars = CellChart::refresh(&record);
    m_texts = values.texts;
    for (Page &page : m_pages)
        page.behind = true;
    // The page in front follows once the reply has been handled: replies that come together are
    // shown together, in the paint that follows them. A window not shown yet follows at once.
    if (!m_window->isVisible())
        showWhatIsShown();
    else if (!m_showTimer->isActive())
        m_showTimer->start();
}

bool RealTimePage::isOnScreen(const QWidget *page) const
{
    // A window not shown yet has no page in front; each is kept up to date as before.
    return !page || !m_window->isVisible() || page->isVisible();
}

void RealTimePage::showWhatIsShown()
{
    for (Page &page : m_pages) {
        if (page.behind && isOnScreen(page.widget))
            showPage(page);
    }
}

void RealTimePage::showPage(Page &page)
{
    page.behind = false;
    for (const WidgetText &text : qAsConst(m_texts)) {
        const auto field = page.fields.constFind(QLatin1String(text.widget));
        if (field != page.fields.constEnd())
            setFieldText(*field, text.text);
    }
    if (page.widget != m_chartPage || !m_record)
        return;
    const cell &record = *m_record;
    // Neither display may keep an old value for a new one it cannot show: a discharge of 100 A
    // ("-100000") needs a seventh digit, and a state of charge above the bar's end fills it.
    const int digits = QString::number(record.cadc).size();
    if (digits > ui->cadc->digitCount())
        ui->cadc->setDigitCount(digits);
    ui->cadc->display(record.cadc);
    const int soc = qBound(ui->soc->minimum(), record.soc, ui->soc->maximum());
    if (ui->soc->value() != soc) {
        // A progress bar repaints itself at once when its value changes, which here redraws
        // everything beneath it (over a millisecond); it is drawn with the rest of the reply.
        ui->soc->setUpdatesEnabled(false);
        ui->soc->setValue(soc);
        ui->soc->setUpdatesEnabled(true);
    }

    refreshChart();
    refreshLamps();
}

void RealTimePage::refreshChart()
{
    // Re-applies the last wheel zoom in whole millivolts.
    axisY->setRange(minmark, maxmark);
    // The sets keep their sixteen values: changing them in place redraws the bars without
    // building new ones.
    for (int i = 0; i < CellChart::Cells; ++i) {
        setBar(mainSet, i, m_bars.balancing[i]);
        setBar(specialSet, i, m_bars.idle[i]);
    }
    m_barLabels->refresh();
}

void RealTimePage::refreshLamps()
{
    infoSet(0);
    sysSet(m_record->sys_statu);
    jobSet(m_record->job_statu);
    const QVector<int> alarmCases = StatusLamps::alarmCases(m_record->alrt_statu);
    for (int alarmCase : alarmCases)
        alertSet(alarmCase);
    BlanceSet(m_record->blance_statu);
}

void RealTimePage::setLamp(const char *lamp, const char *picture)
{
    QLabel *label = m_lamps[lamp];
    if (!label)
        return;
    const QPixmap *pixmap = &m_pictures.off;
    if (qstrcmp(picture, StatusLamps::Pass) == 0)
        pixmap = &m_pictures.on;
    else if (qstrcmp(picture, StatusLamps::Warning) == 0)
        pixmap = &m_pictures.alarm;
    else if (qstrcmp(picture, StatusLamps::Error) == 0)
        pixmap = &m_pictures.error;
    // A label repaints itself (and the group box behind it) for any picture it is given, even
    // its own; most lamps keep their picture from one reply to the next.
    if (label->pixmap(Qt::ReturnByValue).cacheKey() != pixmap->cacheKey())
        label->setPixmap(*pixmap);
}

void RealTimePage::setLamps(const StatusLamps::Pictures &pictures)
{
    for (const StatusLamps::LampPicture &p : pictures)
        setLamp(p.lamp, p.picture);
}

void RealTimePage::jobSet(int code)
{
    setLamps(StatusLamps::job(code));
}

void RealTimePage::alertSet(int code)
{
    setLamps(StatusLamps::alarm(code));
}

void RealTimePage::sysSet(int code)
{
    setLamps(StatusLamps::protection(code));
}

void RealTimePage::infoSet(int code)
{
    setLamps(StatusLamps::info(code));
}

void RealTimePage::BlanceSet(int word)
{
    const StatusLamps::Balance balance = StatusLamps::balance(word);
    setLamp(balance.lamp, balance.picture);
    // The list wraps within its column, which the layout sizes. Resizing the label to its text
    // (balance.adjustSizeFirst) would push it out of its group and cut the list off.
    ui->blance_label->setText(balance.text);
}

void RealTimePage::flash(QLabel *label, const QPixmap &onPixmap, const QPixmap &offPixmap,
                         int interval)
{
    m_flasher->flash(label, onPixmap, offPixmap, interval);
}

void RealTimePage::switchLight(QLabel *label, const QPixmap &offPixmap)
{
    m_flasher->show(label, offPixmap);
}

void RealTimePage::opened(int periodMs, qint64 now)
{
    m_open = true;
    m_since = now;
    m_staleAfter = qint64(StalePeriods) * periodMs;
}

void RealTimePage::closed()
{
    m_open = false;
    if (!m_stale)
        setStale(true);
}

void RealTimePage::watch(qint64 now)
{
    if (!m_stale && m_open && now - m_since >= m_staleAfter)
        setStale(true);
}

void RealTimePage::setStale(bool stale)
{
    m_stale = stale;
    if (stale && m_seen)
        m_lastRecordTime = QDateTime::fromMSecsSinceEpoch(m_wallTimeOf(m_lastRecord)).time();
    for (QLineEdit *field : m_fields.widgets())
        dim(field, stale);
    for (QLabel *lamp : m_lamps.widgets())
        dim(lamp, stale);
    dim(ui->cadc, stale);
    dim(ui->soc, stale);
    dim(ui->blance_label, stale);
    const qreal opacity = stale ? StaleOpacity : 1.0;
    series->setOpacity(opacity);
    m_barLabels->setOpacity(opacity);
    showStaleText();
    m_staleLabel->setVisible(stale);
}

void RealTimePage::placeStaleLabel()
{
    m_staleLabel->setGeometry(0, 4, ui->cell->width(), m_staleLabel->sizeHint().height());
}

void RealTimePage::retranslate()
{
    showStaleText();
}

void RealTimePage::showStaleText()
{
    if (!m_stale)
        return;
    // The page writes into the window's form, and its texts keep the window's translation
    // context with the form's own.
    m_staleLabel->setText(m_seen ? QCoreApplication::translate("MainWindow", "自 %1 起无数据")
                                       .arg(m_lastRecordTime.toString(QStringLiteral("HH:mm:ss")))
                                 : QCoreApplication::translate("MainWindow", "尚无数据"));
}

bool RealTimePage::wheel(QWheelEvent *event)
{
    const QPoint inChart = ui->cell->mapFromGlobal(event->globalPosition().toPoint());
    if (!ui->cell->rect().contains(inChart)) {
        event->ignore();
        return false;
    }
    // Over the chart the wheel is ours, also when a step is refused. Before any record the board
    // has told no average voltage, and every step is refused.
    event->accept();
    if (!m_record)
        return true;
    const CellChart::Zoom zoom =
        CellChart::wheelZoom(axisY->min(), axisY->max(), event->angleDelta().y(), *m_record);
    if (!zoom.changed)
        return true;
    minmark = zoom.minmark;
    maxmark = zoom.maxmark;
    axisY->setRange(zoom.min, zoom.max);
    chart->update();
    return true;
}
