// The window's real-time page: the code 0x51 reply into the widgets, the lamps, the cell chart
// and the log page.
#include "mainwindow.h"

#include "barlabels.h"
#include "cellchart.h"
#include "datalog.h"
#include "filedialogs.h"
#include "frame.h"
#include "globals.h"
#include "messages.h"
#include "statuslamps.h"
#include "telemetry.h"
#include "trendspage.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QLocale>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

namespace {

// A field is written only when its text changes: most values stand still from one reply to the
// next, and each setText lays the text out anew.
void setFieldText(QLineEdit *field, const QString &text)
{
    if (field && field->text() != text)
        field->setText(text);
}

void setBar(QtCharts::QBarSet *set, int index, int value)
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

void MainWindow::initRealTimePage()
{
    // The names come from the units that decide what is shown; a reply of nothing names every
    // field, and code 0 of each lamp group names all of its lamps.
    const RealTimeReply sample = decodeRealTime(QByteArray(), QByteArray(), nullptr);
    for (const WidgetText &text : sample.texts)
        realTimeFields.add(this, text.widget);

    StatusLamps::Pictures lamps = StatusLamps::info(0);
    lamps += StatusLamps::protection(0);
    lamps += StatusLamps::job(0);
    lamps += StatusLamps::alarm(0);
    for (const StatusLamps::LampPicture &lamp : lamps)
        statusLampLabels.add(this, lamp.lamp);
    statusLampLabels.add(this, StatusLamps::balance(0).lamp);

    // The form and these names are built together: a name without its widget is a fault of the
    // build, and every test that builds a window stops here on it.
    const QStringList missing = realTimeFields.missing() + statusLampLabels.missing();
    if (!missing.isEmpty())
        qFatal("The form has no widget for: %s", qPrintable(missing.join(QStringLiteral(", "))));

    // Over the chart's top margin, so that showing it moves nothing; shown only while the values
    // are stale. Presses go through to the chart, which drags the window.
    staleLabel = new QLabel(ui->cell);
    staleLabel->setObjectName(QStringLiteral("data_stale"));
    staleLabel->setAlignment(Qt::AlignCenter);
    staleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    staleLabel->setStyleSheet(
        QStringLiteral("QLabel { color : #e0a020; font-weight: bold; background: transparent; }"));
    staleLabel->hide();
    placeStaleLabel();

    // Beside the log buttons: where the last export went.
    exportState = new QLabel(ui->tab_5);
    exportState->setObjectName(QStringLiteral("data_export_state"));
    exportState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui->horizontalLayout_10->insertWidget(ui->horizontalLayout_10->indexOf(ui->data_clean) + 1,
                                          exportState);
}

void MainWindow::liveDataOpened()
{
    liveDataSince = clock();
    liveDataStaleAfter = qint64(StalePeriods) * ui->spinBox->value();
}

void MainWindow::liveDataClosed()
{
    if (!liveDataStale)
        setLiveDataStale(true);
}

void MainWindow::watchLiveData()
{
    if (!liveDataStale && serialPort->isOpen() && clock() - liveDataSince >= liveDataStaleAfter)
        setLiveDataStale(true);
}

void MainWindow::setLiveDataStale(bool stale)
{
    liveDataStale = stale;
    if (stale && liveDataSeen) {
        // The trends' clock tells the time of day the reply came, also under a test's clock.
        const qint64 wall = trendsPage->wallTimeAgo(clock() - liveDataLastReply);
        liveDataLastReplyTime = QDateTime::fromMSecsSinceEpoch(wall).time();
    }
    for (QLineEdit *field : realTimeFields.widgets())
        dim(field, stale);
    for (QLabel *lamp : statusLampLabels.widgets())
        dim(lamp, stale);
    dim(ui->cadc, stale);
    dim(ui->soc, stale);
    dim(ui->blance_label, stale);
    const qreal opacity = stale ? StaleOpacity : 1.0;
    series->setOpacity(opacity);
    barLabels->setOpacity(opacity);
    showStaleText();
    staleLabel->setVisible(stale);
}

void MainWindow::placeStaleLabel()
{
    staleLabel->setGeometry(0, 4, ui->cell->width(), staleLabel->sizeHint().height());
}

void MainWindow::showStaleText()
{
    if (!liveDataStale)
        return;
    staleLabel->setText(
        liveDataSeen
            ? tr("自 %1 起无数据").arg(liveDataLastReplyTime.toString(QStringLiteral("HH:mm:ss")))
            : tr("尚无数据"));
}

void MainWindow::showRealTimeReply(const Frame::ReplyCheck &reply)
{
    // Any real-time reply whose check matched answers our poll: the board states its battery
    // number in the address field, which need not be the address it is polled at.
    liveDataSince = liveDataLastReply = clock();
    liveDataSeen = true;
    if (liveDataStale)
        setLiveDataStale(false);

    const RealTimeReply values = decodeRealTime(reply.addressText(), reply.dataBlock(), &afe);
    for (const WidgetText &text : values.texts)
        setFieldText(realTimeFields[text.widget], text.text);
    // Neither display may keep an old value for a new one it cannot show: a discharge of 100 A
    // ("-100000") needs a seventh digit, and a state of charge above the bar's end fills it.
    const int digits = QString::number(afe.cadc).size();
    if (digits > ui->cadc->digitCount())
        ui->cadc->setDigitCount(digits);
    ui->cadc->display(afe.cadc);
    const int soc = qBound(ui->soc->minimum(), afe.soc, ui->soc->maximum());
    if (ui->soc->value() != soc) {
        // A progress bar repaints itself at once when its value changes, which here redraws
        // everything beneath it (over a millisecond); it is drawn with the rest of the reply.
        ui->soc->setUpdatesEnabled(false);
        ui->soc->setValue(soc);
        ui->soc->setUpdatesEnabled(true);
    }

    // The row keeps the values as received; only the chart clamps them, in the record too.
    addRowToTableWidget(ui->data_view, &afe);
    trendsPage->addRecord(afe);
    refreshChart();
    refreshLamps();
    setFieldText(ui->data_total_line, QString::number(dataLog->count()));
}

void MainWindow::refreshChart()
{
    // Re-applies the last wheel zoom in whole millivolts.
    axisY->setRange(minmark, maxmark);
    // The sets keep their sixteen values: changing them in place redraws the bars without
    // building new ones.
    const CellChart::Bars bars = CellChart::refresh(&afe);
    for (int i = 0; i < CellChart::Cells; ++i) {
        setBar(mainSet, i, bars.balancing[i]);
        setBar(specialSet, i, bars.idle[i]);
    }
    barLabels->refresh();
}

void MainWindow::refreshLamps()
{
    infoSet(0);
    sysSet(afe.sys_statu);
    jobSet(afe.job_statu);
    const QVector<int> alarmCases = StatusLamps::alarmCases(afe.alrt_statu);
    for (int alarmCase : alarmCases)
        alertSet(alarmCase);
    BlanceSet(afe.blance_statu);
}

void MainWindow::setLamp(const char *lamp, const char *picture)
{
    QLabel *label = statusLampLabels[lamp];
    if (!label)
        return;
    const QPixmap *pixmap = &lampOff;
    if (qstrcmp(picture, StatusLamps::Pass) == 0)
        pixmap = &lampOn;
    else if (qstrcmp(picture, StatusLamps::Warning) == 0)
        pixmap = &lampAlarm;
    else if (qstrcmp(picture, StatusLamps::Error) == 0)
        pixmap = &lampError;
    // A label repaints itself (and the group box behind it) for any picture it is given, even
    // its own; most lamps keep their picture from one reply to the next.
    if (label->pixmap(Qt::ReturnByValue).cacheKey() != pixmap->cacheKey())
        label->setPixmap(*pixmap);
}

void MainWindow::setLamps(const StatusLamps::Pictures &pictures)
{
    for (const StatusLamps::LampPicture &p : pictures)
        setLamp(p.lamp, p.picture);
}

void MainWindow::jobSet(int code)
{
    setLamps(StatusLamps::job(code));
}

void MainWindow::alertSet(int code)
{
    setLamps(StatusLamps::alarm(code));
}

void MainWindow::sysSet(int code)
{
    setLamps(StatusLamps::protection(code));
}

void MainWindow::infoSet(int code)
{
    setLamps(StatusLamps::info(code));
}

void MainWindow::BlanceSet(int word)
{
    const StatusLamps::Balance balance = StatusLamps::balance(word);
    setLamp(balance.lamp, balance.picture);
    // The list wraps within its column, which the layout sizes. Resizing the label to its text
    // (balance.adjustSizeFirst) would push it out of its group and cut the list off.
    ui->blance_label->setText(balance.text);
}

int MainWindow::addRowToTableWidget(QTableView *tableWidget, cell *bafe)
{
    if (!tableWidget || !bafe || !isAddingDataToTable)
        return 0;
    auto *log = qobject_cast<DataLog *>(tableWidget->model());
    if (!log)
        return 0;
    // The view follows the newest row only while it shows the end of the log: a user reading
    // older rows is not pulled away from them by every reply.
    const QScrollBar *bar = tableWidget->verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    log->append(*bafe, QDateTime::currentDateTime());
    if (log == dataLog)
        recordRow(log->count() - 1);
    // The columns were fitted to their captions; the first row shows how wide the values are
    // (the date and the time would be cut off).
    if (log->count() == 1)
        tableWidget->resizeColumnsToContents();
    if (following)
        tableWidget->scrollToBottom();
    return log->count();
}

void MainWindow::on_btn_log_clicked()
{
    // The caption names what the next click does; switching off keeps the rows.
    isAddingDataToTable = !isAddingDataToTable;
    ui->btn_log->setText(isAddingDataToTable ? tr("STOP") : tr("RUN"));
    // Each logging run is recorded to a file of its own.
    if (isAddingDataToTable)
        startRecording();
    else
        stopRecording();
}

void MainWindow::on_data_clean_clicked()
{
    dataLog->clear();
    ui->data_total_line->setText(QString::number(dataLog->count()));
}

void MainWindow::on_data_export_clicked()
{
    // Where the last export went, else beside the recordings.
    QString folder = exportFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = recordingsFolder();
        QDir().mkpath(folder);
    }
    QString fileName = FileDialogs::getSaveFileName(this, tr("Save CSV"), folder,
                                                    tr("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        fileName += QLatin1String(".csv");
    exportToCSV(ui->data_view, fileName);
}

void MainWindow::exportToCSV(QTableView *tableWidget, const QString &filePath)
{
    const auto *log = qobject_cast<const DataLog *>(tableWidget ? tableWidget->model() : nullptr);
    if (!log)
        return;
    // A log that did not reach the disk must not pass for saved.
    QString error;
    if (!log->writeCsv(filePath, &error)) {
        Messages::warning(this, tr("Export failed"),
                          tr("The log could not be written to %1:\n%2")
                              .arg(QDir::toNativeSeparators(filePath), error));
        return;
    }
    const QFileInfo written(filePath);
    exportFolder = written.absolutePath();
    exportedFile = written.absoluteFilePath();
    exportedRows = log->count();
    showExportState();
}

void MainWindow::showExportState()
{
    if (exportedRows < 0)
        return;
    const QString file = QDir::toNativeSeparators(exportedFile);
    exportState->setText(
        tr("已导出 %1 行到 %2").arg(languageLocale().toString(exportedRows), file));
    exportState->setToolTip(file);
}

void MainWindow::wheelEvent(QWheelEvent *event)
{
    const QPoint inChart = ui->cell->mapFromGlobal(event->globalPosition().toPoint());
    if (!ui->cell->rect().contains(inChart)) {
        event->ignore();
        return;
    }
    // Over the chart the wheel is ours, also when a step is refused.
    event->accept();
    const CellChart::Zoom zoom =
        CellChart::wheelZoom(axisY->min(), axisY->max(), event->angleDelta().y(), afe);
    if (!zoom.changed)
        return;
    minmark = zoom.minmark;
    maxmark = zoom.maxmark;
    axisY->setRange(zoom.min, zoom.max);
    chart->update();
}
