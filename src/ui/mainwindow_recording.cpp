// The window's recording: while logging is on, every logged row also goes to a CSV file on disk
// as it is logged, one file per logging run, so a crash or a killed program loses nothing.
#include "mainwindow.h"

#include "datalog.h"
#include "filedialogs.h"
#include "labelholder.h"
#include "messages.h"
#include "recording.h"
#include "switchbutton.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {
const char *const FolderKey = "recordings/folder";
} // namespace

void MainWindow::initRecording()
{
    recording = std::make_unique<Recording>();
    recordingStateTimer = new QTimer(this);
    recordingStateTimer->setSingleShot(true);
    recordingStateTimer->setInterval(0);
    connect(recordingStateTimer, &QTimer::timeout, this, &MainWindow::showRecordingState);
    // The line's rows and size change with every logged row; the page is not laid out for them.
    LabelHolder::wrap(ui->data_record_file);
    // A small switch without a caption: the label beside it says what it does. On at start.
    ui->data_record->setTextOn(QString());
    ui->data_record->setTextOff(QString());
    ui->data_record->setAnimation(false);
    ui->data_record->SetActive(true);
    ui->data_record->setAnimation(true);
    connect(ui->data_record, &SwitchButton::statusChanged, this, &MainWindow::recordSwitchChanged);
    showRecordingState();
}

QString MainWindow::recordingsFolder() const
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    const QString folder =
        QSettings()
            .value(QLatin1String(FolderKey), documents + QStringLiteral("/Arvex"))
            .toString();
    return QDir::cleanPath(folder);
}

void MainWindow::startRecording()
{
    recording->stop();
    recordingProblem.clear();
    // The file is made with the run's first row: a run without rows (no board answering) leaves
    // no empty file behind.
    recordingPending = ui->data_record->checked();
    showRecordingState();
}

void MainWindow::stopRecording()
{
    recordingPending = false;
    recording->stop();
    showRecordingState();
}

void MainWindow::recordRow(int row)
{
    if (recordingPending) {
        recordingPending = false;
        if (!recording->start(recordingsFolder(), QDateTime::currentDateTime(),
                              ui->DeviceID->value(), DataLog::csvHeader())) {
            reportRecordingFailure();
            showRecordingState();
            return;
        }
    }
    if (!recording->isActive())
        return;
    if (!recording->append(dataLog->csvLine(row))) {
        reportRecordingFailure();
        showRecordingState();
    } else if (ui->data_record_file->isVisible() && !recordingStateTimer->isActive()) {
        // The growing row count and size are shown once the reply has been handled (laying out
        // the line costs more than writing the row), and only while the line is on screen: it
        // is brought up to date when it is shown.
        recordingStateTimer->start();
    }
}

void MainWindow::reportRecordingFailure()
{
    // The recording has stopped already, so the rows that arrive while the box is open neither
    // try again nor ask for another box; the table goes on logging them. The box waits for the
    // reply being handled to finish.
    recordingProblem = recording->errorString();
    const QString text = tr("记录无法写入 %1：\n%2\n\n记录到文件已停止。表格仍在继续记录，"
                            "请导出表格以保存这些行。")
                             .arg(QDir::toNativeSeparators(recording->path()), recordingProblem);
    QTimer::singleShot(0, this, [this, text] { Messages::warning(this, tr("记录已停止"), text); });
}

void MainWindow::recordSwitchChanged(bool on)
{
    if (on && isAddingDataToTable)
        startRecording();
    else if (!on)
        stopRecording();
    showRecordingState();
}

void MainWindow::showRecordingState()
{
    recordingStateTimer->stop();
    const QLocale locale = languageLocale(); // numbers grouped as the chosen language writes them
    const QString file = QDir::toNativeSeparators(recording->path());
    const QString rows = locale.toString(recording->rows());
    const QString size = locale.formattedDataSize(recording->bytes(), 1);
    // The path goes in last: it is the part that gives way when the line is too long.
    const QString path = QStringLiteral("\x1F");
    QString text;
    QString shownPath = file;
    if (recording->isActive()) {
        text = tr("正在记录到 %1  ·  %2 行  ·  %3").arg(path, rows, size);
    } else if (!recordingProblem.isEmpty()) {
        text = tr("记录已停止：%1").arg(recordingProblem);
    } else if (!ui->data_record->checked()) {
        text = tr("记录到文件已关闭：记录的行只保存在表格中");
    } else if (recordingPending) {
        text = tr("第一行到达时开始记录到 %1").arg(path);
        shownPath = QDir::toNativeSeparators(recordingsFolder());
    } else if (!file.isEmpty()) {
        text = tr("已记录到 %1  ·  %2 行  ·  %3").arg(path, rows, size);
    } else {
        text = tr("记录的行将同时写入 %1").arg(path);
        shownPath = QDir::toNativeSeparators(recordingsFolder());
    }
    QLabel *label = ui->data_record_file;
    const int room = label->contentsRect().width()
        - label->fontMetrics().horizontalAdvance(QString(text).remove(path)) - 4;
    if (label->isVisible() && room > 0)
        shownPath = label->fontMetrics().elidedText(shownPath, Qt::ElideMiddle, room);
    text.replace(path, shownPath);
    if (label->text() != text)
        label->setText(text);
    const QString tip = recording->path().isEmpty() ? QString() : file;
    if (label->toolTip() != tip)
        label->setToolTip(tip);
}

void MainWindow::on_data_record_change_clicked()
{
    const QString folder =
        FileDialogs::getExistingDirectory(this, tr("记录文件夹"), recordingsFolder());
    if (folder.isEmpty())
        return;
    // The file being recorded stays where it is; the next logging run uses the new folder.
    QSettings().setValue(QLatin1String(FolderKey), QDir::cleanPath(folder));
    showRecordingState();
}

void MainWindow::on_data_record_folder_clicked()
{
    const QString folder = recordingsFolder();
    if (!QDir().mkpath(folder) || !QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        Messages::warning(this, tr("记录文件夹"),
                          tr("无法打开文件夹 %1。").arg(QDir::toNativeSeparators(folder)));
}
