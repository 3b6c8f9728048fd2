// The window's real-time page: the code 0x51 reply into the main page and the log page.
#include "mainwindow.h"

#include "anchoredclock.h"
#include "datalog.h"
#include "filedialogs.h"
#include "frame.h"
#include "globals.h"
#include "messages.h"
#include "realtimepage.h"
#include "telemetry.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QScrollBar>

namespace {

// A field is written only when its text changes: most values stand still from one reply to the
// next, and each setText lays the text out anew.
void setFieldText(QLineEdit *field, const QString &text)
{
    if (field && field->text() != text)
        field->setText(text);
}

} // namespace

void MainWindow::initRealTimePage()
{
    // The time of day of a reading of the window's clock, for the stale text: the clock of the
    // trends tells it, also under a test's clock.
    realTimePage = new RealTimePage(ui, this, [this](qint64 reading) {
        const qint64 ago = clock() - reading;
        return trendClock ? trendClock->now() - ago : QDateTime::currentMSecsSinceEpoch() - ago;
    });
    const RealTimePage::LampPictures &lamps = realTimePage->lampPictures();
    lampOff = lamps.off;
    lampOn = lamps.on;
    lampAlarm = lamps.alarm;
    lampError = lamps.error;

    // Beside the log buttons: where the last export went.
    exportState = new QLabel(ui->tab_5);
    exportState->setObjectName(QStringLiteral("data_export_state"));
    exportState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui->horizontalLayout_10->insertWidget(ui->horizontalLayout_10->indexOf(ui->data_clean) + 1,
                                          exportState);
}

void MainWindow::liveDataOpened()
{
    realTimePage->opened(ui->spinBox->value(), clock());
}

void MainWindow::liveDataClosed()
{
    realTimePage->closed();
}

void MainWindow::watchLiveData()
{
    realTimePage->watch(clock());
}

void MainWindow::showRealTimeReply(const Frame::ReplyCheck &reply)
{
    const RealTimeReply values = decodeRealTime(reply.addressText(), reply.dataBlock(), &afe);
    // The log and the trends take the record as received: the chart clamps it.
    addRowToTableWidget(ui->data_view, &afe);
    feedTrends();
    realTimePage->showRecord(values, afe, clock());
    setFieldText(ui->data_total_line, QString::number(dataLog->count()));
}

void MainWindow::jobSet(int code)
{
    realTimePage->jobSet(code);
}

void MainWindow::alertSet(int code)
{
    realTimePage->alertSet(code);
}

void MainWindow::sysSet(int code)
{
    realTimePage->sysSet(code);
}

void MainWindow::infoSet(int code)
{
    realTimePage->infoSet(code);
}

void MainWindow::BlanceSet(int word)
{
    realTimePage->BlanceSet(word);
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
    realTimePage->wheel(event);
}
